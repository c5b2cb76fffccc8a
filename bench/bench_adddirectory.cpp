// SPDX-License-Identifier: GPL-3.0-or-later
// Adding a directory of 10k and of 20k files (the second should cost about twice the first),
// dropping 10k files, a later start handing over 20k paths, and how many times each command
// writes the folder's contents file (counted by watching the work directory for the renames
// that replace it).
#include "benchsupport.h"
#include "contentsfile.h"
#include "forwardedstart.h"
#include "syntheticcatalog.h"

#include <QUrl>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Counts the atomic replacements of one file: each ends with a rename onto its name.
class WriteCounter
{
public:
    WriteCounter(const QString &dir, QByteArray name)
        : m_fd(inotify_init1(IN_NONBLOCK))
        , m_name(std::move(name))
    {
        inotify_add_watch(m_fd, QFile::encodeName(dir).constData(), IN_MOVED_TO);
    }
    ~WriteCounter() { ::close(m_fd); }
    Q_DISABLE_COPY_MOVE(WriteCounter)

    int take()
    {
        int count = 0;
        alignas(inotify_event) char buffer[64 * 1024];
        for (;;) {
            const ssize_t length = ::read(m_fd, buffer, sizeof buffer);
            if (length <= 0)
                return count;
            for (ssize_t at = 0; at < length;) {
                const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
                if (event->mask & IN_Q_OVERFLOW)
                    return -1; // more writes than the kernel queues: far more than one
                if ((event->mask & IN_MOVED_TO) && event->len && m_name == event->name)
                    ++count;
                at += ssize_t(sizeof(inotify_event) + event->len);
            }
        }
    }

private:
    int m_fd;
    QByteArray m_name;
};

struct Setup
{
    QString contentsFile;
    TMain &w;
    QByteArray startBytes;
    // The folder as it was before the command, read again as a selection would.
    void restore() const
    {
        QFile file(contentsFile);
        if (file.open(QIODevice::WriteOnly))
            file.write(startBytes);
        file.close();
        w.session().LoadFolderContents();
        QCoreApplication::processEvents();
    }
};

double timeCommand(const Setup &setup, WriteCounter &writes, int &writesPerCommand, int runs,
                   const std::function<void()> &command)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        setup.restore();
        writes.take();
        times.push_back(bench::timeMs([&] {
            bench::PaintWatch watch(setup.w.mainList()->currentView()->viewport());
            command();
            watch.waitForPaint();
        }));
        const int written = writes.take();
        if (writesPerCommand >= 0) // -1 (lost count) stays
            writesPerCommand = written < 0 ? -1 : std::max(writesPerCommand, written);
    }
    return bench::median(times);
}

int run()
{
    QTemporaryDir files;
    SyntheticCatalog catalog(files.path());
    const QString workDir = files.path() + QStringLiteral("/tree");
    const int small = bench::quick() ? 1000 : 10000;
    catalog.writeWorkDirectory(workDir, 1, {{0, 0}}, 0);
    const QString dir1 = files.path() + QStringLiteral("/add1");
    const QString dir2 = files.path() + QStringLiteral("/add2");
    const QStringList smallFiles = SyntheticCatalog::makeFiles(dir1, small, 5);
    const QStringList largeFiles = SyntheticCatalog::makeFiles(dir2, 2 * small, 6);

    bench::BenchWindow window(workDir);
    TMain &w = window.openAndPaint();
    WriteCounter writes(workDir, "cat0.lsf");
    const Setup empty{workDir + QStringLiteral("/cat0.lsf"), w, emptyContents()};
    const int runs = bench::runsFromArguments(5);
    int writes1 = 0, writes2 = 0, writesDrop = 0, writesFull = 0, writesHandOver = 0;
    const auto addDirectory = [&](const QString &dir) {
        return [&w, &window, dir] {
            window.interaction.directoryAnswers = {dir};
            w.entryCommands().AddDirectory();
        };
    };
    const double t1 = timeCommand(empty, writes, writes1, runs, addDirectory(dir1));
    const double t2 = timeCommand(empty, writes, writes2, runs, addDirectory(dir2));
    QList<QUrl> urls;
    for (const QString &path : smallFiles)
        urls.append(QUrl::fromLocalFile(path));
    const double drop =
        timeCommand(empty, writes, writesDrop, runs, [&] { w.entryCommands().DropFiles(urls); });
    const QStringList handedOver = QStringList{QStringLiteral("linkshelf")} + largeFiles;
    const double handOver = timeCommand(empty, writes, writesHandOver, runs,
                                        [&] { showForwardedStart(w, handedOver, files.path()); });
    // A folder that already holds entries: the new ones fall between the old ones.
    const Setup full{empty.contentsFile, w, serializeContents(catalog.entries(small, 3))};
    const double t3 = timeCommand(full, writes, writesFull, runs, addDirectory(dir1));

    bench::result("add directory of 10k files", bench::ms(t1), QStringLiteral("-"), QStringLiteral("-"), "-",
                  true);
    bench::result("add directory of 20k files", bench::ms(t2), bench::ms(t1) + QStringLiteral(" (10k)"),
                  bench::times(t2 / t1), "<= 2.2x the 10k add", t2 <= 2.2 * t1);
    bench::result("drop 10k files", bench::ms(drop), QStringLiteral("-"), QStringLiteral("-"), "-", true);
    bench::result("hand over 20k paths", bench::ms(handOver), QStringLiteral("-"), QStringLiteral("-"), "-",
                  true);
    bench::result("add 10k files to a folder of 10k", bench::ms(t3),
                  bench::ms(t1) + QStringLiteral(" (empty)"), bench::times(t3 / t1), "-", true);
    const int most = std::max({writes1, writes2, writesDrop, writesFull, writesHandOver});
    const int least = std::min({writes1, writes2, writesDrop, writesFull, writesHandOver});
    bench::result("contents writes per add / drop / hand-over",
                  least < 0 ? QStringLiteral("too many to count") : QString::number(most),
                  QStringLiteral("-"), QStringLiteral("-"), "1 per command", most == 1 && least == 1);
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
