// Prints the grid of each background file named on the command line, read with
// Palisandre's core: blkinfo FILE.blk...

#include "core/background/blkfile.h"
#include "core/common/errors.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList files = QCoreApplication::arguments().mid(1);
    if (files.isEmpty()) {
        std::fprintf(stderr, "usage: blkinfo FILE.blk...\n");
        return 2;
    }
    int status = 0;
    for (const QString& path : files) {
        QFile file(path);
        try {
            if (!file.open(QIODevice::ReadOnly))
                throw FileError::cannotOpen(path);
            const blk::Layout layout = blk::readLayout(file, path);
            std::printf("%s: %d x %d blocks, %d x %d pixels, %s\n", qPrintable(path), layout.columns, layout.rows,
                        layout.columns * 128, layout.rows * 128,
                        layout.format == blk::PixelFormat::RGB565 ? "5-6-5" : "5-5-5");
        } catch (const PlsdError& error) {
            std::fprintf(stderr, "blkinfo: %s\n", qPrintable(error.message()));
            status = 1;
        }
    }
    return status;
}
