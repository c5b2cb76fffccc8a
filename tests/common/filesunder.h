// SPDX-License-Identifier: GPL-3.0-or-later
// Every file below a folder with its bytes, so that a test can say "nothing here changed"
// in one comparison.
#pragma once

#include <QByteArray>
#include <QDirIterator>
#include <QFile>
#include <QMap>
#include <QString>

// By each file's path below dir. Links to folders are not entered.
inline QMap<QString, QByteArray> filesUnder(const QString &dir)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(dir, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        files.insert(path.mid(dir.size() + 1),
                     file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}
