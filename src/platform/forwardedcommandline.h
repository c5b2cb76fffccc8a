// SPDX-License-Identifier: GPL-3.0-or-later
// The message in which a second start hands its command line to the running Linkshelf.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <optional>

struct ForwardedCommandLine
{
    QString currentDir;    // where the second start ran, for its relative paths
    QStringList arguments; // as main() got them, the program first

    friend bool operator==(const ForwardedCommandLine &, const ForwardedCommandLine &) = default;
};

// The largest message either side accepts: a command line is far smaller, and a peer that
// sends more is not a Linkshelf.
inline constexpr qsizetype MaxForwardedBytes = qsizetype(1) << 20;

// Each text as a 32-bit little-endian byte count and its UTF-8 bytes: the directory first,
// then the arguments. The whole is preceded by its own 32-bit byte count.
QByteArray encodeCommandLine(const ForwardedCommandLine &commandLine);

// The message's size from its first four bytes, or none while fewer have arrived or when it
// is larger than MaxForwardedBytes.
std::optional<qsizetype> forwardedMessageSize(QByteArrayView received);

// Reads a whole message (size included); none when it is not exactly one well-formed message.
std::optional<ForwardedCommandLine> decodeCommandLine(QByteArrayView message);

// What the running Linkshelf answers once it has carried a command line out: why it could
// not do all of it, empty when it did. As a 32-bit little-endian byte count and UTF-8 bytes.
QByteArray encodeOutcome(const QString &failure);

// The outcome's size, its count included, from its first four bytes; none while fewer have
// arrived or when it is longer than any outcome.
std::optional<qsizetype> outcomeSize(QByteArrayView received);

// Reads a whole outcome (count included), as outcomeSize measured it.
QString decodeOutcome(QByteArrayView outcome);
