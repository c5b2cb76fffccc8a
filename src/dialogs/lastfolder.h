// SPDX-License-Identifier: GPL-3.0-or-later
// The folder the next file dialog starts in. One object is shared by every dialog that picks
// files for entries, so that the property sheet's Browse and File > Add file... follow each other.
#pragma once

#include <QFileInfo>
#include <QString>

#include <utility>

class LastFolder
{
public:
    explicit LastFolder(QString path = {})
        : m_path(std::move(path))
    {}

    const QString &path() const { return m_path; }
    void set(const QString &folder) { m_path = folder; }
    // The next dialog starts where this chosen file lies.
    void rememberFolderOf(const QString &file) { m_path = QFileInfo(file).absolutePath(); }

private:
    QString m_path;
};
