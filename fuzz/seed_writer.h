#pragma once

// The main() of the seed tools: writes named files into the folder given on the command line.

#include "core/common/errors.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QList>
#include <QString>

#include <cstdio>
#include <utility>

namespace seeds {

using NamedFile = std::pair<QString, QByteArray>;

inline int writeSeedFiles(int argc, char** argv, const QList<NamedFile>& files, const QString& extension,
                          const char* what)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    try {
        if (!QDir().mkpath(folder.path()))
            throw FileError::cannotCreate(folder.path());
        for (const auto& [name, bytes] : files) {
            QFile file(folder.filePath(name + extension));
            if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
                throw FileError::cannotCreate(file.fileName());
        }
        std::printf("%lld %s in %s\n", static_cast<long long>(files.size()), what, argv[1]);
    } catch (const PlsdError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}

} // namespace seeds
