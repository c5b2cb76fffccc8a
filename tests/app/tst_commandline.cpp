// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: every option, the entries that paths and URLs become, and the mistakes
// that end the run with a message.
#include "commandline.h"
#include "entrymakers.h"
#include "testenvironment.h"

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

using Action = CommandLineOptions::Action;
Q_DECLARE_METATYPE(CommandLineOptions::Action)

class TestCommandLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void options_data();
    void options();
    void mistakes_data();
    void mistakes();
    void helpAndVersion();
    void aNameThatIsNotUtf8IsRefused();

private:
    QTemporaryDir m_dir; // the current directory of the parsed command lines
    QByteArray m_cwd;
};

void TestCommandLine::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_cwd = QFile::encodeName(m_dir.path());
    QFile existing(m_dir.filePath(QStringLiteral("mailto:notes.txt")));
    QVERIFY(existing.open(QIODevice::WriteOnly)); // a file whose name looks like a URL
}

void TestCommandLine::options_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("workDir");
    QTest::addColumn<QList<MFile>>("add");
    QTest::addColumn<QString>("importFile");
    QTest::addColumn<QString>("exportFile");

    const QString cwd = QString::fromLocal8Bit(m_cwd);
    QTest::newRow("nothing") << QStringList{} << QString() << QList<MFile>{} << QString() << QString();
    QTest::newRow("another catalog, relative")
        << QStringList{QStringLiteral("--workdir"), QStringLiteral("cat/../other")}
        << cwd + QStringLiteral("/other") << QList<MFile>{} << QString() << QString();
    QTest::newRow("another catalog, absolute, with =")
        << QStringList{QStringLiteral("--workdir=/data/tree/")} << QStringLiteral("/data/tree")
        << QList<MFile>{} << QString() << QString();
    QTest::newRow("adds in order: options, then the other arguments")
        << QStringList{QStringLiteral("b.txt"), QStringLiteral("--add"), QStringLiteral("/abs/a.pdf"),
                       QStringLiteral("--add"), QStringLiteral("https://example.org/x?y=1")}
        << QString()
        << QList<MFile>{fileEntry("/abs/a.pdf"), urlEntry("https://example.org/x?y=1"),
                        fileEntry(m_cwd + "/b.txt")}
        << QString() << QString();
    QTest::newRow("file URLs as a desktop passes them")
        << QStringList{QStringLiteral("file:///home/u/My%20File%C3%A9.pdf"),
                       QStringLiteral("file:///x/caf%E9")}
        << QString() << QList<MFile>{fileEntry("/home/u/My File\xC3\xA9.pdf"), fileEntry("/x/caf\xE9")}
        << QString() << QString();
    QTest::newRow("URLs of other schemes")
        << QStringList{QStringLiteral("mailto:someone@example.org"), QStringLiteral("ftp://ftp.example.org/")}
        << QString()
        << QList<MFile>{urlEntry("mailto:someone@example.org"), urlEntry("ftp://ftp.example.org/")}
        << QString() << QString();
    QTest::newRow("an existing file whose name looks like a URL")
        << QStringList{QStringLiteral("mailto:notes.txt")} << QString()
        << QList<MFile>{fileEntry(m_cwd + "/mailto:notes.txt")} << QString() << QString();
    QTest::newRow("a drive letter is not a scheme")
        << QStringList{QStringLiteral("C:missing.txt")} << QString()
        << QList<MFile>{fileEntry(m_cwd + "/C:missing.txt")} << QString() << QString();
    QTest::newRow("a missing relative file, and one after --")
        << QStringList{QStringLiteral("sub/../new.txt"), QStringLiteral("--"), QStringLiteral("--add")}
        << QString() << QList<MFile>{fileEntry(m_cwd + "/new.txt"), fileEntry(m_cwd + "/--add")} << QString()
        << QString();
    QTest::newRow("import and export")
        << QStringList{QStringLiteral("--import"), QStringLiteral("in/bookmarks.html"),
                       QStringLiteral("--export"), QStringLiteral("/tmp/out.xbel")}
        << QString() << QList<MFile>{} << cwd + QStringLiteral("/in/bookmarks.html")
        << QStringLiteral("/tmp/out.xbel");
}

void TestCommandLine::options()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, workDir);
    QFETCH(QList<MFile>, add);
    QFETCH(QString, importFile);
    QFETCH(QString, exportFile);

    const CommandLineOptions options =
        parseCommandLine(QStringList{QStringLiteral("linkshelf")} + arguments, QString::fromLocal8Bit(m_cwd));
    QCOMPARE(options.action, Action::Run);
    QCOMPARE(options.message, QString());
    QCOMPARE(options.workDir, workDir);
    QCOMPARE(options.add, add);
    QCOMPARE(options.importFile, importFile);
    QCOMPARE(options.exportFile, exportFile);
}

void TestCommandLine::mistakes_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");

    QTest::newRow("unknown option") << QStringList{QStringLiteral("--frobnicate")}
                                    << QStringLiteral("Unknown option 'frobnicate'.");
    QTest::newRow("option without its value")
        << QStringList{QStringLiteral("--import")} << QStringLiteral("Missing value after '--import'.");
    QTest::newRow("two imports") << QStringList{QStringLiteral("--import=a"), QStringLiteral("--import=b")}
                                 << QStringLiteral("The option --import may be given only once.");
    QTest::newRow("two catalogs") << QStringList{QStringLiteral("--workdir=a"), QStringLiteral("--workdir=b")}
                                  << QStringLiteral("The option --workdir may be given only once.");
    QTest::newRow("empty export name")
        << QStringList{QStringLiteral("--export=")} << QStringLiteral("The option --export needs a name.");
    QTest::newRow("empty entry") << QStringList{QStringLiteral("--add"), QString()}
                                 << QStringLiteral("An empty name cannot be added.");
    QTest::newRow("programs kept from no import")
        << QStringList{QStringLiteral("--keep-programs")}
        << QStringLiteral("The option --keep-programs goes with --import.");
}

void TestCommandLine::mistakes()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    const CommandLineOptions options = parseCommandLine(QStringList{QStringLiteral("linkshelf")} + arguments);
    QCOMPARE(options.action, Action::Error);
    QCOMPARE(options.message, message + QStringLiteral("\nTry \"linkshelf --help\" for more information."));
    QVERIFY(options.add.isEmpty());
}

void TestCommandLine::helpAndVersion()
{
    for (const char *option : {"--help", "-h"}) {
        const CommandLineOptions help = parseCommandLine(
            {QStringLiteral("linkshelf"), QString::fromLatin1(option), QStringLiteral("--bogus=1")});
        QCOMPARE(help.action, Action::Error); // a mistake anywhere wins: nothing half-understood runs
        const CommandLineOptions clean =
            parseCommandLine({QStringLiteral("linkshelf"), QString::fromLatin1(option)});
        QCOMPARE(clean.action, Action::ShowHelp);
        for (const char *documented :
             {"--help", "--version", "--workdir <DIR>", "--add <PATH_OR_URL>", "--import <FILE>",
              "--keep-programs", "--export <FILE>", "--restore-backup <DATE>", "[PATH_OR_URL...]"})
            QVERIFY2(clean.message.contains(QLatin1String(documented)), documented);
    }
    const CommandLineOptions version = parseCommandLine({QStringLiteral("linkshelf"), QStringLiteral("-v")});
    QCOMPARE(version.action, Action::ShowVersion);
    QCOMPARE(version.message, QStringLiteral("Linkshelf " LINKSHELF_VERSION));
    // Help comes first when both are asked for.
    QCOMPARE(
        parseCommandLine({QStringLiteral("linkshelf"), QStringLiteral("--version"), QStringLiteral("--help")})
            .action,
        Action::ShowHelp);
}

// Qt decodes arguments and file names as UTF-8 under every locale, and such a name would come
// back as another one: the real program, given a real folder so named, refuses it and
// creates nothing, rather than starting a new catalog under the other name.
void TestCommandLine::aNameThatIsNotUtf8IsRefused()
{
    QTemporaryDir dir;
    const QByteArray folder = QFile::encodeName(dir.path()) + "/caf\xe9";
    QCOMPARE(::mkdir(folder.constData(), 0700), 0);
    QVERIFY(!QFileInfo::exists(QFile::decodeName(folder))); // Qt's name for it is another one

    QProcess program;
    // The shell puts the byte in the argument, which a QStringList could not carry.
    program.start(QStringLiteral("/bin/sh"),
                  {QStringLiteral("-c"), QStringLiteral("exec \"$0\" --workdir \"$1/$(printf 'caf\\351')\""),
                   QStringLiteral(LINKSHELF_PROGRAM), dir.path()});
    const bool ended = program.waitForFinished(30000);
    if (!ended)
        program.kill();
    QVERIFY2(ended, "the program started on the folder");
    QCOMPARE(program.exitCode(), 2);
    const QString said = QString::fromLocal8Bit(program.readAllStandardError());
    QVERIFY2(said.contains(QStringLiteral("caf\\xE9")), qPrintable(said));
    QVERIFY(!QFileInfo::exists(QFile::decodeName(folder))); // no catalog under Qt's name for it
    QCOMPARE(::rmdir(folder.constData()), 0);               // nor in the folder itself
}

LINKSHELF_TEST_CORE_MAIN(TestCommandLine)
#include "tst_commandline.moc"
