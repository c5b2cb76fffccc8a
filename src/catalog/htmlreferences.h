// SPDX-License-Identifier: GPL-3.0-or-later
// HTML's character references and white space, as the bookmark HTML reader needs them.
#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

bool isAsciiLetter(QChar c);
bool isAsciiAlnum(QChar c);
bool isHtmlSpace(QChar c);

// Numeric references with or without their ";"; named ones (those of HTML 4 for Latin-1 and
// the common punctuation) only with it. Unknown names stay as written.
QString decodeReferences(QStringView raw);

QStringView trimmedHtmlSpace(QStringView text);
QString withoutTrailingSpace(const QString &text);
