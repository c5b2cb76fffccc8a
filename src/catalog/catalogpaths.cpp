// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog's file paths, all built from the work directory exactly as it was given.
#include "catalogpaths.h"

#include <QFile>

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

// File names are bytes on disk; decoding them the way the file system does keeps a name
// that is not valid UTF-8 pointing at the same file.
QString CatalogPaths::ContentsFilePath(const MTree &record) const
{
    return WorkDirectory + QLatin1Char('/') + QFile::decodeName(record.FileName);
}
