// SPDX-License-Identifier: GPL-3.0-or-later
// Synthetic catalogs for the benchmarks: realistic entries (existing files made on disk,
// missing files, URLs, some descriptions) and whole work directories of up to 2,000 folders.
#pragma once

#include "mfile.h"

#include <QList>
#include <QString>

struct SyntheticShare
{
    int existingPercent = 20; // real files, made under the catalog's file folder
    int urlPercent = 30;      // the rest are files that do not exist
    int describedPercent = 30;
    int programPercent = 3;
};

class SyntheticCatalog
{
public:
    // Real files are made under fileRoot, which the caller owns (a temporary folder).
    explicit SyntheticCatalog(QString fileRoot, SyntheticShare share = {});

    // count entries; the same seed gives the same entries.
    QList<MFile> entries(int count, unsigned seed);

    // Writes a work directory of folderCount folders (nested two levels deep) whose contents
    // files hold a few entries each, except the folders named in big, which hold as many as
    // given. The folder selectedFolder is the selected one.
    struct BigFolder
    {
        int folder;
        int entries;
    };
    void writeWorkDirectory(const QString &workDir, int folderCount, const QList<BigFolder> &big,
                            int selectedFolder);

    // Files made on disk so far.
    int filesMade() const { return m_filesMade; }

    // The bytes of an entry's three texts.
    static qint64 textBytes(const QList<MFile> &entries);

    // Makes count empty files named like a download folder's in dir; returns their paths.
    static QStringList makeFiles(const QString &dir, int count, unsigned seed);

private:
    QByteArray existingFile(unsigned value);

    QString m_fileRoot;
    SyntheticShare m_share;
    int m_filesMade = 0;
};
