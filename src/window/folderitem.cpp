// SPDX-License-Identifier: GPL-3.0-or-later
#include "folderitem.h"

#include "foldername.h"

#include <QCollator>

namespace {
const QCollator &folderCollator()
{
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseSensitive);
        return c;
    }();
    return collator;
}
} // namespace

FolderItem::FolderItem(const QByteArray &nameBytes, std::optional<MTree> record_,
                       const TextEncoding &encoding)
    : record(std::move(record_))
    , m_loadedName(nameBytes)
    , m_encoding(encoding)
{
    setText(0, encoding.decode(nameBytes));
    m_loadedCaption = text(0);
    setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable | Qt::ItemIsDropEnabled);
}

QByteArray FolderItem::nameBytes() const
{
    const QString caption = text(0);
    if (caption == m_loadedCaption)
        return m_loadedName;
    EncodedText encoded = m_encoding.encode(caption);
    return encoded.unencodable ? m_loadedName : encoded.bytes;
}

void FolderItem::setTextEncoding(const TextEncoding &encoding)
{
    const bool unedited = text(0) == m_loadedCaption;
    m_encoding = encoding;
    if (!unedited)
        return;
    setText(0, encoding.decode(m_loadedName));
    m_loadedCaption = text(0);
}

FolderItem *FolderItem::parentFolder() const
{
    return static_cast<FolderItem *>(parent());
}

FolderItem *FolderItem::childFolder(int index) const
{
    return static_cast<FolderItem *>(child(index));
}

int FolderItem::level() const
{
    int level = 0;
    for (const QTreeWidgetItem *p = parent(); p; p = p->parent())
        ++level;
    return level;
}

bool FolderItem::operator<(const QTreeWidgetItem &other) const
{
    return folderCollator().compare(text(0), other.text(0)) < 0;
}

void FolderItem::setData(int column, int role, const QVariant &value)
{
    if (column == 0 && (role == Qt::DisplayRole || role == Qt::EditRole))
        QTreeWidgetItem::setData(column, role, folderNameFromText(value.toString()));
    else
        QTreeWidgetItem::setData(column, role, value);
}
