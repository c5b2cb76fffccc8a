// SPDX-License-Identifier: GPL-3.0-or-later
// The disk as a file system without hard links sees it (FAT, many network shares): every
// link is refused the way such a file system refuses it; everything else is the real disk.
#pragma once

#include "filewriter.h"

#include <cerrno>
#include <cstring>

class NoHardLinksWriter final : public FileWriter
{
public:
    std::optional<QString> link(const QString &, const QString &) override
    {
        ++refused;
        return QString::fromLocal8Bit(std::strerror(EPERM));
    }

    int refused = 0;
};
