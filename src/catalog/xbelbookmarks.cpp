// SPDX-License-Identifier: GPL-3.0-or-later
// The XBEL bookmark reader, on QXmlStreamReader.
#include "bookmarkimport.h"

#include "bookmarkmapping.h"
#include "bookmarkreading.h"

#include <QXmlStreamReader>

namespace {

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
            return refusedBookmarks(m_error);
        BookmarkReadResult result;
        result.root = std::move(root);
        result.entryCount = m_items.entries();
        result.folderCount = m_items.folders();
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

    QString elementText() { return m_xml.readElementText(QXmlStreamReader::IncludeChildElements); }

    // The reader is on a folder's (or the root's) start tag; reads to its end tag.
    void readFolderBody(BookmarkFolder &folder, int depth)
    {
        while (m_xml.readNextStartElement()) {
            const QStringView name = m_xml.qualifiedName();
            if (name == QLatin1String("folder")) {
                if (depth + 1 > MaxBookmarkNesting)
                    return fail(bookmarkFoldersTooDeepMessage());
                if (!m_items.addFolder())
                    return fail(tooManyBookmarksMessage());
                BookmarkFolder sub;
                readFolderBody(sub, depth + 1);
                folder.subfolders.append(std::move(sub));
            } else if (name == QLatin1String("bookmark")) {
                if (!m_items.addEntry())
                    return fail(tooManyBookmarksMessage());
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
    BookmarkItemCounter m_items;
};

} // namespace

BookmarkReadResult parseXbelBookmarks(QByteArrayView bytes)
{
    if (bytes.size() > MaxBookmarkFileSize)
        return refusedBookmarks(bookmarkFileTooLargeMessage());
    return XbelReader(bytes).read();
}
