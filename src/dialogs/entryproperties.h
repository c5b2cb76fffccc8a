// SPDX-License-Identifier: GPL-3.0-or-later
// The three texts of an entry that the properties dialog edits.
#pragma once

#include <QString>

struct EntryProperties
{
    QString Path;
    QString Program; // empty: opened by the desktop's default handler
    QString Description;

    friend bool operator==(const EntryProperties &, const EntryProperties &) = default;
};
