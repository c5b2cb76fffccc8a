// SPDX-License-Identifier: GPL-3.0-or-later
#include "readonlyfiles.h"

bool ReadOnlyFiles::add(const QString &file, const QString &reason)
{
    if (m_reasons.contains(file))
        return false;
    m_reasons.insert(file, reason);
    return true;
}

std::optional<QString> ReadOnlyFiles::reasonFor(const QString &file) const
{
    const auto found = m_reasons.constFind(file);
    if (found == m_reasons.cend())
        return std::nullopt;
    return *found;
}
