// SPDX-License-Identifier: GPL-3.0-or-later
// The mapping between bookmarks and entry records, shared by both readers and both writers.
#include "bookmarkmapping.h"

#include "foldername.h"

#include <QStringDecoder>
#include <QStringList>

namespace {

// Windows-1252 for 0x80..0x9F; the five bytes it leaves undefined stand for themselves,
// as in HTML's reading of numeric references.
constexpr char16_t Windows1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                          0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                          0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                          0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool isUnreservedInPath(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == '/';
}

void appendPercent(QString &out, unsigned char c)
{
    static const char hex[] = "0123456789ABCDEF";
    out += u'%';
    out += QLatin1Char(hex[c >> 4]);
    out += QLatin1Char(hex[c & 15]);
}

// A URL that is not UTF-8 keeps its meaning with its high bytes percent-encoded.
QString urlText(QByteArrayView bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString out;
    for (const char ch : bytes) {
        const auto c = static_cast<unsigned char>(ch);
        if (c >= 0x80)
            appendPercent(out, c);
        else
            out += QLatin1Char(ch);
    }
    return out;
}

QByteArray recordText(const QString &text)
{
    return withoutControlCharacters(text).toLocal8Bit();
}

bool isBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r';
}

// Splits a command line into words as a POSIX shell does: single quotes keep everything,
// double quotes and backslashes escape. An unclosed quote runs to the end of the line.
QStringList shellWords(const QString &line)
{
    QStringList words;
    QString word;
    bool inWord = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (isBlank(c)) {
            if (inWord)
                words.append(std::exchange(word, {}));
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == u'\'') {
            const qsizetype close = line.indexOf(u'\'', i + 1);
            const qsizetype end = close < 0 ? line.size() : close;
            word += QStringView(line).sliced(i + 1, end - i - 1);
            i = end;
        } else if (c == u'"') {
            for (++i; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < line.size() && QStringView(u"$`\"\\\n").contains(line[i + 1]))
                    ++i;
                word += line[i];
            }
        } else if (c == u'\\') {
            if (i + 1 < line.size() && line[i + 1] != u'\n')
                word += line[i + 1];
            ++i;
        } else {
            word += c;
        }
    }
    if (inWord)
        words.append(word);
    return words;
}

// Desktop entry field codes: "%%" is a percent sign, "%" and a letter stand for arguments.
QString withoutFieldCodes(const QString &word)
{
    QString out;
    for (qsizetype i = 0; i < word.size(); ++i) {
        if (word[i] == u'%' && i + 1 < word.size()) {
            const QChar next = word[i + 1];
            if (next == u'%') {
                out += u'%';
                ++i;
                continue;
            }
            if (next.isLetter() && next.unicode() < 0x80) {
                ++i;
                continue;
            }
        }
        out += word[i];
    }
    return out;
}

} // namespace

bool isValidUtf8(QByteArrayView bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString decoded = decoder.decode(bytes);
    Q_UNUSED(decoded)
    return !decoder.hasError();
}

char16_t windows1252Character(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? Windows1252High[byte - 0x80] : char16_t(byte);
}

QString textFromBytes(QByteArrayView bytes)
{
    if (isValidUtf8(bytes))
        return QString::fromUtf8(bytes);
    QString text(bytes.size(), Qt::Uninitialized);
    for (qsizetype i = 0; i < bytes.size(); ++i)
        text[i] = QChar(windows1252Character(static_cast<unsigned char>(bytes[i])));
    return text;
}

QString withoutControlCharacters(QString text)
{
    // A byte-order mark (U+FEFF) inside a text is invisible, and readers of both formats drop
    // one that starts their input: kept, it would not survive an export and import.
    text.removeIf([](QChar c) {
        const char16_t u = c.unicode();
        return (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || u == 0xFEFF || u == 0xFFFE ||
               u == 0xFFFF;
    });
    return text;
}

QString withCrLfLineBreaks(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' || text[i] == u'\n') {
            if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            out += QStringLiteral("\r\n");
        } else {
            out += text[i];
        }
    }
    return out;
}

QString fileUrlFromPath(QByteArrayView path)
{
    // An absolute path gets the empty authority of "file:///"; a path carried over from
    // another system ("C:\x", "notes.txt") is written after "file:" alone and read back so.
    QString url = path.startsWith('/') ? QStringLiteral("file://") : QStringLiteral("file:");
    for (const char ch : path) {
        const auto c = static_cast<unsigned char>(ch);
        if (isUnreservedInPath(c))
            url += QLatin1Char(ch);
        else
            appendPercent(url, c);
    }
    return url;
}

std::optional<QByteArray> pathFromFileUrl(const QString &url)
{
    if (!url.startsWith(QLatin1String("file:"), Qt::CaseInsensitive))
        return std::nullopt;
    QByteArray rest = url.mid(5).toUtf8();
    if (rest.startsWith("//")) {
        const qsizetype slash = rest.indexOf('/', 2);
        const QByteArray authority = rest.mid(2, slash < 0 ? -1 : slash - 2);
        const QByteArray path = slash < 0 ? QByteArray() : rest.mid(slash);
        // file://server/share is a network path; "localhost" is this machine.
        rest = authority.isEmpty() || authority.compare("localhost", Qt::CaseInsensitive) == 0
                   ? path
                   : "//" + authority + path;
    }
    QByteArray decoded = QByteArray::fromPercentEncoding(rest);
    decoded.replace('\0', QByteArray());
    return decoded;
}

QString execFromProgram(const QString &program)
{
    QString quoted = program;
    quoted.replace(u'%', QStringLiteral("%%"));
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + QStringLiteral("' %u");
}

QString programFromExec(const QString &exec)
{
    QStringList words = shellWords(exec);
    // GLib stores the whole command line as one quoted word.
    if (words.size() == 1 && std::any_of(words[0].cbegin(), words[0].cend(), isBlank))
        words = shellWords(words[0]);
    return words.isEmpty() ? QString() : withoutFieldCodes(words[0]);
}

MFile entryFromBookmark(const BookmarkFields &fields)
{
    MFile entry;
    const std::optional<QByteArray> path = fields.markedAsUrl ? std::nullopt : pathFromFileUrl(fields.href);
    if (path) {
        entry.Kind = MFile::FileKind;
        entry.Path = *path;
    } else {
        entry.Kind = MFile::UrlKind;
        entry.Path = recordText(fields.href);
    }
    entry.Program = recordText(fields.program);
    QString description = fields.title;
    if (fields.titleIsName && description == bookmarkName(entry))
        description.clear();
    if (fields.description)
        description += QStringLiteral("\r\n") + *fields.description;
    entry.Description = recordText(withCrLfLineBreaks(description));
    return entry;
}

BookmarkFields bookmarkFromEntry(const MFile &entry)
{
    BookmarkFields fields;
    if (entry.isUrl()) {
        fields.href = withoutControlCharacters(urlText(entry.Path));
        fields.markedAsUrl = pathFromFileUrl(fields.href).has_value();
    } else {
        fields.href = fileUrlFromPath(entry.Path);
    }
    fields.program = withoutControlCharacters(textFromBytes(entry.Program));
    const QString description = withoutControlCharacters(textFromBytes(entry.Description));
    qsizetype end = 0;
    while (end < description.size() && description[end] != u'\r' && description[end] != u'\n')
        ++end;
    fields.title = description.left(end);
    if (end < description.size()) {
        const qsizetype next = description.sliced(end).startsWith(QStringLiteral("\r\n")) ? end + 2 : end + 1;
        QString rest = withCrLfLineBreaks(description.sliced(next));
        rest.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        fields.description = rest;
    }
    return fields;
}

QString bookmarkName(const MFile &entry)
{
    if (entry.isUrl())
        return withoutControlCharacters(urlText(entry.Path));
    const auto isSeparator = [](char c) { return c == '/' || c == '\\'; };
    QByteArrayView path(entry.Path);
    while (path.size() > 1 && isSeparator(path.back()))
        path.chop(1);
    qsizetype start = path.size();
    while (start > 0 && !isSeparator(path[start - 1]))
        --start;
    const QByteArrayView name = start < path.size() ? path.sliced(start) : path;
    return withoutControlCharacters(textFromBytes(name));
}

QByteArray folderNameFromTitle(const QString &title)
{
    return folderNameFromText(withoutControlCharacters(title)).toLocal8Bit();
}

QString textFromFolderName(const QByteArray &name)
{
    return withoutControlCharacters(textFromBytes(name));
}
