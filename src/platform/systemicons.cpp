// SPDX-License-Identifier: GPL-3.0-or-later
// The shared "image list" of entry icons: file types through the MIME database, icons from the
// desktop's icon theme.
#include "systemicons.h"

#include <QDir>
#include <QFile>
#include <QFileIconProvider>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString extensionPrefix = QStringLiteral("ext:");
const QString mimePrefix = QStringLiteral("mime:");
const QString desktopPrefix = QStringLiteral("desktop:");

// Qt finds themed icons only under a theme name and in its search paths. Some platforms (a
// bare X session, the offscreen one of the tests) name no theme or only hicolor, which has
// almost no file type icons, and some do not even search the XDG icon folders. Adwaita is
// what such a desktop draws its files with. Once per process, before the first lookup: Qt
// keeps what it found per icon name.
void prepareIconTheme()
{
    static bool prepared = false; // the icon table lives on the UI thread
    if (prepared)
        return;
    prepared = true;
    QStringList paths = QIcon::themeSearchPaths();
    const QStringList xdgPaths = QStandardPaths::locateAll(
        QStandardPaths::GenericDataLocation, QStringLiteral("icons"), QStandardPaths::LocateDirectory);
    for (const QString &path : xdgPaths) {
        if (!paths.contains(path))
            paths.append(path);
    }
    QIcon::setThemeSearchPaths(paths);
    const QString theme = QIcon::themeName();
    if (theme.isEmpty() || theme == QLatin1String("hicolor")) {
        QIcon::setFallbackThemeName(QStringLiteral("Adwaita"));
        QIcon::setThemeName(QStringLiteral("hicolor"));
    }
}

// The Icon= entry of a .desktop file's [Desktop Entry] group, which the format puts first; the
// reading stops after that group, so a huge file named .desktop costs little.
QString desktopEntryIcon(QFile &file)
{
    if (!file.isOpen() || !file.seek(0))
        return {};
    bool inEntry = false;
    for (int lines = 0; lines < 1000 && !file.atEnd(); ++lines) {
        const QByteArray line = file.readLine(4096).trimmed();
        if (line.startsWith('[')) {
            if (inEntry)
                break;
            inEntry = line == "[Desktop Entry]";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (inEntry && equals > 0 && line.left(equals).trimmed() == "Icon")
            return QString::fromUtf8(line.mid(equals + 1).trimmed());
    }
    return {};
}

// Opened by its bytes, since Qt's file classes take names as UTF-8 text. Non-blocking, so
// that a pipe put in the file's place since it was looked at cannot hold a worker.
void openByBytes(QFile &file, const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0 && !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
        ::close(fd);
}

enum class PathKind { Missing, RegularFile, Directory, Other };

// What is at path, links followed, looked up by its bytes.
PathKind pathKind(const QByteArray &path)
{
    struct stat info
    {
    };
    if (path.isEmpty() || path.contains('\0') || ::stat(path.constData(), &info) != 0)
        return PathKind::Missing;
    if (S_ISREG(info.st_mode))
        return PathKind::RegularFile;
    return S_ISDIR(info.st_mode) ? PathKind::Directory : PathKind::Other;
}

} // namespace

SystemIcons::SystemIcons()
    : SystemIcons(&SystemIcons::iconKeyOfExistingFile)
{}

SystemIcons::SystemIcons(IconKeyOfPath iconKeyOfPath)
    : m_iconKeyOfPath(std::move(iconKeyOfPath))
{
    prepareIconTheme();
}

int SystemIcons::IconIndexOfPath(const QByteArray &path)
{
    const QString key = m_iconKeyOfPath(path);
    return key.isEmpty() ? IconIndexOfExtension(extensionOf(QFile::decodeName(path))) : iconIndexOfKey(key);
}

int SystemIcons::IconIndexOfExtension(const QString &extension)
{
    const QString bare = extension.startsWith(QLatin1Char('.')) ? extension.mid(1) : extension;
    const QString key = extensionPrefix + bare;
    if (const auto known = m_indexByKey.constFind(key); known != m_indexByKey.cend())
        return *known;
    // A name without extension says nothing of the content: plain data, as file managers
    // show it. Matching the name alone keeps this path off the disk.
    const QMimeType type =
        bare.isEmpty()
            ? m_mimeDatabase.mimeTypeForName(QStringLiteral("application/octet-stream"))
            : m_mimeDatabase.mimeTypeForFile(QStringLiteral("x.") + bare, QMimeDatabase::MatchExtension);
    const int index = iconIndexOfMimeType(type.name());
    m_indexByKey.insert(key, index);
    return index;
}

QString SystemIcons::extensionOf(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = qMax(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    return dot > separator ? path.mid(dot) : QString();
}

int SystemIcons::iconIndexOfMimeType(const QString &mimeName)
{
    return iconIndexOfKey(mimePrefix + mimeName);
}

QString SystemIcons::iconKeyOfExistingFile(const QByteArray &path)
{
    const PathKind kind = pathKind(path);
    // An entry may name a directory: it shows the folder, as file managers show it.
    if (kind == PathKind::Directory)
        return mimePrefix + QStringLiteral("inode/directory");
    if (kind != PathKind::RegularFile)
        return {};
    QFile file;
    openByBytes(file, path);
    // The name is matched as text: the bytes it cannot carry are in no type's pattern anyway.
    // A file we may not read is known by its name alone.
    const QString name = QFile::decodeName(path.mid(path.lastIndexOf('/') + 1));
    // QMimeDatabase is thread-safe; a local instance keeps this function free of shared state.
    const QMimeDatabase database;
    const QMimeType type = file.isOpen() ? database.mimeTypeForFileNameAndData(name, &file)
                                         : database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    if (type.inherits(QStringLiteral("application/x-desktop"))) {
        const QString icon = desktopEntryIcon(file);
        if (!icon.isEmpty())
            return desktopPrefix + icon;
    }
    return mimePrefix + type.name();
}

int SystemIcons::iconIndexOfKey(const QString &key)
{
    if (const auto known = m_indexByKey.constFind(key); known != m_indexByKey.cend())
        return *known;
    int index = -1;
    if (key.startsWith(desktopPrefix))
        index = iconIndexOfDesktopIcon(key.mid(desktopPrefix.size()));
    else if (key.startsWith(mimePrefix))
        index = iconIndexOfMimeTypeUncached(key.mid(mimePrefix.size()));
    else
        index = standardFileIconIndex();
    m_indexByKey.insert(key, index);
    return index;
}

QIcon SystemIcons::icon(int index) const
{
    return index >= 0 && index < m_icons.size() ? m_icons.at(index) : QIcon();
}

int SystemIcons::count() const
{
    return int(m_icons.size());
}

int SystemIcons::indexOfIcon(const QString &key, const QIcon &icon)
{
    if (const auto known = m_indexByKey.constFind(key); known != m_indexByKey.cend())
        return *known;
    m_icons.append(icon);
    const int index = int(m_icons.size() - 1);
    m_indexByKey.insert(key, index);
    return index;
}

int SystemIcons::iconIndexOfMimeTypeUncached(const QString &mimeName)
{
    const QMimeType type = m_mimeDatabase.mimeTypeForName(mimeName);
    return iconIndexOfThemeNames({type.iconName(), type.genericIconName()});
}

// Icon= is an absolute image path or a name in the icon theme.
int SystemIcons::iconIndexOfDesktopIcon(const QString &iconEntry)
{
    if (QDir::isAbsolutePath(iconEntry)) {
        const QIcon image(iconEntry);
        if (!image.isNull())
            return indexOfIcon(QStringLiteral("file:") + iconEntry, image);
    } else if (const QIcon themed = QIcon::fromTheme(iconEntry); !themed.isNull()) {
        return indexOfIcon(QStringLiteral("theme:") + iconEntry, themed);
    }
    // A launcher whose icon is gone still looks like a launcher.
    return iconIndexOfMimeType(QStringLiteral("application/x-desktop"));
}

int SystemIcons::iconIndexOfThemeNames(const QStringList &names)
{
    for (const QString &name : names) {
        if (name.isEmpty())
            continue;
        if (const QIcon themed = QIcon::fromTheme(name); !themed.isNull())
            return indexOfIcon(QStringLiteral("theme:") + name, themed);
    }
    return standardFileIconIndex();
}

// Without any icon theme, Qt's own file icon: an entry never shows a blank.
int SystemIcons::standardFileIconIndex()
{
    return indexOfIcon(QStringLiteral("standard:file"),
                       QFileIconProvider().icon(QAbstractFileIconProvider::File));
}
