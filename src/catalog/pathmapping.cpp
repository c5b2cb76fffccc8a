// SPDX-License-Identifier: GPL-3.0-or-later
#include "pathmapping.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>

namespace {

bool isSeparator(QChar c)
{
    return c == u'\\' || c == u'/';
}

bool isDriveLetterStart(const QString &text)
{
    return text.size() >= 2 && text[0].isLetter() && text[0].unicode() < 128 && text[1] == u':';
}

// The length of the UNC host name's end ("\\host" is 2 + host), or 0 when text is no UNC name.
qsizetype uncHostEnd(const QString &text)
{
    if (text.size() < 3 || !isSeparator(text[0]) || !isSeparator(text[1]) || isSeparator(text[2]))
        return 0;
    qsizetype end = 2;
    while (end < text.size() && !isSeparator(text[end]))
        ++end;
    return end;
}

// How many characters of the prefix's start ignore case: the drive letter or the host name.
qsizetype caseFreeLength(const QString &prefix)
{
    if (isDriveLetterStart(prefix))
        return 1;
    return uncHostEnd(prefix);
}

bool sameCharacter(QChar a, QChar b, bool ignoreCase)
{
    if (isSeparator(a) && isSeparator(b))
        return true;
    return ignoreCase ? a.toCaseFolded() == b.toCaseFolded() : a == b;
}

// The length of path that prefix covers, or -1 when it does not start path at a component's end.
qsizetype matchedLength(const QString &path, const QString &prefix)
{
    if (prefix.isEmpty() || path.size() < prefix.size())
        return -1;
    const qsizetype caseFree = caseFreeLength(prefix);
    for (qsizetype i = 0; i < prefix.size(); ++i)
        if (!sameCharacter(path[i], prefix[i], i < caseFree))
            return -1;
    const bool atComponentEnd =
        isSeparator(prefix.back()) || path.size() == prefix.size() || isSeparator(path[prefix.size()]);
    return atComponentEnd ? prefix.size() : -1;
}

QString joined(const QString &opensAs, QString rest)
{
    rest.replace(u'\\', u'/');
    if (rest.isEmpty() || opensAs.isEmpty())
        return opensAs + rest;
    const bool slashAtEnd = opensAs.endsWith(u'/');
    const bool slashAtStart = rest.startsWith(u'/');
    if (slashAtEnd && slashAtStart)
        return opensAs + rest.mid(1);
    if (!slashAtEnd && !slashAtStart)
        return opensAs + u'/' + rest;
    return opensAs + rest;
}

} // namespace

std::optional<QString> mappedPath(const QString &path, const QList<PathMapping> &mappings)
{
    const PathMapping *best = nullptr;
    qsizetype bestLength = -1;
    for (const PathMapping &mapping : mappings) {
        const qsizetype length = matchedLength(path, mapping.storedPrefix);
        if (length > bestLength) {
            best = &mapping;
            bestLength = length;
        }
    }
    if (!best)
        return std::nullopt;
    return joined(best->opensAs, path.mid(bestLength));
}

bool isWindowsPath(const QString &path)
{
    if (isDriveLetterStart(path))
        return path.size() == 2 || isSeparator(path[2]);
    return path.startsWith(QLatin1String("\\\\")) && uncHostEnd(path) > 2;
}

QString pathMappingsText(const QList<PathMapping> &mappings)
{
    QStringList lines;
    for (const PathMapping &mapping : mappings)
        lines.append(mapping.storedPrefix + u'\t' + mapping.opensAs);
    return lines.join(u'\n');
}

QList<PathMapping> pathMappingsFromText(const QString &text)
{
    QList<PathMapping> mappings;
    for (const QString &line : text.split(u'\n', Qt::SkipEmptyParts)) {
        const QStringList parts = line.split(u'\t');
        if (parts.size() == 2 && !parts[0].isEmpty() && !parts[1].isEmpty())
            mappings.append({parts[0], parts[1]});
    }
    return mappings;
}

std::optional<PathMapping> suggestedPathMapping(const QList<QString> &paths, const QString &homeDirectory)
{
    const QString home = QDir::cleanPath(homeDirectory);
    const QString homeName = QFileInfo(home).fileName();
    for (const QString &path : paths) {
        if (!isDriveLetterStart(path))
            continue;
        const QStringList parts = QString(path).replace(u'\\', u'/').split(u'/');
        // "C:", "Users", NAME, first folder inside, ...
        if (parts.size() < 4)
            continue;
        const QString usersFolder = parts[1].toCaseFolded();
        if (usersFolder != u"users" && usersFolder != u"documents and settings")
            continue;
        const bool sameUser = parts[2].compare(homeName, Qt::CaseInsensitive) == 0;
        const bool folderInHome = parts.size() > 4 && QFileInfo(home + u'/' + parts[3]).isDir();
        if (sameUser || folderInHome)
            return PathMapping{parts.mid(0, 3).join(u'\\') + u'\\', home + u'/'};
    }
    return std::nullopt;
}
