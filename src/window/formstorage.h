// SPDX-License-Identifier: GPL-3.0-or-later
// Keeps a window's placement and chosen properties in the settings store between runs:
// one value per property, named after the control and the property ("MainTree_Width").
#pragma once

#include "settingsstore.h"

#include <QList>
#include <QString>

#include <functional>

class QWidget;

class FormStorage final
{
public:
    FormStorage(SettingsStore &store, SettingsStore::Root root, const QString &keyPath);
    Q_DISABLE_COPY_MOVE(FormStorage)

    // A property such as "MainTree.Width", read and applied as text.
    void addProperty(const QString &name, std::function<QString()> read,
                     std::function<void(const QString &)> apply);

    // Applies the stored placement and properties; missing values leave the design values,
    // and a window without a usable stored place opens centred on the screen.
    void restore(QWidget *window);
    // Saves placement and properties.
    void save(const QWidget *window);
    bool hasSaved() const { return m_saved; }

    static QString boolText(bool value) { return value ? QStringLiteral("True") : QStringLiteral("False"); }
    static bool boolFromText(const QString &text, bool fallback);

private:
    struct Property
    {
        QString name;
        std::function<QString()> read;
        std::function<void(const QString &)> apply;
    };
    static QString valueName(const QString &property);
    std::optional<QString> read(const QString &valueName) const;
    void restorePlacement(QWidget *window);
    static void centreOnScreen(QWidget *window);
    static QList<std::pair<QString, QString>> placement(const QWidget *window);

    SettingsStore &m_store;
    SettingsStore::Root m_root;
    QString m_keyPath;
    QList<Property> m_properties;
    bool m_saved = false;
};
