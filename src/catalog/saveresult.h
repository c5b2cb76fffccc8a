// SPDX-License-Identifier: GPL-3.0-or-later
// The outcome of writing a catalog file: success, or the reason it failed.
#pragma once

#include <QString>

struct SaveResult
{
    bool ok = true;
    QString errorString; // why the file could not be written, for the user

    static SaveResult success() { return {}; }
    static SaveResult failure(const QString &why) { return {false, why}; }
    explicit operator bool() const { return ok; }
};
