// SPDX-License-Identifier: GPL-3.0-or-later
// Fuzzes the reader of the message a second start sends to the running Linkshelf: any bytes a
// local peer sends are read without reading past them, a message read is written back to the
// same bytes' meaning, and texts written are read back unchanged.
#include "forwardedcommandline.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));

    const std::optional<qsizetype> announced = forwardedMessageSize(bytes);
    const std::optional<ForwardedCommandLine> read = decodeCommandLine(bytes);
    if (read && (!announced || *announced != bytes.size()))
        std::abort(); // a message is read only when it is exactly as long as it says
    if (read && decodeCommandLine(encodeCommandLine(*read)) != read)
        std::abort();

    // The input as texts: whatever they hold, they come back as they went.
    ForwardedCommandLine sent;
    const QList<QByteArray> parts = bytes.toByteArray().split('\0');
    sent.currentDir = QString::fromUtf8(parts.first());
    for (qsizetype i = 1; i < parts.size(); ++i)
        sent.arguments.append(QString::fromUtf8(parts[i]));
    const QByteArray message = encodeCommandLine(sent);
    if (message.size() <= MaxForwardedBytes && decodeCommandLine(message) != sent)
        std::abort();
    return 0;
}
