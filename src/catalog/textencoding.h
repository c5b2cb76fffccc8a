// SPDX-License-Identifier: GPL-3.0-or-later
// The one text encoding of a catalog: UTF-8, or the legacy code page of the system that wrote
// it (windows-1251, windows-31j, ...). Every text of the catalog is decoded through it, and
// text the user types is encoded through it; bytes nobody edited are never re-encoded.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QLocale>
#include <QString>

#include <optional>

// What encoding a text gave: its bytes, or the first character the encoding cannot hold.
struct EncodedText
{
    QByteArray bytes;
    std::optional<char32_t> unencodable; // set: bytes is empty and must not be stored
};

class TextEncoding final
{
public:
    // UTF-8.
    TextEncoding() = default;
    // The encoding of that name, as the system's converters know it; none when they do not.
    static std::optional<TextEncoding> named(const QString &name);

    QString name() const { return m_name; }
    bool isUtf8() const { return m_name == Utf8Name; }
    // True when a byte below 0x80 is always that ASCII character: false for the double-byte
    // code pages (windows-31j, GBK, Big5, windows-949), whose second bytes may be "A" or "\\".
    bool asciiBytesAreAscii() const;

    QString decode(QByteArrayView bytes) const;
    EncodedText encode(const QString &text) const;

    // The text encoded with every character the encoding cannot hold written as a numeric
    // character reference ("&#1046;"), which any encoding holds and a reader can still make
    // out; replaced counts them.
    QByteArray encodeWithReferences(const QString &text, int &replaced) const;

    // The message that refuses a character: it names the character and the encoding.
    QString unencodableMessage(char32_t character) const;

    friend bool operator==(const TextEncoding &, const TextEncoding &) = default;

    static inline const QString Utf8Name = QStringLiteral("UTF-8");

private:
    explicit TextEncoding(QString name)
        : m_name(std::move(name))
    {}
    QString m_name = Utf8Name;
};

// The legacy code page that Windows used for the language, or windows-1252 (Western
// European, the most common) where the language has none of its own.
TextEncoding legacyEncodingOf(QLocale::Language language);

// The code pages the encoding dialog offers, UTF-8 first.
QList<QString> offeredEncodingNames();

// True when every text of the records is valid UTF-8: such a catalog is UTF-8.
bool allUtf8(const QList<QByteArray> &texts);
