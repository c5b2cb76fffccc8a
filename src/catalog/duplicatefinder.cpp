// SPDX-License-Identifier: GPL-3.0-or-later
#include "duplicatefinder.h"

#include <QHash>

namespace {

bool isSchemeChar(char c, bool first)
{
    const bool letter = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
    return letter || (!first && ((c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.'));
}

// Where "scheme://" ends, or -1 when the text does not start with one.
qsizetype authorityStart(QByteArrayView url)
{
    const qsizetype colon = url.indexOf("://");
    if (colon <= 0)
        return -1;
    for (qsizetype i = 0; i < colon; ++i)
        if (!isSchemeChar(url[i], i == 0))
            return -1;
    return colon + 3;
}

void lowerAscii(QByteArray &text, qsizetype from, qsizetype to)
{
    for (qsizetype i = from; i < to; ++i)
        if (text[i] >= 'A' && text[i] <= 'Z')
            text[i] = char(text[i] + ('a' - 'A'));
}

} // namespace

QByteArray normalizedUrl(QByteArrayView url)
{
    QByteArray result = url.toByteArray();
    const qsizetype authority = authorityStart(url);
    qsizetype pathStart = 0;
    if (authority >= 0) {
        lowerAscii(result, 0, authority);
        qsizetype authorityEnd = authority;
        while (authorityEnd < result.size() && !QByteArrayView("/?#").contains(result[authorityEnd]))
            ++authorityEnd;
        // The user name and password before "@" are left as they are.
        const qsizetype at = result.lastIndexOf('@', authorityEnd - 1);
        lowerAscii(result, at >= authority ? at + 1 : authority, authorityEnd);
        pathStart = authorityEnd;
    }
    qsizetype pathEnd = pathStart;
    while (pathEnd < result.size() && result[pathEnd] != '?' && result[pathEnd] != '#')
        ++pathEnd;
    if (pathEnd > pathStart && result[pathEnd - 1] == '/')
        result.remove(pathEnd - 1, 1);
    return result;
}

QByteArray duplicateKey(const MFile &file)
{
    // The first byte keeps the two kinds apart.
    return file.isUrl() ? 'U' + normalizedUrl(file.Path) : 'F' + file.Path;
}

qsizetype keptCopy(const QList<CatalogEntryRef> &copies)
{
    const auto weight = [](const MFile &file) {
        return std::pair(int(!file.Program.isEmpty()) + int(!file.Description.isEmpty()),
                         file.Program.size() + file.Description.size());
    };
    qsizetype best = 0;
    for (qsizetype i = 1; i < copies.size(); ++i)
        if (weight(copies[i].file) > weight(copies[best].file))
            best = i;
    return best;
}

QList<DuplicateGroup> findDuplicates(const QList<FolderEntries> &folders, DuplicateScope scope)
{
    QList<DuplicateGroup> groups;
    QHash<QByteArray, qsizetype> groupOfKey; // into groups; cleared per folder WithinFolder
    for (const FolderEntries &folder : folders) {
        if (scope == DuplicateScope::WithinFolder)
            groupOfKey.clear();
        for (qsizetype i = 0; i < folder.entries.size(); ++i) {
            const MFile &file = folder.entries[i];
            const CatalogEntryRef ref{folder.folder.index, folder.folder.path, folder.folder.contentsFileName,
                                      int(i), file};
            const QByteArray key = duplicateKey(file);
            auto found = groupOfKey.find(key);
            if (found == groupOfKey.end()) {
                groupOfKey.insert(key, groups.size());
                groups.append({{ref}});
            } else {
                groups[*found].entries.append(ref);
            }
        }
    }
    groups.removeIf([](const DuplicateGroup &group) { return group.entries.size() < 2; });
    for (DuplicateGroup &group : groups)
        group.kept = keptCopy(group.entries);
    return groups;
}
