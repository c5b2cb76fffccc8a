// SPDX-License-Identifier: GPL-3.0-or-later
// HTML's character references and white space, as the bookmark HTML reader needs them.
#include "htmlreferences.h"

#include "bookmarkmapping.h"

#include <QHash>

#include <algorithm>

namespace {

// The named references of HTML 4 for U+00A0 to U+00FF, in code point order.
constexpr const char *Latin1Names[96] = {
    "nbsp",   "iexcl",  "cent",   "pound",  "curren", "yen",    "brvbar", "sect",   "uml",    "copy",
    "ordf",   "laquo",  "not",    "shy",    "reg",    "macr",   "deg",    "plusmn", "sup2",   "sup3",
    "acute",  "micro",  "para",   "middot", "cedil",  "sup1",   "ordm",   "raquo",  "frac14", "frac12",
    "frac34", "iquest", "Agrave", "Aacute", "Acirc",  "Atilde", "Auml",   "Aring",  "AElig",  "Ccedil",
    "Egrave", "Eacute", "Ecirc",  "Euml",   "Igrave", "Iacute", "Icirc",  "Iuml",   "ETH",    "Ntilde",
    "Ograve", "Oacute", "Ocirc",  "Otilde", "Ouml",   "times",  "Oslash", "Ugrave", "Uacute", "Ucirc",
    "Uuml",   "Yacute", "THORN",  "szlig",  "agrave", "aacute", "acirc",  "atilde", "auml",   "aring",
    "aelig",  "ccedil", "egrave", "eacute", "ecirc",  "euml",   "igrave", "iacute", "icirc",  "iuml",
    "eth",    "ntilde", "ograve", "oacute", "ocirc",  "otilde", "ouml",   "divide", "oslash", "ugrave",
    "uacute", "ucirc",  "uuml",   "yacute", "thorn",  "yuml"};

struct NamedReference
{
    const char *name;
    char16_t character;
};

constexpr NamedReference OtherNames[] = {
    {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},       {"quot", u'"'},     {"apos", u'\''},
    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},  {"sbquo", 0x201A},
    {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"hellip", 0x2026}, {"euro", 0x20AC},
    {"trade", 0x2122},  {"bull", 0x2022},   {"dagger", 0x2020}, {"Dagger", 0x2021}, {"permil", 0x2030},
    {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"OElig", 0x0152},  {"oelig", 0x0153},  {"Scaron", 0x0160},
    {"scaron", 0x0161}, {"Yuml", 0x0178},   {"fnof", 0x0192},   {"circ", 0x02C6},   {"tilde", 0x02DC},
    {"ensp", 0x2002},   {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},
    {"lrm", 0x200E},    {"rlm", 0x200F},    {"minus", 0x2212},  {"larr", 0x2190},   {"rarr", 0x2192},
};

const QHash<QString, char16_t> &namedReferences()
{
    static const QHash<QString, char16_t> table = [] {
        QHash<QString, char16_t> names;
        for (int i = 0; i < 96; ++i)
            names.insert(QString::fromLatin1(Latin1Names[i]), char16_t(0xA0 + i));
        for (const NamedReference &ref : OtherNames)
            names.insert(QString::fromLatin1(ref.name), ref.character);
        return names;
    }();
    return table;
}

int hexValue(QChar c)
{
    if (c >= u'0' && c <= u'9')
        return c.unicode() - u'0';
    if (c >= u'a' && c <= u'f')
        return c.unicode() - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c.unicode() - u'A' + 10;
    return -1;
}

// As HTML reads them: zero, surrogates and numbers past Unicode are the replacement
// character, and 0x80..0x9F are the Windows-1252 characters that old files meant.
void appendCodePoint(QString &out, char32_t value)
{
    if (value == 0 || (value >= 0xD800 && value <= 0xDFFF) || value > 0x10FFFF)
        value = 0xFFFD;
    else if (value >= 0x80 && value <= 0x9F)
        value = windows1252Character(static_cast<unsigned char>(value));
    const char32_t one[1] = {value};
    out += QString::fromUcs4(one, 1);
}

} // namespace

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isAsciiAlnum(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9');
}

bool isHtmlSpace(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f';
}

// Named references need their ";" so that a bare "&copy=1" in a URL stays as it is.
QString decodeReferences(QStringView raw)
{
    if (!raw.contains(u'&'))
        return raw.toString();
    QString out;
    out.reserve(raw.size());
    const qsizetype n = raw.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (raw[i] != u'&' || i + 1 >= n) {
            out += raw[i];
            continue;
        }
        if (raw[i + 1] == u'#') {
            qsizetype j = i + 2;
            const bool hex = j < n && (raw[j] == u'x' || raw[j] == u'X');
            if (hex)
                ++j;
            const qsizetype digitsStart = j;
            char32_t value = 0;
            for (; j < n; ++j) {
                const int digit = hex ? hexValue(raw[j])
                                      : (raw[j] >= u'0' && raw[j] <= u'9' ? raw[j].unicode() - u'0' : -1);
                if (digit < 0)
                    break;
                value = std::min<char32_t>(value * (hex ? 16 : 10) + char32_t(digit), 0x110000);
            }
            if (j == digitsStart) {
                out += raw[i];
                continue;
            }
            if (j < n && raw[j] == u';')
                ++j;
            appendCodePoint(out, value);
            i = j - 1;
            continue;
        }
        qsizetype j = i + 1;
        while (j < n && j - i <= 32 && isAsciiAlnum(raw[j]))
            ++j;
        if (j < n && raw[j] == u';' && j > i + 1) {
            const auto found = namedReferences().constFind(raw.sliced(i + 1, j - i - 1).toString());
            if (found != namedReferences().cend()) {
                out += QChar(*found);
                i = j;
                continue;
            }
        }
        out += raw[i];
    }
    return out;
}

QStringView trimmedHtmlSpace(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isHtmlSpace(text[begin]))
        ++begin;
    while (end > begin && isHtmlSpace(text[end - 1]))
        --end;
    return text.sliced(begin, end - begin);
}

QString withoutTrailingSpace(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && isHtmlSpace(text[end - 1]))
        --end;
    return text.left(end);
}
