// SPDX-License-Identifier: GPL-3.0-or-later
// The text prompt: one line of text for a folder name or a URL.
#pragma once

#include "interaction.h"

#include <QDialog>
#include <QString>

class QGroupBox;
class QPlainTextEdit;
class QToolButton;

inline constexpr int MaxAskedLength = 511;

class TAskForStr final : public QDialog
{
    Q_OBJECT
public:
    TAskForStr(const QString &caption, const QString &prompt, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(TAskForStr)

    QString takenText() const; // the text taken at OK or Enter, at most 511 characters
    // What OK and Enter refuse, with the reason shown; the field keeps the text.
    void setRefusal(TextRefusal refusal) { m_refusal = std::move(refusal); }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void createControls();
    void layOutControls();
    void connectControls();
    void OKButClick();
    void PasteButClick();
    void takeText();
    bool strEditKey(QEvent *event);

    QGroupBox *m_nameBox = nullptr;
    QPlainTextEdit *m_strEdit = nullptr;
    QToolButton *m_pasteBut = nullptr;
    QToolButton *m_okBut = nullptr;
    QToolButton *m_cancelBut = nullptr;
    QString m_taken;
    TextRefusal m_refusal;
};

// Shows the prompt modally; on confirmation stores the text in askedStr and returns true,
// otherwise leaves askedStr as it was.
// A text that refusal refuses is not confirmed: the prompt says why and stays open with it.
bool ShowAskForStr(QWidget *parent, const QString &caption, const QString &prompt, QString &askedStr,
                   const TextRefusal &refusal = {});
