// Writes the seed corpus of fuzz_background (fuzz/background_seeds.h) into the folder given.

#include "app/errors.h"
#include "fuzz/background_seeds.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        if (!QDir().mkpath(folder.path()))
            throw FileError::cannotCreate(folder.path());
        const QList<seeds::NamedFile> files = seeds::backgroundSeeds();
        for (const auto& [name, bytes] : files) {
            QFile file(folder.filePath(name + QStringLiteral(".blk")));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
                throw FileError::cannotCreate(file.fileName());
        }
        std::printf("%lld seed background files in %s\n", static_cast<long long>(files.size()), argv[1]);
    } catch (const PlsdError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
