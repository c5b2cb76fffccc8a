// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a contents file into the records a shown folder holds and writing them back, against
// reading and writing the same bytes with no parsing: the raw read is one QFile::readAll, the
// raw write the same atomic replacement (temp file, sync, rename) without the serialising.
#include "benchsupport.h"
#include "contentsfile.h"
#include "syntheticcatalog.h"

#include <QFile>
#include <QSaveFile>

namespace {

QByteArray rawRead(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void rawWrite(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size())
        file.commit();
}

void measure(SyntheticCatalog &catalog, const QString &dir, int count)
{
    const QList<MFile> entries = catalog.entries(count, 11);
    const QString path = dir + QStringLiteral("/cat%1.lsf").arg(count);
    const QString rawPath = dir + QStringLiteral("/raw%1.lsf").arg(count);
    const QByteArray bytes = serializeContents(entries);
    rawWrite(path, bytes);
    const ContentsRecords records = readContentsRecords(path).records;
    const auto inOrder = [](qsizetype i) { return i; };
    const int runs = bench::runsFromArguments(count >= 100000 ? 9 : 31);
    qsizetype sink = 0;
    // Alternating the two keeps the page cache and the machine's load alike for both.
    std::vector<double> reads, rawReads, writes, rawWrites;
    for (int i = 0; i < runs; ++i) {
        rawReads.push_back(bench::timeMs([&] { sink += rawRead(path).size(); }));
        reads.push_back(bench::timeMs([&] { sink += readContentsRecords(path).records.size(); }));
        rawWrites.push_back(bench::timeMs([&] { rawWrite(rawPath, bytes); }));
        writes.push_back(
            bench::timeMs([&] { writeContentsFile(path, records.serialized(records.size(), inOrder)); }));
    }
    const double read = bench::median(reads), rawReadMs = bench::median(rawReads);
    const double write = bench::median(writes), rawWriteMs = bench::median(rawWrites);
    const QByteArray readName = "read " + QByteArray::number(count / 1000) + "k entries";
    const QByteArray writeName = "write " + QByteArray::number(count / 1000) + "k entries";
    bench::result(readName.constData(), bench::ms(read), bench::ms(rawReadMs), bench::times(read / rawReadMs),
                  "<= 3x raw read", read <= 3 * rawReadMs);
    bench::result(writeName.constData(), bench::ms(write), bench::ms(rawWriteMs),
                  bench::times(write / rawWriteMs), "<= 3x raw write", write <= 3 * rawWriteMs);
    if (sink < 0)
        std::puts("");
}

int run()
{
    QTemporaryDir dir;
    SyntheticCatalog catalog(dir.path());
    for (int count : {1000, 10000, 100000})
        measure(catalog, dir.path(), count);
    return 0;
}

} // namespace

LINKSHELF_BENCH_MAIN(run)
