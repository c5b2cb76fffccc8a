// SPDX-License-Identifier: GPL-3.0-or-later
// Writes a catalog file as another machine's copy reaches it through a sync tool or a share:
// written beside it under another name, then renamed over it.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <cstdio>

inline bool replaceFileFromOutside(const QString &path, const QByteArray &bytes)
{
    const QString beside = path + QStringLiteral(".outside~");
    QFile file(beside);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return false;
    file.close();
    return std::rename(QFile::encodeName(beside).constData(), QFile::encodeName(path).constData()) == 0;
}
