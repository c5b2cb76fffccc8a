// SPDX-License-Identifier: GPL-3.0-or-later
// What the user chose for the open catalog, and what follows from it: the text encoding its
// texts are decoded and encoded with, and the mappings its paths from other systems open by.
#pragma once

#include "pathmapping.h"
#include "textencoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>

#include <memory>
#include <optional>

class CatalogSettings;
class SettingsStore;

class CatalogChoices final
{
public:
    CatalogChoices();
    ~CatalogChoices();
    Q_DISABLE_COPY_MOVE(CatalogChoices)

    // Reads the choices remembered for the catalog in workDirectory; until then (and with no
    // store) the catalog is UTF-8 with no mappings, and nothing is remembered.
    void open(SettingsStore *store, const QString &workDirectory);

    const TextEncoding &textEncoding() const { return m_encoding; }
    // True when the encoding was remembered for this catalog: by the user's choice, or by an
    // earlier detection that found texts that are not UTF-8.
    bool encodingSettled() const { return m_encodingSettled; }
    // Sets and remembers the encoding; settled, it is never changed by a later detection.
    void setTextEncoding(const TextEncoding &encoding, bool settled);

    QString decode(QByteArrayView bytes) const { return m_encoding.decode(bytes); }

    const QList<PathMapping> &pathMappings() const { return m_mappings; }
    void setPathMappings(const QList<PathMapping> &mappings);
    // Whether a mapping was already suggested for this catalog: it is suggested once.
    bool mappingSuggested() const;
    void setMappingSuggested();

    // The bytes a stored path reaches the system as: the mapped path of this computer (in
    // its file-name encoding) when a mapping applies, else the stored bytes as they are.
    QByteArray systemPath(const QByteArray &stored) const;
    // The stored path as text when it is a Windows path that no mapping turns into a path of
    // this computer; none otherwise.
    std::optional<QString> unmappedWindowsPath(const QByteArray &stored) const;

private:
    bool remember(const QString &name, const QString &value);

    std::unique_ptr<CatalogSettings> m_settings;
    TextEncoding m_encoding;
    bool m_encodingSettled = false;
    QList<PathMapping> m_mappings;
};
