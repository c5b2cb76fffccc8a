// SPDX-License-Identifier: GPL-3.0-or-later
// Shows what reaches the catalog's files from outside (another machine, a sync tool) between
// the user's commands: the tree and the shown folder are read again when their files change.
#pragma once

#include "catalogwatcher.h"

#include <QObject>
#include <QTimer>

class CatalogSession;

class OutsideChanges final : public QObject
{
    Q_OBJECT
public:
    OutsideChanges(CatalogSession &session, QObject *parent = nullptr);
    ~OutsideChanges() override;
    Q_DISABLE_COPY_MOVE(OutsideChanges)

    // Watches the work directory, the tree files and the shown folder's file; called again
    // whenever another folder is shown.
    void follow();

private:
    void onChanged();
    // A dialog, a menu or a folder name being edited: the user is in the middle of something,
    // and the window is read again once they are done.
    bool userBusy() const;
    // Tree changes that wait for the rest of a tree a sync tool delivers: tried again a few
    // times, then written over what has come by then, which is kept aside.
    void retryWaitingTree();

    CatalogSession &m_session;
    CatalogWatcher m_watcher;
    QTimer m_later;
    QTimer m_treeRetry;
    int m_treeTries = 0;
};
