// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog's file paths, all built from the work directory exactly as it was given.
#include "catalogpaths.h"

#include <QFile>

#include <algorithm>

namespace {

bool isControlCharacter(char c)
{
    return static_cast<unsigned char>(c) < 0x20 || c == 0x7f;
}

} // namespace

// Qt 6 decodes file names as UTF-8 under every locale (a C locale is taken as C.UTF-8) and
// puts U+FFFD for each byte it cannot decode, so the round trip is exact only for valid UTF-8.
bool isPathCarriedExactly(QByteArrayView bytes)
{
    return QFile::encodeName(QFile::decodeName(bytes.toByteArray())) == bytes;
}

bool isContentsFileName(QByteArrayView name)
{
    static const QByteArrayView reserved[] = {"tree.lsf", "itree.lsf", "etree.lsf"};
    return !name.isEmpty() && !name.startsWith('.') && !name.contains('/') && !name.contains('\\') &&
           !name.contains("..") && std::none_of(name.begin(), name.end(), isControlCharacter) &&
           name.endsWith(".lsf") &&
           std::find(std::begin(reserved), std::end(reserved), name) == std::end(reserved) &&
           isPathCarriedExactly(name); // two names that are not would share one file
}

// A work directory that already ends in "/" gives a doubled separator, which every
// file API takes as one; it is kept so that the stored value is used unchanged.
CatalogPaths CatalogPaths::forWorkDirectory(const QString &workDirectory)
{
    CatalogPaths paths;
    paths.WorkDirectory = workDirectory;
    paths.TreeFilePath = workDirectory + QStringLiteral("/tree.lsf");
    paths.ITreeFilePath = workDirectory + QStringLiteral("/itree.lsf");
    paths.ETreeFilePath = workDirectory + QStringLiteral("/etree.lsf");
    return paths;
}

std::optional<QString> CatalogPaths::ContentsFilePath(const MTree &record) const
{
    if (!isContentsFileName(record.FileName))
        return std::nullopt;
    return WorkDirectory + QLatin1Char('/') + QFile::decodeName(record.FileName);
}
