// SPDX-License-Identifier: GPL-3.0-or-later
// Small pieces that the dialogs share: flat picture buttons and centring on the screen.
// The buttons take the focus from Tab alone: a click leaves it in the field being typed in.
#pragma once

#include <QString>

class QToolButton;
class QWidget;

// A flat button named objectName showing the picture :/icons/<icon>.svg, with the caption
// beside it when there is one, the hint as its tooltip and the hand cursor.
QToolButton *createGlyphButton(QWidget *parent, const QString &objectName, const QString &icon,
                               const QString &caption, const QString &hint = QString());

// Gives a button without a caption its key (an Alt+letter, as a caption's mnemonic would be)
// and says what it does and which key starts it to a screen reader.
void giveKey(QToolButton *button, const QString &purpose, const QString &key);

// Moves a top-level window so that it is centred on the screen that it (or its parent) is on.
void centreOnScreen(QWidget *window);
