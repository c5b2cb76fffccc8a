// SPDX-License-Identifier: GPL-3.0-or-later
// The shared "image list" of entry icons: one index per distinct icon, used by every view.
#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QMimeDatabase>
#include <QString>

class SystemIcons final
{
public:
    SystemIcons();
    Q_DISABLE_COPY_MOVE(SystemIcons)

    // The icon of the file at path when it is an existing file (a directory does not
    // count), else the icon of its extension. Touches the file system.
    int IconIndexOfPath(const QString &path);

    // The icon of a file type, by extension with or without its dot; looked up by name,
    // so no file is made. An empty extension gives the icon of files without one.
    int IconIndexOfExtension(const QString &extension);

    // The extension of path for IconIndexOfExtension: from the last "." when it comes after
    // the last "/" or "\\", else empty. Never touches the file system.
    static QString extensionOf(const QString &path);

    // The icon of a MIME type name, such as "text/html".
    int iconIndexOfMimeType(const QString &mimeName);

    QIcon icon(int index) const; // a null QIcon for an index out of range
    int count() const;

private:
    int indexOfIcon(const QString &key, const QIcon &icon);
    QIcon iconForMimeType(const QString &mimeName) const;
    int iconIndexOfDesktopFile(const QString &path);

    QMimeDatabase m_mimeDatabase;
    QList<QIcon> m_icons;
    QHash<QString, int> m_indexByKey; // "mime:<name>" or "desktop:<Icon=>" to image index
};
