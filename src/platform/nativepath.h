// SPDX-License-Identifier: GPL-3.0-or-later
// Paths as the catalog stores them: bytes that reach the file system unchanged. Qt's file
// classes carry names as UTF-8 text, so a name with another byte would become another name.
#pragma once

#include <QByteArray>

// Whether anything (a file, a folder, ...) is at path, links followed.
bool existsAtPath(const QByteArray &path);
