// SPDX-License-Identifier: GPL-3.0-or-later
// The catalog files that one session leaves as they are, whatever the commands ask.
#pragma once

#include <QHash>
#include <QString>

#include <optional>

// A file is read-only for the rest of the session when writing it would replace what nobody
// has seen or saved: one that is there but cannot be read, or a damaged one whose copy could
// not be kept. Each keeps the reason the user was given; the next start looks again.
class ReadOnlyFiles final
{
public:
    // True when file was not read-only before.
    bool add(const QString &file, const QString &reason);
    // Why file must not be written in this session; none when it may be.
    std::optional<QString> reasonFor(const QString &file) const;

private:
    QHash<QString, QString> m_reasons;
};
