// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and writing whole files in a test's own folder, and what a folder holds, so that
// a test can say "these bytes are on disk" or "nothing else was left here" in one line.
#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QTest>

// A file of tests/data, by its path below that folder; a missing one ends the test run.
inline QByteArray testData(const char *relativePath)
{
    QFile file(QStringLiteral(LINKSHELF_TEST_DATA "/") + QString::fromUtf8(relativePath));
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing test data %s", relativePath);
    return file.readAll();
}

// A file that is not there reads as a marker no real content equals.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Makes the folders on the way, and fails the calling test when any byte is not written.
inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(bytes), bytes.size());
}

// The names of the files and folders directly in dir, hidden ones too, by name.
inline QStringList filesIn(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// The files directly in dir with their bytes, by name; filesunder.h goes into subfolders.
inline QMap<QString, QByteArray> snapshot(const QString &dir)
{
    QMap<QString, QByteArray> files;
    for (const QString &name : QDir(dir).entryList(QDir::Files | QDir::Hidden)) {
        QFile file(QDir(dir).filePath(name));
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>"));
    }
    return files;
}
