// SPDX-License-Identifier: GPL-3.0-or-later
// Replays a fuzz target's seed corpus through its entry point in the ordinary build, so the
// seeds stay valid inputs and the invariants the fuzzer checks hold in every test run.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main()
{
    const QDir corpus(QStringLiteral(LINKSHELF_FUZZ_CORPUS));
    const QStringList names = corpus.entryList(QDir::Files, QDir::Name);
    if (names.isEmpty()) {
        std::fprintf(stderr, "no seeds in %s\n", LINKSHELF_FUZZ_CORPUS);
        return 1;
    }
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
            return 1;
        }
        // An exact-size copy, so that a read past the end is caught under the sanitizers.
        const QByteArray bytes = file.readAll();
        QByteArray exact(bytes.constData(), bytes.size());
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(exact.constData()), size_t(exact.size()));
        std::printf("replayed %s (%lld bytes)\n", qPrintable(name), static_cast<long long>(exact.size()));
    }
    return 0;
}
