// SPDX-License-Identifier: GPL-3.0-or-later
#include "entrydeletion.h"

#include "catalogview.h"
#include "interaction.h"

std::optional<EntryRemovalResult> deleteAfterAsking(CatalogView &catalog, Interaction &interaction,
                                                    const QList<CatalogEntryRef> &entries,
                                                    const DeletionWords &words)
{
    const QString what = entries.size() == 1 ? words.one : words.many.arg(entries.size());
    if (!interaction.askYesNo(QStringLiteral("Do you really want to delete %1 ?").arg(what)))
        return std::nullopt;
    const EntryRemovalResult result =
        removeCatalogEntries(catalog.snapshot().paths, entries, catalog.removalHooks());
    if (!result.save.ok)
        interaction.showMessage(QStringLiteral("The catalog could not be saved.\n%1\n\n%2")
                                    .arg(result.save.errorString, words.noneGone));
    else if (!result.notFound.isEmpty())
        interaction.showMessage(
            QStringLiteral("%1 and were left as they are.").arg(words.changed.arg(result.notFound.size())));
    return result;
}
