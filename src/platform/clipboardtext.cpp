// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard's plain text, the stand-in for the clipboard's standard text format.
#include "clipboardtext.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

std::optional<QString> clipboardText()
{
    // An empty text still counts as text: only a clipboard without any text is "none".
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    if (!mime || !mime->hasText())
        return std::nullopt;
    return mime->text();
}
