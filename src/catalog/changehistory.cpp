// SPDX-License-Identifier: GPL-3.0-or-later
#include "changehistory.h"

QString entriesStepName(const QString &verb, qsizetype count)
{
    return count == 1 ? QStringLiteral("%1 1 entry").arg(verb)
                      : QStringLiteral("%1 %2 entries").arg(verb).arg(count);
}

ChangeHistory::ChangeHistory(int limit, QObject *parent)
    : QObject(parent)
    , m_limit(limit)
{}

void ChangeHistory::record(const QString &name, CatalogEdit edit)
{
    if (edit.isEmpty())
        return;
    m_redo.clear();
    push(m_undo, name, std::move(edit));
}

ChangeHistory::Step ChangeHistory::takeUndo()
{
    Step step = m_undo.takeLast();
    Q_EMIT changed();
    return step;
}

ChangeHistory::Step ChangeHistory::takeRedo()
{
    Step step = m_redo.takeLast();
    Q_EMIT changed();
    return step;
}

void ChangeHistory::pushUndo(const QString &name, CatalogEdit edit)
{
    push(m_undo, name, std::move(edit));
}

void ChangeHistory::pushRedo(const QString &name, CatalogEdit edit)
{
    push(m_redo, name, std::move(edit));
}

void ChangeHistory::push(QList<Step> &steps, const QString &name, CatalogEdit edit)
{
    steps.append({name, std::move(edit)});
    if (steps.size() > m_limit)
        steps.removeFirst();
    Q_EMIT changed();
}
