// SPDX-License-Identifier: GPL-3.0-or-later
// The two counters of the information toolbar ("Total: N files, selected M files"), kept
// right after every change of the list's rows and of its selection, whatever made it: a
// command, a folder switch, the mouse or the keyboard.
#pragma once

#include <QObject>

class MainList;
class QLabel;

class FileCounters final : public QObject
{
    Q_OBJECT
public:
    FileCounters(MainList &list, QLabel &total, QLabel &selected);
    Q_DISABLE_COPY_MOVE(FileCounters)

    // Writes both counters from the list as it is now.
    void update();

private:
    MainList &m_list;
    QLabel &m_total;
    QLabel &m_selected;
};
