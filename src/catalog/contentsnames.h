// SPDX-License-Identifier: GPL-3.0-or-later
// Handing each new folder a free contents file name, cat0.lsf to cat1999.lsf.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

class QRandomGenerator;

#include <optional>

inline constexpr int MaxContentsFiles = 2000;

// True when no taken name equals name, byte for byte (so case-sensitively).
bool IsContentsNameFree(const QList<QByteArray> &takenNames, QByteArrayView name);

// The first free "cat" + N + ".lsf" for N from 0 to 1999, or none when all are taken.
std::optional<QByteArray> firstFreeContentsName(const QList<QByteArray> &takenNames);

// A free "cat" + N + ".lsf" with N drawn from the free ones, or none when all are taken. Two
// machines that share a catalog and add a folder at the same moment each see the other's
// file only later: the lowest free name would be the same one on both.
std::optional<QByteArray> randomFreeContentsName(const QList<QByteArray> &takenNames,
                                                 QRandomGenerator &random);

// The names a new folder must not get: those the folders hold, and every name already in use
// in the work directory, whatever it is (a file, a folder, a link that leads nowhere). A file
// whose folder the tree no longer names may still hold that folder's entries: after a lost
// or damaged tree file, every folder's file is such a one.
QList<QByteArray> takenContentsNames(const QString &workDirectory, const QList<QByteArray> &heldByFolders);
