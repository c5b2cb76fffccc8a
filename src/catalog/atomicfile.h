// SPDX-License-Identifier: GPL-3.0-or-later
// Whole-file replacement that never leaves a torn file: the old file or the new one.
#pragma once

#include "saveresult.h"

#include <QByteArray>
#include <QList>
#include <QString>

// Replaces the file at path by bytes: temp file in the same folder, flushed to disk, renamed.
SaveResult writeFileAtomically(const QString &path, const QByteArray &bytes);

struct PendingFile
{
    QString path;
    QByteArray bytes;
};

// Replaces several files as one unit: every new file is written and flushed under a
// staging name first, and only when all of them succeeded are they renamed into place.
// If any cannot be written, none of the targets is touched.
SaveResult writeFilesAtomically(const QList<PendingFile> &files);
