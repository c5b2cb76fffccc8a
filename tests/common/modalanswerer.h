// SPDX-License-Identifier: GPL-3.0-or-later
// Answers the modal dialogs that the real dialogs show, from inside their event loops, as a
// user does: a test says what to do with each one (press a key, type a name), and counts them.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

class ModalAnswerer
{
public:
    // Runs answer once on every modal dialog that shows while this object lives.
    explicit ModalAnswerer(std::function<void(QWidget *dialog)> answer)
        : m_answer(std::move(answer))
    {
        m_poll.setInterval(10);
        QObject::connect(&m_poll, &QTimer::timeout, &m_poll, [this] { poll(); });
        m_poll.start();
    }
    Q_DISABLE_COPY_MOVE(ModalAnswerer)

    int answered() const { return m_answered; }

    // Presses key where the dialog's focus is, and only presses it: the dialog acts on the
    // press, and the release is the test's to send where the user's would land.
    static void pressKey(QWidget *dialog, Qt::Key key)
    {
        QWidget *focus = dialog->focusWidget();
        QTest::keyPress(focus ? focus : dialog, key);
    }

private:
    void poll()
    {
        // Answered once it has the focus, as a user's keys reach it only then.
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || QApplication::activeWindow() != modal)
            return;
        if (modal != m_last) {
            m_last = modal;
            m_waited = 0;
            ++m_answered;
            m_answer(modal);
        } else if (++m_waited == 500) { // an answer that did not close it: the test fails, not hangs
            qWarning("a dialog was still open 5 s after its answer: closed unanswered");
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
        }
    }

    std::function<void(QWidget *)> m_answer;
    QTimer m_poll;
    QPointer<QWidget> m_last; // a dialog is answered once, though it may take a while to go
    int m_waited = 0;         // polls since m_last was answered
    int m_answered = 0;
};
