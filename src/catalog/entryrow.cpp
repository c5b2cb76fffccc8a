// SPDX-License-Identifier: GPL-3.0-or-later
#include "entryrow.h"

QString entryCaption(const MFile &file, const TextEncoding &encoding)
{
    return entryCaption(file.Kind, file.Path, encoding);
}

QString entryCaption(qint32 kind, QByteArrayView bytes, const TextEncoding &encoding)
{
    const QString path = encoding.decode(bytes);
    if (kind != MFile::FileKind)
        return path;
    // Cut in the text, not the bytes: in windows-31j the byte of "\\" is also the second
    // byte of many a letter.
    const qsizetype cut = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(cut + 1);
}

QString descriptionText(const QByteArray &description, const TextEncoding &encoding)
{
    QString text = encoding.decode(description);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

QString descriptionColumnText(QByteArrayView description, const TextEncoding &encoding)
{
    if (!description.contains('\n') && !description.contains('\r'))
        return encoding.decode(description);
    QByteArray oneLine = description.toByteArray();
    oneLine.replace("\r\n", " ");
    oneLine.replace('\r', ' ');
    oneLine.replace('\n', ' ');
    return encoding.decode(oneLine);
}

EntryRow makeEntryRow(MFile file, const TextEncoding &encoding)
{
    EntryRow row;
    row.caption = entryCaption(file, encoding);
    row.description = descriptionColumnText(file.Description, encoding);
    row.file = std::move(file);
    return row;
}
