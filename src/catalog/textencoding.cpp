// SPDX-License-Identifier: GPL-3.0-or-later
#include "textencoding.h"

#include <QStringDecoder>
#include <QStringEncoder>

std::optional<TextEncoding> TextEncoding::named(const QString &name)
{
    if (name.compare(Utf8Name, Qt::CaseInsensitive) == 0)
        return TextEncoding();
    const QByteArray latin = name.toLatin1();
    if (name.isEmpty() || !QStringDecoder(latin.constData()).isValid() ||
        !QStringEncoder(latin.constData()).isValid())
        return std::nullopt;
    return TextEncoding(name);
}

bool TextEncoding::asciiBytesAreAscii() const
{
    for (const char *doubleByte : {"windows-31j", "Shift_JIS", "GBK", "GB18030", "Big5", "windows-949"})
        if (m_name.compare(QLatin1String(doubleByte), Qt::CaseInsensitive) == 0)
            return false;
    return true;
}

QString TextEncoding::decode(QByteArrayView bytes) const
{
    if (isUtf8())
        return QString::fromUtf8(bytes);
    // Opening a converter costs more than decoding a name: a folder of 100,000 entries is
    // decoded through one per thread. Stateless, it carries nothing from one text to the next.
    thread_local QString openName;
    thread_local QStringDecoder decoder;
    if (openName != m_name) {
        decoder = QStringDecoder(m_name.toLatin1().constData(), QStringDecoder::Flag::Stateless);
        openName = m_name;
    }
    return decoder.decode(bytes);
}

EncodedText TextEncoding::encode(const QString &text) const
{
    if (isUtf8())
        return {text.toUtf8(), std::nullopt};
    QStringEncoder encoder(m_name.toLatin1().constData(), QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    if (!encoder.hasError())
        return {std::move(bytes), std::nullopt};
    // The converter puts a substitute in place of what it cannot hold; find which character
    // that was, one at a time, so that the message can name it.
    for (const char32_t character : text.toUcs4()) {
        QStringEncoder single(m_name.toLatin1().constData(), QStringEncoder::Flag::Stateless);
        const QByteArray one = single.encode(QString::fromUcs4(&character, 1));
        if (single.hasError())
            return {{}, character};
    }
    return {{}, text.isEmpty() ? U'\0' : text.toUcs4().constFirst()};
}

QByteArray TextEncoding::encodeWithReferences(const QString &text, int &replaced) const
{
    EncodedText whole = encode(text);
    if (!whole.unencodable)
        return whole.bytes;
    QByteArray bytes;
    for (const char32_t character : text.toUcs4()) {
        const QString one = QString::fromUcs4(&character, 1);
        const EncodedText encoded = encode(one);
        if (encoded.unencodable) {
            bytes += "&#" + QByteArray::number(uint(character)) + ';';
            ++replaced;
        } else {
            bytes += encoded.bytes;
        }
    }
    return bytes;
}

QString TextEncoding::unencodableMessage(char32_t character) const
{
    const QString codePoint = QString::number(uint(character), 16).toUpper().rightJustified(4, u'0');
    return QStringLiteral("The character \"%1\" (U+%2) cannot be stored in this catalog, whose text "
                          "encoding is %3. Change or remove it, or choose another encoding in "
                          "Catalog > Text encoding.")
        .arg(QString::fromUcs4(&character, 1), codePoint, m_name);
}

TextEncoding legacyEncodingOf(QLocale::Language language)
{
    const char *name = "windows-1252";
    switch (language) {
    case QLocale::Russian:
    case QLocale::Ukrainian:
    case QLocale::Belarusian:
    case QLocale::Bulgarian:
    case QLocale::Serbian:
    case QLocale::Macedonian:
        name = "windows-1251";
        break;
    case QLocale::Polish:
    case QLocale::Czech:
    case QLocale::Slovak:
    case QLocale::Hungarian:
    case QLocale::Slovenian:
    case QLocale::Croatian:
    case QLocale::Romanian:
        name = "windows-1250";
        break;
    case QLocale::Greek:
        name = "windows-1253";
        break;
    case QLocale::Turkish:
    case QLocale::Azerbaijani:
        name = "windows-1254";
        break;
    case QLocale::Hebrew:
        name = "windows-1255";
        break;
    case QLocale::Arabic:
    case QLocale::Persian:
    case QLocale::Urdu:
        name = "windows-1256";
        break;
    case QLocale::Estonian:
    case QLocale::Latvian:
    case QLocale::Lithuanian:
        name = "windows-1257";
        break;
    case QLocale::Vietnamese:
        name = "windows-1258";
        break;
    case QLocale::Thai:
        name = "windows-874";
        break;
    case QLocale::Japanese:
        name = "windows-31j";
        break;
    case QLocale::Chinese: // Simplified; a Traditional Chinese user picks Big5 in the dialog
        name = "GBK";
        break;
    case QLocale::Korean:
        name = "windows-949";
        break;
    default:
        break;
    }
    return TextEncoding::named(QString::fromLatin1(name)).value_or(TextEncoding());
}

QList<QString> offeredEncodingNames()
{
    QList<QString> names{TextEncoding::Utf8Name};
    for (const char *name : {"windows-1252", "windows-1250", "windows-1251", "windows-1253", "windows-1254",
                             "windows-1255", "windows-1256", "windows-1257", "windows-1258", "windows-874",
                             "windows-31j", "GBK", "Big5", "windows-949"})
        if (TextEncoding::named(QString::fromLatin1(name)))
            names.append(QString::fromLatin1(name));
    return names;
}

bool allUtf8(const QList<QByteArray> &texts)
{
    for (const QByteArray &text : texts)
        if (!QByteArrayView(text).isValidUtf8())
            return false;
    return true;
}
