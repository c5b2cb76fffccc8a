// SPDX-License-Identifier: GPL-3.0-or-later
// A plain length-prefixed format rather than QDataStream: a stream of containers reserves
// room from the count it reads, and the peer on a local socket is not trusted.
#include "forwardedcommandline.h"

#include <QtEndian>

#include <algorithm>

namespace {

// A failure is a sentence or two; a peer that announces more is not a Linkshelf.
constexpr qsizetype MaxOutcomeCharacters = 4096;

void putText(QByteArray &out, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    char length[4];
    qToLittleEndian(quint32(utf8.size()), length);
    out.append(length, 4).append(utf8);
}

} // namespace

QByteArray encodeCommandLine(const ForwardedCommandLine &commandLine)
{
    QByteArray body;
    putText(body, commandLine.currentDir);
    for (const QString &argument : commandLine.arguments)
        putText(body, argument);
    QByteArray message(4, '\0');
    qToLittleEndian(quint32(body.size()), message.data());
    return message + body;
}

std::optional<qsizetype> forwardedMessageSize(QByteArrayView received)
{
    if (received.size() < 4)
        return std::nullopt;
    const quint32 body = qFromLittleEndian<quint32>(received.data());
    if (body > quint32(MaxForwardedBytes - 4))
        return std::nullopt;
    return qsizetype(body) + 4;
}

std::optional<ForwardedCommandLine> decodeCommandLine(QByteArrayView message)
{
    const std::optional<qsizetype> size = forwardedMessageSize(message);
    if (!size || *size != message.size())
        return std::nullopt;
    QStringList texts;
    for (qsizetype at = 4; at < message.size();) {
        if (message.size() - at < 4)
            return std::nullopt;
        const quint32 length = qFromLittleEndian<quint32>(message.data() + at);
        at += 4;
        if (length > quint32(message.size() - at))
            return std::nullopt;
        texts.append(QString::fromUtf8(message.sliced(at, qsizetype(length))));
        at += qsizetype(length);
    }
    if (texts.isEmpty())
        return std::nullopt; // not even the directory
    return ForwardedCommandLine{texts.takeFirst(), texts};
}

QByteArray encodeOutcome(const QString &failure)
{
    QByteArray out;
    putText(out, failure.left(MaxOutcomeCharacters));
    return out;
}

std::optional<qsizetype> outcomeSize(QByteArrayView received)
{
    if (received.size() < 4)
        return std::nullopt;
    const quint32 length = qFromLittleEndian<quint32>(received.data());
    if (length > quint32(4 * MaxOutcomeCharacters)) // UTF-8 takes at most 4 bytes a character
        return std::nullopt;
    return 4 + qsizetype(length);
}

QString decodeOutcome(QByteArrayView outcome)
{
    return QString::fromUtf8(outcome.sliced(std::min<qsizetype>(4, outcome.size())));
}
