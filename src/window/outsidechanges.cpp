// SPDX-License-Identifier: GPL-3.0-or-later
#include "outsidechanges.h"

#include "catalogsession.h"
#include "conflictmerge.h"
#include "maintree.h"

#include <QApplication>

namespace {
constexpr int BusyRetryMs = 250;
// A sync tool delivers the three tree files within moments of each other; seconds without the
// rest mean it is not coming soon.
constexpr int TreeRetryMs = 500;
constexpr int TreeTries = 6;
} // namespace

OutsideChanges::OutsideChanges(CatalogSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
    m_later.setSingleShot(true);
    m_later.setInterval(BusyRetryMs);
    connect(&m_watcher, &CatalogWatcher::changed, this, &OutsideChanges::onChanged);
    connect(&m_later, &QTimer::timeout, this, &OutsideChanges::onChanged);
    m_treeRetry.setSingleShot(true);
    m_treeRetry.setInterval(TreeRetryMs);
    connect(&m_treeRetry, &QTimer::timeout, this, &OutsideChanges::retryWaitingTree);
    m_session.setTreeWaitingHandler([this] {
        m_treeTries = 0;
        m_treeRetry.start();
    });
}

OutsideChanges::~OutsideChanges()
{
    m_session.setTreeWaitingHandler({});
}

void OutsideChanges::retryWaitingTree()
{
    if (!m_session.treeWaiting())
        return;
    if (userBusy()) {
        m_treeRetry.start();
        return;
    }
    ++m_treeTries;
    if (!m_session.writeWaitingTree(m_treeTries >= TreeTries))
        m_treeRetry.start();
    follow();
}

void OutsideChanges::follow()
{
    const CatalogPaths &paths = m_session.paths();
    if (paths.WorkDirectory.isEmpty())
        return;
    QStringList files{paths.TreeFilePath, paths.ITreeFilePath};
    if (const std::optional<QString> shown = m_session.shownContentsFile())
        files.append(*shown);
    m_watcher.watch(paths.WorkDirectory, files);
}

bool OutsideChanges::userBusy() const
{
    return QApplication::activeModalWidget() || QApplication::activePopupWidget() ||
           m_session.controls().tree->editingName();
}

void OutsideChanges::onChanged()
{
    if (userBusy()) {
        m_later.start();
        return;
    }
    m_session.reloadTreeIfChanged();
    m_session.reloadShownFolderIfChanged();
    mergeConflictCopies(m_session);
    follow();
}
