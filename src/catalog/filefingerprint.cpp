// SPDX-License-Identifier: GPL-3.0-or-later
#include "filefingerprint.h"

#include <QHashFunctions>

namespace {
size_t hashOf(QByteArrayView bytes)
{
    // A fixed seed: fingerprints are compared within one run, never stored.
    return qHashBits(bytes.data(), size_t(bytes.size()), 0);
}
} // namespace

FileFingerprint fingerprintOf(const FileStamp &stamp, QByteArrayView bytes)
{
    return {true, stamp, hashOf(bytes)};
}

FileFingerprint fingerprintAfterWrite(const QString &path, QByteArrayView bytes)
{
    const std::optional<FileStamp> stamp = currentFileStamp(path);
    if (!stamp)
        return {};
    return {true, *stamp, hashOf(bytes)};
}

bool stampUnchanged(const QString &path, const FileFingerprint &known)
{
    const std::optional<FileStamp> stamp = currentFileStamp(path);
    return stamp ? known.exists && *stamp == known.stamp : !known.exists;
}
