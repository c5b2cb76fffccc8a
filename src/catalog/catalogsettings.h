// SPDX-License-Identifier: GPL-3.0-or-later
// The choices a user makes for one catalog (its text encoding, its path mappings), kept in the
// settings store under a key of their own for each work directory.
#pragma once

#include <QString>

#include <optional>

class SettingsStore;

class CatalogSettings final
{
public:
    // The values of the catalog in workDirectory. The store must outlive this object.
    CatalogSettings(SettingsStore &store, const QString &workDirectory);

    // The key under HKEY_CURRENT_USER: Software/linkshelf/Catalogs/ and a hash of the work
    // directory's canonical path, so that one catalog reached by two spellings (a link, a
    // trailing "/") keeps one set of choices, and any path makes a valid key.
    static QString keyPathOf(const QString &workDirectory);

    std::optional<QString> value(const QString &name) const;
    // Writes the value, and the work directory's path beside it so that a person reading the
    // store can tell the catalogs apart; false when the store cannot be written.
    bool setValue(const QString &name, const QString &value);

private:
    SettingsStore &m_store;
    QString m_workDirectory;
    QString m_keyPath;
};
