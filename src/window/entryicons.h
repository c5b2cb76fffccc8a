// SPDX-License-Identifier: GPL-3.0-or-later
// The icons of the entry list: the one an entry shows at once, found from its texts without
// touching the disk, and the icons of existing files, looked for by worker threads for the
// rows a view shows and put in as they come.
#pragma once

#include "entryiconresolver.h"
#include "entryrow.h"
#include "mfile.h"

#include <QByteArray>
#include <QHash>
#include <QList>

#include <memory>
#include <vector>

class CatalogChoices;
class EntryListModel;
class SystemIcons;

class EntryIcons final
{
public:
    // choices decode the entries' texts and map their paths; they outlive this.
    EntryIcons(EntryListModel &model, SystemIcons &icons, const CatalogChoices &choices);
    ~EntryIcons();
    Q_DISABLE_COPY_MOVE(EntryIcons)

    // The icon of "htm" files, shown by URL entries without a program; computed once.
    void computeUrlIconIndex();
    int UrlIconIndex() const { return m_urlIconIndex; }
    // The icon an entry shows at once: the URL icon, or the icon of the extension of its
    // program or path. Once the list holds the entry, the icon of an existing file replaces it.
    int EntryIconIndex(const MFile &file);
    // A list row for a record, with the icon it shows at once.
    EntryRow rowWithIcon(MFile file);

    // Looks again for the icons of the files of the rows the views show, and of the others
    // once they are shown: where the entries' paths lead has changed.
    void resolveAgain();
    // Forgets every question asked: the ids of the rows shown are about to be given out again.
    void cancelAll();
    // True while icons of existing files are still being looked for.
    bool resolving() const;

private:
    int extensionIconIndex(QByteArrayView path);
    int entryIconIndex(qint32 kind, QByteArrayView path, QByteArrayView program);
    void want(int row);
    void askWanted();

    EntryListModel &m_model;
    SystemIcons &m_icons;
    const CatalogChoices &m_choices;
    int m_urlIconIndex = -1;
    QHash<QByteArray, int> m_iconOfExtension; // by the bytes after the dot: one lookup per type
    std::unique_ptr<EntryIconResolver> m_resolver;
    // The files of the rows the views showed since the workers were last asked: asked in one
    // go from the event loop, once the views have painted.
    std::vector<EntryIconResolver::Request> m_wanted;
};
