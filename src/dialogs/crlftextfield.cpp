// SPDX-License-Identifier: GPL-3.0-or-later
// A length limit and CR LF text for a multi-line field.
#include "crlftextfield.h"

#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

CrLfTextField::CrLfTextField(QPlainTextEdit *edit, int maxLength)
    : QObject(edit)
    , m_edit(edit)
    , m_maxLength(maxLength)
{
    // The document reports where text went in before it reports that the text changed; the
    // cut waits for the second signal, since editing inside the first one is not allowed.
    connect(edit->document(), &QTextDocument::contentsChange, this, &CrLfTextField::onContentsChange);
    connect(edit, &QPlainTextEdit::textChanged, this, &CrLfTextField::onTextChanged);
}

QString CrLfTextField::text(const QPlainTextEdit *edit)
{
    // Blocks are joined by hand: toPlainText() would turn non-breaking spaces into blanks, and
    // paths and descriptions are kept exactly as entered.
    QStringList lines;
    for (QTextBlock block = edit->document()->begin(); block.isValid(); block = block.next())
        lines.append(block.text().replace(QChar::LineSeparator, QStringLiteral("\r\n")));
    return lines.join(QStringLiteral("\r\n"));
}

void CrLfTextField::setText(QPlainTextEdit *edit, const QString &text)
{
    QString lf = text;
    lf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lf.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    edit->setPlainText(lf);
}

void CrLfTextField::onContentsChange(int position, int /*charsRemoved*/, int charsAdded)
{
    m_addedFrom = position;
    m_addedCount = charsAdded;
}

void CrLfTextField::onTextChanged()
{
    if (m_cutting)
        return;
    qsizetype excess = text(m_edit).size() - m_maxLength;
    if (excess <= 0)
        return;
    // Take characters off the end of what was just inserted; a line break gives back two.
    // Only when the insertion alone cannot make room (text set whole, say) does the cut
    // reach into the text before it.
    const QTextDocument *document = m_edit->document();
    const int last = document->characterCount() - 1; // the final paragraph mark is not text
    const int end = qBound(0, m_addedFrom + m_addedCount, last);
    int start = end;
    while (excess > 0 && start > 0) {
        --start;
        const QChar c = document->characterAt(start);
        excess -= (c == QChar::ParagraphSeparator || c == QChar::LineSeparator) ? 2 : 1;
    }
    m_cutting = true;
    QTextCursor cursor(m_edit->document());
    cursor.joinPreviousEditBlock(); // one undo step takes back the insertion and its cut
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    cursor.endEditBlock();
    m_edit->setTextCursor(cursor);
    m_cutting = false;
}
