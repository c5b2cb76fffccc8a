// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryrow.h"

QString entryCaption(const MFile &file)
{
    if (file.isUrl())
        return QString::fromLocal8Bit(file.Path);
    const qsizetype cut = std::max(file.Path.lastIndexOf('/'), file.Path.lastIndexOf('\\'));
    return QString::fromLocal8Bit(file.Path.mid(cut + 1));
}

QString descriptionColumnText(const QByteArray &description)
{
    if (!description.contains('\n') && !description.contains('\r'))
        return QString::fromLocal8Bit(description);
    QByteArray oneLine = description;
    oneLine.replace("\r\n", " ");
    oneLine.replace('\r', ' ');
    oneLine.replace('\n', ' ');
    return QString::fromLocal8Bit(oneLine);
}

EntryRow makeEntryRow(MFile file)
{
    EntryRow row;
    row.caption = entryCaption(file);
    row.description = descriptionColumnText(file.Description);
    row.file = std::move(file);
    return row;
}
