// Loading and saving the largest usual background (60 x 24 blocks, 7680 x 3072 pixels)
// against the bare work in the same run: reading and decoding every pixel, encoding every
// pixel and writing the bytes. Usage: bench_background [runs]   (default 5)

#include "app/application.h"
#include "app/main.h"
#include "bench/benchsupport.h"
#include "bench/syntheticgrid.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <cstring>
#include <memory>
#include <unistd.h>
#include <vector>
#include <algorithm>

namespace {

constexpr int Columns = 60;
constexpr int Rows = 24;

// Baseline load: the file into memory, then every pixel to 32-bit RGB in one plain loop.
quint32 bareLoad(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    const auto* data = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 count = data[8] | data[9] << 8;
    const uchar* src = data + 10 + 8 * count;
    const qint64 pixels = (bytes.size() - (10 + 8 * count)) / 2;
    std::unique_ptr<quint32[]> rgb(new quint32[size_t(pixels)]);
    for (qint64 i = 0; i < pixels; ++i, src += 2) {
        const quint32 p = src[0] | src[1] << 8;
        rgb[size_t(i)] = 0xFF000000u | (p & 0xF800) << 8 | (p & 0x07E0) << 5 | (p & 0x001F) << 3;
    }
    quint32 check = 0;
    for (qint64 i = 0; i < pixels; i += 4099)
        check += rgb[size_t(i)];
    return check;
}

// Baseline save: every pixel of the blocks to 5-6-5 in one buffer, then the bytes to a file;
// with `sync`, also flushed to the disk as a safe save must before it replaces a file.
// The file read whole and its pixels taken into 16-bit memory by a plain loop.
quint32 plainRead16(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray bytes = file.readAll();
    const qsizetype first = 10 + 8 * qsizetype(Columns) * Rows;
    std::vector<quint16> pixels(size_t(std::max<qsizetype>(bytes.size() - first, 0) / 2));
    const auto* in = reinterpret_cast<const uchar*>(bytes.constData() + first);
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = quint16(in[2 * i] | in[2 * i + 1] << 8);
    return pixels.empty() ? 0 : pixels[pixels.size() / 2];
}

void bareSave(const TBlockList& blocks, const QString& path, bool sync)
{
    const qsizetype head = 10 + 8 * qsizetype(blocks.size());
    QByteArray out(head + qsizetype(blocks.size()) * 128 * 128 * 2, Qt::Uninitialized);
    std::memset(out.data(), 0, size_t(head));
    auto* d = reinterpret_cast<uchar*>(out.data()) + head;
    for (const auto& block : blocks) {
        for (int y = 0; y < 128; ++y) {
            const uchar* s = block->Bitmap.constScanLine(y);
            for (int x = 0; x < 128; ++x, s += 3, d += 2) {
                const unsigned p = (s[0] & 0xF8) << 8 | (s[1] & 0xFC) << 3 | s[2] >> 3;
                d[0] = uchar(p);
                d[1] = uchar(p >> 8);
            }
        }
    }
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(out) == out.size() && sync && file.flush())
        ::fsync(file.handle());
}

} // namespace

int main(int argc, char** argv)
{
    bench::useOffscreenUnlessChosen();
    TApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv);

    QTemporaryDir dir;
    const QString source = dir.filePath(QStringLiteral("picture.blk"));
    const QString saved = dir.filePath(QStringLiteral("saved.blk"));
    const QString bareSaved = dir.filePath(QStringLiteral("bare.blk"));
    {
        QFile file(source);
        if (!file.open(QIODevice::WriteOnly) || file.write(synthetic::makeBackgroundFile(Columns, Rows)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(source));
            return 1;
        }
    }
    const qint64 fileSize = QFileInfo(source).size();
    // A second picture of the same size, opened once the first is in.
    const QString second = dir.filePath(QStringLiteral("second.blk"));
    QFile::copy(source, second);

    TfrmMainForm form;
    form.show();
    QCoreApplication::processEvents();

    // Peak memory, before any grid exists, then over an existing grid.
    const double bareMb = bench::peakAddedMb([&] { bareLoad(source); });
    // The first open in this process, against a plain read into 16-bit memory done first.
    const double plainFirst = bench::timeMs([&] { plainRead16(source); });
    double firstOpen = 0;
    const double freshMb = bench::peakAddedMb([&] { firstOpen = bench::timeMs([&] { form.LoadBackground(source); }); });
    QCoreApplication::processEvents();
    const double secondOpen = bench::timeMs([&] { form.LoadBackground(second); });
    const double reloadMb = bench::peakAddedMb([&] { form.LoadBackground(source); });
    QCoreApplication::processEvents();

    std::vector<double> bareLoads, loads, bareSaves, syncedSaves, saves;
    for (int run = 0; run < runs; ++run) {
        bareLoads.push_back(bench::timeMs([&] { bareLoad(source); }));
        loads.push_back(bench::timeMs([&] { form.LoadBackground(source); }));
        QCoreApplication::processEvents();
        bareSaves.push_back(bench::timeMs([&] { bareSave(*form.Blocks, bareSaved, false); }));
        syncedSaves.push_back(bench::timeMs([&] { bareSave(*form.Blocks, bareSaved, true); }));
        saves.push_back(bench::timeMs([&] { form.SaveBackground(saved); }));
    }
    const bool sameBytes = [&] {
        QFile a(source), b(saved);
        return a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly) && a.readAll() == b.readAll();
    }();

    std::printf("Background file of %d x %d blocks (%d x %d pixels, %lld bytes), %d runs, window shown offscreen\n\n",
                Columns, Rows, Columns * 128, Rows * 128, (long long)fileSize, runs);
    const bench::Spread bareLoad = bench::spread(bareLoads), load = bench::spread(loads);
    const bench::Spread bareSave = bench::spread(bareSaves), save = bench::spread(saves);
    const bench::Spread syncedSave = bench::spread(syncedSaves);
    bench::printHeader();
    bench::printRow("baseline: read file, decode to 32-bit RGB", bareLoad);
    bench::printRow("LoadBackground (goal <= 2.00)", load, &bareLoad);
    bench::printRow("baseline: encode 5-6-5, write bytes", bareSave);
    bench::printRow("SaveBackground (goal <= 2.00)", save, &bareSave);
    bench::printRow("baseline: encode, write bytes, fsync", syncedSave);
    bench::printRow("SaveBackground against that", save, &syncedSave);

    std::printf("\nOpening in this process (single runs): a plain read into 16-bit memory %.1f ms; the first\n"
                "LoadBackground %.1f ms (%.2f x); a second picture of the same size, later, %.1f ms (%.2f x the first)\n",
                plainFirst, firstOpen, firstOpen / plainFirst, secondOpen, secondOpen / firstOpen);

    const double decodedMb = double(Columns) * Rows * 128 * 128 * 4 / (1024.0 * 1024.0);
    std::printf("\nPeak memory added (VmHWM after reset through /proc/self/clear_refs, minus VmRSS before):\n");
    if (freshMb < 0) {
        std::printf("  not measurable here (/proc/self/clear_refs refused)\n");
    } else {
        std::printf("  decoded picture at 4 bytes a pixel: %.1f MB; goal: at most %.1f MB\n", decodedMb, 2 * decodedMb);
        std::printf("  baseline (file + 32-bit pixels):    %.1f MB (%.2f x decoded)\n", bareMb, bareMb / decodedMb);
        std::printf("  LoadBackground, no grid before:     %.1f MB (%.2f x decoded)\n", freshMb, freshMb / decodedMb);
        std::printf("  LoadBackground over a loaded grid:  %.1f MB (%.2f x decoded)\n", reloadMb, reloadMb / decodedMb);
    }
    std::printf("\nSaved file identical to the opened one: %s\n", sameBytes ? "yes" : "NO");
    return sameBytes ? 0 : 1;
}
