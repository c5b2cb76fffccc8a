// SPDX-License-Identifier: GPL-3.0-or-later
// A file writer that fails on demand the way a disk does: refusing to create a file, failing
// the Nth write, filling up part-way through a write, failing to sync, failing to rename.
#pragma once

#include "filewriter.h"

#include <QSaveFile>

#include <cerrno>
#include <cstring>

class FailingFileWriter final : public FileWriter
{
public:
    enum class Fault { None, Create, Write, FullDisk, Commit, Rename };

    // From the nth call of the fault's kind on (counted from 1), every such call fails until
    // heal(). FullDisk instead takes diskSpace more bytes and then refuses every byte.
    void failFrom(Fault fault, int nth = 1, qint64 diskSpace = 0)
    {
        m_fault = fault;
        m_failFrom = nth;
        m_space = diskSpace;
        m_calls = 0;
    }
    void heal() { m_fault = Fault::None; }
    int failures() const { return m_failures; }

    // The reason each fault gives, as the system would word it.
    static QString reasonFor(Fault fault)
    {
        switch (fault) {
        case Fault::Create:
            return text(EACCES);
        case Fault::Write:
            return text(EIO);
        case Fault::FullDisk:
            return text(ENOSPC);
        case Fault::Commit:
            return text(EDQUOT);
        case Fault::Rename:
            return text(EROFS);
        case Fault::None:
            break;
        }
        return {};
    }

    std::optional<QString> open(QSaveFile &file) override
    {
        if (fails(Fault::Create))
            return reasonFor(Fault::Create);
        return FileWriter::open(file);
    }

    std::optional<QString> write(QSaveFile &file, QByteArrayView bytes) override
    {
        if (m_fault == Fault::FullDisk && bytes.size() > m_space) {
            // The disk takes what still fits, as a real one does, and refuses the rest.
            FileWriter::write(file, bytes.first(m_space));
            m_space = 0;
            ++m_failures;
            return reasonFor(Fault::FullDisk);
        }
        if (m_fault == Fault::FullDisk)
            m_space -= bytes.size();
        if (fails(Fault::Write))
            return reasonFor(Fault::Write);
        return FileWriter::write(file, bytes);
    }

    std::optional<QString> commit(QSaveFile &file) override
    {
        if (fails(Fault::Commit))
            return reasonFor(Fault::Commit);
        return FileWriter::commit(file);
    }

    std::optional<QString> rename(const QString &from, const QString &to) override
    {
        if (fails(Fault::Rename))
            return reasonFor(Fault::Rename);
        return FileWriter::rename(from, to);
    }

private:
    static QString text(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

    bool fails(Fault kind)
    {
        if (m_fault != kind || ++m_calls < m_failFrom)
            return false;
        ++m_failures;
        return true;
    }

    Fault m_fault = Fault::None;
    int m_failFrom = 1;
    int m_calls = 0;
    int m_failures = 0;
    qint64 m_space = 0;
};
