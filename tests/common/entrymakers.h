// SPDX-License-Identifier: GPL-3.0-or-later
// Entry records in one call, for the tests that build catalogs and compare what they hold.
#pragma once

#include "mfile.h"

inline MFile fileEntry(const QByteArray &path, const QByteArray &description = {},
                       const QByteArray &program = {})
{
    return MFile{MFile::FileKind, path, program, description};
}

inline MFile urlEntry(const QByteArray &url, const QByteArray &description = {},
                      const QByteArray &program = {})
{
    return MFile{MFile::UrlKind, url, program, description};
}
