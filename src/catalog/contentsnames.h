// SPDX-License-Identifier: GPL-3.0-or-later
// Handing each new folder the lowest free contents file name, cat0.lsf to cat1999.lsf.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

inline constexpr int MaxContentsFiles = 2000;

// True when no taken name equals name, byte for byte (so case-sensitively).
bool IsContentsNameFree(const QList<QByteArray> &takenNames, QByteArrayView name);

// The first free "cat" + N + ".lsf" for N from 0 to 1999, or none when all are taken.
std::optional<QByteArray> firstFreeContentsName(const QList<QByteArray> &takenNames);
