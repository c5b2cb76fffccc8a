// SPDX-License-Identifier: GPL-3.0-or-later
// The shared "image list" of entry icons: one index per distinct icon, used by every view.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QMimeDatabase>
#include <QString>

#include <functional>

class SystemIcons final
{
public:
    // What an existing file or directory shows, as a key for iconIndexOfKey; empty when path
    // names neither. The one place where a path's icon touches the file system. Paths are the
    // catalog's bytes, which reach the file system unchanged.
    using IconKeyOfPath = std::function<QString(const QByteArray &path)>;

    SystemIcons(); // reads files through iconKeyOfExistingFile
    // Reads files through iconKeyOfPath instead, so that a test can make the disk slow or fail.
    explicit SystemIcons(IconKeyOfPath iconKeyOfPath);
    Q_DISABLE_COPY_MOVE(SystemIcons)

    // The function through which this table reads files, for workers that find the icons of
    // many files off the UI thread (it is thread-safe when the table's own is used).
    const IconKeyOfPath &iconKeyOfPath() const { return m_iconKeyOfPath; }

    // The icon of the file or directory at path when it exists, else the icon of its
    // extension. Touches the file system.
    int IconIndexOfPath(const QByteArray &path);

    // The icon of a file type, by extension with or without its dot; looked up by name,
    // so no file is made. An empty extension gives the icon of files without one.
    int IconIndexOfExtension(const QString &extension);

    // The extension of path for IconIndexOfExtension: from the last "." when it comes after
    // the last "/" or "\\", else empty. Never touches the file system.
    static QString extensionOf(const QString &path);

    // The icon of a MIME type name, such as "text/html".
    int iconIndexOfMimeType(const QString &mimeName);

    // The key of an existing file: "mime:" and its type by content and name (a directory's is
    // "inode/directory"), or "desktop:" and the Icon= entry of a .desktop file; empty when
    // path names no existing file or directory.
    // Thread-safe, so that a worker can resolve many files off the UI thread; touches the
    // file system and nothing else.
    static QString iconKeyOfExistingFile(const QByteArray &path);

    // The icon of a key from iconKeyOfExistingFile. UI thread only, like the whole table.
    int iconIndexOfKey(const QString &key);

    QIcon icon(int index) const; // a null QIcon for an index out of range
    int count() const;

private:
    int indexOfIcon(const QString &key, const QIcon &icon);
    int iconIndexOfMimeTypeUncached(const QString &mimeName);
    int iconIndexOfDesktopIcon(const QString &iconEntry);
    int iconIndexOfThemeNames(const QStringList &names);
    int standardFileIconIndex();

    IconKeyOfPath m_iconKeyOfPath;
    QMimeDatabase m_mimeDatabase;
    QList<QIcon> m_icons;
    // Both what was asked ("ext:", "mime:", "desktop:") and the icon it came to ("theme:",
    // "file:", "standard:"), so that each type is looked up once and types that share an
    // icon share its index.
    QHash<QString, int> m_indexByKey;
};
