// SPDX-License-Identifier: GPL-3.0-or-later
// The Netscape bookmark HTML reader: a small tolerant tokenizer and the tree builder it feeds.
#include "bookmarkimport.h"

#include "bookmarkmapping.h"
#include "bookmarkreading.h"
#include "htmlreferences.h"

#include <QStringList>

#include <vector>

namespace {

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
    const BookmarkItemCounter &items() const { return m_items; }

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
        if (!m_items.addEntry())
            return fail(tooManyBookmarksMessage());
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
        if (!m_items.addFolder())
            return fail(tooManyBookmarksMessage());
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

    BookmarkFolder m_root;
    std::vector<BookmarkFolder *> m_stack; // one per open <DL>, over the root
    qsizetype m_pendingFolder = -1;        // index in current().subfolders awaiting its <DL>
    std::optional<BookmarkFields> m_bookmark;
    Capture m_capture = Capture::None;
    QString m_captured;
    bool m_sawList = false;
    BookmarkItemCounter m_items;
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

} // namespace

BookmarkReadResult parseNetscapeBookmarks(QByteArrayView bytes)
{
    if (bytes.size() > MaxBookmarkFileSize)
        return refusedBookmarks(bookmarkFileTooLargeMessage());
    bytes = withoutByteOrderMark(bytes);
    // Files from old browsers are in the Windows code page, and say so only in a <META>
    // that is not worth trusting over the bytes themselves.
    const QString doc = textFromBytes(bytes);
    NetscapeTreeBuilder builder;
    HtmlTokenizer(doc, builder).run();
    const QString error = builder.finish();
    if (!error.isEmpty())
        return refusedBookmarks(error);
    BookmarkReadResult result;
    result.entryCount = builder.items().entries();
    result.folderCount = builder.items().folders();
    result.root = builder.takeRoot();
    return result;
}
