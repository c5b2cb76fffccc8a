// SPDX-License-Identifier: GPL-3.0-or-later
// QCommandLineParser's own --help and --version end the process; parse() is used instead, so
// that the caller decides and tests can look at every outcome.
#include "commandline.h"

#include "bookmarkmapping.h"
#include "catalogpaths.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

QString absolute(const QString &path, const QString &currentDir)
{
    return QDir::cleanPath(QDir(currentDir).absoluteFilePath(path));
}

bool hasUrlScheme(const QString &text)
{
    // Two letters at least, so that "C:" and other drive letters stay paths.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    return scheme.match(text).hasMatch();
}

QString usageHint()
{
    return QStringLiteral("Try \"linkshelf --help\" for more information.");
}

// The bytes as a shell's $'...' would give them: printable ASCII as it is, the rest as \xHH.
QString escapedBytes(const QByteArray &bytes)
{
    QString text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7f && byte != '\\')
            text += QLatin1Char(c);
        else
            text += QStringLiteral("\\x") + QString::number(byte, 16).toUpper().rightJustified(2, u'0');
    }
    return text;
}

} // namespace

ProgramArguments programArguments(const QList<QByteArray> &argv)
{
    ProgramArguments result;
    for (qsizetype i = 0; i < argv.size(); ++i) {
        if (i > 0 && !isPathCarriedExactly(argv[i])) {
            result.error =
                QStringLiteral("The argument \"%1\" is not valid UTF-8, and Linkshelf cannot take it as "
                               "a name: every file it names would be another one. Rename the file or "
                               "folder; a file to add may also be given as a file: URL, where such a "
                               "byte is written %E9.\n%2")
                    .arg(escapedBytes(argv[i]), usageHint());
            return result;
        }
        result.arguments.append(QFile::decodeName(argv[i]));
    }
    return result;
}

MFile entryForArgument(const QString &argument, const QString &currentDir)
{
    if (const std::optional<QByteArray> path = pathFromFileUrl(argument))
        return MFile{MFile::FileKind, *path, {}, {}};
    const QString local = absolute(argument, currentDir);
    if (!QFileInfo::exists(local) && hasUrlScheme(argument))
        return MFile{MFile::UrlKind, argument.toLocal8Bit(), {}, {}};
    return MFile{MFile::FileKind, QFile::encodeName(local), {}, {}};
}

CommandLineOptions parseCommandLine(const QStringList &arguments, const QString &currentDir)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Linkshelf keeps links to files and web pages in a tree of folders."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                  QStringLiteral("Show this help."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Show the version."));
    const QCommandLineOption workDir(
        QStringLiteral("workdir"),
        QStringLiteral("Use the catalog in DIR for this run, instead of the stored one."),
        QStringLiteral("DIR"));
    const QCommandLineOption add(
        QStringLiteral("add"),
        QStringLiteral("Add a file or URL to the selected folder; may be given several "
                       "times. With Linkshelf already running on the same catalog, it is "
                       "handed to that window."),
        QStringLiteral("PATH_OR_URL"));
    const QCommandLineOption importFrom(
        QStringLiteral("import"),
        QStringLiteral("Import a bookmark file (Netscape HTML or XBEL) as a new folder."),
        QStringLiteral("FILE"));
    const QCommandLineOption keepPrograms(
        QStringLiteral("keep-programs"),
        QStringLiteral("With --import, keep the programs that bookmarks name to open them with. "
                       "Without it they are left out, since a bookmark file can name any command."));
    const QCommandLineOption exportTo(
        QStringLiteral("export"),
        QStringLiteral("Export the whole catalog to FILE: XBEL when its name ends in "
                       ".xbel or .xml, Netscape bookmark HTML otherwise."),
        QStringLiteral("FILE"));
    const QCommandLineOption restoreBackup(
        QStringLiteral("restore-backup"),
        QStringLiteral("Replace the catalog with its daily backup of DATE (YYYY-MM-DD), kept in its "
                       "backups folder, then start. Close Linkshelf first."),
        QStringLiteral("DATE"));
    parser.addOptions({help, version, workDir, add, importFrom, keepPrograms, exportTo, restoreBackup});
    parser.addPositionalArgument(QStringLiteral("PATH_OR_URL"),
                                 QStringLiteral("Files or URLs to add, as --add."),
                                 QStringLiteral("[PATH_OR_URL...]"));

    CommandLineOptions options;
    const auto error = [&options](const QString &what) {
        options.action = CommandLineOptions::Action::Error;
        options.message = what + u'\n' + usageHint();
        return options;
    };
    if (!parser.parse(arguments))
        return error(parser.errorText());
    if (parser.isSet(help)) {
        options.action = CommandLineOptions::Action::ShowHelp;
        options.message = parser.helpText();
        return options;
    }
    if (parser.isSet(version)) {
        options.action = CommandLineOptions::Action::ShowVersion;
        options.message = QStringLiteral("Linkshelf " LINKSHELF_VERSION);
        return options;
    }
    for (const QCommandLineOption *single : {&workDir, &importFrom, &exportTo}) {
        const QStringList values = parser.values(*single);
        if (values.size() > 1)
            return error(
                QStringLiteral("The option --%1 may be given only once.").arg(single->names().constFirst()));
        if (values.size() == 1 && values.constFirst().isEmpty())
            return error(QStringLiteral("The option --%1 needs a name.").arg(single->names().constFirst()));
    }
    if (parser.isSet(keepPrograms) && !parser.isSet(importFrom))
        return error(QStringLiteral("The option --keep-programs goes with --import."));
    const QStringList toAdd = parser.values(add) + parser.positionalArguments();
    for (const QString &argument : toAdd) {
        if (argument.isEmpty())
            return error(QStringLiteral("An empty name cannot be added."));
        options.add.append(entryForArgument(argument, currentDir));
    }
    if (parser.isSet(workDir))
        options.workDir = absolute(parser.value(workDir), currentDir);
    if (parser.isSet(importFrom))
        options.importFile = absolute(parser.value(importFrom), currentDir);
    options.keepPrograms = parser.isSet(keepPrograms);
    if (parser.isSet(exportTo))
        options.exportFile = absolute(parser.value(exportTo), currentDir);
    if (parser.isSet(restoreBackup))
        options.restoreBackupDate = parser.value(restoreBackup);
    return options;
}
