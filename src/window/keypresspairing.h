// SPDX-License-Identifier: GPL-3.0-or-later
// Pairs each key's release with the widget that took its press, so that commands which act
// on a release never take one whose press went elsewhere: the Enter that closed a message
// box or confirmed a dialog is released over the window, and is no Enter for it.
#pragma once

#include <QHash>
#include <QPointer>

class QKeyEvent;
class QObject;

class KeyPressPairing final
{
public:
    // Remembers that widget took this key's press (a later press of the key replaces it).
    void notePress(QObject *widget, const QKeyEvent &press);
    // True when the key's press went to widget; the press is forgotten either way, so a
    // release counts once.
    bool takeRelease(QObject *widget, const QKeyEvent &release);

private:
    QHash<int, QPointer<QObject>> m_pressedIn; // by key
};
