// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop shell against private MIME associations: handlers are small scripts that record
// the arguments they were started with.
#include "shell.h"
#include "testenvironment.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace Qt::StringLiterals;

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
    void startsTheChosenProgramWithOneArgument_data();
    void startsTheChosenProgramWithOneArgument();
    void refusals_data();
    void refusals();

private:
    QString fixture(const QString &name) const { return m_fixtures.filePath(name); }
    QString recorded(const QString &recorder) const;
    void writeFile(const QString &name, const QByteArray &bytes, QFile::Permissions extra = {});
    QString addRecorder(const QString &name);
    void addHandler(const QString &desktopId, const QString &recorder, const QByteArray &fieldCode,
                    const QByteArray &mimeType);
    void setUpAssociations();

    QTemporaryDir m_fixtures;
    std::unique_ptr<Shell> m_shell;
};

// GIO reads the XDG variables once, at its first use: everything it should see is in place
// before that. The system's own applications stay out of sight (a text editor there would
// take text/plain); its MIME database is reached through a link.
TestShell::TestShell()
{
    const QString systemData = fixture(u"system-data"_s);
    QDir().mkpath(systemData);
    QFile::link(u"/usr/share/mime"_s, systemData + u"/mime"_s);
    qputenv("XDG_DATA_DIRS", QFile::encodeName(systemData));
    qputenv("XDG_CONFIG_DIRS", QFile::encodeName(fixture(u"system-config"_s)));
    qunsetenv("XDG_CURRENT_DESKTOP");
    QDir().mkpath(fixture(u"bin"_s));
    QDir().mkpath(fixture(u"out"_s));
    qputenv("PATH", QFile::encodeName(fixture(u"bin"_s)) + ':' + qgetenv("PATH"));
    setUpAssociations();
    m_shell = Shell::createDesktopShell();
}

QString TestShell::recorded(const QString &recorder) const
{
    QFile file(fixture(u"out/"_s + recorder));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

void TestShell::writeFile(const QString &name, const QByteArray &bytes, QFile::Permissions extra)
{
    QFile file(fixture(name));
    QDir().mkpath(QFileInfo(file).absolutePath());
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
    file.close();
    QVERIFY(file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | extra));
}

// A program that writes its arguments, one a line, to out/<name>; the rename makes the file
// appear whole, so a test never reads it half written.
QString TestShell::addRecorder(const QString &name)
{
    const QString out = fixture(u"out/"_s + name);
    const QByteArray script = "#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + QFile::encodeName(out) +
                              ".part' && mv '" + QFile::encodeName(out) + ".part' '" +
                              QFile::encodeName(out) + "'\n";
    writeFile(u"bin/"_s + name, script, QFile::ExeOwner);
    return fixture(u"bin/"_s + name);
}

// fieldCode says how the handler takes its file: %f as a path, %u as a URI.
void TestShell::addHandler(const QString &desktopId, const QString &recorder, const QByteArray &fieldCode,
                           const QByteArray &mimeType)
{
    const QString applications = qEnvironmentVariable("XDG_DATA_HOME") + u"/applications/"_s;
    QDir().mkpath(applications);
    QFile file(applications + desktopId);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("[Desktop Entry]\nType=Application\nName=" + desktopId.toUtf8() + "\nExec=" +
               QFile::encodeName(addRecorder(recorder)) + ' ' + fieldCode + "\nMimeType=" + mimeType + ";\n");
}

void TestShell::setUpAssociations()
{
    addHandler(u"linkshelf-text.desktop"_s, u"text-handler"_s, "%f", "text/plain");
    addHandler(u"linkshelf-web.desktop"_s, u"web-handler"_s, "%u", "x-scheme-handler/http");
    QFile list(qEnvironmentVariable("XDG_CONFIG_HOME") + u"/mimeapps.list"_s);
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("[Default Applications]\ntext/plain=linkshelf-text.desktop\n"
               "x-scheme-handler/http=linkshelf-web.desktop\n");
    addRecorder(u"chosen"_s);
    writeFile(u"notes.txt"_s, "plain text\n");
    writeFile(u"My Notes/plan 1.txt"_s, "plain text\n");
    writeFile(u"data.lsnone"_s, QByteArray("\x00\x01\x02\xff\xfe", 5));
    writeFile(u"not-a-program"_s, "echo plain text with an x bit\n", QFile::ExeOwner);
    writeFile(u"empty-program"_s, QByteArray(), QFile::ExeOwner);
    writeFile(u"orphan-script"_s, "#!/nonexistent/interpreter\n", QFile::ExeOwner);
    writeFile(u"not-executable"_s, "#!/bin/sh\nexit 0\n");
    writeFile(u"unreadable.txt"_s, "secret\n");
    QFile::setPermissions(fixture(u"unreadable.txt"_s), QFile::WriteOwner);
    writeFile(u"broken.desktop"_s, "[Desktop Entry]\nType=Application\nName=Broken\n");
    QDir().mkpath(fixture(u"folder"_s));
}

void TestShell::initTestCase()
{
    QVERIFY(m_fixtures.isValid());
    QVERIFY2(QFileInfo::exists(fixture(u"system-data/mime/mime.cache"_s)), "the MIME database");
}

void TestShell::init()
{
    QDir out(fixture(u"out"_s));
    for (const QString &name : out.entryList(QDir::Files))
        QVERIFY(out.remove(name));
}

void TestShell::opensWithTheDefaultProgram_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("handler");
    QTest::addColumn<QString>("received");

    const QString notes = fixture(u"notes.txt"_s);
    const QString plan = fixture(u"My Notes/plan 1.txt"_s);
    QTest::newRow("text file") << notes << u"text-handler"_s << notes;
    QTest::newRow("blanks in the path") << plan << u"text-handler"_s << plan;
    QTest::newRow("file URL") << QUrl::fromLocalFile(plan).toString() << u"text-handler"_s << plan;
    QTest::newRow("executable opened, not run")
        << fixture(u"not-a-program"_s) << u"text-handler"_s << fixture(u"not-a-program"_s);
    QTest::newRow("http URL") << u"http://example.org/a?b=1&c=2"_s << u"web-handler"_s
                              << u"http://example.org/a?b=1&c=2"_s;
}

void TestShell::opensWithTheDefaultProgram()
{
    QFETCH(QString, file);
    QFETCH(QString, handler);
    QFETCH(QString, received);

    QCOMPARE(m_shell->open(file, QString()), int(Shell::Started));
    QTRY_COMPARE(recorded(handler), received + u'\n');
}

void TestShell::startsTheChosenProgramWithOneArgument_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<QString>("recorder");

    const QString chosen = fixture(u"bin/chosen"_s);
    const QString plan = fixture(u"My Notes/plan 1.txt"_s);
    QTest::newRow("path with blanks") << chosen << plan << u"chosen"_s;
    QTest::newRow("URL") << chosen << u"https://example.org/?q=a b&x=$HOME"_s << u"chosen"_s;
    QTest::newRow("no interpreter") << chosen << u"a;b' \"c\" `d` *"_s << u"chosen"_s;
    QTest::newRow("name on PATH") << u"chosen"_s << plan << u"chosen"_s;
    QTest::newRow("launcher file") << qEnvironmentVariable("XDG_DATA_HOME") +
                                          u"/applications/linkshelf-text.desktop"_s
                                   << plan << u"text-handler"_s;
}

void TestShell::startsTheChosenProgramWithOneArgument()
{
    QFETCH(QString, program);
    QFETCH(QString, parameters);
    QFETCH(QString, recorder);

    QCOMPARE(m_shell->open(program, parameters), int(Shell::Started));
    QTRY_COMPARE(recorded(recorder), parameters + u'\n');
}

void TestShell::refusals_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("parameters");
    QTest::addColumn<int>("code");

    const QString plan = fixture(u"My Notes/plan 1.txt"_s);
    QTest::newRow("no file") << QString() << QString() << int(Shell::FileNotFound);
    QTest::newRow("missing file") << fixture(u"gone.txt"_s) << QString() << int(Shell::FileNotFound);
    QTest::newRow("missing file URL")
        << QUrl::fromLocalFile(fixture(u"gone.txt"_s)).toString() << QString() << int(Shell::FileNotFound);
    QTest::newRow("Windows path") << u"C:\\Notes\\plan.txt"_s << QString() << int(Shell::FileNotFound);
    QTest::newRow("missing folder") << fixture(u"gone/plan.txt"_s) << QString() << int(Shell::PathNotFound);
    QTest::newRow("file as folder") << fixture(u"notes.txt/plan.txt"_s) << QString()
                                    << int(Shell::PathNotFound);
    QTest::newRow("unknown type") << fixture(u"data.lsnone"_s) << QString() << int(Shell::NoAssociation);
    QTest::newRow("unknown scheme") << u"linkshelf-nowhere://x"_s << QString() << int(Shell::NoAssociation);
    QTest::newRow("no handler for folders") << fixture(u"folder"_s) << QString() << int(Shell::NoAssociation);
    QTest::newRow("missing program") << fixture(u"bin/gone"_s) << plan << int(Shell::FileNotFound);
    QTest::newRow("program not on PATH")
        << u"linkshelf-no-such-program"_s << plan << int(Shell::FileNotFound);
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
    const QString chosen = fixture(u"bin/chosen"_s);
    QTest::newRow("path that is an option") << chosen << u"-cimport os"_s << int(Shell::AccessDenied);
    QTest::newRow("javascript: link") << chosen << u"javascript:alert(1)"_s << int(Shell::AccessDenied);
    QTest::newRow("data: link, capitals after blanks")
        << chosen << u" \tDATA:text/html,<script>x</script>"_s << int(Shell::AccessDenied);
    QTest::newRow("javascript: link, default program")
        << u"javascript:alert(1)"_s << QString() << int(Shell::AccessDenied);
    // The superuser reads everything.
    if (::geteuid() != 0)
        QTest::newRow("unreadable file")
            << fixture(u"unreadable.txt"_s) << QString() << int(Shell::AccessDenied);
}

void TestShell::refusals()
{
    QFETCH(QString, file);
    QFETCH(QString, parameters);
    QFETCH(int, code);

    QCOMPARE(m_shell->open(file, parameters), code);
}

LINKSHELF_TEST_CORE_MAIN(TestShell)
#include "tst_shell.moc"
