// SPDX-License-Identifier: GPL-3.0-or-later
// The three folder tree files: indented names, contents file names and state bytes, each
// entry i belonging to folder i of the tree in pre-order.
#include "foldertree.h"

#include "atomicfile.h"
#include "regularfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cstring>

namespace {

const QByteArray LineBreak = QByteArrayLiteral("\r\n");
const QByteArray NoRecord = QByteArrayLiteral("NULL");

constexpr char ExpandedBit = 1;
constexpr char SelectedBit = 2;

// Splits text into lines ended by CR, LF or CR LF. A break at the very end does not start
// another, empty line; an empty line elsewhere is a line of its own.
template <typename OnLine> void forEachLine(QByteArrayView text, OnLine onLine)
{
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = start;
        while (end < text.size() && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (!onLine(text.sliced(start, end - start)))
            return;
        if (end < text.size() && text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
}

QByteArrayView upToFirstZero(QByteArrayView bytes)
{
    if (bytes.isEmpty()) // an empty view may carry no pointer at all, which memchr must not see
        return bytes;
    const void *zero = std::memchr(bytes.data(), 0, size_t(bytes.size()));
    return zero ? bytes.first(static_cast<const char *>(zero) - bytes.data()) : bytes;
}

qsizetype indentationOf(QByteArrayView line)
{
    qsizetype level = 0;
    while (level < line.size() && (line[level] == '\t' || line[level] == ' '))
        ++level;
    return level;
}

QString invalidLevelMessage(qsizetype level, QByteArrayView name)
{
    return QStringLiteral("Invalid level (%1) for item \"%2\"").arg(level).arg(QString::fromLocal8Bit(name));
}

} // namespace

TreeParseResult parseTreeText(QByteArrayView bytes)
{
    TreeParseResult result;
    forEachLine(upToFirstZero(bytes), [&result](QByteArrayView line) {
        const qsizetype indentation = indentationOf(line);
        const QByteArrayView name = line.sliced(indentation);
        // The first folder is top-level however far its line is indented; every later line
        // is measured against the level that the folder before it really got.
        const qsizetype level = result.folders.isEmpty() ? 0 : indentation;
        if (!result.folders.isEmpty() && level > result.folders.constLast().Level + 1) {
            result.error = invalidLevelMessage(level, name);
            return false;
        }
        // Indentation beyond what a valid level could need has already been refused above,
        // so the level fits in an int.
        result.folders.append(FolderRecord{int(level), name.toByteArray(), std::nullopt, false, false});
        return true;
    });
    return result;
}

// Index lines are taken whole, however long: a longer line cannot come from our writer, and
// cutting it would only name another, wrong contents file.
qsizetype applyIndexText(QList<FolderRecord> &folders, QByteArrayView bytes)
{
    qsizetype i = 0;
    qsizetype refused = 0;
    forEachLine(bytes, [&folders, &i, &refused](QByteArrayView line) {
        if (i >= folders.size())
            return false;
        const bool named = line != QByteArrayView(NoRecord);
        if (named && isContentsFileName(line)) {
            folders[i].Record = MTree{line.toByteArray()};
        } else {
            folders[i].Record.reset();
            refused += named;
        }
        ++i;
        return true;
    });
    return refused;
}

qsizetype countIndexLines(QByteArrayView bytes)
{
    qsizetype count = 0;
    forEachLine(bytes, [&count](QByteArrayView) {
        ++count;
        return true;
    });
    return count;
}

void applyStateBytes(QList<FolderRecord> &folders, QByteArrayView bytes)
{
    const qsizetype count = std::min(folders.size(), bytes.size());
    for (qsizetype i = 0; i < count; ++i) {
        folders[i].Expanded = bytes[i] & ExpandedBit;
        folders[i].Selected = bytes[i] & SelectedBit;
    }
}

FolderTreeBytes serializeFolderTree(const QList<FolderRecord> &folders)
{
    FolderTreeBytes out;
    out.state.reserve(folders.size());
    for (const FolderRecord &folder : folders) {
        out.tree.append(QByteArray(std::max(folder.Level, 0), '\t')).append(folder.Name).append(LineBreak);
        out.index.append(folder.Record ? folder.Record->FileName : NoRecord).append(LineBreak);
        out.state.append(char((folder.Expanded ? ExpandedBit : 0) | (folder.Selected ? SelectedBit : 0)));
    }
    return out;
}

QStringList folderTreeUnit(const CatalogPaths &paths)
{
    return {paths.ITreeFilePath, paths.TreeFilePath, paths.ETreeFilePath};
}

namespace {

// After a save whose renames could not all be finished (a read-only folder, say), the files
// still staged are the newer half of the unit: reading them gives the one save the unit holds.
QString pathToRead(const QString &target, UnitRecovery::Action recovery)
{
    const QString staged = stagingPath(target);
    return recovery == UnitRecovery::Completed && QFileInfo(staged).isFile() ? staged : target;
}

// The file's bytes; none when it is missing, or when it is there and cannot be read, which
// the load notes so that it is not saved over.
std::optional<QByteArray> readTreeFile(const QString &path, FolderTreeLoad &load,
                                       FileFingerprint *fingerprint = nullptr)
{
    RegularFileRead read = readRegularFile(path, SymbolicLinks::Refuse);
    if (!read && !read.missing)
        load.unreadableFiles.append(QStringLiteral("%1 (%2)").arg(QFileInfo(path).fileName(), read.error));
    if (read && fingerprint)
        *fingerprint = fingerprintOf(read.stamp, *read.bytes);
    return std::move(read.bytes);
}

// A link in a contents file's place could lead anywhere, out of the work directory too; one
// that stays inside could still name a tree file or a snapshot. No Linkshelf makes one, so a
// link is treated as a name that leads outside, wherever it points.
qsizetype dropLinkedRecords(const CatalogPaths &paths, QList<FolderRecord> &folders)
{
    qsizetype dropped = 0;
    for (FolderRecord &folder : folders) {
        if (!folder.Record)
            continue;
        const std::optional<QString> path = paths.ContentsFilePath(*folder.Record);
        if (!path || QFileInfo(*path).isSymLink()) {
            folder.Record.reset();
            ++dropped;
        }
    }
    return dropped;
}

// Whether anything in the work directory has the name of a catalog file: the other tree files
// or a contents file.
bool holdsCatalogFiles(const CatalogPaths &paths)
{
    const QStringList names =
        QDir(paths.WorkDirectory)
            .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    return std::any_of(names.cbegin(), names.cend(), [](const QString &name) {
        const QByteArray bytes = QFile::encodeName(name);
        return isContentsFileName(bytes) || bytes == "itree.lsf" || bytes == "etree.lsf";
    });
}

} // namespace

QList<FolderPath> folderPaths(const QList<FolderRecord> &folders)
{
    QList<FolderPath> paths;
    paths.reserve(folders.size());
    FolderPath ancestors;
    for (const FolderRecord &folder : folders) {
        ancestors.resize(std::clamp<qsizetype>(folder.Level, 0, ancestors.size()));
        ancestors.append(folder.Name);
        paths.append(ancestors);
    }
    return paths;
}

// Without the index file the tree is shown but nothing is expanded or selected: the state
// bytes are only read after the records, so a missing index stops the load there.
FolderTreeLoad loadFolderTree(const CatalogPaths &paths)
{
    FolderTreeLoad load;
    load.recovery = recoverFilesUnit(folderTreeUnit(paths)).action;
    const RegularFileRead treeText =
        readRegularFile(pathToRead(paths.TreeFilePath, load.recovery), SymbolicLinks::Refuse);
    if (!treeText) {
        load.status = treeText.missing ? FolderTreeLoad::TreeFileMissing : FolderTreeLoad::TreeFileUnreadable;
        load.errorMessage = treeText.error;
        load.catalogFilesLeft = treeText.missing && holdsCatalogFiles(paths);
        return load;
    }
    load.treeFingerprint = fingerprintOf(treeText.stamp, *treeText.bytes);
    TreeParseResult parsed = parseTreeText(*treeText.bytes);
    load.folders = std::move(parsed.folders);
    if (parsed.error) {
        load.status = FolderTreeLoad::InvalidLevel;
        load.errorMessage = *parsed.error;
        return load;
    }
    const std::optional<QByteArray> indexText =
        readTreeFile(pathToRead(paths.ITreeFilePath, load.recovery), load, &load.indexFingerprint);
    const std::optional<QByteArray> stateBytes =
        readTreeFile(pathToRead(paths.ETreeFilePath, load.recovery), load);
    // A missing state file costs only the expanded and selected marks, and is no damage.
    load.countsDiffer = countIndexLines(indexText.value_or(QByteArray())) != load.folders.size() ||
                        (stateBytes && stateBytes->size() != load.folders.size());
    if (!indexText)
        return load;
    load.refusedRecords = applyIndexText(load.folders, *indexText) + dropLinkedRecords(paths, load.folders);
    load.indexRead = true;
    if (!stateBytes)
        return load;
    applyStateBytes(load.folders, *stateBytes);
    load.stateRead = true;
    return load;
}

// The index goes first, so the unit's order is index, tree, state (folderTreeUnit).
SaveResult saveFolderTree(const CatalogPaths &paths, const QList<FolderRecord> &folders,
                          std::pair<FileFingerprint, FileFingerprint> *written)
{
    const FolderTreeBytes bytes = serializeFolderTree(folders);
    const SaveResult result = writeFilesAtomically({{paths.ITreeFilePath, bytes.index},
                                                    {paths.TreeFilePath, bytes.tree},
                                                    {paths.ETreeFilePath, bytes.state}});
    if (result && written)
        *written = {fingerprintAfterWrite(paths.TreeFilePath, bytes.tree),
                    fingerprintAfterWrite(paths.ITreeFilePath, bytes.index)};
    return result;
}
