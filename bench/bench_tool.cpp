// palisandre-tool convert, run as a program, against the bare work in the same run:
// a 7680 x 3072 PNG to a background file against Qt reading the PNG plus encoding and
// writing the background bytes; the background file to PNG against decoding its bytes
// plus Qt writing the PNG. Usage: bench_tool [runs]   (default 5)
//
// thumbnail of the same background file (45 MB), as the program a file manager runs,
// against reading the whole file plainly into memory.
//
// check of a script of 10,000 rooms and 20,000 door lines against the script reader reading
// the same text: check's work in the process (read, load into an empty map, the rules, the
// findings' lines), which the goal is for, and the tool as a program, whose start-up alone
// is a third of the reading.

#include "bench/benchsupport.h"
#include "bench/roomgrid.h"
#include "bench/syntheticgrid.h"
#include "core/background/bitmapgrid.h"
#include "core/model/scriptload.h"
#include "core/rules/findinglines.h"
#include "core/rules/gamerules.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstdio>

namespace {

constexpr int Columns = 60;
constexpr int Rows = 24;
constexpr int Block = 128;

bool runTool(const QStringList& arguments, int expectedStatus = 0)
{
    QProcess process;
    process.start(QStringLiteral(PLSD_TOOL), arguments);
    const bool ok = process.waitForFinished(-1) && process.exitStatus() == QProcess::NormalExit
                    && process.exitCode() == expectedStatus;
    if (!ok)
        std::fprintf(stderr, "palisandre-tool %s failed: %s\n", qPrintable(arguments.join(' ')),
                     process.readAllStandardError().constData());
    return ok;
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Bare work of a picture into a background file: header, index, every block's pixels cut
// to 5-6-5 straight from the picture's lines, one write.
bool encodeAndWrite(QImage picture, const QString& path)
{
    picture.convertTo(QImage::Format_RGB32);   // what Qt reads an opaque PNG as: no work

    const int count = Columns * Rows;
    QByteArray out(blk::HeaderSize + blk::IndexRecordSize * count + qsizetype(count) * Block * Block * 2, '\0');
    auto* d = reinterpret_cast<uchar*>(out.data());
    d[0] = 1;
    qToLittleEndian<quint16>(Columns, d + 4);
    qToLittleEndian<quint16>(Rows, d + 6);
    qToLittleEndian<quint16>(count, d + 8);
    for (int k = 0; k < count; ++k) {
        uchar* record = d + blk::HeaderSize + blk::IndexRecordSize * k;
        qToLittleEndian<quint32>(blk::importedBlockOffset(k, count), record);
        qToLittleEndian<quint16>(Block, record + 4);
        qToLittleEndian<quint16>(Block, record + 6);
    }
    uchar* pixel = d + blk::HeaderSize + blk::IndexRecordSize * count;
    for (int c = 0; c < Columns; ++c)
        for (int r = 0; r < Rows; ++r)
            for (int y = 0; y < Block; ++y) {
                const auto* s = reinterpret_cast<const QRgb*>(picture.constScanLine(Block * r + y)) + Block * c;
                for (int x = 0; x < Block; ++x, pixel += 2)
                    qToLittleEndian<quint16>(blk::rgbTo565(uchar(qRed(s[x])), uchar(qGreen(s[x])), uchar(qBlue(s[x]))),
                                             pixel);
            }
    return writeFile(path, out);
}

// Bare work of a background file into a picture: every block's 5-6-5 pixels decoded
// straight into the picture's lines.
QImage readAndDecode(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    const int count = Columns * Rows;
    QImage picture(Columns * Block, Rows * Block, QImage::Format_RGB888);
    const auto* pixel = reinterpret_cast<const uchar*>(bytes.constData()) + blk::HeaderSize
                        + blk::IndexRecordSize * count;
    for (int c = 0; c < Columns; ++c)
        for (int r = 0; r < Rows; ++r)
            for (int y = 0; y < Block; ++y) {
                uchar* d = picture.scanLine(Block * r + y) + 3 * Block * c;
                for (int x = 0; x < Block; ++x, pixel += 2, d += 3) {
                    const blk::Rgb rgb = blk::rgbFrom565(qFromLittleEndian<quint16>(pixel));
                    d[0] = rgb.r;
                    d[1] = rgb.g;
                    d[2] = rgb.b;
                }
            }
    return picture;
}

// What check does between reading the file and printing: the lines of its findings.
qsizetype checkInProcess(const QByteArray& text)
{
    const ScriptContent content = ReadScript(text, ScriptStart{});
    const QList<Finding> findings = CheckGameRules(LoadedIntoEmptyMap(content), QSize());
    return FindingLines(findings, content).size();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = bench::runsFromArguments(argc, argv);

    QTemporaryDir dir;
    const QString background = dir.filePath(QStringLiteral("map.blk"));
    const QString png = dir.filePath(QStringLiteral("picture.png"));
    {
        const QByteArray bytes = synthetic::makeBackgroundFile(Columns, Rows);
        const TBlockList blocks = blk::decodeBackground(bytes);
        if (!writeFile(background, bytes) || !bitmapgrid::joinBlocks(blocks, Columns, Rows).save(png, "PNG")) {
            std::fprintf(stderr, "cannot write the files in %s\n", qPrintable(dir.path()));
            return 1;
        }
    }

    const QString script = dir.filePath(QStringLiteral("grid.cos"));
    const QByteArray scriptText = RoomDefsText(roomgrid::makeMap());
    if (!writeFile(script, scriptText))
        return 1;

    std::vector<double> bareIn, toolIn, bareOut, toolOut, reading, checkWork, checkTool, startUp, plainRead, thumbnail;
    qsizetype findings = 0;
    bool ok = true;
    for (int run = 0; run < runs && ok; ++run) {
        bareIn.push_back(bench::timeMs([&] { ok &= encodeAndWrite(QImage(png, "PNG"), dir.filePath("bare.blk")); }));
        toolIn.push_back(bench::timeMs([&] { ok &= runTool({"convert", png, dir.filePath("tool.blk")}); }));
        bareOut.push_back(bench::timeMs([&] { ok &= readAndDecode(background).save(dir.filePath("bare.png"), "PNG"); }));
        toolOut.push_back(bench::timeMs([&] { ok &= runTool({"convert", background, dir.filePath("tool.png")}); }));
        reading.push_back(bench::timeMs([&] { ok &= ReadScript(scriptText, ScriptStart{}).rooms.size() > 0; }));
        checkWork.push_back(bench::timeMs([&] { findings = checkInProcess(scriptText); }));
        // The map's 200 door lines between rooms that share no edge are errors: status 1.
        checkTool.push_back(bench::timeMs([&] { ok &= runTool({"check", script}, 1); }));
        startUp.push_back(bench::timeMs([&] { ok &= runTool({"--version"}); }));
        plainRead.push_back(bench::timeMs([&] {
            QFile file(background);
            ok &= file.open(QIODevice::ReadOnly) && file.readAll().size() == file.size();
        }));
        thumbnail.push_back(bench::timeMs([&] { ok &= runTool({"thumbnail", background, dir.filePath("thumb.png")}); }));
    }
    if (!ok)
        return 1;

    std::printf("PNG of %d x %d pixels (%lld bytes), background file of %d x %d blocks (%lld bytes), %d runs;\n"
                "palisandre-tool runs as a program, start-up included\n\n",
                Columns * Block, Rows * Block, (long long)QFileInfo(png).size(), Columns, Rows,
                (long long)QFileInfo(background).size(), runs);
    const bench::Spread bareInS = bench::spread(bareIn), toolInS = bench::spread(toolIn);
    const bench::Spread bareOutS = bench::spread(bareOut), toolOutS = bench::spread(toolOut);
    bench::printHeader();
    bench::printRow("baseline: Qt reads PNG, encode, write .blk", bareInS);
    bench::printRow("convert PNG to .blk (goal <= 1.50)", toolInS, &bareInS);
    bench::printRow("baseline: read .blk, decode, Qt writes PNG", bareOutS);
    bench::printRow("convert .blk to PNG (goal <= 1.50)", toolOutS, &bareOutS);
    const bench::Spread readingS = bench::spread(reading);
    bench::printRow("baseline: ReadScript, 10k rooms, 20k doors", readingS);
    bench::printRow("check's work in the process (goal <= 2.00)", bench::spread(checkWork), &readingS);
    bench::printRow("check as a program, start-up included", bench::spread(checkTool), &readingS);
    bench::printRow("the program's start-up alone (--version)", bench::spread(startUp), &readingS);
    const bench::Spread plainReadS = bench::spread(plainRead);
    bench::printRow("baseline: read the .blk plainly (readAll)", plainReadS);
    bench::printRow("thumbnail of the .blk, 256 (goal <= 2.00)", bench::spread(thumbnail), &plainReadS);

    auto bytesOf = [&](const char* name) {
        QFile file(dir.filePath(QString::fromLatin1(name)));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    std::printf("\nThe script is %lld bytes; check finds %lld findings.\n", (long long)scriptText.size(),
                (long long)findings);
    std::printf("The tool's background file is %s the baseline's.\n",
                bytesOf("tool.blk") == bytesOf("bare.blk") ? "byte for byte" : "NOT the same as");
    return 0;
}
