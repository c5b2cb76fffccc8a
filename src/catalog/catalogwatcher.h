// SPDX-License-Identifier: GPL-3.0-or-later
// Tells when the catalog's files may have been changed by someone else: the work directory
// and the files the window shows are watched, and a burst of notices becomes one signal.
#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>

class CatalogWatcher final : public QObject
{
    Q_OBJECT
public:
    explicit CatalogWatcher(QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(CatalogWatcher)

    // Watches directory and the given files in it (those not there yet are watched through
    // the directory, and taken up once they appear).
    void watch(const QString &directory, const QStringList &files);

Q_SIGNALS:
    // Something in the work directory or one of the files changed; a moment after the last
    // notice of a burst, as a sync tool writes a file beside and renames it over.
    void changed();

private:
    void onNotice();

    QFileSystemWatcher m_watcher;
    QTimer m_settle;
    QStringList m_files;
};
