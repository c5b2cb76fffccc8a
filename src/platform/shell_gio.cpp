// SPDX-License-Identifier: GPL-3.0-or-later
// Shell on Linux: default programs from the desktop's MIME associations and launchers through
// GIO, programs started directly. Paths stay bytes from the catalog to the system calls, since
// Qt's file classes carry names as UTF-8 text. The result codes are worked out from what
// really happens.
#include "shell.h"

#include <QFile>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct GObjectUnref
{
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GObjectPtr = std::unique_ptr<T, GObjectUnref>;

struct GErrorFree
{
    void operator()(GError *error) const { g_error_free(error); }
};
using GErrorPtr = std::unique_ptr<GError, GErrorFree>;

struct GFree
{
    void operator()(gpointer memory) const { g_free(memory); }
};
using GCharPtr = std::unique_ptr<char, GFree>;

// A scheme of one letter is a drive letter of a path carried over from Windows ("C:\..."),
// which is a (missing) file here, not a URL.
bool isUrl(const QByteArray &text)
{
    const GCharPtr scheme(g_uri_parse_scheme(text.constData()));
    return scheme && qstrlen(scheme.get()) > 1;
}

bool isDirectory(const QByteArray &path)
{
    struct stat info
    {
    };
    return ::stat(path.constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The folder that holds path: "/" for a file at the root, "." for a bare name.
QByteArray parentOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : path.left(slash);
}

// Why path cannot be reached, as the shell's code, from the errno of stat. The Windows shell
// tells a missing folder on the way (3) from a missing last component (2); so do we.
int codeOfUnreachable(const QByteArray &path, int error)
{
    switch (error) {
    case ENOENT:
        return isDirectory(parentOf(path)) ? Shell::FileNotFound : Shell::PathNotFound;
    case ENOTDIR:
        return Shell::PathNotFound;
    case EACCES:
        return Shell::AccessDenied;
    case ENOMEM:
        return Shell::OutOfResources;
    default: // ENAMETOOLONG, ELOOP: no file can be reached under that name
        return Shell::FileNotFound;
    }
}

// The code that forbids going on with path, or none when it exists (then info is filled). A
// zero byte would end the name early, at another file.
std::optional<int> failureOfStat(const QByteArray &path, struct stat &info)
{
    if (path.isEmpty() || path.contains('\0'))
        return Shell::FileNotFound;
    if (::stat(path.constData(), &info) != 0)
        return codeOfUnreachable(path, errno);
    return std::nullopt;
}

bool isReadable(const QByteArray &path)
{
    return ::access(path.constData(), R_OK) == 0;
}

bool isExecutable(const QByteArray &path)
{
    return ::access(path.constData(), X_OK) == 0;
}

// A launch that GIO refused. Running out of processes, memory or descriptors is the shell's
// "out of resources"; anything else means the association could not be carried out.
int codeOfLaunchError(const GError *error)
{
    if (error && error->domain == G_SPAWN_ERROR) {
        switch (error->code) {
        case G_SPAWN_ERROR_FORK:
        case G_SPAWN_ERROR_NOMEM:
        case G_SPAWN_ERROR_MFILE:
        case G_SPAWN_ERROR_NFILE:
        case G_SPAWN_ERROR_TOO_BIG:
            return Shell::OutOfResources;
        default:
            break;
        }
    }
    return Shell::NoAssociation;
}

// A URI is ASCII. A link whose bytes are not UTF-8 (from a catalog written under a legacy
// code page) keeps them as %XX escapes, the only way to hand them on unchanged.
QByteArray uriOfLink(const QByteArray &link)
{
    if (g_utf8_validate(link.constData(), link.size(), nullptr))
        return link;
    return link.toPercentEncoding(QByteArrayLiteral(":/?#[]@!$&'()*+,;=%~"));
}

// GIO turns file:// URIs back into paths for programs that take %f, so one URI list serves
// both kinds of handler. No URI at all starts the program without a file.
int launch(GAppInfo *application, const std::optional<QByteArray> &uri)
{
    GList uris{};
    if (uri)
        uris.data = const_cast<char *>(uri->constData());
    GError *rawError = nullptr;
    const bool launched = g_app_info_launch_uris(application, uri ? &uris : nullptr, nullptr, &rawError);
    const GErrorPtr error(rawError);
    return launched ? Shell::Started : codeOfLaunchError(error.get());
}

QByteArray uriOfLocalFile(GFile *file)
{
    const GCharPtr uri(g_file_get_uri(file));
    return QByteArray(uri.get());
}

// The entry's path or URL as the one URI that a launcher is given.
QByteArray uriOfArgument(const QByteArray &argument)
{
    if (isUrl(argument))
        return uriOfLink(argument);
    const GObjectPtr<GFile> file(g_file_new_for_path(argument.constData()));
    return uriOfLocalFile(file.get());
}

bool isLauncherName(const QByteArray &path)
{
    return path.toLower().endsWith(".desktop");
}

bool canStart(GDesktopAppInfo *application)
{
    const char *commandLine = g_app_info_get_commandline(G_APP_INFO(application));
    return (commandLine && *commandLine) ||
           g_desktop_app_info_get_boolean(application, G_KEY_FILE_DESKTOP_KEY_DBUS_ACTIVATABLE);
}

// A launcher runs what its Exec line describes, with argument as its file or URL, or none.
int startLauncher(const QByteArray &path, const QByteArray &argument)
{
    if (!isReadable(path))
        return Shell::AccessDenied;
    // GIO refuses a launcher that is malformed, hidden or whose Exec program is missing, but
    // takes one without Exec, which only D-Bus activation could start.
    const GObjectPtr<GDesktopAppInfo> application(g_desktop_app_info_new_from_filename(path.constData()));
    if (!application || !canStart(application.get()))
        return Shell::BadFormat;
    return launch(G_APP_INFO(application.get()),
                  argument.isEmpty() ? std::nullopt : std::optional(uriOfArgument(argument)));
}

// The canonical path, every link resolved; empty when it cannot be had.
QByteArray realPathOf(const QByteArray &path)
{
    const std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.constData(), nullptr), &std::free);
    return real ? QByteArray(real.get()) : QByteArray();
}

bool isInMenuFolder(const QByteArray &path)
{
    const QByteArray real = realPathOf(path);
    if (real.isEmpty())
        return false;
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString &folder : folders) {
        const QByteArray realFolder = realPathOf(QFile::encodeName(folder));
        if (!realFolder.isEmpty() && real.startsWith(realFolder + '/'))
            return true;
    }
    return false;
}

// A launcher runs whatever its Exec line says, and a downloaded file can be one. As file
// managers do, only the desktop's own menus and launchers marked executable are started; any
// other is opened as the text it is.
bool isTrustedLauncher(const QByteArray &path)
{
    return isExecutable(path) || isInMenuFolder(path);
}

// What execve would take: an ELF image or a script with "#!". The check is ours because a
// failed start does not always say why. A file we may run but not read is left to the kernel.
// Formats registered with binfmt_misc are not recognised.
bool looksLikeProgram(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return true;
    char start[4] = {};
    const ssize_t got = ::read(fd, start, sizeof start);
    ::close(fd);
    const QByteArrayView read(start, std::max<ssize_t>(got, 0));
    return read.startsWith("\x7f"
                           "ELF") ||
           read.startsWith("#!");
}

// A program file, as opposed to a document that merely carries an x bit (every file of a
// FAT or NTFS disk does).
bool isProgramFile(const QByteArray &path, const struct stat &info)
{
    return S_ISREG(info.st_mode) && isExecutable(path) && looksLikeProgram(path);
}

// Runs path with argument as its one argument, or with none: no command interpreter sees
// either, so a path with blanks reaches the program whole. GLib takes the bytes as they are
// and, the child not being kept, leaves no process behind to be reaped.
int runProgram(const QByteArray &path, const QByteArray &argument)
{
    QByteArray program = path;
    QByteArray only = argument;
    std::vector<char *> argv{program.data()};
    if (!only.isEmpty())
        argv.push_back(only.data());
    argv.push_back(nullptr);
    GError *rawError = nullptr;
    const bool started =
        g_spawn_async(nullptr, argv.data(), nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &rawError);
    const GErrorPtr error(rawError);
    if (started)
        return Shell::Started;
    // After the checks made before, a refused start is nearly always an image the kernel
    // cannot run (another architecture, a missing script interpreter).
    return codeOfLaunchError(error.get()) == Shell::OutOfResources ? Shell::OutOfResources : Shell::BadFormat;
}

// The type as GIO's own default launcher sees it, so that the handler is the one the file
// manager would pick.
QByteArray contentTypeOf(GFile *file, const QByteArray &path)
{
    GObjectPtr<GFileInfo> info(g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info && g_file_info_get_content_type(info.get()))
        return QByteArray(g_file_info_get_content_type(info.get()));
    const GCharPtr guessed(g_content_type_guess(path.constData(), nullptr, 0, nullptr));
    return QByteArray(guessed.get());
}

int openWithDefaultHandler(const QByteArray &path)
{
    if (!isReadable(path))
        return Shell::AccessDenied;
    const GObjectPtr<GFile> file(g_file_new_for_path(path.constData()));
    const QByteArray type = contentTypeOf(file.get(), path);
    const GObjectPtr<GAppInfo> application(g_app_info_get_default_for_type(type.constData(), FALSE));
    if (!application)
        return Shell::NoAssociation;
    return launch(application.get(), uriOfLocalFile(file.get()));
}

// A local file or folder: a launcher or a program starts, anything else opens with the
// default program of its type.
int openLocalPath(const QByteArray &path)
{
    struct stat info
    {
    };
    if (const std::optional<int> failure = failureOfStat(path, info))
        return *failure;
    if (S_ISREG(info.st_mode) && isLauncherName(path) && isTrustedLauncher(path))
        return startLauncher(path, QByteArray());
    if (isProgramFile(path, info))
        return runProgram(path, QByteArray());
    return openWithDefaultHandler(path);
}

int openUrl(const QByteArray &url)
{
    const GCharPtr scheme(g_uri_parse_scheme(url.constData()));
    if (g_ascii_strcasecmp(scheme.get(), "file") == 0) {
        const GObjectPtr<GFile> file(g_file_new_for_uri(url.constData()));
        if (const GCharPtr path(g_file_get_path(file.get())); path)
            return openLocalPath(QByteArray(path.get()));
    }
    const GObjectPtr<GAppInfo> application(g_app_info_get_default_for_uri_scheme(scheme.get()));
    if (!application)
        return Shell::NoAssociation;
    return launch(application.get(), uriOfLink(url));
}

// A bare name is looked up on PATH, as a command line would; a name with "/" is a path.
QByteArray resolveProgram(const QByteArray &program)
{
    if (program.contains('/'))
        return program;
    const GCharPtr found(g_find_program_in_path(program.constData()));
    return found ? QByteArray(found.get()) : QByteArray();
}

int startProgram(const QByteArray &program, const QByteArray &argument)
{
    const QByteArray path = resolveProgram(program);
    struct stat info
    {
    };
    if (const std::optional<int> failure = failureOfStat(path, info))
        return *failure;
    // Chosen from the menus, a launcher stands for its program.
    if (S_ISREG(info.st_mode) && isLauncherName(path))
        return startLauncher(path, argument);
    // execve itself answers EACCES for a folder or a file without an x bit for us.
    if (!S_ISREG(info.st_mode) || !isExecutable(path))
        return Shell::AccessDenied;
    if (!looksLikeProgram(path))
        return Shell::BadFormat;
    return runProgram(path, argument);
}

// A browser skips blanks and control characters before a scheme, and schemes have no case.
bool hasScriptScheme(const QByteArray &text)
{
    qsizetype start = 0;
    while (start < text.size() && static_cast<unsigned char>(text[start]) <= ' ')
        ++start;
    const QByteArray rest = text.mid(start, 11).toLower();
    return rest.startsWith("javascript:") || rest.startsWith("data:");
}

class DesktopShell final : public Shell
{
public:
    int open(const QByteArray &target) override
    {
        if (refusalOf(target) != Refusal::None)
            return Shell::AccessDenied;
        return isUrl(target) ? openUrl(target) : openLocalPath(target);
    }

    int start(const QByteArray &program, const QByteArray &argument) override
    {
        if (refusalOf(argument) != Refusal::None)
            return Shell::AccessDenied;
        return startProgram(program, argument);
    }
};

} // namespace

Shell::Refusal Shell::refusalOf(const QByteArray &entryPath)
{
    if (entryPath.startsWith('-'))
        return Refusal::OptionLikePath;
    if (hasScriptScheme(entryPath))
        return Refusal::ScriptUrl;
    return Refusal::None;
}

std::unique_ptr<Shell> Shell::createDesktopShell()
{
    return std::make_unique<DesktopShell>();
}
