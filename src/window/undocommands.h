// SPDX-License-Identifier: GPL-3.0-or-later
// Edit > Undo and Redo: the session's history applied to the catalog files as they are.
#pragma once

#include <QtGlobal>

class CatalogSession;
class QAction;
class QMenu;

class UndoCommands final
{
public:
    explicit UndoCommands(CatalogSession &session);
    Q_DISABLE_COPY_MOVE(UndoCommands)

    // Fills the Edit menu: its items name the step they undo and redo, and are disabled when
    // there is none.
    void fillMenu(QMenu *edit);
    void undo();
    void redo();

private:
    enum class Direction { Back, Forward };
    void takeStep(Direction direction);
    void updateActions();

    CatalogSession &m_session;
    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
};
