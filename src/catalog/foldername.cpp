// SPDX-License-Identifier: GPL-3.0-or-later
// Folder names as the tree file can keep them; a name that needs nothing is returned as it came.
#include "foldername.h"

#include <algorithm>

namespace {

bool breaksTheLine(char16_t c)
{
    return c == u'\t' || c == u'\n' || c == u'\v' || c == u'\f' || c == u'\r' || c == u'\x85' ||
           c == u'\x2028' || c == u'\x2029';
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f);
}

bool needsWork(const QString &text)
{
    if (text.startsWith(u' '))
        return true;
    return std::any_of(text.cbegin(), text.cend(),
                       [](QChar c) { return isControl(c.unicode()) || breaksTheLine(c.unicode()); });
}

} // namespace

QString folderNameFromText(const QString &text)
{
    // Names loaded from a tree file pass here too: most need nothing, and keep their text.
    if (!needsWork(text))
        return text;
    QString name;
    name.reserve(text.size());
    bool pendingBlank = false;
    for (const QChar c : text) {
        if (breaksTheLine(c.unicode())) {
            pendingBlank = !name.isEmpty();
        } else if (isControl(c.unicode()) || (c == u' ' && name.isEmpty())) {
            continue;
        } else {
            if (pendingBlank)
                name += u' ';
            pendingBlank = false;
            name += c;
        }
    }
    return name;
}
