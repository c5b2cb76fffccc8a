// SPDX-License-Identifier: GPL-3.0-or-later
// A label that shows an address as a link (blue, underlined, hand cursor) and reports clicks,
// and Enter or Space while it has the focus, which it takes from Tab and shows with a frame.
#pragma once

#include <QLabel>

class LinkLabel final : public QLabel
{
    Q_OBJECT
public:
    LinkLabel(const QString &objectName, const QString &text, QWidget *parent = nullptr);
    Q_DISABLE_COPY_MOVE(LinkLabel)

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    bool m_pressed = false;
    int m_keyPressed = 0; // Enter or Space pressed here, acted on when let go
};
