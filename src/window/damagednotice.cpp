// SPDX-License-Identifier: GPL-3.0-or-later
#include "damagednotice.h"

#include "damagedfiles.h"
#include "interaction.h"

#include <QDir>
#include <QFileInfo>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

void tell(Interaction &interaction, const QStringList &damaged, const QStringList &copies, const QStringList &failed)
{
    if (copies.isEmpty() && failed.isEmpty())
        return; // kept before: the user has been told
    QString text = QStringLiteral("A damaged catalog file was found: %1.\nLinkshelf shows what it could read.")
                       .arg(damaged.join(QStringLiteral(", ")));
    if (!copies.isEmpty())
        text += QStringLiteral("\n\nThe original is kept as:\n%1").arg(copies.join(u'\n'));
    if (!failed.isEmpty())
        text += QStringLiteral("\n\nNo copy could be kept: %1\nClose Linkshelf and copy the file before "
                               "changing this folder.")
                    .arg(failed.join(u'\n'));
    interaction.showMessage(text);
}

} // namespace

void keepDamagedContentsFile(const CatalogPaths &paths, const QString &file, Interaction &interaction)
{
    const DamagedCopy copy = keepDamagedCopy(paths.WorkDirectory, file);
    tell(interaction, {native(file)}, copy.made ? QStringList{native(copy.path)} : QStringList(),
         copy.result ? QStringList() : QStringList{copy.result.errorString});
}

void keepDamagedTreeFiles(const CatalogPaths &paths, Interaction &interaction)
{
    // One time stamp for the three, so that the copies read as one set.
    const QDateTime now = QDateTime::currentDateTime();
    QStringList damaged, copies, failed;
    bool anyNew = false;
    for (const QString &file : {paths.TreeFilePath, paths.ITreeFilePath, paths.ETreeFilePath}) {
        const DamagedCopy copy = keepDamagedCopy(paths.WorkDirectory, file, now);
        anyNew = anyNew || copy.made || !copy.result;
        damaged.append(QFileInfo(file).fileName());
        if (!copy.path.isEmpty() && copy.result)
            copies.append(native(copy.path));
        if (!copy.result)
            failed.append(copy.result.errorString);
    }
    if (anyNew)
        tell(interaction, damaged, copies, failed);
}
