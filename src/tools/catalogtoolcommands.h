// SPDX-License-Identifier: GPL-3.0-or-later
// The commands that look at the whole catalog: Find in all folders, Check entries (of the
// selected folder or of all folders) and Duplicates, each with its own window.
#pragma once

#include "linkchecker.h"

#include <QObject>
#include <QPointer>

class CatalogView;
class DuplicatesDialog;
class FindInAllFoldersDialog;
class Interaction;
class LinkCheckDialog;
class QWidget;
struct CatalogEntryRef;

class CatalogToolCommands final : public QObject
{
    Q_OBJECT
public:
    // The dialogs are children of window, so they close with it.
    CatalogToolCommands(CatalogView &catalog, Interaction &interaction, QWidget *window);
    ~CatalogToolCommands() override;
    Q_DISABLE_COPY_MOVE(CatalogToolCommands)

    // query: the text to search for at once (the find bar's), or none.
    void findInAllFoldersClick(const QString &query = {});
    void checkFolderEntriesClick();
    void checkAllEntriesClick();
    void folderDuplicatesClick();
    void allDuplicatesClick();

    FindInAllFoldersDialog *findDialog() const;
    LinkCheckDialog *checkDialog() const;
    DuplicatesDialog *duplicatesDialog() const;
    // How a check is done; tests shorten the timeout.
    void setCheckOptions(const LinkChecker::Options &options) { m_checkOptions = options; }

Q_SIGNALS:
    // A result for a row of the entry list as it is now; the list shows it as a mark until
    // the folder is left.
    void entryStatusFound(int row, const LinkCheckResult &result);

private:
    void startCheck(const QList<CatalogEntryRef> &entries);
    void showDuplicates(bool allFolders);
    void reveal(const CatalogEntryRef &entry);

    CatalogView &m_catalog;
    Interaction &m_interaction;
    QWidget *m_window;
    LinkChecker::Options m_checkOptions;
    QPointer<FindInAllFoldersDialog> m_find;
    QPointer<LinkCheckDialog> m_check;
    QPointer<DuplicatesDialog> m_duplicates;
};
