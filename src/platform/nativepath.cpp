// SPDX-License-Identifier: GPL-3.0-or-later
#include "nativepath.h"

#include <sys/stat.h>

bool existsAtPath(const QByteArray &path)
{
    struct stat info
    {
    };
    // A zero byte would end the name early, at another file.
    return !path.isEmpty() && !path.contains('\0') && ::stat(path.constData(), &info) == 0;
}
