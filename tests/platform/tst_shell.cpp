// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop shell against private MIME associations: handlers and programs are small
// scripts that record the arguments they were started with.
#include "nativefile.h"
#include "shell.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <unistd.h>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(std::optional<QByteArray>)

namespace {
// What a recorder writes: the number of its arguments, then each on a line.
QByteArray arguments(const QList<QByteArray> &list = {})
{
    QByteArray out = QByteArray::number(list.size()) + '\n';
    for (const QByteArray &argument : list)
        out += argument + '\n';
    return out;
}
} // namespace

class TestShell : public QObject
{
    Q_OBJECT
public:
    TestShell();

private Q_SLOTS:
    void initTestCase();
    void init();
    void opensWithTheDefaultProgram_data();
    void opensWithTheDefaultProgram();
    void startsLaunchersAndPrograms_data();
    void startsLaunchersAndPrograms();
    void startsTheChosenProgramWithOneArgument_data();
    void startsTheChosenProgramWithOneArgument();
    void refusals_data();
    void refusals();

private:
    QByteArray fixture(const QString &name) const { return QFile::encodeName(m_fixtures.filePath(name)); }
    QByteArray recorded(const QString &recorder) const;
    void writeFile(const QString &name, const QByteArray &bytes, QFile::Permissions extra = {});
    QByteArray addRecorder(const QString &name);
    QByteArray writeLauncher(const QString &path, const QByteArray &exec, const QByteArray &mimeType = {});
    void setUpAssociations();

    QTemporaryDir m_fixtures;
    std::unique_ptr<NativeFile> m_latin1Notes;
    QString m_applications;
    std::unique_ptr<Shell> m_shell;
};

// GIO reads the XDG variables once, at its first use: everything it should see is in place
// before that. The system's own applications stay out of sight (a text editor there would
// take text/plain); its MIME database is reached through a link.
TestShell::TestShell()
{
    const QString systemData = m_fixtures.filePath(u"system-data"_s);
    QDir().mkpath(systemData);
    QFile::link(u"/usr/share/mime"_s, systemData + u"/mime"_s);
    qputenv("XDG_DATA_DIRS", QFile::encodeName(systemData));
    qputenv("XDG_CONFIG_DIRS", fixture(u"system-config"_s));
    qunsetenv("XDG_CURRENT_DESKTOP");
    QDir().mkpath(m_fixtures.filePath(u"bin"_s));
    QDir().mkpath(m_fixtures.filePath(u"out"_s));
    qputenv("PATH", fixture(u"bin"_s) + ':' + qgetenv("PATH"));
    m_applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications/"_s;
    QDir().mkpath(m_applications);
    setUpAssociations();
    m_shell = Shell::createDesktopShell();
}

QByteArray TestShell::recorded(const QString &recorder) const
{
    QFile file(m_fixtures.filePath(u"out/"_s + recorder));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TestShell::writeFile(const QString &name, const QByteArray &bytes, QFile::Permissions extra)
{
    QFile file(m_fixtures.filePath(name));
    QDir().mkpath(QFileInfo(file).absolutePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | extra));
}

// A program that writes its arguments to out/<name>; the rename makes the file appear
// whole, so a test never reads it half written.
QByteArray TestShell::addRecorder(const QString &name)
{
    const QByteArray out = fixture(u"out/"_s + name);
    const QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$@\" > '" + out + ".part' && mv '" + out +
                              ".part' '" + out + "'\n";
    writeFile(u"bin/"_s + name, script, QFile::ExeOwner);
    return fixture(u"bin/"_s + name);
}

// exec is the Exec line without the program's name; mimeType, when given, is handled.
QByteArray TestShell::writeLauncher(const QString &path, const QByteArray &exec, const QByteArray &mimeType)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write %s", qPrintable(path));
    file.write("[Desktop Entry]\nType=Application\nName=" + QFile::encodeName(QFileInfo(path).fileName()) +
               "\nExec=" + exec + '\n' +
               (mimeType.isEmpty() ? QByteArray() : "MimeType=" + mimeType + ";\n"));
    return QFile::encodeName(path);
}

void TestShell::setUpAssociations()
{
    // fieldCode says how a handler takes its file: %f as a path, %u as a URI.
    writeLauncher(m_applications + u"linkshelf-text.desktop"_s, addRecorder(u"text-handler"_s) + " %f",
                  "text/plain");
    writeLauncher(m_applications + u"linkshelf-web.desktop"_s, addRecorder(u"web-handler"_s) + " %u",
                  "x-scheme-handler/http");
    QFile list(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_s);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\ntext/plain=linkshelf-text.desktop\n"
               "x-scheme-handler/http=linkshelf-web.desktop\n");
    addRecorder(u"chosen"_s);
    // Started through env, as packaged programs often are.
    writeLauncher(m_applications + u"linkshelf-env.desktop"_s,
                  "env LINKSHELF_MODE=1 " + addRecorder(u"env-program"_s) + " %f");
    writeLauncher(m_fixtures.filePath(u"Desktop/marked.desktop"_s), addRecorder(u"marked"_s) + " %U");
    QFile::setPermissions(m_fixtures.filePath(u"Desktop/marked.desktop"_s),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    writeLauncher(m_fixtures.filePath(u"Downloads/unmarked.desktop"_s), addRecorder(u"unmarked"_s));
    writeFile(u"notes.txt"_s, "plain text\n");
    writeFile(u"My Notes/plan 1.txt"_s, "plain text\n");
    m_latin1Notes = std::make_unique<NativeFile>(fixture(u"notes-"_s) + Latin1Name + ".txt", "plain text\n");
    writeFile(u"data.lsnone"_s, QByteArray("\x00\x01\x02\xff\xfe", 5));
    writeFile(u"not-a-program"_s, "echo plain text with an x bit\n", QFile::ExeOwner);
    writeFile(u"empty-program"_s, QByteArray(), QFile::ExeOwner);
    writeFile(u"orphan-script"_s, "#!/nonexistent/interpreter\n", QFile::ExeOwner);
    writeFile(u"not-executable"_s, "#!/bin/sh\nexit 0\n");
    writeFile(u"unreadable.txt"_s, "secret\n");
    QFile::setPermissions(m_fixtures.filePath(u"unreadable.txt"_s), QFile::WriteOwner);
    writeFile(u"broken.desktop"_s, "[Desktop Entry]\nType=Application\nName=Broken\n");
    QDir().mkpath(m_fixtures.filePath(u"folder"_s));
}

void TestShell::initTestCase()
{
    QVERIFY(m_fixtures.isValid());
    QVERIFY2(QFileInfo::exists(m_fixtures.filePath(u"system-data/mime/mime.cache"_s)), "the MIME database");
    QVERIFY(localeIsUtf8());
    QVERIFY(m_latin1Notes->written());
}

void TestShell::init()
{
    QDir out(m_fixtures.filePath(u"out"_s));
    for (const QString &name : out.entryList(QDir::Files))
        QVERIFY(out.remove(name));
}

void TestShell::opensWithTheDefaultProgram_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QByteArray>("received");

    const QByteArray notes = fixture(u"notes.txt"_s);
    const QByteArray plan = fixture(u"My Notes/plan 1.txt"_s);
    const QByteArray latin1 = m_latin1Notes->path();
    QTest::newRow("text file") << notes << u"text-handler"_s << arguments({notes});
    QTest::newRow("blanks in the path") << plan << u"text-handler"_s << arguments({plan});
    QTest::newRow("file URL") << QUrl::fromLocalFile(QString::fromUtf8(plan)).toEncoded() << u"text-handler"_s
                              << arguments({plan});
    QTest::newRow("name not valid UTF-8") << latin1 << u"text-handler"_s << arguments({latin1});
    QTest::newRow("file URL of that name")
        << "file://" + fixture(u"notes-caf%E9.txt"_s) << u"text-handler"_s << arguments({latin1});
    QTest::newRow("document with an x bit")
        << fixture(u"not-a-program"_s) << u"text-handler"_s << arguments({fixture(u"not-a-program"_s)});
    // A launcher that arrived by download is shown, not run.
    const QByteArray unmarked = fixture(u"Downloads/unmarked.desktop"_s);
    QTest::newRow("launcher outside the menus, not executable")
        << unmarked << u"text-handler"_s << arguments({unmarked});
    QTest::newRow("http URL") << QByteArray("http://example.org/a?b=1&c=2") << u"web-handler"_s
                              << arguments({"http://example.org/a?b=1&c=2"});
}

void TestShell::opensWithTheDefaultProgram()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, handler);
    QFETCH(QByteArray, received);

    QCOMPARE(m_shell->open(file), int(Shell::Started));
    QTRY_COMPARE(recorded(handler), received);
}

// A file entry that is itself a launcher or a program starts, with no argument.
void TestShell::startsLaunchersAndPrograms_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<QString>("recorder");

    QTest::newRow("launcher of the menus")
        << QFile::encodeName(m_applications + u"linkshelf-text.desktop"_s) << u"text-handler"_s;
    QTest::newRow("launcher through env")
        << QFile::encodeName(m_applications + u"linkshelf-env.desktop"_s) << u"env-program"_s;
    QTest::newRow("launcher marked executable") << fixture(u"Desktop/marked.desktop"_s) << u"marked"_s;
    QTest::newRow("program") << fixture(u"bin/chosen"_s) << u"chosen"_s;
}

void TestShell::startsLaunchersAndPrograms()
{
    QFETCH(QByteArray, file);
    QFETCH(QString, recorder);

    QCOMPARE(m_shell->open(file), int(Shell::Started));
    QTRY_COMPARE(recorded(recorder), arguments());
}

void TestShell::startsTheChosenProgramWithOneArgument_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QByteArray>("argument");
    QTest::addColumn<QString>("recorder");
    QTest::addColumn<QByteArray>("received");

    const QByteArray chosen = fixture(u"bin/chosen"_s);
    const QByteArray plan = fixture(u"My Notes/plan 1.txt"_s);
    const QByteArray launcher = QFile::encodeName(m_applications + u"linkshelf-text.desktop"_s);
    QTest::newRow("path with blanks") << chosen << plan << u"chosen"_s << arguments({plan});
    QTest::newRow("URL") << chosen << QByteArray("https://example.org/?q=a b&x=$HOME") << u"chosen"_s
                         << arguments({"https://example.org/?q=a b&x=$HOME"});
    QTest::newRow("no interpreter") << chosen << QByteArray("a;b' \"c\" `d` *") << u"chosen"_s
                                    << arguments({"a;b' \"c\" `d` *"});
    QTest::newRow("name not valid UTF-8")
        << chosen << "/tmp/" + Latin1Name << u"chosen"_s << arguments({"/tmp/" + Latin1Name});
    QTest::newRow("name on PATH") << QByteArray("chosen") << plan << u"chosen"_s << arguments({plan});
    QTest::newRow("no argument") << chosen << QByteArray() << u"chosen"_s << arguments();
    QTest::newRow("launcher file") << launcher << plan << u"text-handler"_s << arguments({plan});
    QTest::newRow("launcher file, no argument")
        << launcher << QByteArray() << u"text-handler"_s << arguments();
    QTest::newRow("launcher through env") << QFile::encodeName(m_applications + u"linkshelf-env.desktop"_s)
                                          << plan << u"env-program"_s << arguments({plan});
}

void TestShell::startsTheChosenProgramWithOneArgument()
{
    QFETCH(QByteArray, program);
    QFETCH(QByteArray, argument);
    QFETCH(QString, recorder);
    QFETCH(QByteArray, received);

    QCOMPARE(m_shell->start(program, argument), int(Shell::Started));
    QTRY_COMPARE(recorded(recorder), received);
}

void TestShell::refusals_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<std::optional<QByteArray>>("argument"); // none: opened, not started
    QTest::addColumn<int>("code");

    const std::optional<QByteArray> opened;
    const std::optional<QByteArray> plan = fixture(u"My Notes/plan 1.txt"_s);
    QTest::newRow("no file") << QByteArray() << opened << int(Shell::FileNotFound);
    QTest::newRow("missing file") << fixture(u"gone.txt"_s) << opened << int(Shell::FileNotFound);
    QTest::newRow("missing file URL")
        << "file://" + fixture(u"gone.txt"_s) << opened << int(Shell::FileNotFound);
    QTest::newRow("Windows path") << QByteArray("C:\\Notes\\plan.txt") << opened << int(Shell::FileNotFound);
    QTest::newRow("missing folder") << fixture(u"gone/plan.txt"_s) << opened << int(Shell::PathNotFound);
    QTest::newRow("file as folder") << fixture(u"notes.txt/plan.txt"_s) << opened << int(Shell::PathNotFound);
    QTest::newRow("unknown type") << fixture(u"data.lsnone"_s) << opened << int(Shell::NoAssociation);
    QTest::newRow("unknown scheme") << QByteArray("linkshelf-nowhere://x") << opened
                                    << int(Shell::NoAssociation);
    QTest::newRow("no handler for folders") << fixture(u"folder"_s) << opened << int(Shell::NoAssociation);
    QTest::newRow("missing program") << fixture(u"bin/gone"_s) << plan << int(Shell::FileNotFound);
    QTest::newRow("program not on PATH")
        << QByteArray("linkshelf-no-such-program") << plan << int(Shell::FileNotFound);
    QTest::newRow("program in missing folder")
        << fixture(u"gone/program"_s) << plan << int(Shell::PathNotFound);
    QTest::newRow("program without x bit")
        << fixture(u"not-executable"_s) << plan << int(Shell::AccessDenied);
    QTest::newRow("folder as program") << fixture(u"folder"_s) << plan << int(Shell::AccessDenied);
    QTest::newRow("text with x bit") << fixture(u"not-a-program"_s) << plan << int(Shell::BadFormat);
    QTest::newRow("empty file with x bit") << fixture(u"empty-program"_s) << plan << int(Shell::BadFormat);
    QTest::newRow("missing interpreter") << fixture(u"orphan-script"_s) << plan << int(Shell::BadFormat);
    QTest::newRow("launcher without Exec") << fixture(u"broken.desktop"_s) << plan << int(Shell::BadFormat);
    // Nothing runs: the program would read the path as an option, the link as its own code.
    const QByteArray chosen = fixture(u"bin/chosen"_s);
    QTest::newRow("path that is an option")
        << chosen << std::optional<QByteArray>("-cimport os") << int(Shell::AccessDenied);
    QTest::newRow("javascript: link")
        << chosen << std::optional<QByteArray>("javascript:alert(1)") << int(Shell::AccessDenied);
    QTest::newRow("data: link, capitals after blanks")
        << chosen << std::optional<QByteArray>(" \tDATA:text/html,<script>x</script>")
        << int(Shell::AccessDenied);
    QTest::newRow("javascript: link, default program")
        << QByteArray("javascript:alert(1)") << opened << int(Shell::AccessDenied);
    // The superuser reads everything.
    if (::geteuid() != 0)
        QTest::newRow("unreadable file")
            << fixture(u"unreadable.txt"_s) << opened << int(Shell::AccessDenied);
}

void TestShell::refusals()
{
    QFETCH(QByteArray, file);
    QFETCH(std::optional<QByteArray>, argument);
    QFETCH(int, code);

    QCOMPARE(argument ? m_shell->start(file, *argument) : m_shell->open(file), code);
}

LINKSHELF_TEST_CORE_MAIN(TestShell)
#include "tst_shell.moc"
