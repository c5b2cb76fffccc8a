// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store on one INI file, through QSettings.
#include "settingsstore.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace {

QString configFile(const QString &name)
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Quorvane/Linkshelf/") + name;
}

QString rootName(SettingsStore::Root root)
{
    switch (root) {
    case SettingsStore::Root::LocalMachine:
        return QStringLiteral("HKEY_LOCAL_MACHINE");
    case SettingsStore::Root::CurrentUser:
        return QStringLiteral("HKEY_CURRENT_USER");
    case SettingsStore::Root::None:
        break;
    }
    return {};
}

} // namespace

SettingsStore::SettingsStore(const QString &iniPath)
    : m_settings(std::make_unique<QSettings>(iniPath, QSettings::IniFormat))
{}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::registryPath()
{
    return configFile(QStringLiteral("registry.ini"));
}

QString SettingsStore::iniFilePath()
{
    return configFile(QStringLiteral("linkshelf.ini"));
}

std::optional<QString> SettingsStore::readString(Root root, const QString &keyPath,
                                                 const QString &valueName) const
{
    const QVariant value = m_settings->value(keyOf(root, keyPath, valueName));
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

bool SettingsStore::writeString(Root root, const QString &keyPath, const QString &valueName,
                                const QString &value)
{
    return writeStrings(root, keyPath, {{valueName, value}});
}

// QSettings only reports a failed write at sync(), so each write is synced at once: the
// caller learns then, not at some later flush, that the value was not kept. A value that is
// stored already is not set again: with nothing changed, the sync writes nothing.
bool SettingsStore::writeStrings(Root root, const QString &keyPath,
                                 const QList<std::pair<QString, QString>> &values)
{
    QDir().mkpath(QFileInfo(m_settings->fileName()).absolutePath());
    for (const auto &[valueName, value] : values) {
        const QString key = keyOf(root, keyPath, valueName);
        const QVariant stored = m_settings->value(key);
        if (!stored.isValid() || stored.toString() != value)
            m_settings->setValue(key, value);
    }
    m_settings->sync();
    return m_settings->status() == QSettings::NoError;
}

QString SettingsStore::fileName() const
{
    return m_settings->fileName();
}

// Empty parts are dropped, so "\\Software\\x\\" and "Software/x" name the same key.
QString SettingsStore::keyOf(Root root, const QString &keyPath, const QString &valueName)
{
    QStringList parts;
    const QString name = rootName(root);
    if (!name.isEmpty())
        parts.append(name);
    QString path = keyPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    parts.append(path.split(QLatin1Char('/'), Qt::SkipEmptyParts));
    parts.append(valueName);
    return parts.join(QLatin1Char('/'));
}
