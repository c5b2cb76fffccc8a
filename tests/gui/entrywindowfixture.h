// SPDX-License-Identifier: GPL-3.0-or-later
// A main window on a catalog of one folder whose entries a test chooses, for the tests of
// the entry commands and of opening entries.
#pragma once

#include "contentsfile.h"
#include "entrylistmodel.h"
#include "windowfixture.h"

#include <QAbstractItemView>
#include <QMetaType>

#include <algorithm>
#include <tuple>

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
    f.writeTreeFiles("Hot Files\r\n", "cat0.lsf\r\n", "\x02");
    f.writeCatalogFile(contentsName, serializeContents(entries));
    return f.open();
}

// The middle of an entry's cell as the list shows it now, in whichever view style.
inline QPoint entryPoint(TMain &w, int row)
{
    QAbstractItemView *view = w.mainList()->currentView();
    return view->visualRect(view->model()->index(row, 0)).center();
}

// A left click on an entry, with the keys held that are given.
inline void clickEntry(TMain &w, int row, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mouseClick(w.mainList()->currentView()->viewport(), Qt::LeftButton, modifiers, entryPoint(w, row));
}

// A double click as the window system delivers it: the second press arrives as the
// double click itself.
inline void doubleClickEntry(TMain &w, int row)
{
    QWidget *viewport = w.mainList()->currentView()->viewport();
    const QPoint at = entryPoint(w, row);
    QTest::mousePress(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, Qt::NoModifier, at);
    QTest::mouseRelease(viewport, Qt::LeftButton, Qt::NoModifier, at);
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

// The entries of one of the catalog's contents files as they are on disk now.
inline QList<MFile> entriesOnDisk(const WindowFixture &f, const QString &contentsFile = contentsName)
{
    return parseContents(f.readCatalogFile(contentsFile)).entries;
}

// Entries in the order of their records (path, then description), to compare a list with a file
// whatever order either is in.
inline QList<MFile> sortedByRecord(QList<MFile> files)
{
    std::sort(files.begin(), files.end(), [](const MFile &a, const MFile &b) {
        return std::tie(a.Path, a.Description) < std::tie(b.Path, b.Description);
    });
    return files;
}

// The entries the list holds, in record order.
inline QList<MFile> entriesShown(TMain &w)
{
    QList<MFile> files;
    for (int row = 0; row < w.mainList()->model().count(); ++row)
        files.append(w.mainList()->model().rowAt(row).file);
    return sortedByRecord(files);
}

// The list's row that shows this record, or -1.
inline int rowShowing(TMain &w, const MFile &file)
{
    for (int row = 0; row < w.mainList()->model().count(); ++row)
        if (w.mainList()->model().rowAt(row).file == file)
            return row;
    return -1;
}
