// SPDX-License-Identifier: GPL-3.0-or-later
// Shell::open on Linux: default programs from the desktop's MIME associations through GIO,
// chosen programs started directly. The result codes are worked out from what really happens.
#include "shell.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <cerrno>
#include <memory>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

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
bool isUrl(const QString &text)
{
    const GCharPtr scheme(g_uri_parse_scheme(text.toUtf8().constData()));
    return scheme && qstrlen(scheme.get()) > 1;
}

bool isDirectory(const QString &path)
{
    struct stat info
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISDIR(info.st_mode);
}

// Why path cannot be reached, as the shell's code, from the errno of stat. The Windows shell
// tells a missing folder on the way (3) from a missing last component (2); so do we.
int codeOfUnreachable(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
        return isDirectory(QFileInfo(path).absolutePath()) ? Shell::FileNotFound : Shell::PathNotFound;
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

// The code that forbids going on with path, or none when it exists (then info is filled).
std::optional<int> failureOfStat(const QString &path, struct stat &info)
{
    if (path.isEmpty())
        return Shell::FileNotFound;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return codeOfUnreachable(path, errno);
    return std::nullopt;
}

bool isReadable(const QString &path)
{
    return ::access(QFile::encodeName(path).constData(), R_OK) == 0;
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

// GIO turns file:// URIs back into paths for programs that take %f, so one URI list serves
// both kinds of handler.
int launchWithUri(GAppInfo *application, const QByteArray &uri)
{
    GList uris{};
    uris.data = const_cast<char *>(uri.constData());
    GError *rawError = nullptr;
    const bool launched = g_app_info_launch_uris(application, &uris, nullptr, &rawError);
    const GErrorPtr error(rawError);
    return launched ? Shell::Started : codeOfLaunchError(error.get());
}

QByteArray uriOfLocalFile(GFile *file)
{
    const GCharPtr uri(g_file_get_uri(file));
    return QByteArray(uri.get());
}

// The type as GIO's own default launcher sees it, so that the handler is the one the file
// manager would pick.
QByteArray contentTypeOf(GFile *file, const QString &path)
{
    GObjectPtr<GFileInfo> info(g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                 G_FILE_QUERY_INFO_NONE, nullptr, nullptr));
    if (info && g_file_info_get_content_type(info.get()))
        return QByteArray(g_file_info_get_content_type(info.get()));
    const GCharPtr guessed(g_content_type_guess(QFile::encodeName(path).constData(), nullptr, 0, nullptr));
    return QByteArray(guessed.get());
}

// A local file or folder, by the default program of its type. An executable file is opened
// like any other file, never run: running whatever carries an x bit is what a user asking
// to "open" an entry would least expect.
int openLocalPath(const QString &path)
{
    struct stat info
    {
    };
    if (const std::optional<int> failure = failureOfStat(path, info))
        return *failure;
    if (!isReadable(path))
        return Shell::AccessDenied;
    const GObjectPtr<GFile> file(g_file_new_for_path(QFile::encodeName(path).constData()));
    const QByteArray type = contentTypeOf(file.get(), path);
    const GObjectPtr<GAppInfo> application(g_app_info_get_default_for_type(type.constData(), FALSE));
    if (!application)
        return Shell::NoAssociation;
    return launchWithUri(application.get(), uriOfLocalFile(file.get()));
}

int openUrl(const QString &url)
{
    const QUrl parsed(url);
    if (parsed.isLocalFile())
        return openLocalPath(parsed.toLocalFile());
    const QByteArray uri = url.toUtf8();
    const GCharPtr scheme(g_uri_parse_scheme(uri.constData()));
    const GObjectPtr<GAppInfo> application(g_app_info_get_default_for_uri_scheme(scheme.get()));
    if (!application)
        return Shell::NoAssociation;
    return launchWithUri(application.get(), uri);
}

// The entry's path or URL as the one URI that a chosen .desktop program is given.
QByteArray uriOfParameter(const QString &parameter)
{
    if (isUrl(parameter))
        return parameter.toUtf8();
    const GObjectPtr<GFile> file(g_file_new_for_path(QFile::encodeName(parameter).constData()));
    return uriOfLocalFile(file.get());
}

bool canStart(GDesktopAppInfo *application)
{
    const char *commandLine = g_app_info_get_commandline(G_APP_INFO(application));
    return (commandLine && *commandLine) ||
           g_desktop_app_info_get_boolean(application, G_KEY_FILE_DESKTOP_KEY_DBUS_ACTIVATABLE);
}

// A launcher file chosen as the program (from the applications menu) runs what it describes.
int startDesktopFile(const QString &path, const QString &parameter)
{
    if (!isReadable(path))
        return Shell::AccessDenied;
    // GIO refuses a launcher that is malformed, hidden or whose Exec program is missing, but
    // takes one without Exec, which only D-Bus activation could start.
    const GObjectPtr<GDesktopAppInfo> application(
        g_desktop_app_info_new_from_filename(QFile::encodeName(path).constData()));
    if (!application || !canStart(application.get()))
        return Shell::BadFormat;
    return launchWithUri(G_APP_INFO(application.get()), uriOfParameter(parameter));
}

// What execve would take: an ELF image or a script with "#!". The check is ours because
// QProcess only says that the start failed, not why. A file we may run but not read is left
// to the kernel. Formats registered with binfmt_misc are not recognised.
bool looksLikeProgram(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return true;
    const QByteArray start = file.read(4);
    return start.startsWith("\x7f"
                            "ELF") ||
           start.startsWith("#!");
}

// A bare name is looked up on PATH, as a command line would; a name with "/" is a path.
QString resolveProgram(const QString &program)
{
    if (program.contains(QLatin1Char('/')))
        return program;
    return QStandardPaths::findExecutable(program);
}

// The parameter goes to the program as exactly one argument and no command interpreter sees
// it: a path with blanks must reach the program whole.
int startProgram(const QString &program, const QString &parameter)
{
    const QString path = resolveProgram(program);
    struct stat info
    {
    };
    if (const std::optional<int> failure = failureOfStat(path, info))
        return *failure;
    if (S_ISREG(info.st_mode) && path.endsWith(QLatin1String(".desktop")))
        return startDesktopFile(path, parameter);
    // execve itself answers EACCES for a folder or a file without an x bit for us.
    if (!S_ISREG(info.st_mode) || ::access(QFile::encodeName(path).constData(), X_OK) != 0)
        return Shell::AccessDenied;
    if (!looksLikeProgram(path))
        return Shell::BadFormat;
    // After the checks above, a refused start is nearly always an image the kernel cannot
    // run (another architecture, a missing script interpreter).
    return QProcess::startDetached(path, {parameter}) ? Shell::Started : Shell::BadFormat;
}

// A browser skips blanks and control characters before a scheme, and schemes have no case.
bool hasScriptScheme(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start].unicode() <= u' ')
        ++start;
    const QStringView rest = QStringView(text).sliced(start);
    return rest.startsWith(QLatin1String("javascript:"), Qt::CaseInsensitive) ||
           rest.startsWith(QLatin1String("data:"), Qt::CaseInsensitive);
}

class DesktopShell final : public Shell
{
public:
    int open(const QString &file, const QString &parameters) override
    {
        if (refusalOf(file, parameters) != Refusal::None)
            return Shell::AccessDenied;
        if (!parameters.isEmpty())
            return startProgram(file, parameters);
        return isUrl(file) ? openUrl(file) : openLocalPath(file);
    }
};

} // namespace

Shell::Refusal Shell::refusalOf(const QString &file, const QString &parameters)
{
    const QString &path = parameters.isEmpty() ? file : parameters;
    if (path.startsWith(u'-'))
        return Refusal::OptionLikePath;
    if (hasScriptScheme(path))
        return Refusal::ScriptUrl;
    return Refusal::None;
}

std::unique_ptr<Shell> Shell::createDesktopShell()
{
    return std::make_unique<DesktopShell>();
}
