// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that import a bookmark file into the catalog as a new top-level folder and
// export the catalog, or one folder with its subfolders, as a bookmark file.
#pragma once

#include "bookmarkfolder.h"

#include <QString>
#include <QtGlobal>

#include <functional>

struct BookmarkWithProgram;
class CatalogSession;
class FolderItem;
class QWidget;

class BookmarkCommands final
{
public:
    enum class FileRole { Import, Export };
    // What an import does with bookmarks that name a program to open them with.
    enum class Programs { Ask, Keep, Drop };
    // Asks for the file to read (Import) or to write (Export); empty when the user cancelled.
    using FileChooser = std::function<QString(FileRole role)>;

    BookmarkCommands(CatalogSession &session, FileChooser chooser);
    Q_DISABLE_COPY_MOVE(BookmarkCommands)

    // The menu items: each asks for the file, then runs the command below.
    void importBookmarksClick();
    void exportBookmarksClick();       // the whole catalog
    void exportFolderBookmarksClick(); // the selected folder and its subfolders

    // Adds the file's bookmarks as a new top-level folder named after the file, one subfolder
    // per bookmark folder, and selects it. A file that cannot be read or is damaged, a catalog
    // without enough free contents file names, or a contents file that cannot be written
    // leave the catalog unchanged and are told in a message; null is then returned.
    // Bookmarks that name a program keep it only when programs says so or the user agrees;
    // when they are dropped without asking, a notice says how many.
    FolderItem *importBookmarks(const QString &path, Programs programs = Programs::Ask);

    // Where imported bookmarks came from, as the messages and the new folder name it.
    struct ImportSource
    {
        QString where;     // in a refusal: the file's path, or the browser profile
        QString name;      // in the notices: the file's name, or the browser profile
        QString topFolder; // the new top-level folder's name, before encoding
    };
    // The part of importBookmarks after the file was read, for bookmarks read from elsewhere
    // (a browser's own files): the same checks, the same new folders, the same messages.
    FolderItem *importBookmarkTree(BookmarkFolder imported, const ImportSource &source,
                                   Programs programs = Programs::Ask);
    // Writes folder and its subfolders (all folders when folder is null) to path, as XBEL for
    // ".xbel" and ".xml" and as Netscape bookmark HTML for any other name. False, after a
    // message, when the file could not be written.
    bool exportBookmarks(const QString &path, FolderItem *folder);

    // Open and save dialogs for the two roles, which start where the last choice was made and
    // give an exported file the extension of the chosen format when it has none.
    static FileChooser dialogChooser(QWidget *parent);

private:
    bool keepPrograms(const QString &name, const QList<BookmarkWithProgram> &found, Programs programs);
    void refuseImport(const ImportSource &source, const QString &why);

    CatalogSession &m_session;
    FileChooser m_chooser;
};
