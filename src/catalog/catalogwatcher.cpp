// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogwatcher.h"

#include <QFileInfo>

namespace {
// Long enough to take a rename and its directory notice as one change, short enough that a
// list read again follows what the user sees arrive.
constexpr int SettleMs = 50;
} // namespace

CatalogWatcher::CatalogWatcher(QObject *parent)
    : QObject(parent)
{
    m_settle.setSingleShot(true);
    m_settle.setInterval(SettleMs);
    connect(&m_settle, &QTimer::timeout, this, &CatalogWatcher::changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &CatalogWatcher::onNotice);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &CatalogWatcher::onNotice);
}

void CatalogWatcher::watch(const QString &directory, const QStringList &files)
{
    if (!m_watcher.directories().contains(directory)) {
        if (const QStringList old = m_watcher.directories(); !old.isEmpty())
            m_watcher.removePaths(old);
        m_watcher.addPath(directory);
    }
    m_files = files;
    onNotice();
    m_settle.stop(); // watching anew is no change
}

// A file replaced by a rename is another file: the watch on the old one lingers until the old
// file is gone, and then ends. So every notice watches anew the files that are there now.
void CatalogWatcher::onNotice()
{
    if (const QStringList watched = m_watcher.files(); !watched.isEmpty())
        m_watcher.removePaths(watched);
    QStringList present;
    for (const QString &file : m_files)
        if (QFileInfo::exists(file))
            present.append(file);
    if (!present.isEmpty())
        m_watcher.addPaths(present);
    m_settle.start();
}
