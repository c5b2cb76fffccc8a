// SPDX-License-Identifier: GPL-3.0-or-later
// A node of the folder tree: its caption and the folder's record, when it has one.
#pragma once

#include "mtree.h"
#include "textencoding.h"

#include <QByteArray>
#include <QTreeWidgetItem>

#include <optional>

class FolderItem final : public QTreeWidgetItem
{
public:
    // The caption is the name decoded with the catalog's encoding.
    FolderItem(const QByteArray &nameBytes, std::optional<MTree> record, const TextEncoding &encoding);

    std::optional<MTree> record; // none: the folder shows no entries and takes none

    // The name as the tree file stores it. The bytes read from the file are kept while the
    // caption is unchanged, so a name in another code page is written back byte for byte; an
    // edited caption is encoded (the rename refuses a caption the encoding cannot hold, and
    // should one reach here, the bytes read are kept rather than a "?" stored).
    QByteArray nameBytes() const;
    // Shows the unedited name as encoding reads it; an edited caption stays as it is.
    void setTextEncoding(const TextEncoding &encoding);

    FolderItem *parentFolder() const;
    FolderItem *childFolder(int index) const;
    int level() const;

    // Locale-aware, case-sensitive order of captions, used while the tree sorts itself.
    bool operator<(const QTreeWidgetItem &other) const override;

    // Every caption, however it is set (a new folder, a loaded one, a rename in place), is made
    // a name that the tree file can keep (folderNameFromText).
    void setData(int column, int role, const QVariant &value) override;

private:
    QByteArray m_loadedName;
    // The caption the loaded name was shown as (after the caption rule, which drops control
    // characters that some code pages decode bytes to): while it is unchanged, the bytes stay.
    QString m_loadedCaption;
    TextEncoding m_encoding;
};
