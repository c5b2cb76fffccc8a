// SPDX-License-Identifier: GPL-3.0-or-later
#include "undocommands.h"

#include "catalogsession.h"
#include "interaction.h"

#include <QAction>
#include <QMenu>

UndoCommands::UndoCommands(CatalogSession &session)
    : m_session(session)
{}

void UndoCommands::fillMenu(QMenu *edit)
{
    // Window-wide keys: a text field with focus takes them first (it overrides them), so
    // there they edit the text, not the catalog.
    m_undo = edit->addAction(QString());
    m_undo->setObjectName(QStringLiteral("Undo1"));
    m_undo->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    QObject::connect(m_undo, &QAction::triggered, edit, [this] { Undo(); });
    m_redo = edit->addAction(QString());
    m_redo->setObjectName(QStringLiteral("Redo1"));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QObject::connect(m_redo, &QAction::triggered, edit, [this] { Redo(); });
    QObject::connect(&m_session.history(), &ChangeHistory::changed, edit, [this] { updateActions(); });
    updateActions();
}

void UndoCommands::updateActions()
{
    const ChangeHistory &history = m_session.history();
    m_undo->setEnabled(history.canUndo());
    m_undo->setText(history.canUndo() ? QStringLiteral("&Undo %1").arg(history.undoName())
                                      : QStringLiteral("&Undo"));
    m_redo->setEnabled(history.canRedo());
    m_redo->setText(history.canRedo() ? QStringLiteral("&Redo %1").arg(history.redoName())
                                      : QStringLiteral("&Redo"));
}

void UndoCommands::Undo()
{
    ChangeHistory &history = m_session.history();
    if (!history.canUndo())
        return;
    const ChangeHistory::Step step = history.takeUndo();
    const std::optional<CatalogEditOutcome> outcome = m_session.applyEdit(step.edit);
    if (!outcome || !outcome->saved) {
        history.pushUndo(step.name, step.edit);
        if (outcome)
            m_session.interaction().showMessage(
                QStringLiteral("\"%1\" could not be undone: %2.").arg(step.name, outcome->saved.errorString));
        return;
    }
    history.pushRedo(step.name, outcome->inverse);
    if (outcome->changedElsewhere)
        m_session.interaction().showMessage(
            QStringLiteral("\"%1\" was undone as far as it could be: some of what it brings back was "
                           "changed elsewhere meanwhile, and is left as it is now.")
                .arg(step.name));
}

void UndoCommands::Redo()
{
    ChangeHistory &history = m_session.history();
    if (!history.canRedo())
        return;
    const ChangeHistory::Step step = history.takeRedo();
    const std::optional<CatalogEditOutcome> outcome = m_session.applyEdit(step.edit);
    if (!outcome || !outcome->saved) {
        history.pushRedo(step.name, step.edit);
        if (outcome)
            m_session.interaction().showMessage(
                QStringLiteral("\"%1\" could not be redone: %2.").arg(step.name, outcome->saved.errorString));
        return;
    }
    history.pushUndo(step.name, outcome->inverse);
    if (outcome->changedElsewhere)
        m_session.interaction().showMessage(
            QStringLiteral("\"%1\" was redone as far as it could be: some of what it changes was "
                           "changed elsewhere meanwhile, and is left as it is now.")
                .arg(step.name));
}
