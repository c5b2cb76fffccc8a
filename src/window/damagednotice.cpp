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

bool tell(Interaction &interaction, const QString &headline, const QStringList &copies,
          const QStringList &failed)
{
    if (copies.isEmpty() && failed.isEmpty())
        return false; // kept before: the user has been told
    QString text = headline + QStringLiteral("\nLinkshelf shows what it could read.");
    if (!copies.isEmpty())
        text += QStringLiteral("\n\nThe original is kept as:\n%1").arg(copies.join(u'\n'));
    if (!failed.isEmpty())
        text +=
            QStringLiteral("\n\nNo copy could be kept: %1\nLinkshelf leaves the file as it is while it runs; "
                           "close it and copy the file before changing the catalog.")
                .arg(failed.join(u'\n'));
    interaction.showMessage(text);
    return true;
}

QString damagedHeadline(const QStringList &files)
{
    return QStringLiteral("A damaged catalog file was found: %1.").arg(files.join(QStringLiteral(", ")));
}

} // namespace

DamagedNotice keepDamagedContentsFile(const CatalogPaths &paths, const QString &file,
                                      Interaction &interaction)
{
    const DamagedCopy copy = keepDamagedCopy(paths.WorkDirectory, file);
    DamagedNotice notice;
    notice.kept = copy.result.ok;
    notice.told = tell(interaction, damagedHeadline({native(file)}),
                       copy.made ? QStringList{native(copy.path)} : QStringList(),
                       copy.result ? QStringList() : QStringList{copy.result.errorString});
    return notice;
}

DamagedNotice keepDamagedTreeFiles(const CatalogPaths &paths, Interaction &interaction,
                                   const QString &headline)
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
    DamagedNotice notice;
    notice.kept = failed.isEmpty();
    if (anyNew)
        notice.told =
            tell(interaction, headline.isEmpty() ? damagedHeadline(damaged) : headline, copies, failed);
    return notice;
}
