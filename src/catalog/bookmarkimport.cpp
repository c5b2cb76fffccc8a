// SPDX-License-Identifier: GPL-3.0-or-later
// The Netscape bookmark HTML reader (a small tolerant tokenizer) and the XBEL reader
// (QXmlStreamReader), both building the same folder tree through bookmarkmapping.h.
#include "bookmarkimport.h"

#include "bookmarkmapping.h"
#include "regularfile.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QXmlStreamReader>

#include <vector>

QString bookmarkFileTooLargeMessage()
{
    return QStringLiteral("The file is larger than %1 MiB, more than any bookmark file holds.")
        .arg(MaxBookmarkFileSize / (1024 * 1024));
}

QString bookmarkFoldersTooDeepMessage()
{
    return QStringLiteral("Its folders are nested more than %1 levels deep.").arg(MaxBookmarkNesting);
}

QString tooManyBookmarksMessage()
{
    return QStringLiteral("It holds more than %1 bookmarks and folders.").arg(MaxBookmarkItems);
}

namespace {

QByteArrayView withoutByteOrderMark(QByteArrayView bytes)
{
    return bytes.startsWith("\xEF\xBB\xBF") ? bytes.sliced(3) : bytes;
}

// ---- HTML character references ----

// The named references of HTML 4 for U+00A0 to U+00FF, in code point order.
constexpr const char *Latin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedReference
{
    const char *name;
    char16_t character;
};

constexpr NamedReference OtherNames[] = {
    {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},       {"quot", u'"'},     {"apos", u'\''},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"hellip", 0x2026}, {"euro", 0x20AC},
    {"trade", 0x2122},  {"bull", 0x2022},   {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"OElig", 0x0152},  {"oelig", 0x0153},  {"Scaron", 0x0160},
    {"scaron", 0x0161}, {"Yuml", 0x0178},   {"fnof", 0x0192},   {"circ", 0x02C6},   {"tilde", 0x02DC},
    {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},
    {"lrm", 0x200E},    {"rlm", 0x200F},    {"minus", 0x2212},  {"larr", 0x2190},   {"rarr", 0x2192},
};

const QHash<QString, char16_t> &namedReferences()
{
    static const QHash<QString, char16_t> table = [] {
        QHash<QString, char16_t> names;
        for (int i = 0; i < 96; ++i)
            names.insert(QString::fromLatin1(Latin1Names[i]), char16_t(0xA0 + i));
        for (const NamedReference &ref : OtherNames)
            names.insert(QString::fromLatin1(ref.name), ref.character);
        return names;
    }();
    return table;
}

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiAlnum(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// As HTML reads them: zero, surrogates and numbers past Unicode are the replacement
// character, and 0x80..0x9F are the Windows-1252 characters that old files meant.
void appendCodePoint(QString &out, char32_t value)
{
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        value = 0xFFFD;
    else if (value >= 0x80 && value <= 0x9F)
        value = windows1252Character(static_cast<unsigned char>(value));
    const char32_t one[1] = {value};
    out += QString::fromUcs4(one, 1);
}

// Numeric references with or without their ";"; named ones only with it, so that a bare
// "&copy=1" in a URL stays as it is. Unknown names stay as written.
QString decodeReferences(QStringView raw)
{
    if (!raw.contains(u'&'))
        return raw.toString();
    QString out;
    out.reserve(raw.size());
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (raw[i] != u'&' || i + 1 >= n) {
            out += raw[i];
            continue;
        }
        if (raw[i + 1] == u'#') {
            qsizetype j = i + 2;
            const bool hex = j < n && (raw[j] == u'x' || raw[j] == u'X');
            if (hex)
                ++j;
            const qsizetype digitsStart = j;
            char32_t value = 0;
            for (; j < n; ++j) {
                const int digit = hex ? hexValue(raw[j])
                                      : (raw[j] >= u'0' && raw[j] <= u'9' ? raw[j].unicode() - u'0' : -1);
                if (digit < 0)
                    break;
                value = std::min<char32_t>(value * (hex ? 16 : 10) + char32_t(digit), 0x110000);
            }
            if (j == digitsStart) {
                out += raw[i];
                continue;
            }
            if (j < n && raw[j] == u';')
                ++j;
            appendCodePoint(out, value);
            i = j - 1;
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && j - i <= 32 && isAsciiAlnum(raw[j]))
            ++j;
        if (j < n && raw[j] == u';' && j > i + 1) {
            const auto found = namedReferences().constFind(raw.sliced(i + 1, j - i - 1).toString());
            if (found != namedReferences().cend()) {
                out += QChar(*found);
                i = j;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

QStringView trimmedHtmlSpace(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHtmlSpace(text[begin]))
        ++begin;
    while (end > begin && isHtmlSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString withoutTrailingSpace(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && isHtmlSpace(text[end - 1]))
        --end;
    return text.left(end);
}

// ---- Netscape bookmark HTML ----

struct HtmlTag
{
    QString name; // lower case
    bool end = false;
    // Only the attributes a bookmark needs are kept, so a tag with a million attributes
    // costs no more than one with three.
    QString href, program, kind, untitled;

    bool is(QLatin1String tagName) const { return name == tagName; }
    bool startOf(QLatin1String tagName) const { return !end && name == tagName; }
    bool endOf(QLatin1String tagName) const { return end && name == tagName; }
};

// Builds the folder tree from the tokenizer's events. Browsers write a folder as
// <DT><H3>name</H3> followed by <DL><p> ... </DL><p>, a bookmark as <DT><A HREF>title</A>
// optionally followed by <DD>description, and never close <DT>, <DD> or <p>.
class NetscapeTreeBuilder
{
public:
    NetscapeTreeBuilder() { m_stack.push_back(&m_root); }

    void text(QStringView raw)
    {
        if (m_capture == Capture::Description)
            m_captured += raw;
        else if (m_capture != Capture::None)
            m_captured += decodeReferences(raw);
    }

    void tag(const HtmlTag &tag)
    {
        endCapture(tag);
        if (tag.startOf(QLatin1String("a")))
            startBookmark(tag);
        else if (tag.startOf(QLatin1String("h3")))
            startFolderName();
        else if (tag.startOf(QLatin1String("dd")))
            startDescription();
        else if (tag.startOf(QLatin1String("dl")))
            enterList();
        else if (tag.endOf(QLatin1String("dl")))
            leaveList();
        else if (tag.startOf(QLatin1String("hr")) || tag.startOf(QLatin1String("dt")))
            separate();
    }

    // Returns the error, if any, once the whole file has been read.
    QString finish()
    {
        if (!m_error.isEmpty())
            return m_error;
        endCapture(closingList());
        flushBookmark();
        if (!m_sawList)
            return QStringLiteral("It holds no bookmark list (no <DL> element): it is not a bookmark file.");
        if (m_stack.size() > 1)
            return QStringLiteral("It ends inside a folder: the file seems to be cut short.");
        return m_error;
    }

    void fail(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = error;
    }
    bool failed() const { return !m_error.isEmpty(); }

    BookmarkFolder takeRoot() { return std::move(m_root); }
    qsizetype entryCount() const { return m_entries; }
    qsizetype folderCount() const { return m_folders; }

private:
    enum class Capture { None, Title, FolderName, Description };

    static HtmlTag closingList()
    {
        HtmlTag tag;
        tag.name = QStringLiteral("dl");
        tag.end = true;
        return tag;
    }

    BookmarkFolder &current() { return *m_stack.back(); }

    // A title or folder name ends at its closing tag, or, left open, at the next tag that
    // starts something else; a description ends at any tag.
    void endCapture(const HtmlTag &tag)
    {
        switch (m_capture) {
        case Capture::None:
            return;
        case Capture::Description:
            m_bookmark->description = decodeReferences(trimmedHtmlSpace(m_captured));
            break;
        case Capture::Title:
            if (tag.endOf(QLatin1String("a")))
                m_bookmark->title = m_captured;
            else if (endsOpenItem(tag))
                m_bookmark->title = withoutTrailingSpace(m_captured);
            else
                return;
            break;
        case Capture::FolderName:
            if (tag.endOf(QLatin1String("h3")))
                addFolder(m_captured);
            else if (endsOpenItem(tag))
                addFolder(withoutTrailingSpace(m_captured));
            else
                return;
            break;
        }
        m_capture = Capture::None;
        m_captured.clear();
    }

    static bool endsOpenItem(const HtmlTag &tag)
    {
        static const QStringList starts{QStringLiteral("a"),  QStringLiteral("h3"), QStringLiteral("dt"),
                                        QStringLiteral("dd"), QStringLiteral("dl"), QStringLiteral("hr")};
        return tag.end
                   ? tag.is(QLatin1String("dl")) || tag.is(QLatin1String("a")) || tag.is(QLatin1String("h3"))
                   : starts.contains(tag.name);
    }

    void startBookmark(const HtmlTag &tag)
    {
        flushBookmark();
        m_pendingFolder = -1;
        if (!count(m_entries))
            return;
        m_bookmark = BookmarkFields{};
        m_bookmark->href = tag.href;
        m_bookmark->program = tag.program;
        m_bookmark->markedAsUrl = tag.kind.compare(QLatin1String("url"), Qt::CaseInsensitive) == 0;
        m_bookmark->titleIsName = !tag.untitled.isNull();
        m_capture = Capture::Title;
    }

    void startFolderName()
    {
        flushBookmark();
        m_pendingFolder = -1;
        m_capture = Capture::FolderName;
    }

    // Only a bookmark's first description is its own; one after a folder describes the
    // folder, which the catalog has no place for.
    void startDescription()
    {
        if (m_bookmark && !m_bookmark->description)
            m_capture = Capture::Description;
    }

    void addFolder(const QString &name)
    {
        if (!count(m_folders))
            return;
        current().subfolders.append(BookmarkFolder{folderNameFromTitle(name), {}, {}});
        m_pendingFolder = current().subfolders.size() - 1;
    }

    // A list right after a folder's name holds that folder's items; any other list adds
    // its items to the folder around it.
    void enterList()
    {
        flushBookmark();
        m_sawList = true;
        // The outermost list is the file's top level; the folders within may nest as deep as
        // in XBEL, so that a tree read from either format can be written to the other.
        if (m_stack.size() > size_t(MaxBookmarkNesting) + 1) {
            fail(bookmarkFoldersTooDeepMessage());
            return;
        }
        BookmarkFolder &parent = current();
        m_stack.push_back(m_pendingFolder >= 0 ? &parent.subfolders[m_pendingFolder] : &parent);
        m_pendingFolder = -1;
    }

    void leaveList()
    {
        flushBookmark();
        m_pendingFolder = -1;
        if (m_stack.size() > 1)
            m_stack.pop_back();
    }

    void separate()
    {
        flushBookmark();
        m_pendingFolder = -1;
    }

    void flushBookmark()
    {
        if (m_capture == Capture::Title)
            endCapture(closingList());
        if (m_capture == Capture::Description)
            endCapture(HtmlTag{});
        if (m_bookmark)
            current().entries.append(entryFromBookmark(*m_bookmark));
        m_bookmark.reset();
    }

    bool count(qsizetype &counter)
    {
        ++counter;
        if (m_entries + m_folders > MaxBookmarkItems) {
            fail(tooManyBookmarksMessage());
            return false;
        }
        return true;
    }

    BookmarkFolder m_root;
    std::vector<BookmarkFolder *> m_stack; // one per open <DL>, over the root
    qsizetype m_pendingFolder = -1;        // index in current().subfolders awaiting its <DL>
    std::optional<BookmarkFields> m_bookmark;
    Capture m_capture = Capture::None;
    QString m_captured;
    bool m_sawList = false;
    qsizetype m_entries = 0;
    qsizetype m_folders = 0;
    QString m_error;
};

class HtmlTokenizer
{
public:
    HtmlTokenizer(const QString &doc, NetscapeTreeBuilder &builder)
        : m_doc(doc)
        , m_builder(builder)
    {}

    // Every scan moves forward from where the last one stopped, so any input is read in
    // linear time; markup left open at the end of the file is a file cut short.
    void run()
    {
        const qsizetype n = m_doc.size();
        while (m_pos < n && !m_builder.failed()) {
            qsizetype next = m_doc.indexOf(u'<', m_pos);
            if (next < 0)
                next = n;
            if (next > m_pos)
                m_builder.text(QStringView(m_doc).sliced(m_pos, next - m_pos));
            m_pos = next;
            if (m_pos < n)
                markup();
        }
    }

private:
    void cutShort()
    {
        m_builder.fail(QStringLiteral("It ends inside a tag or comment: the file seems to be cut short."));
    }

    void skipPast(QStringView terminator)
    {
        const qsizetype end = m_doc.indexOf(terminator, m_pos);
        if (end < 0) {
            cutShort();
            m_pos = m_doc.size();
        } else {
            m_pos = end + terminator.size();
        }
    }

    void markup()
    {
        const QStringView rest = QStringView(m_doc).sliced(m_pos);
        if (rest.startsWith(u"<!--")) {
            m_pos += 4;
            skipPast(u"-->");
        } else if (rest.size() > 1 && (rest[1] == u'!' || rest[1] == u'?')) {
            skipPast(u">");
        } else if (rest.size() > 1 && isAsciiLetter(rest[1])) {
            ++m_pos;
            tag(false);
        } else if (rest.size() > 2 && rest[1] == u'/' && isAsciiLetter(rest[2])) {
            m_pos += 2;
            tag(true);
        } else {
            m_builder.text(u"<"); // a bare "<" is text, as browsers read it
            ++m_pos;
        }
    }

    void tag(bool end)
    {
        HtmlTag tag;
        tag.end = end;
        const qsizetype start = m_pos;
        while (m_pos < m_doc.size() && isAsciiAlnum(m_doc[m_pos]))
            ++m_pos;
        tag.name = m_doc.sliced(start, m_pos - start).toLower();
        if (end)
            skipPast(u">");
        else
            attributes(tag);
        if (!m_builder.failed())
            m_builder.tag(tag);
    }

    // The first of two attributes of the same name counts, as in browsers.
    static void keep(HtmlTag &tag, const QString &name, const QString &value)
    {
        QString *slot = name == QLatin1String("href")       ? &tag.href
                        : name == QLatin1String("program")  ? &tag.program
                        : name == QLatin1String("kind")     ? &tag.kind
                        : name == QLatin1String("untitled") ? &tag.untitled
                                                            : nullptr;
        if (slot && slot->isNull())
            *slot = value.isNull() ? QStringLiteral("") : value;
    }

    void skipSpace()
    {
        while (m_pos < m_doc.size() && (isHtmlSpace(m_doc[m_pos]) || m_doc[m_pos] == u'/'))
            ++m_pos;
    }

    void attributes(HtmlTag &tag)
    {
        const qsizetype n = m_doc.size();
        for (;;) {
            skipSpace();
            if (m_pos >= n)
                return cutShort();
            if (m_doc[m_pos] == u'>') {
                ++m_pos;
                return;
            }
            const qsizetype nameStart = m_pos;
            while (m_pos < n && !isHtmlSpace(m_doc[m_pos]) && m_doc[m_pos] != u'>' && m_doc[m_pos] != u'/' &&
                   (m_doc[m_pos] != u'=' || m_pos == nameStart))
                ++m_pos;
            const QString name = m_doc.sliced(nameStart, m_pos - nameStart).toLower();
            while (m_pos < n && isHtmlSpace(m_doc[m_pos]))
                ++m_pos;
            QString value;
            if (m_pos < n && m_doc[m_pos] == u'=') {
                ++m_pos;
                while (m_pos < n && isHtmlSpace(m_doc[m_pos]))
                    ++m_pos;
                if (m_pos >= n)
                    return cutShort();
                if (m_doc[m_pos] == u'"' || m_doc[m_pos] == u'\'') {
                    const qsizetype close = m_doc.indexOf(m_doc[m_pos], m_pos + 1);
                    if (close < 0)
                        return cutShort();
                    value = decodeReferences(QStringView(m_doc).sliced(m_pos + 1, close - m_pos - 1));
                    m_pos = close + 1;
                } else {
                    const qsizetype valueStart = m_pos;
                    while (m_pos < n && !isHtmlSpace(m_doc[m_pos]) && m_doc[m_pos] != u'>')
                        ++m_pos;
                    value = decodeReferences(QStringView(m_doc).sliced(valueStart, m_pos - valueStart));
                }
            }
            keep(tag, name, value);
        }
    }

    const QString &m_doc;
    NetscapeTreeBuilder &m_builder;
    qsizetype m_pos = 0;
};

BookmarkReadResult refused(const QString &error)
{
    BookmarkReadResult result;
    result.error = error;
    return result;
}

// ---- XBEL ----

class XbelReader
{
public:
    explicit XbelReader(QByteArrayView bytes)
        : m_xml(bytes.toByteArray())
    {
        // Prefixes such as "bookmark:" are matched as written, so a file that forgot to
        // declare them still reads.
        m_xml.setNamespaceProcessing(false);
    }

    BookmarkReadResult read()
    {
        BookmarkFolder root;
        if (readRoot())
            readFolderBody(root, 0);
        if (m_error.isEmpty() && m_xml.hasError())
            m_error = xmlError();
        if (m_error.isEmpty()) {
            // Whatever follows the root must still be well-formed.
            while (!m_xml.atEnd() && m_error.isEmpty()) {
                m_xml.readNext();
                checkDocumentType();
            }
            if (m_error.isEmpty() && m_xml.hasError())
                m_error = xmlError();
        }
        if (!m_error.isEmpty())
            return refused(m_error);
        BookmarkReadResult result;
        result.root = std::move(root);
        result.entryCount = m_entries;
        result.folderCount = m_folders;
        return result;
    }

private:
    QString xmlError() const
    {
        return QStringLiteral("Line %1, column %2: %3")
            .arg(m_xml.lineNumber())
            .arg(m_xml.columnNumber())
            .arg(m_xml.errorString());
    }

    void fail(const QString &error)
    {
        if (m_error.isEmpty())
            m_error = QStringLiteral("Line %1: %2").arg(m_xml.lineNumber()).arg(error);
        m_xml.raiseError(error);
    }

    // An entity declared in the document could expand to anything, so none is accepted.
    void checkDocumentType()
    {
        if (m_xml.tokenType() == QXmlStreamReader::DTD &&
            (!m_xml.entityDeclarations().isEmpty() || m_xml.text().contains(QLatin1String("<!ENTITY"))))
            fail(QStringLiteral("the document type declares entities, which are refused."));
    }

    bool readRoot()
    {
        while (!m_xml.atEnd()) {
            m_xml.readNext();
            checkDocumentType();
            if (m_xml.hasError())
                return false;
            if (m_xml.isStartElement()) {
                if (m_xml.qualifiedName() == QLatin1String("xbel"))
                    return true;
                fail(
                    QStringLiteral("this is not an XBEL bookmark file: its root element is <%1>, not <xbel>.")
                        .arg(m_xml.qualifiedName()));
                return false;
            }
        }
        return false;
    }

    bool count(qsizetype &counter)
    {
        ++counter;
        if (m_entries + m_folders > MaxBookmarkItems) {
            fail(tooManyBookmarksMessage());
            return false;
        }
        return true;
    }

    QString elementText() { return m_xml.readElementText(QXmlStreamReader::IncludeChildElements); }

    // The reader is on a folder's (or the root's) start tag; reads to its end tag.
    void readFolderBody(BookmarkFolder &folder, int depth)
    {
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.qualifiedName();
            if (name == QLatin1String("folder")) {
                if (depth + 1 > MaxBookmarkNesting)
                    return fail(bookmarkFoldersTooDeepMessage());
                if (!count(m_folders))
                    return;
                BookmarkFolder sub;
                readFolderBody(sub, depth + 1);
                folder.subfolders.append(std::move(sub));
            } else if (name == QLatin1String("bookmark")) {
                if (!count(m_entries))
                    return;
                readBookmark(folder);
            } else if (name == QLatin1String("title") && depth > 0) {
                folder.name = folderNameFromTitle(elementText());
            } else {
                m_xml.skipCurrentElement(); // separators, aliases, descriptions and metadata
            }
            if (m_xml.hasError())
                return;
        }
    }

    void readBookmark(BookmarkFolder &folder)
    {
        BookmarkFields fields;
        fields.href = m_xml.attributes().value(QLatin1String("href")).toString();
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.qualifiedName();
            if (name == QLatin1String("title"))
                fields.title = elementText();
            else if (name == QLatin1String("desc"))
                fields.description = elementText();
            else if (name == QLatin1String("info"))
                readInfo(fields);
            else
                m_xml.skipCurrentElement();
        }
        if (!m_xml.hasError())
            folder.entries.append(entryFromBookmark(fields));
    }

    static bool isLocalName(QStringView qualified, QLatin1String local)
    {
        const qsizetype colon = qualified.lastIndexOf(u':');
        return qualified.sliced(colon + 1) == local;
    }

    // The first application of the desktop's metadata gives the program; our own metadata
    // says when a file: URL is a URL entry.
    void readInfo(BookmarkFields &fields)
    {
        int depth = 1;
        bool ourKind = false;
        bool haveProgram = false;
        while (depth > 0 && !m_xml.atEnd()) {
            m_xml.readNext();
            if (m_xml.isEndElement()) {
                --depth;
                ourKind = false;
            } else if (m_xml.isStartElement()) {
                ++depth;
                const QStringView name = m_xml.qualifiedName();
                const QXmlStreamAttributes attributes = m_xml.attributes();
                if (!haveProgram && isLocalName(name, QLatin1String("application")) &&
                    attributes.hasAttribute(QLatin1String("exec"))) {
                    fields.program = programFromExec(attributes.value(QLatin1String("exec")).toString());
                    haveProgram = true;
                } else if (name == QLatin1String("metadata") &&
                           attributes.value(QLatin1String("owner")) == QLatin1String("urn:linkshelf")) {
                    ourKind = true;
                } else if (ourKind && name == QLatin1String("kind")) {
                    fields.markedAsUrl = elementText().trimmed() == QLatin1String("url");
                    --depth;
                }
            }
        }
    }

    QXmlStreamReader m_xml;
    QString m_error;
    qsizetype m_entries = 0;
    qsizetype m_folders = 0;
};

} // namespace

BookmarkReadResult parseNetscapeBookmarks(QByteArrayView bytes)
{
    if (bytes.size() > MaxBookmarkFileSize)
        return refused(bookmarkFileTooLargeMessage());
    bytes = withoutByteOrderMark(bytes);
    // Files from old browsers are in the Windows code page, and say so only in a <META>
    // that is not worth trusting over the bytes themselves.
    const QString doc = textFromBytes(bytes);
    NetscapeTreeBuilder builder;
    HtmlTokenizer(doc, builder).run();
    const QString error = builder.finish();
    if (!error.isEmpty())
        return refused(error);
    BookmarkReadResult result;
    result.entryCount = builder.entryCount();
    result.folderCount = builder.folderCount();
    result.root = builder.takeRoot();
    return result;
}

BookmarkReadResult parseXbelBookmarks(QByteArrayView bytes)
{
    if (bytes.size() > MaxBookmarkFileSize)
        return refused(bookmarkFileTooLargeMessage());
    return XbelReader(bytes).read();
}

BookmarkFormat detectBookmarkFormat(QByteArrayView bytes)
{
    const QByteArrayView text = withoutByteOrderMark(bytes);
    const QByteArray head = text.first(std::min<qsizetype>(text.size(), 4096)).toByteArray().toLower();
    if (head.contains("netscape-bookmark-file"))
        return BookmarkFormat::NetscapeHtml;
    if (head.contains("<xbel") || head.trimmed().startsWith("<?xml"))
        return BookmarkFormat::Xbel;
    return BookmarkFormat::NetscapeHtml;
}

BookmarkReadResult parseBookmarks(QByteArrayView bytes)
{
    return detectBookmarkFormat(bytes) == BookmarkFormat::Xbel ? parseXbelBookmarks(bytes)
                                                               : parseNetscapeBookmarks(bytes);
}

// The user chose the file, so a link to it is followed; what it leads to must still be a
// regular file, as a pipe or a device would hold the import up for ever.
BookmarkReadResult readBookmarkFile(const QString &path)
{
    const RegularFileRead read = readRegularFile(path, SymbolicLinks::Follow, MaxBookmarkFileSize);
    if (read.tooLarge)
        return refused(bookmarkFileTooLargeMessage());
    if (!read)
        return refused(QStringLiteral("It cannot be read: %1.").arg(read.error));
    return parseBookmarks(*read.bytes);
}
