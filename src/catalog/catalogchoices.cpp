// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogchoices.h"

#include "catalogsettings.h"

#include <QFile>

namespace {
const QString EncodingValue = QStringLiteral("TextEncoding");
const QString MappingsValue = QStringLiteral("PathMappings");
const QString SuggestedValue = QStringLiteral("PathMappingSuggested");
} // namespace

CatalogChoices::CatalogChoices() = default;
CatalogChoices::~CatalogChoices() = default;

void CatalogChoices::open(SettingsStore *store, const QString &workDirectory)
{
    m_settings = store ? std::make_unique<CatalogSettings>(*store, workDirectory) : nullptr;
    m_encoding = TextEncoding();
    m_encodingSettled = false;
    m_mappings.clear();
    if (!m_settings)
        return;
    if (const std::optional<QString> name = m_settings->value(EncodingValue))
        if (const std::optional<TextEncoding> encoding = TextEncoding::named(*name)) {
            m_encoding = *encoding;
            m_encodingSettled = true;
        }
    m_mappings = pathMappingsFromText(m_settings->value(MappingsValue).value_or(QString()));
}

void CatalogChoices::setTextEncoding(const TextEncoding &encoding, bool settled)
{
    m_encoding = encoding;
    m_encodingSettled = m_encodingSettled || settled;
    if (settled)
        remember(EncodingValue, encoding.name());
}

void CatalogChoices::setPathMappings(const QList<PathMapping> &mappings)
{
    m_mappings = mappings;
    remember(MappingsValue, pathMappingsText(mappings));
}

bool CatalogChoices::mappingSuggested() const
{
    return m_settings && m_settings->value(SuggestedValue).has_value();
}

void CatalogChoices::setMappingSuggested()
{
    remember(SuggestedValue, QStringLiteral("1"));
}

QByteArray CatalogChoices::systemPath(const QByteArray &stored) const
{
    if (m_mappings.isEmpty())
        return stored;
    // The mapped part names a file of this computer, whose names are UTF-8; the rest of the
    // path is decoded from the catalog's encoding, so that "Zoë" written on Windows in
    // windows-1252 finds the folder "Zoë" that was copied here.
    if (const std::optional<QString> mapped = mappedPath(decode(stored), m_mappings))
        return QFile::encodeName(*mapped);
    return stored;
}

std::optional<QString> CatalogChoices::unmappedWindowsPath(const QByteArray &stored) const
{
    const QString path = decode(stored);
    if (!isWindowsPath(path) || mappedPath(path, m_mappings))
        return std::nullopt;
    return path;
}

bool CatalogChoices::remember(const QString &name, const QString &value)
{
    return m_settings && m_settings->setValue(name, value);
}
