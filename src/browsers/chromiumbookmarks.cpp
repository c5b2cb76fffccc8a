// SPDX-License-Identifier: GPL-3.0-or-later
// Chromium's bookmark JSON, walked from its roots with the same limits as the bookmark files.
#include "chromiumbookmarks.h"

#include "bookmarkmapping.h"
#include "regularfile.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

class ChromiumTree
{
public:
    // False, with error set, when the limits are broken.
    bool addFolder(const QJsonObject &node, BookmarkFolder &folder, int depth)
    {
        if (depth > MaxBookmarkNesting) {
            error = bookmarkFoldersTooDeepMessage();
            return false;
        }
        for (const QJsonValue &child : node.value(QStringLiteral("children")).toArray()) {
            const QJsonObject item = child.toObject();
            if (++m_items > MaxBookmarkItems) {
                error = tooManyBookmarksMessage();
                return false;
            }
            const QString type = item.value(QStringLiteral("type")).toString();
            const QString name = item.value(QStringLiteral("name")).toString();
            if (type == QStringLiteral("url")) {
                BookmarkFields fields;
                fields.href = item.value(QStringLiteral("url")).toString();
                fields.title = name;
                folder.entries.append(entryFromBookmark(fields));
                ++entries;
            } else if (type == QStringLiteral("folder")) {
                BookmarkFolder sub;
                sub.name = folderNameFromTitle(name);
                if (!addFolder(item, sub, depth + 1))
                    return false;
                folder.subfolders.append(std::move(sub));
                ++folders;
            }
        }
        return true;
    }

    QString error;
    qsizetype entries = 0;
    qsizetype folders = 0;

private:
    qsizetype m_items = 0;
};

BookmarkReadResult refused(const QString &why)
{
    BookmarkReadResult result;
    result.error = why;
    return result;
}

} // namespace

BookmarkReadResult parseChromiumBookmarks(QByteArrayView bytes)
{
    if (bytes.size() > MaxBookmarkFileSize)
        return refused(bookmarkFileTooLargeMessage());
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(bytes.toByteArray(), &parseError);
    if (document.isNull())
        return refused(QStringLiteral("It is not valid JSON (%1, at byte %2).")
                           .arg(parseError.errorString(), QString::number(parseError.offset)));
    const QJsonValue roots = document.object().value(QStringLiteral("roots"));
    if (!roots.isObject())
        return refused(QStringLiteral("It holds no bookmark roots: it is not a browser's bookmark file."));

    // The roots in the order the browser shows them; names for files that lack them.
    const std::pair<const char *, const char *> known[] = {
        {"bookmark_bar", "Bookmarks bar"}, {"other", "Other bookmarks"}, {"synced", "Mobile bookmarks"}};
    ChromiumTree tree;
    BookmarkFolder root;
    for (const auto &[key, fallback] : known) {
        const QJsonObject node = roots.toObject().value(QLatin1String(key)).toObject();
        BookmarkFolder folder;
        const QString name = node.value(QStringLiteral("name")).toString();
        folder.name = folderNameFromTitle(name.isEmpty() ? QLatin1String(fallback) : name);
        if (!tree.addFolder(node, folder, 1))
            return refused(tree.error);
        if (folder.entries.isEmpty() && folder.subfolders.isEmpty())
            continue;
        root.subfolders.append(std::move(folder));
        ++tree.folders;
    }
    BookmarkReadResult result;
    result.root = std::move(root);
    result.entryCount = tree.entries;
    result.folderCount = tree.folders;
    return result;
}

BookmarkReadResult readChromiumBookmarks(const QString &path)
{
    const RegularFileRead read = readRegularFile(path, SymbolicLinks::Follow, MaxBookmarkFileSize);
    if (read.tooLarge)
        return refused(bookmarkFileTooLargeMessage());
    if (!read)
        return refused(QStringLiteral("It cannot be read: %1.").arg(read.error));
    return parseChromiumBookmarks(*read.bytes);
}
