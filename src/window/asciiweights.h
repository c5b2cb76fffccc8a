// SPDX-License-Identifier: GPL-3.0-or-later
// The collator's order of texts of printable ASCII, found from one weight per character, so
// that a folder's rows can be checked for order without decoding and collating each of them.
#pragma once

#include <QByteArrayView>

#include <array>

class QCollator;

class AsciiWeights
{
public:
    // Weights for the characters " " to "~" (case aside where the collator puts case last),
    // kept only when every two texts of up to two of those characters that they tell apart
    // sort the same way by the collator: a locale that joins letters ("ch", "aa") or ignores
    // some gets none, and every comparison goes to the collator.
    explicit AsciiWeights(const QCollator &collator);

    enum Order { Before = -1, Tied = 0, After = 1, Undecided = 2 };
    // How a sorts against b by the weights: Tied and Undecided leave it to the collator (texts
    // the weights do not tell apart, or that hold a character outside " " to "~").
    Order compare(QByteArrayView a, QByteArrayView b) const;

private:
    static constexpr quint8 Outside = 0xff;
    std::array<quint8, 256> m_weight; // by byte; Outside for every byte when none were kept
};
