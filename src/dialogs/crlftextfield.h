// SPDX-License-Identifier: GPL-3.0-or-later
// A length limit and CR LF text for a QPlainTextEdit whose text the catalog keeps with CR LF
// line breaks, so that each line break counts as the two characters it becomes.
#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;

class CrLfTextField final : public QObject
{
    Q_OBJECT
public:
    // Limits edit's text to maxLength characters counted with CR LF line breaks. Input that
    // would go past the limit is cut where it was inserted, so the user sees what was refused.
    CrLfTextField(QPlainTextEdit *edit, int maxLength);
    Q_DISABLE_COPY_MOVE(CrLfTextField)

    // The edit's text, exactly as typed (no blank is normalised), line breaks as CR LF.
    static QString text(const QPlainTextEdit *edit);
    // Shows text, whose line breaks may be CR LF, LF or CR.
    static void setText(QPlainTextEdit *edit, const QString &text);

private:
    void onContentsChange(int position, int charsRemoved, int charsAdded);
    void onTextChanged();

    QPlainTextEdit *m_edit;
    int m_maxLength;
    int m_addedFrom = 0;
    int m_addedCount = 0;
    bool m_cutting = false;
};
