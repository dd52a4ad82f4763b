// Importing and exporting a 7680 x 3072 Windows bitmap (60 x 24 blocks) against the bare
// work in the same run: Qt reading the file into a QImage, and Qt writing that QImage as
// a bitmap. Usage: bench_bitmap [runs]   (default 5)

#include "app/application.h"
#include "app/main.h"
#include "bench/benchsupport.h"

#include <QFileInfo>
#include <QImage>
#include <QTemporaryDir>
#include <cstdio>

namespace {

constexpr int Columns = 60;
constexpr int Rows = 24;

} // namespace

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    TApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("picture.bmp"));
    const QString bareOut = dir.filePath(QStringLiteral("bare.bmp"));
    const QString exported = dir.filePath(QStringLiteral("exported.bmp"));
    {
        QImage picture(Columns * 128, Rows * 128, QImage::Format_RGB32);
        for (int y = 0; y < picture.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
            for (int x = 0; x < picture.width(); ++x)
                line[x] = qRgb(x * 3, y * 5, (x ^ y) & 0xFF);
        }
        if (!picture.save(source, "BMP")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
            return 1;
        }
    }

    TfrmMainForm form;
    form.show();
    QCoreApplication::processEvents();

    std::vector<double> bareReads, imports, bareWrites, exports;
    for (int run = 0; run < runs; ++run) {
        QImage read;
        bareReads.push_back(bench::timeMs([&] { read = QImage(source, "BMP"); }));
        imports.push_back(bench::timeMs([&] { form.ImportBitmap(source); }));
        QCoreApplication::processEvents();
        bareWrites.push_back(bench::timeMs([&] { read.save(bareOut, "BMP"); }));
        exports.push_back(bench::timeMs([&] { form.ExportBitmap(exported); }));
    }

    std::printf("Windows bitmap of %d x %d pixels (%d x %d blocks, %lld bytes), %d runs, window shown offscreen\n\n",
                Columns * 128, Rows * 128, Columns, Rows, (long long)QFileInfo(source).size(), runs);
    const bench::Spread bareRead = bench::spread(bareReads), import = bench::spread(imports);
    const bench::Spread bareWrite = bench::spread(bareWrites), exportSpread = bench::spread(exports);
    bench::printHeader();
    bench::printRow("baseline: Qt reads the file into a QImage", bareRead);
    bench::printRow("ImportBitmap (goal <= 2.00)", import, &bareRead);
    bench::printRow("baseline: Qt writes that QImage as a bitmap", bareWrite);
    bench::printRow("ExportBitmap (goal <= 2.00)", exportSpread, &bareWrite);

    const qint64 exportedSize = QFileInfo(exported).size();
    std::printf("\nExported file: %lld bytes (the source: %lld)\n", (long long)exportedSize,
                (long long)QFileInfo(source).size());
    return 0;
}
