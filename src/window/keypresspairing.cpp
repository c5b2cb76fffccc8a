// SPDX-License-Identifier: GPL-3.0-or-later
#include "keypresspairing.h"

#include <QKeyEvent>

void KeyPressPairing::notePress(QObject *widget, const QKeyEvent &press)
{
    m_pressedIn.insert(press.key(), widget);
}

bool KeyPressPairing::takeRelease(QObject *widget, const QKeyEvent &release)
{
    const QPointer<QObject> pressedIn = m_pressedIn.take(release.key());
    return pressedIn && pressedIn == widget;
}
