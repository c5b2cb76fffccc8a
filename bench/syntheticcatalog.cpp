// SPDX-License-Identifier: GPL-3.0-or-later
#include "syntheticcatalog.h"

#include "catalogpaths.h"
#include "contentsfile.h"
#include "foldertree.h"

#include <QDir>
#include <QFile>

#include <array>
#include <random>

namespace {

constexpr std::array words{"annual",   "report",    "budget",  "holiday", "photos", "invoice", "draft",
                           "final",    "notes",     "meeting", "project", "Kunde",  "résumé",  "scan",
                           "contract", "summary",   "backup",  "recipe",  "manual", "letter",  "minutes",
                           "plan",     "Übersicht", "slides",  "design",  "sketch", "review",  "Q3",
                           "tax",      "garden",    "travel",  "music"};
constexpr std::array extensions{".pdf", ".docx", ".txt", ".jpg", ".png", ".mp3", ".xlsx", ".html",
                                ".zip", ".odt",  ".mkv", ".cpp", ".py",  ".md",  ".csv",  ""};
constexpr std::array hosts{"www.example.com",  "docs.example.org",   "news.example.net",
                           "wiki.example.edu", "shop.example.co.uk", "forum.example.de"};
constexpr std::array programs{"/usr/bin/libreoffice", "/usr/bin/gimp", "/opt/tools/viewer", "/usr/bin/vlc"};

class Rng
{
public:
    explicit Rng(unsigned seed)
        : m_engine(seed)
    {}
    unsigned below(unsigned n) { return unsigned(m_engine() % n); }
    const char *word() { return words[below(words.size())]; }

private:
    std::mt19937 m_engine;
};

QByteArray missingPath(Rng &rng, int n)
{
    // Mostly home folders, some carried over from another system with backslashes.
    QByteArray path =
        rng.below(8) == 0 ? QByteArray("C:\\Users\\ann\\Documents\\") : QByteArray("/home/ann/Documents/");
    const char separator = path.endsWith('\\') ? '\\' : '/';
    path += rng.word();
    path += separator;
    path += rng.word();
    path += ' ';
    path += rng.word();
    path += ' ';
    path += QByteArray::number(n);
    path += extensions[rng.below(extensions.size())];
    return path;
}

QByteArray url(Rng &rng, int n)
{
    QByteArray url("https://");
    url += hosts[rng.below(hosts.size())];
    url += '/';
    url += rng.word();
    url += '/';
    url += rng.word();
    url += '-';
    url += QByteArray::number(n);
    url += ".html";
    if (rng.below(3) == 0)
        url += "?id=" + QByteArray::number(rng.below(100000));
    return url;
}

QByteArray description(Rng &rng)
{
    QByteArray text;
    const unsigned count = 3 + rng.below(10);
    for (unsigned i = 0; i < count; ++i) {
        if (i)
            text += rng.below(12) == 0 ? "\r\n" : " ";
        text += rng.word();
    }
    return text;
}

} // namespace

SyntheticCatalog::SyntheticCatalog(QString fileRoot, SyntheticShare share)
    : m_fileRoot(std::move(fileRoot))
    , m_share(share)
{}

QByteArray SyntheticCatalog::existingFile(unsigned value)
{
    const QString dir = m_fileRoot + QStringLiteral("/files/%1").arg(m_filesMade / 1000);
    if (m_filesMade % 1000 == 0)
        QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/file %1%2")
                                   .arg(m_filesMade)
                                   .arg(QString::fromLatin1(extensions[value % extensions.size()]));
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write("Some content of a file that the catalog links to.\n");
    ++m_filesMade;
    return QFile::encodeName(path);
}

QList<MFile> SyntheticCatalog::entries(int count, unsigned seed)
{
    Rng rng(seed);
    QList<MFile> result;
    result.reserve(count);
    for (int i = 0; i < count; ++i) {
        MFile file;
        const unsigned kind = rng.below(100);
        if (kind < unsigned(m_share.urlPercent)) {
            file.Kind = MFile::UrlKind;
            file.Path = url(rng, i);
        } else if (kind < unsigned(m_share.urlPercent + m_share.existingPercent)) {
            file.Path = existingFile(rng.below(1000));
        } else {
            file.Path = missingPath(rng, i);
        }
        if (rng.below(100) < unsigned(m_share.describedPercent))
            file.Description = description(rng);
        if (rng.below(100) < unsigned(m_share.programPercent))
            file.Program = programs[rng.below(programs.size())];
        result.append(std::move(file));
    }
    return result;
}

void SyntheticCatalog::writeWorkDirectory(const QString &workDir, int folderCount,
                                          const QList<BigFolder> &big, int selectedFolder)
{
    QDir().mkpath(workDir);
    const CatalogPaths paths = CatalogPaths::forWorkDirectory(workDir);
    QList<FolderRecord> folders;
    folders.reserve(folderCount);
    Rng rng(7);
    for (int i = 0; i < folderCount; ++i) {
        FolderRecord folder;
        folder.Level = i % 40 == 0 ? 0 : (i % 5 == 0 ? 1 : 2);
        if (i % 40 == 1)
            folder.Level = 1; // a level-2 folder needs a level-1 parent
        folder.Name = QByteArray(rng.word()) + ' ' + QByteArray::number(i);
        folder.Record = MTree{"cat" + QByteArray::number(i) + ".lsf"};
        folder.Expanded = i % 40 == 0;
        folder.Selected = i == selectedFolder;
        int entryCount = int(rng.below(20));
        for (const BigFolder &b : big)
            if (b.folder == i)
                entryCount = b.entries;
        const QByteArray bytes = serializeContents(entries(entryCount, unsigned(i) + 1));
        QFile file(paths.ContentsFilePath(*folder.Record).value());
        if (file.open(QIODevice::WriteOnly))
            file.write(bytes);
        folders.append(std::move(folder));
    }
    saveFolderTree(paths, folders);
}

qint64 SyntheticCatalog::textBytes(const QList<MFile> &entries)
{
    qint64 bytes = 0;
    for (const MFile &file : entries)
        bytes += file.Path.size() + file.Program.size() + file.Description.size();
    return bytes;
}

QStringList SyntheticCatalog::makeFiles(const QString &dir, int count, unsigned seed)
{
    QDir().mkpath(dir);
    Rng rng(seed);
    QStringList paths;
    paths.reserve(count);
    for (int i = 0; i < count; ++i) {
        const QString path = dir + QStringLiteral("/%1 %2 %3%4")
                                       .arg(QString::fromUtf8(rng.word()), QString::fromUtf8(rng.word()))
                                       .arg(i)
                                       .arg(QString::fromLatin1(extensions[rng.below(extensions.size())]));
        QFile file(path);
        if (file.open(QIODevice::WriteOnly))
            paths.append(path);
    }
    return paths;
}
