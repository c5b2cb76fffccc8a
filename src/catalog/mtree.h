// SPDX-License-Identifier: GPL-3.0-or-later
// The record of one folder: the name of its contents file in the work directory.
#pragma once

#include <QByteArray>

struct MTree
{
    QByteArray FileName; // "cat" + N + ".lsf", without directory

    friend bool operator==(const MTree &, const MTree &) = default;
};
