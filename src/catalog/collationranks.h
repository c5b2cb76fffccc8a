// SPDX-License-Identifier: GPL-3.0-or-later
// The order of many texts by a collator, as ranks: what sorting a big folder by a column needs.
#pragma once

#include "asciicollation.h"

#include <QCollator>
#include <QString>

#include <functional>
#include <vector>

// The rank of each of count texts in the collator's order, the first 0, texts that collate
// alike sharing one. Plain-ASCII texts are keyed by the table, the rest by the collator; the
// two sorted groups are merged with the collator. textAt is called from two threads at once.
std::vector<quint32> collationRanks(const QCollator &collator, const AsciiCollation &table, size_t count,
                                    const std::function<QString(size_t)> &textAt);

// A collator of the same settings, for another thread: one must not be shared between threads.
QCollator collatorLike(const QCollator &model);
