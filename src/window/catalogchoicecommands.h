// SPDX-License-Identifier: GPL-3.0-or-later
// The "Catalog" menu's commands: the catalog's text encoding and its path mappings, and the
// mapping suggested once for a catalog whose paths were written on Windows.
#pragma once

#include "interaction.h"
#include "textencoding.h"

#include <QString>

// Refuses a typed text that the catalog's encoding cannot hold, naming the character.
TextRefusal textRefusal(const TextEncoding &encoding);

class CatalogSession;
class QWidget;

class CatalogChoiceCommands final
{
public:
    CatalogChoiceCommands(CatalogSession &session, QWidget *dialogParent);
    Q_DISABLE_COPY_MOVE(CatalogChoiceCommands)

    void textEncodingClick();
    void pathMappingsClick();
    // Once per catalog: when its paths were written on Windows and homeDirectory has a folder
    // that matches them, offers the mapping from the Windows user folder to it.
    void suggestPathMapping(const QString &homeDirectory);

private:
    CatalogSession &m_session;
    QWidget *m_dialogParent;
};
