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
    QObject::connect(m_undo, &QAction::triggered, edit, [this] { undo(); });
    m_redo = edit->addAction(QString());
    m_redo->setObjectName(QStringLiteral("Redo1"));
    m_redo->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    QObject::connect(m_redo, &QAction::triggered, edit, [this] { redo(); });
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

void UndoCommands::undo()
{
    takeStep(Direction::Back);
}

void UndoCommands::redo()
{
    takeStep(Direction::Forward);
}

// Undo and redo are one move in two directions: the step taken from one stack goes, as what
// takes it back, onto the other; a step that could not be written stays where it was.
void UndoCommands::takeStep(Direction direction)
{
    ChangeHistory &history = m_session.history();
    const bool back = direction == Direction::Back;
    if (back ? !history.canUndo() : !history.canRedo())
        return;
    const ChangeHistory::Step step = back ? history.takeUndo() : history.takeRedo();
    const auto push = [&history](bool ontoUndo, const QString &name, CatalogEdit edit) {
        ontoUndo ? history.pushUndo(name, std::move(edit)) : history.pushRedo(name, std::move(edit));
    };
    const QString done = back ? QStringLiteral("undone") : QStringLiteral("redone");
    const std::optional<CatalogEditOutcome> outcome = m_session.applyEdit(step.edit);
    if (!outcome || !outcome->saved) {
        push(back, step.name, step.edit);
        if (outcome)
            m_session.interaction().showMessage(QStringLiteral("\"%1\" could not be %2: %3.")
                                                    .arg(step.name, done, outcome->saved.errorString));
        return;
    }
    push(!back, step.name, outcome->inverse);
    if (outcome->changedElsewhere)
        m_session.interaction().showMessage(
            QStringLiteral("\"%1\" was %2 as far as it could be: some of what it %3 was changed "
                           "elsewhere meanwhile, and is left as it is now.")
                .arg(step.name, done, back ? QStringLiteral("brings back") : QStringLiteral("changes")));
}
