// SPDX-License-Identifier: GPL-3.0-or-later
// The undo and redo history of a session: named edits that take commands back, and those that
// bring them back again. It holds values only, so it outlives any window state, and a merge of
// changes from outside does not invalidate it: each edit applies to the files as they are.
#pragma once

#include "catalogedit.h"

#include <QList>
#include <QObject>
#include <QString>

// A step's name for a command on count entries: "Delete 12 entries", "Copy 1 entry".
QString entriesStepName(const QString &verb, qsizetype count);

class ChangeHistory final : public QObject
{
    Q_OBJECT
public:
    struct Step
    {
        QString name; // "Delete 12 entries", as the Edit menu shows it
        CatalogEdit edit;
    };

    // limit: the steps kept; the oldest goes first.
    explicit ChangeHistory(int limit = 1000, QObject *parent = nullptr);

    // A command was done: edit takes it back. Redo is no longer possible.
    void record(const QString &name, CatalogEdit edit);
    bool canUndo() const { return !m_undo.isEmpty(); }
    bool canRedo() const { return !m_redo.isEmpty(); }
    QString undoName() const { return canUndo() ? m_undo.constLast().name : QString(); }
    QString redoName() const { return canRedo() ? m_redo.constLast().name : QString(); }
    // The next step to undo, or to redo, leaves its list: the caller pushes what takes its
    // application back onto the other list, or the step itself back where it was when it
    // could not be applied.
    Step takeUndo();
    Step takeRedo();
    void pushUndo(const QString &name, CatalogEdit edit);
    void pushRedo(const QString &name, CatalogEdit edit);

Q_SIGNALS:
    void changed();

private:
    void push(QList<Step> &steps, const QString &name, CatalogEdit edit);

    int m_limit;
    QList<Step> m_undo, m_redo;
};
