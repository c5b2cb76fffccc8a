// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store that stands in for the registry and the initialisation file: one INI
// file whose keys are the root's name, the key path with "/" for "\\", and the value name.
#pragma once

#include <QList>
#include <QSettings>
#include <QString>

#include <memory>
#include <optional>
#include <utility>

class SettingsStore final
{
public:
    enum class Root { LocalMachine, CurrentUser, None };

    // Opens (or will create) the INI file at iniPath.
    explicit SettingsStore(const QString &iniPath);
    ~SettingsStore();
    Q_DISABLE_COPY_MOVE(SettingsStore)

    // $XDG_CONFIG_HOME/Quorvane/Linkshelf/registry.ini
    static QString registryPath();
    // $XDG_CONFIG_HOME/Quorvane/Linkshelf/linkshelf.ini
    static QString iniFilePath();

    // The value at root/keyPath/valueName; keyPath may use "\\" or "/" between its parts.
    // Root::None (for the initialisation file) puts keyPath's first part as the section.
    std::optional<QString> readString(Root root, const QString &keyPath, const QString &valueName) const;
    // Writes the value and flushes the file; false when the file cannot be written.
    bool writeString(Root root, const QString &keyPath, const QString &valueName, const QString &value);
    // Writes several values of one key (name, value) and flushes the file once. Each flush
    // syncs a lock file and the new file to disk, so a window's twenty values at closing
    // cost one flush rather than twenty.
    bool writeStrings(Root root, const QString &keyPath, const QList<std::pair<QString, QString>> &values);

    QString fileName() const;

private:
    static QString keyOf(Root root, const QString &keyPath, const QString &valueName);
    std::unique_ptr<QSettings> m_settings;
};
