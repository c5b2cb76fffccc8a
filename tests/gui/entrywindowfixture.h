// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on a catalog of one folder whose entries a test chooses, for the tests of
// the entry commands and of opening entries.
#pragma once

#include "contentsfile.h"
#include "windowfixture.h"

#include <QMetaType>

inline const QString contentsName = QStringLiteral("cat0.lsf");

// Hides a shown window before it goes, as closing it does in the program: a window
// destroyed while shown, its list focused, sends the list's focus loss to commands that
// are already gone.
struct Fixture : WindowFixture
{
    ~Fixture()
    {
        if (window)
            window->hide();
    }
};

// A catalog of one folder "Hot Files" (cat0.lsf, selected) holding the given entries.
inline TMain &openCatalogWith(WindowFixture &f, const QList<MFile> &entries)
{
    f.writeCatalogFile(QStringLiteral("tree.lsf"), "Hot Files\r\n");
    f.writeCatalogFile(QStringLiteral("itree.lsf"), "cat0.lsf\r\n");
    f.writeCatalogFile(QStringLiteral("etree.lsf"), "\x02");
    f.writeCatalogFile(contentsName, serializeContents(entries));
    return f.open();
}

Q_DECLARE_METATYPE(MFile)

// What a failed comparison of entries prints.
inline char *toString(const MFile &file)
{
    return QTest::toString(QStringLiteral("{%1, \"%2\", \"%3\", \"%4\"}")
                               .arg(file.Kind)
                               .arg(QString::fromLocal8Bit(file.Path.left(80)),
                                    QString::fromLocal8Bit(file.Program),
                                    QString::fromLocal8Bit(file.Description.left(40))));
}
