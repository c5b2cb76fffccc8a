// SPDX-License-Identifier: GPL-3.0-or-later
// What a catalog file was when it was last read or written, so that a change made to it from
// outside (another machine, a sync tool) is told apart from our own.
#pragma once

#include "regularfile.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <optional>

// Watchers miss changes on network shares and under some sync tools, and a file's time can
// stay the same across a change (coarse clocks, tools that restore it), so a file is compared
// by its stamp and by a hash of its bytes.
struct FileFingerprint
{
    bool exists = false; // a missing file is a state of its own: its folder has no entries yet
    FileStamp stamp;
    size_t hash = 0;

    // The same bytes (or both missing), whatever the times say: a file touched, or written
    // again with what it held, is still what was read.
    bool sameBytes(const FileFingerprint &other) const
    {
        return exists == other.exists && stamp.size == other.stamp.size && hash == other.hash;
    }
    friend bool operator==(const FileFingerprint &, const FileFingerprint &) = default;
};

// The fingerprint of bytes read from a file with the given stamp. The hash is computed from
// the bytes already in memory: a file is never read twice to fingerprint it.
FileFingerprint fingerprintOf(const FileStamp &stamp, QByteArrayView bytes);

// The fingerprint of a file we have just written with bytes: its stamp now, the bytes' hash.
// Should another writer have replaced it in between, the hash no longer matches what is there,
// and the next comparison that reads the file sees the change.
FileFingerprint fingerprintAfterWrite(const QString &path, QByteArrayView bytes);

// True when the file's stamp now is the one known: nothing has changed it as far as its size
// and time tell. Cheap (no read), for the many notices of a watcher; a write compares bytes too.
bool stampUnchanged(const QString &path, const FileFingerprint &known);
