// SPDX-License-Identifier: GPL-3.0-or-later
// The two bookmark writers. Everything a reader would change is escaped: markup characters
// always, and in XBEL also the line breaks and tabs that XML would normalise.
#include "bookmarkexport.h"

#include "bookmarkmapping.h"
#include "htmlreferences.h"

namespace {

QString escaped(const QString &text, bool attribute)
{
    QString out;
    out.reserve(text.size() + 16);
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'&':
            out += QLatin1String("&amp;");
            break;
        case u'<':
            out += QLatin1String("&lt;");
            break;
        case u'>':
            out += QLatin1String("&gt;");
            break;
        case u'"':
            out += attribute ? QLatin1String("&quot;") : QLatin1String("\"");
            break;
        // XML turns these into blanks in attributes and CR into LF in text.
        case u'\t':
            out += attribute ? QLatin1String("&#9;") : QLatin1String("\t");
            break;
        case u'\n':
            out += attribute ? QLatin1String("&#10;") : QLatin1String("\n");
            break;
        case u'\r':
            out += QLatin1String("&#13;");
            break;
        default:
            out += c;
        }
    }
    return out;
}

QString text(const QString &s)
{
    return escaped(s, false);
}

QString attribute(const QString &s)
{
    return escaped(s, true);
}

// The reader drops the blanks and line breaks around a <DD>'s text (its own isHtmlSpace), which
// are the file's layout; the description's own are written as references so that they stay.
QString htmlDescription(const QString &description)
{
    qsizetype begin = 0;
    qsizetype end = description.size();
    while (begin < end && isHtmlSpace(description[begin]))
        ++begin;
    while (end > begin && isHtmlSpace(description[end - 1]))
        --end;
    QString out;
    for (qsizetype i = 0; i < description.size(); ++i) {
        const QChar c = description[i];
        if (i < begin || i >= end)
            out += QStringLiteral("&#%1;").arg(c.unicode());
        else
            out += text(QString(c));
    }
    return out;
}

class NetscapeWriter
{
public:
    QByteArray write(const BookmarkFolder &root)
    {
        const QString title =
            root.name.isEmpty() ? QStringLiteral("Bookmarks") : text(textFromFolderName(root.name));
        m_out += QLatin1String("<!DOCTYPE NETSCAPE-Bookmark-file-1>\n"
                               "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=UTF-8\">\n");
        m_out += QStringLiteral("<TITLE>%1</TITLE>\n<H1>%1</H1>\n").arg(title);
        list(root, 0);
        return m_out.toUtf8();
    }

private:
    void list(const BookmarkFolder &folder, int depth)
    {
        const QString indent(depth * 4, u' ');
        m_out += indent + QLatin1String("<DL><p>\n");
        const QString inner = indent + QLatin1String("    ");
        for (const BookmarkFolder &sub : folder.subfolders) {
            m_out += inner + QLatin1String("<DT><H3>") + text(textFromFolderName(sub.name)) +
                     QLatin1String("</H3>\n");
            list(sub, depth + 1);
        }
        for (const MFile &entry : folder.entries)
            bookmark(entry, inner);
        m_out += indent + QLatin1String("</DL><p>\n");
    }

    void bookmark(const MFile &entry, const QString &indent)
    {
        const BookmarkFields fields = bookmarkFromEntry(entry);
        // A link without text is invisible in a browser: an entry without a title shows the
        // name the list shows for it, marked so that an import takes it for no title.
        const QString name = fields.title.isEmpty() ? bookmarkName(entry) : QString();
        m_out += indent + QLatin1String("<DT><A HREF=\"") + attribute(fields.href) + u'"';
        if (!fields.program.isEmpty())
            m_out += QLatin1String(" PROGRAM=\"") + attribute(fields.program) + u'"';
        if (fields.markedAsUrl)
            m_out += QLatin1String(" KIND=\"URL\"");
        if (!name.isEmpty())
            m_out += QLatin1String(" UNTITLED=\"1\"");
        m_out += u'>' + text(name.isEmpty() ? fields.title : name) + QLatin1String("</A>\n");
        if (fields.description)
            m_out += indent + QLatin1String("<DD>") + htmlDescription(*fields.description) + u'\n';
    }

    QString m_out;
};

class XbelWriter
{
public:
    QByteArray write(const BookmarkFolder &root)
    {
        m_out +=
            QLatin1String("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                          "<!DOCTYPE xbel>\n"
                          "<xbel version=\"1.0\" "
                          "xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\">\n");
        if (!root.name.isEmpty())
            m_out +=
                QLatin1String(" <title>") + text(textFromFolderName(root.name)) + QLatin1String("</title>\n");
        contents(root, 1);
        m_out += QLatin1String("</xbel>\n");
        return m_out.toUtf8();
    }

private:
    void contents(const BookmarkFolder &folder, int depth)
    {
        const QString indent(depth, u' ');
        for (const BookmarkFolder &sub : folder.subfolders) {
            m_out += indent + QLatin1String("<folder>\n");
            m_out += indent + QLatin1String(" <title>") + text(textFromFolderName(sub.name)) +
                     QLatin1String("</title>\n");
            contents(sub, depth + 1);
            m_out += indent + QLatin1String("</folder>\n");
        }
        for (const MFile &entry : folder.entries)
            bookmark(entry, indent);
    }

    void bookmark(const MFile &entry, const QString &indent)
    {
        const BookmarkFields fields = bookmarkFromEntry(entry);
        m_out +=
            indent + QLatin1String("<bookmark href=\"") + attribute(fields.href) + QLatin1String("\">\n");
        if (!fields.title.isEmpty())
            m_out += indent + QLatin1String(" <title>") + text(fields.title) + QLatin1String("</title>\n");
        if (fields.description)
            m_out +=
                indent + QLatin1String(" <desc>") + text(*fields.description) + QLatin1String("</desc>\n");
        if (!fields.program.isEmpty() || fields.markedAsUrl) {
            m_out += indent + QLatin1String(" <info>\n");
            if (!fields.program.isEmpty())
                application(fields.program, indent + QLatin1String("  "));
            if (fields.markedAsUrl)
                m_out += indent +
                         QLatin1String("  <metadata owner=\"urn:linkshelf\"><kind>url</kind></metadata>\n");
            m_out += indent + QLatin1String(" </info>\n");
        }
        m_out += indent + QLatin1String("</bookmark>\n");
    }

    // The desktop's own metadata, so that file managers and recent-file lists offer the
    // program too.
    void application(const QString &program, const QString &indent)
    {
        const qsizetype slash = program.lastIndexOf(u'/');
        const QString name = program.sliced(slash + 1);
        m_out += indent + QLatin1String("<metadata owner=\"http://freedesktop.org\">\n");
        m_out += indent + QLatin1String(" <bookmark:applications>\n");
        m_out += indent + QLatin1String("  <bookmark:application name=\"") + attribute(name) +
                 QLatin1String("\" exec=\"") + attribute(execFromProgram(program)) +
                 QLatin1String("\" count=\"1\"/>\n");
        m_out += indent + QLatin1String(" </bookmark:applications>\n");
        m_out += indent + QLatin1String("</metadata>\n");
    }

    QString m_out;
};

} // namespace

QByteArray writeNetscapeBookmarks(const BookmarkFolder &root)
{
    return NetscapeWriter().write(root);
}

QByteArray writeXbelBookmarks(const BookmarkFolder &root)
{
    return XbelWriter().write(root);
}

QByteArray writeBookmarks(BookmarkFormat format, const BookmarkFolder &root)
{
    return format == BookmarkFormat::Xbel ? writeXbelBookmarks(root) : writeNetscapeBookmarks(root);
}

BookmarkFormat bookmarkFormatForFileName(const QString &path)
{
    return path.endsWith(QLatin1String(".xbel"), Qt::CaseInsensitive) ||
                   path.endsWith(QLatin1String(".xml"), Qt::CaseInsensitive)
               ? BookmarkFormat::Xbel
               : BookmarkFormat::NetscapeHtml;
}
