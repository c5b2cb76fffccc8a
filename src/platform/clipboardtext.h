// SPDX-License-Identifier: GPL-3.0-or-later
// The clipboard's plain text, the stand-in for the clipboard's standard text format.
#pragma once

#include <QString>

#include <optional>

// The clipboard's text, or none when it holds no text at all.
std::optional<QString> clipboardText();
