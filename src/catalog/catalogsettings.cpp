// SPDX-License-Identifier: GPL-3.0-or-later
#include "catalogsettings.h"

#include "settingsstore.h"

#include <QCryptographicHash>
#include <QFileInfo>

namespace {

const QString WorkDirectoryValue = QStringLiteral("WorkDirectory");

QString canonicalDirectory(const QString &workDirectory)
{
    const QFileInfo info(workDirectory);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

CatalogSettings::CatalogSettings(SettingsStore &store, const QString &workDirectory)
    : m_store(store)
    , m_workDirectory(canonicalDirectory(workDirectory))
    , m_keyPath(keyPathOf(workDirectory))
{}

QString CatalogSettings::keyPathOf(const QString &workDirectory)
{
    const QByteArray hash =
        QCryptographicHash::hash(canonicalDirectory(workDirectory).toUtf8(), QCryptographicHash::Sha256);
    return QStringLiteral("Software/linkshelf/Catalogs/") + QString::fromLatin1(hash.toHex().left(16));
}

std::optional<QString> CatalogSettings::value(const QString &name) const
{
    return m_store.readString(SettingsStore::Root::CurrentUser, m_keyPath, name);
}

bool CatalogSettings::setValue(const QString &name, const QString &value)
{
    return m_store.writeStrings(SettingsStore::Root::CurrentUser, m_keyPath,
                                {{WorkDirectoryValue, m_workDirectory}, {name, value}});
}
