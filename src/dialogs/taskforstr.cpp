// SPDX-License-Identifier: GPL-3.0-or-later
// The text prompt: one line of text for a folder name or a URL.
#include "taskforstr.h"

#include "crlftextfield.h"
#include "dialogparts.h"

#include <QBoxLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QToolButton>

TAskForStr::TAskForStr(const QString &caption, const QString &prompt, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("TAskForStr"));
    setWindowTitle(caption);
    createControls();
    m_nameBox->setTitle(prompt);
    layOutControls();
    connectControls();
    m_strEdit->setFocus();
    centreOnScreen(this);
}

QString TAskForStr::takenText() const
{
    return m_taken;
}

void TAskForStr::createControls()
{
    m_nameBox = new QGroupBox(this);
    m_nameBox->setObjectName(QStringLiteral("NameBox"));
    // A multi-line control one line high, as pasted line breaks are kept; Enter is the key that
    // confirms, so it never reaches the control (see strEditKey).
    m_strEdit = new QPlainTextEdit(m_nameBox);
    m_strEdit->setObjectName(QStringLiteral("StrEdit"));
    m_strEdit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_strEdit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strEdit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_strEdit->setTabChangesFocus(true);
    m_strEdit->document()->setDocumentMargin(2);
    const int frame = 2 * (m_strEdit->frameWidth() + 2);
    m_strEdit->setFixedHeight(qMax(23, m_strEdit->fontMetrics().lineSpacing() + frame));
    new CrLfTextField(m_strEdit, MaxAskedLength);
    m_strEdit->installEventFilter(this);

    m_pasteBut = createGlyphButton(m_nameBox, QStringLiteral("PasteBut"), QStringLiteral("paste"), QString(),
                                   QStringLiteral("Paste from clipboard"));
    m_pasteBut->setFixedSize(25, 22);
    giveKey(m_pasteBut, QStringLiteral("Paste from clipboard"), QStringLiteral("Alt+P"));
    m_okBut = createGlyphButton(this, QStringLiteral("OKBut"), QStringLiteral("ok"), QStringLiteral("  &OK"));
    m_cancelBut = createGlyphButton(this, QStringLiteral("CancelBut"), QStringLiteral("cancel"),
                                    QStringLiteral("  &Cancel"));
    for (QToolButton *button : {m_okBut, m_cancelBut})
        button->setMinimumSize(81, 25);
}

void TAskForStr::layOutControls()
{
    auto *boxLayout = new QHBoxLayout(m_nameBox);
    boxLayout->setContentsMargins(8, 4, 8, 6);
    boxLayout->setSpacing(7);
    boxLayout->addWidget(m_strEdit);
    boxLayout->addWidget(m_pasteBut);

    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(7);
    buttons->addStretch();
    buttons->addWidget(m_okBut);
    buttons->addWidget(m_cancelBut);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 5);
    layout->setSpacing(6);
    layout->addWidget(m_nameBox);
    layout->addLayout(buttons);
    // The box keeps its design size unless the desktop's font needs more room.
    setFixedSize(QSize(481, 94).expandedTo(layout->totalMinimumSize()));
}

void TAskForStr::connectControls()
{
    connect(m_okBut, &QToolButton::clicked, this, &TAskForStr::OKButClick);
    connect(m_cancelBut, &QToolButton::clicked, this, &QDialog::reject);
    connect(m_pasteBut, &QToolButton::clicked, this, &TAskForStr::PasteButClick);
}

void TAskForStr::OKButClick()
{
    takeText();
    if (m_refusal)
        if (const QString why = m_refusal(m_taken); !why.isEmpty()) {
            QMessageBox(QMessageBox::NoIcon, QStringLiteral("Linkshelf Message"), why, QMessageBox::Ok, this)
                .exec();
            // The text is left as typed, the caret at its end, for the user to correct.
            m_strEdit->moveCursor(QTextCursor::End);
            m_strEdit->setFocus();
            return;
        }
    accept();
}

void TAskForStr::PasteButClick()
{
    // The control's own paste: in at the caret, over the selection, cut by the length limit.
    m_strEdit->paste();
}

void TAskForStr::takeText()
{
    m_strEdit->selectAll();
    // The field refuses text past the limit; the cut here only guards the promise to callers.
    m_taken = CrLfTextField::text(m_strEdit).left(MaxAskedLength);
}

bool TAskForStr::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_strEdit && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
        return strEditKey(event);
    return QDialog::eventFilter(watched, event);
}

// Enter and Escape act when the key is released. Their presses are swallowed: Enter must not
// break the line and Escape must not let the dialog cancel itself early, on the press.
bool TAskForStr::strEditKey(QEvent *event)
{
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool escape = key->key() == Qt::Key_Escape;
    if (!enter && !escape)
        return false;
    if (event->type() == QEvent::KeyRelease && !key->isAutoRepeat()) {
        if (enter)
            OKButClick();
        else
            reject();
    }
    return true;
}

bool ShowAskForStr(QWidget *parent, const QString &caption, const QString &prompt, QString &askedStr,
                   const TextRefusal &refusal)
{
    TAskForStr dialog(caption, prompt, parent);
    dialog.setRefusal(refusal);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    askedStr = dialog.takenText();
    return true;
}
