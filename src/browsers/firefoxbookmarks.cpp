// SPDX-License-Identifier: GPL-3.0-or-later
// places.sqlite through Qt's SQLite driver: the rows of moz_bookmarks read once, then the
// tree walked down from its root, so that a row pointing at its own descendant cannot loop.
#include "firefoxbookmarks.h"

#include "bookmarkmapping.h"

#include <QFile>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUuid>

namespace {

// moz_bookmarks.type
constexpr int BookmarkType = 1;
constexpr int FolderType = 2;

struct Row
{
    qint64 id = 0;
    int type = 0;
    QString title;
    QString guid;
    QString url;
};

struct Rows
{
    QHash<qint64, QList<Row>> childrenOf; // in the order of their position
    std::optional<Row> root;
    QString error;
};

BookmarkReadResult refused(const QString &why)
{
    BookmarkReadResult result;
    result.error = why;
    return result;
}

// The names that the browser shows for its fixed roots, whose stored titles are keys.
QString rootName(const Row &row)
{
    static const QHash<QString, QString> names{
        {QStringLiteral("menu________"), QStringLiteral("Bookmarks Menu")},
        {QStringLiteral("toolbar_____"), QStringLiteral("Bookmarks Toolbar")},
        {QStringLiteral("unfiled_____"), QStringLiteral("Other Bookmarks")},
        {QStringLiteral("mobile______"), QStringLiteral("Mobile Bookmarks")}};
    return names.value(row.guid, row.title);
}

Rows readRows(QSqlDatabase &db)
{
    Rows rows;
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.exec(
            QStringLiteral("SELECT b.id, b.type, b.parent, b.title, b.guid, p.url FROM moz_bookmarks b "
                           "LEFT JOIN moz_places p ON p.id = b.fk ORDER BY b.parent, b.position, b.id"))) {
        rows.error =
            QStringLiteral("It is not a browser's bookmark database (%1).").arg(query.lastError().text());
        return rows;
    }
    qsizetype count = 0;
    while (query.next()) {
        if (++count > MaxBookmarkItems + 8) { // the fixed roots come on top of the limit
            rows.error = tooManyBookmarksMessage();
            return rows;
        }
        const Row row{query.value(0).toLongLong(), query.value(1).toInt(), query.value(3).toString(),
                      query.value(4).toString(), query.value(5).toString()};
        const qint64 parent = query.value(2).toLongLong();
        if (row.guid == QStringLiteral("root________") ||
            (!rows.root && parent == 0 && row.type == FolderType))
            rows.root = row;
        else
            rows.childrenOf[parent].append(row);
    }
    if (!rows.root)
        rows.error = QStringLiteral("Its bookmark tree has no root.");
    return rows;
}

class TreeBuilder
{
public:
    explicit TreeBuilder(const Rows &rows)
        : m_rows(rows)
    {}

    bool fill(BookmarkFolder &folder, qint64 id, int depth)
    {
        if (depth > MaxBookmarkNesting) {
            error = bookmarkFoldersTooDeepMessage();
            return false;
        }
        if (m_visited.contains(id)) {
            error = QStringLiteral("Its bookmark tree is damaged: a folder lies inside itself.");
            return false;
        }
        m_visited.insert(id);
        for (const Row &row : m_rows.childrenOf.value(id)) {
            if (row.type == BookmarkType && !row.url.isEmpty()) {
                BookmarkFields fields;
                fields.href = row.url;
                fields.title = row.title;
                folder.entries.append(entryFromBookmark(fields));
                ++entries;
            } else if (row.type == FolderType) {
                BookmarkFolder sub;
                sub.name = folderNameFromTitle(depth == 0 ? rootName(row) : row.title);
                if (!fill(sub, row.id, depth + 1))
                    return false;
                if (depth == 0 && sub.entries.isEmpty() && sub.subfolders.isEmpty())
                    continue; // an empty fixed root is not worth a folder
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
    const Rows &m_rows;
    QSet<qint64> m_visited;
};

BookmarkReadResult bookmarksOf(QSqlDatabase &db)
{
    Rows rows = readRows(db);
    if (!rows.error.isEmpty())
        return refused(rows.error);
    // Tags are folders of the root whose "bookmarks" repeat bookmarks found elsewhere.
    QList<Row> &top = rows.childrenOf[rows.root->id];
    top.removeIf([](const Row &row) { return row.guid == QStringLiteral("tags________"); });
    TreeBuilder builder(rows);
    BookmarkFolder root;
    if (!builder.fill(root, rows.root->id, 0))
        return refused(builder.error);
    BookmarkReadResult result;
    result.root = std::move(root);
    result.entryCount = builder.entries;
    result.folderCount = builder.folders;
    return result;
}

} // namespace

BookmarkReadResult readFirefoxBookmarks(const QString &placesPath)
{
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return refused(
            QStringLiteral("Qt's SQLite driver is not installed (Debian package libqt6sql6-sqlite)."));
    QTemporaryDir copyDir;
    const QString copy = copyDir.filePath(QStringLiteral("places.sqlite"));
    if (!copyDir.isValid() || !QFile::copy(placesPath, copy))
        return refused(QStringLiteral("It cannot be read: %1.")
                           .arg(QFile(placesPath).exists() ? QStringLiteral("it could not be copied")
                                                           : QStringLiteral("it is not there")));
    // What the browser wrote last may still be in the log beside the file.
    const QString log = placesPath + QStringLiteral("-wal");
    if (QFile::exists(log))
        QFile::copy(log, copy + QStringLiteral("-wal"));

    const QString connection = QStringLiteral("places-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    BookmarkReadResult result;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection);
        db.setDatabaseName(copy);
        result = db.open() ? bookmarksOf(db)
                           : refused(QStringLiteral("It cannot be opened: %1.").arg(db.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(connection);
    return result;
}
