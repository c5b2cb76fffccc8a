// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog's lock file: which process of which computer writes the catalog. The holder
// keeps the file open with a kernel lock on it, so a lock whose process is gone reads as free
// even when its process number now belongs to another program, and whatever the file says.
#pragma once

#include <QString>
#include <QtGlobal>

class CatalogLock final
{
public:
    enum class State {
        Taken,         // this process holds the lock
        HeldHere,      // a live process of this computer holds it
        HeldElsewhere, // the file names another computer (holder().host)
        NotAFile,      // a folder, a link or another special file is where the lock belongs
        Unavailable,   // no lock can be made (a missing or read-only folder): nothing to guard
    };
    // What the file said when it was last looked at: "PID\nPROGRAM\nHOST\n".
    struct Holder
    {
        qint64 pid = 0;
        QString host;
        // A fourth line "merges": the holder merges what others write into the catalog, so
        // that another computer may run Linkshelf on it at the same time.
        bool merges = false;
    };

    // host: this computer's name as the lock gives it (tests name other computers).
    explicit CatalogLock(const QString &path, const QString &host = hostName());
    ~CatalogLock(); // releases the lock
    Q_DISABLE_COPY_MOVE(CatalogLock)

    // Takes the lock when it is free or stale: empty, unreadable, or naming a process of
    // this computer that does not hold it.
    State tryTake();
    // Takes the lock whatever it says (another computer's, once the user agreed).
    bool takeOver();
    void release();

    const QString &path() const { return m_path; }
    const Holder &holder() const { return m_holder; }
    // This computer's name as lock files give it.
    static QString hostName();

private:
    enum class Open { File, ReadOnlyFile, NotAFile, Failed };
    Open openFile(int &fd) const;
    bool isStillAtPath(int fd) const;
    void readHolder(int fd);
    void writeOurselves(int fd);

    QString m_path;
    QString m_host;
    Holder m_holder;
    int m_fd = -1;
};
