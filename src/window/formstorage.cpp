// SPDX-License-Identifier: GPL-3.0-or-later
#include "formstorage.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

FormStorage::FormStorage(SettingsStore &store, SettingsStore::Root root, const QString &keyPath)
    : m_store(store)
    , m_root(root)
    , m_keyPath(keyPath)
{}

void FormStorage::addProperty(const QString &name, std::function<QString()> read,
                              std::function<void(const QString &)> apply)
{
    m_properties.append({name, std::move(read), std::move(apply)});
}

void FormStorage::restore(QWidget *window)
{
    restorePlacement(window);
    for (const Property &property : std::as_const(m_properties))
        if (const std::optional<QString> value = read(valueName(property.name)))
            property.apply(*value);
}

void FormStorage::save(const QWidget *window)
{
    QList<std::pair<QString, QString>> values = placement(window);
    for (const Property &property : std::as_const(m_properties))
        values.append({valueName(property.name), property.read()});
    m_store.writeStrings(m_root, m_keyPath, values); // one flush: this runs as the window closes
    m_saved = true;
}

bool FormStorage::boolFromText(const QString &text, bool fallback)
{
    const QString t = text.trimmed().toLower();
    if (t == QLatin1String("true") || t == QLatin1String("1"))
        return true;
    if (t == QLatin1String("false") || t == QLatin1String("0"))
        return false;
    return fallback;
}

QString FormStorage::valueName(const QString &property)
{
    QString name = property;
    return name.replace(u'.', u'_');
}

std::optional<QString> FormStorage::read(const QString &valueName) const
{
    return m_store.readString(m_root, m_keyPath, valueName);
}

namespace {
constexpr int ShowNormal = 1;
constexpr int ShowMaximized = 3;

std::optional<QRect> rectFromText(const QString &text)
{
    const QStringList parts = text.split(u',');
    if (parts.size() != 4)
        return std::nullopt;
    int v[4];
    for (int i = 0; i < 4; ++i) {
        bool ok = false;
        v[i] = parts[i].trimmed().toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    const QRect rect(QPoint(v[0], v[1]), QPoint(v[2] - 1, v[3] - 1));
    if (rect.width() < 100 || rect.height() < 80 || rect.width() > 20000 || rect.height() > 20000)
        return std::nullopt;
    return rect;
}
} // namespace

void FormStorage::restorePlacement(QWidget *window)
{
    const std::optional<QRect> rect = rectFromText(read(QStringLiteral("NormPos")).value_or(QString()));
    // A placement on a screen that is gone would hide the window: keep it reachable.
    if (rect && (QGuiApplication::screenAt(rect->center()) || !QGuiApplication::primaryScreen())) {
        window->setGeometry(*rect);
    } else {
        if (rect)
            window->resize(rect->size());
        centreOnScreen(window);
    }
    if (read(QStringLiteral("ShowCmd")).value_or(QString()).toInt() == ShowMaximized)
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

// Placed by the program itself, the window is centred on a first start whether or not a
// window manager runs (without one it would open in the top left corner).
void FormStorage::centreOnScreen(QWidget *window)
{
    const QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window->frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window->move(frame.topLeft());
}

QList<std::pair<QString, QString>> FormStorage::placement(const QWidget *window)
{
    const QRect normal = window->normalGeometry().isValid() ? window->normalGeometry() : window->geometry();
    return {{QStringLiteral("Flags"), QStringLiteral("0")},
            {QStringLiteral("ShowCmd"), QString::number(window->isMaximized() ? ShowMaximized : ShowNormal)},
            {QStringLiteral("PixelsPerInch"), QString::number(window->logicalDpiY())},
            {QStringLiteral("MinMaxPos"), QStringLiteral("-1,-1,-1,-1")},
            {QStringLiteral("NormPos"), QStringLiteral("%1,%2,%3,%4")
                                            .arg(normal.left())
                                            .arg(normal.top())
                                            .arg(normal.left() + normal.width())
                                            .arg(normal.top() + normal.height())}};
}
