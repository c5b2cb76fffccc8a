// SPDX-License-Identifier: GPL-3.0-or-later
// Where each browser family keeps its profiles; nothing here opens a bookmark file.
#include "browserprofiles.h"

#include "chromiumbookmarks.h"
#include "firefoxbookmarks.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

// A profile's Name and Path from profiles.ini, whose sections are read line by line: the file
// is small and plain, and a general INI reader would take commas in a path for a list.
struct IniProfile
{
    QString name;
    QString path;
    bool relative = true;
};

QList<IniProfile> profilesOfIni(const QString &iniPath)
{
    QFile file(iniPath);
    QList<IniProfile> profiles;
    if (!file.open(QIODevice::ReadOnly) || file.size() > 1024 * 1024)
        return profiles;
    bool inProfile = false;
    for (const QByteArray &rawLine : file.readAll().split('\n')) {
        const QString line = QString::fromUtf8(rawLine).trimmed();
        if (line.startsWith(u'[')) {
            inProfile = line.startsWith(QStringLiteral("[Profile"));
            if (inProfile)
                profiles.append(IniProfile{});
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inProfile || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        const QString value = line.mid(equals + 1).trimmed();
        if (key == QStringLiteral("Name"))
            profiles.last().name = value;
        else if (key == QStringLiteral("Path"))
            profiles.last().path = value;
        else if (key == QStringLiteral("IsRelative"))
            profiles.last().relative = value != QStringLiteral("0");
    }
    return profiles;
}

void addFirefoxProfiles(QList<BrowserProfile> &found, const QString &firefoxDir)
{
    for (const IniProfile &ini : profilesOfIni(QDir(firefoxDir).filePath(QStringLiteral("profiles.ini")))) {
        if (ini.path.isEmpty())
            continue;
        const QString folder = ini.relative ? QDir(firefoxDir).filePath(ini.path) : ini.path;
        const QString places = QDir(folder).filePath(QStringLiteral("places.sqlite"));
        if (QFileInfo(places).isFile())
            found.append({QStringLiteral("Firefox"), ini.name.isEmpty() ? ini.path : ini.name, places,
                          BrowserProfile::Format::Firefox});
    }
}

void addChromiumProfiles(QList<BrowserProfile> &found, const QString &configDir)
{
    const std::pair<const char *, const char *> browsers[] = {
        {"chromium", "Chromium"},
        {"google-chrome", "Google Chrome"},
        {"BraveSoftware/Brave-Browser", "Brave"},
        {"microsoft-edge", "Microsoft Edge"},
        {"vivaldi", "Vivaldi"},
    };
    for (const auto &[folder, browser] : browsers) {
        const QDir dir(QDir(configDir).filePath(QLatin1String(folder)));
        for (const QString &profile : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString bookmarks = dir.filePath(profile + QStringLiteral("/Bookmarks"));
            if (QFileInfo(bookmarks).isFile())
                found.append({QLatin1String(browser), profile, bookmarks, BrowserProfile::Format::Chromium});
        }
    }
}

} // namespace

QList<BrowserProfile> findBrowserProfiles(const QString &firefoxDir, const QString &configDir)
{
    QList<BrowserProfile> found;
    addFirefoxProfiles(found, firefoxDir);
    addChromiumProfiles(found, configDir);
    return found;
}

QList<BrowserProfile> findBrowserProfiles()
{
    return findBrowserProfiles(QDir::home().filePath(QStringLiteral(".mozilla/firefox")),
                               QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation));
}

BookmarkReadResult readBrowserBookmarks(const BrowserProfile &profile)
{
    return profile.format == BrowserProfile::Format::Firefox ? readFirefoxBookmarks(profile.file)
                                                             : readChromiumBookmarks(profile.file);
}
