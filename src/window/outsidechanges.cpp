// SPDX-License-Identifier: GPL-3.0-or-later
#include "outsidechanges.h"

#include "catalogsession.h"
#include "conflictmerge.h"
#include "maintree.h"

#include <QApplication>

namespace {
constexpr int BusyRetryMs = 250;
} // namespace

OutsideChanges::OutsideChanges(CatalogSession &session, QObject *parent)
    : QObject(parent)
    , m_session(session)
{
    m_later.setSingleShot(true);
    m_later.setInterval(BusyRetryMs);
    connect(&m_watcher, &CatalogWatcher::changed, this, &OutsideChanges::onChanged);
    connect(&m_later, &QTimer::timeout, this, &OutsideChanges::onChanged);
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
