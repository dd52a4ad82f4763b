// palisandre-tool run as a program, with no display and no platform chosen, on files the
// test makes.
#include "core/background/blkformat.h"
#include "core/rules/mapcolours.h"
#include "core/rules/roomtypes.h"
#include "core/tst_blkdata.h"
#include "hostilefiles.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QImageReader>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/resource.h>

namespace {

using namespace blktest;

// The tool takes a file for a background by its extension; anything else is a picture.
bool isBackground(const QString& path)
{
    return path.endsWith(QLatin1String(".blk"));
}

struct Run {
    int status = -1;
    QString out;
    QString err;
};

// The tool in the folder, with DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM unset.
Run runTool(const QString& folder, const QStringList& arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(folder);
    process.start(QStringLiteral(PLSD_TOOL), arguments);
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit)
        return {};
    return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
            QString::fromLocal8Bit(process.readAllStandardError())};
}

QRgb cutTo565(QRgb c)
{
    const blk::Rgb rgb = blk::rgbFrom565(blk::rgbTo565(uchar(qRed(c)), uchar(qGreen(c)), uchar(qBlue(c))));
    return qRgb(rgb.r, rgb.g, rgb.b);
}

// Every pixel its own colour, and a transparent band.
QImage sourcePicture()
{
    QImage image(300, 200, QImage::Format_ARGB32);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, y >= 150 && y < 160 ? qRgba(x, 0, 0, 0) : qRgba(x, y, (x * 7 + y * 3) & 0xFF, 255));
    return image;
}

QMap<QString, QByteArray> filesIn(const QString& folder)
{
    QMap<QString, QByteArray> files;
    QDirIterator it(folder, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        files.insert(file, readAll(file));
    }
    return files;
}

} // namespace

class TestTool : public QObject {
    Q_OBJECT
private slots:
    void init() { QVERIFY(dir.isValid()); }
    void helpAndVersion();
    void convertRoundTrips();
    void info();
    void check();
    void render();
    void thumbnail();
    void severalMetaroomsAndKeptLines();
    void errorsChangeNothing_data();
    void errorsChangeNothing();
    void withinTheMemoryBudget();
    void fullDiskKeepsOutputs();
    void truncatedJpeg();

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    Run tool(const QStringList& arguments) const { return runTool(dir.path(), arguments); }
};

void TestTool::helpAndVersion()
{
    const Run help = tool({"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.contains("info FILE...") && help.out.contains("convert IN OUT"));
    QVERIFY(help.out.contains("check SCRIPT") && help.out.contains("render SCRIPT"));
    QVERIFY(help.out.contains("--memory-limit SIZE"));
    const Run convertHelp = tool({"convert", "--help"});
    QCOMPARE(convertHelp.status, 0);
    QVERIFY(convertHelp.out.startsWith("Usage: palisandre-tool convert") && convertHelp.out.contains("--credit"));
    QVERIFY(tool({"check", "--help"}).out.contains("--werror"));
    QVERIFY(tool({"render", "-h"}).out.contains("--numbers"));
    QVERIFY(tool({"info", "-h"}).out.startsWith("Usage: palisandre-tool info"));
    const Run version = tool({"--version"});
    QCOMPARE(version.status, 0);
    QCOMPARE(version.out, QStringLiteral("palisandre-tool " PLSD_VERSION "\n"));
    QVERIFY(help.err.isEmpty() && version.err.isEmpty());
}

void TestTool::convertRoundTrips()
{
    const QImage source = sourcePicture();
    QVERIFY(source.save(path("in.png")));
    for (const QStringList& arguments : {QStringList{"convert", "in.png", "map.blk"},
                                         QStringList{"convert", "map.blk", "back.png"},
                                         QStringList{"convert", "map.blk", "back.bmp"},
                                         QStringList{"convert", "--credit", "in.png", "credit.blk"},
                                         QStringList{"convert", "credit.blk", "credit.png"}}) {
        const Run run = tool(arguments);
        QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(arguments.join(' ') + ": " + run.err));
        QVERIFY(run.out.isEmpty());
    }

    // PNG -> background file -> PNG: the picture over white, cut to 5-6-5, in whole blocks.
    const TBlockList blocks = blk::decodeBackground(readAll(path("map.blk")));
    QCOMPARE(blocks.size(), size_t(6));
    QCOMPARE(blocks[1]->Offset(), blk::importedBlockOffset(1, 6));
    const QImage back = QImage(path("back.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(back.size(), QSize(384, 256));
    for (int y = 0; y < back.height(); ++y) {
        for (int x = 0; x < back.width(); ++x) {
            const bool inside = x < source.width() && y < source.height();
            const QRgb s = inside ? source.pixel(x, y) : qRgba(0, 0, 0, 0);
            const QRgb expected = cutTo565(qAlpha(s) ? s : qRgb(255, 255, 255));
            if (back.pixel(x, y) != expected)
                QFAIL(qPrintable(QStringLiteral("pixel (%1, %2) differs").arg(x).arg(y)));
        }
    }
    QCOMPARE(QImage(path("back.bmp")).convertToFormat(QImage::Format_RGB32), back);

    // The credit line: drawn with fonts, without a display.
    const QImage credit = QImage(path("credit.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(credit.pixel(0, 0), qRgb(0, 0, 0));
    QVERIFY(credit.copy(0, 0, 200, 10) != back.copy(0, 0, 200, 10));
    QCOMPARE(credit.copy(0, 100, 384, 156), back.copy(0, 100, 384, 156));
}

void TestTool::info()
{
    // Block 0 where the layout puts it, block 1 two bytes further on; 5-5-5 pixels.
    const quint16 at0 = 10 + 8 * 2 - 4;
    const quint16 at1 = at0 + 2 * 128 * 128 + 2;
    QVERIFY(writeAll(path("odd.blk"), fileOf(0, 2, 1, 2, {{at0, 0, 128, 128}, {at1, 0, 128, 128}},
                                             QList<quint16>(2 * 128 * 128 + 1, 0x7FFF))));
    QVERIFY(writeAll(path("even.blk"), fileOf(1, 1, 1, 1, {{quint16(10 + 8 - 4), 0, 64, 64}},
                                              QList<quint16>(64 * 64, 0))));
    QVERIFY(writeAll(path("rooms.cos"), "brmi 3 100\r\naddm 10 20 800 600 \"hills\"\r\n"
                                        "setv va00 addr 3 10 110 20 20 80 90\r\nrtyp va00 2\r\n"
                                        "addr 3 110 200 20 20 90 90\r\ndoor 100 101 55\r\n"));
    QVERIFY(QImage(40, 30, QImage::Format_RGB32).save(path("p.jpg")));

    const Run run = tool({"info", "odd.blk", "even.blk", "missing.blk", "rooms.cos", "p.jpg"});
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("palisandre-tool: Cannot open file missing.blk: No such file or directory\n"));
    const QString expected = QStringLiteral(
        "odd.blk: background file\n"
        "  pixel format: 5-5-5 (16 bits: red 5, green 5, blue 5)\n"
        "  columns: 2\n"
        "  rows: 1\n"
        "  blocks: 2 of 128 x 128 pixels\n"
        "  picture: 256 x 128 pixels\n"
        "  offsets: not back to back: block 1 has offset %1, where the layout places it at %2; "
        "the file's block offsets disagree with its layout; shown as the game shows it\n"
        "even.blk: background file\n"
        "  pixel format: 5-6-5 (16 bits: red 5, green 6, blue 5)\n"
        "  columns: 1\n"
        "  rows: 1\n"
        "  blocks: 1 of 64 x 64 pixels\n"
        "  picture: 128 x 128 pixels\n"
        "  offsets: back to back, as the layout places them\n"
        "rooms.cos: room script\n"
        "  metaroom number: 3\n"
        "  first room number: 100\n"
        "  metaroom offsets: 10 20\n"
        "  background: \"hills\"\n"
        "  metaroom music: not given\n"
        "  rooms: 2, numbered 100 to 101 (corners in picture pixels: the script's less the offsets)\n"
        "  doors: 1\n"
        "  room 100: xl 0 xr 100 ytl 0 ytr 0 ybl 60 ybr 70, type 2\n"
        "  room 101: xl 100 xr 190 ytl 0 ytr 0 ybl 70 ybr 70, type 0\n"
        "  door 100 101: permeability 55\n"
        "p.jpg: picture\n"
        "  format: jpeg\n"
        "  size: 40 x 30 pixels\n").arg(at1).arg(at1 - 2);
    QCOMPARE(run.out, expected);
}

void TestTool::check()
{
    // Rooms 0 and 1 share a wall; the picture is 150 pixels wide, so room 1 sticks out.
    const QByteArray rooms = "addr 0 0 100 0 0 50 50\r\n* a comment\r\naddr 0 100 200 0 0 50 50\r\n";
    QVERIFY(writeAll(path("clean.cos"), rooms + "door 0 1 40\r\n"));
    QVERIFY(writeAll(path("warnings.cos"), rooms));
    QVERIFY(writeAll(path("errors.cos"), rooms + "addr 0 300 400 0 0 50 50\r\ndoor 0 2 40\r\n"));
    QVERIFY(writeAll(path("bad.cos"), rooms + "rtyp 0 five\r\n"));
    QVERIFY(QImage(150, 50, QImage::Format_RGB32).save(path("narrow.png")));

    const Run clean = tool({"check", "clean.cos"});
    QCOMPARE(clean.status, 0);
    QVERIFY(clean.out.isEmpty());
    QCOMPARE(clean.err, QStringLiteral("no problems\n"));

    const QString warnings = QStringLiteral(
        "warnings.cos:3: warning: Room 1 lies partly outside the picture of 150 x 50 pixels: the game has no "
        "background to show behind that part.\n"
        "warnings.cos:1: note: Rooms 0 and 1 share an edge with no door line: the game makes a door of "
        "permeability 100 there.\n");
    for (const bool werror : {false, true}) {
        const QStringList arguments =
            werror ? QStringList{"check", "--werror", "warnings.cos", "--picture", "narrow.png"}
                   : QStringList{"check", "warnings.cos", "--picture", "narrow.png"};
        const Run run = tool(arguments);
        QCOMPARE(run.status, werror ? 1 : 0);
        QCOMPARE(run.out, warnings);
        QCOMPARE(run.err, QStringLiteral("1 warning, 1 note\n"));
    }

    const Run errors = tool({"check", "errors.cos"});
    QCOMPARE(errors.status, 1);
    QCOMPARE(errors.out, QStringLiteral("errors.cos:5: error: Door between rooms 0 and 2, which share no edge: the "
                                        "game stops the script at this line: the rooms made before it keep the doors the game made on their "
                                        "shared edges, at permeability 100, and every later line is lost.\n"
                                        "errors.cos:1: note: Rooms 0 and 1 share an edge with no door line: the game "
                                        "makes a door of permeability 100 there.\n"));
    QCOMPARE(errors.err, QStringLiteral("1 error, 1 note\n"));

    const Run bad = tool({"check", "bad.cos"});
    QCOMPARE(bad.status, 1);
    QCOMPARE(bad.out, QStringLiteral("bad.cos:4: error: 'five' is not a valid integer value\n"));
}

void TestTool::render()
{
    // A room from (10, 20) to (60, 50) on a surface of 100 x 80, drawn twice the size.
    QVERIFY(writeAll(path("room.cos"), "addm 0 0 100 80 \"x\"\r\naddr 0 10 60 20 20 50 50\r\nrtyp 0 5\r\n"));
    QImage picture(50, 40, QImage::Format_RGB32);
    picture.fill(qRgb(200, 220, 240));
    QVERIFY(picture.save(path("light.png")));
    for (const QStringList& arguments :
         {QStringList{"render", "room.cos", "-o", "plain.png", "--scale", "2"},
          QStringList{"render", "room.cos", "-o", "types.png", "--scale", "2", "--types"},
          QStringList{"render", "--picture", "light.png", "room.cos", "-o", "light-map.png", "--scale", "2"}}) {
        const Run run = tool(arguments);
        QVERIFY2(run.status == 0 && run.err.isEmpty() && run.out.isEmpty(), qPrintable(run.err));
    }

    const QRgb grey = mapcolours::noPicture().rgb();
    const QRgb white = qRgb(255, 255, 255);
    const QImage plain = QImage(path("plain.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(plain.size(), QSize(200, 160));
    // The one-pixel outline on each side, a darker halo just outside it, the inside untouched.
    for (const QPoint p : {QPoint(20, 40), QPoint(70, 40), QPoint(120, 70), QPoint(70, 100), QPoint(20, 100)})
        QCOMPARE(plain.pixel(p), white);
    for (const QPoint p : {QPoint(70, 39), QPoint(19, 70)})
        QVERIFY(qGray(plain.pixel(p)) < qGray(grey));
    QCOMPARE(plain.pixel(70, 70), grey);
    QCOMPARE(plain.pixel(150, 140), grey);

    // --types: the inside filled with the type's colour over the surface.
    QImage expected(1, 1, QImage::Format_RGB32);
    expected.fill(grey);
    QPainter(&expected).fillRect(0, 0, 1, 1, RoomTypeColour(5));
    const QImage types = QImage(path("types.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(types.pixel(70, 70), expected.pixel(0, 0));
    QCOMPARE(types.pixel(70, 100), white);

    // The picture, scaled, behind the map; grey past its end.
    const QImage light = QImage(path("light-map.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(light.size(), QSize(200, 160));
    QCOMPARE(light.pixel(60, 70), qRgb(200, 220, 240));
    QCOMPARE(light.pixel(70, 40), white);
    QCOMPARE(light.pixel(150, 140), grey);
}

void TestTool::thumbnail()
{
    // A background file of 5 x 2 blocks (640 x 256), blue but for a red first block.
    QImage picture(640, 256, QImage::Format_RGB32);
    picture.fill(qRgb(0, 0, 248));
    QPainter(&picture).fillRect(0, 0, 128, 128, qRgb(248, 0, 0));
    QVERIFY(picture.save(path("in.png")));
    QVERIFY(tool({"convert", "in.png", "Garden.BLK"}).status == 0);
    QVERIFY(tool({"thumbnail", "-h"}).out.contains("--size N"));
    QVERIFY(tool({"--help"}).out.contains("thumbnail IN OUT.png"));

    // The longer side at most --size (256 by default), the picture's own size when it fits;
    // PNG whatever OUT's name says.
    struct Case {
        QStringList arguments;
        QString out;
        QSize size;
    };
    const QList<Case> runs = {{{"thumbnail", "Garden.BLK", "default.png"}, "default.png", {256, 102}},
                              {{"thumbnail", "--size", "100", "Garden.BLK", "small.jpg"}, "small.jpg", {100, 40}},
                              {{"thumbnail", "Garden.BLK", "whole.png", "-s", "4096"}, "whole.png", {640, 256}},
                              {{"thumbnail", "in.png", "picture.png", "-s", "64"}, "picture.png", {64, 26}}};
    for (const Case& c : runs) {
        const Run run = tool(c.arguments);
        QVERIFY2(run.status == 0 && run.err.isEmpty() && run.out.isEmpty(), qPrintable(run.err));
        QImageReader reader(path(c.out));
        QCOMPARE(reader.format(), QByteArray("png"));
        QCOMPARE(reader.size(), c.size);
    }
    const QImage small = QImage(path("small.jpg"), "PNG");
    QCOMPARE(small.pixel(5, 5), qRgb(248, 0, 0));
    QCOMPARE(small.pixel(50, 30), qRgb(0, 0, 248));

    // A room script: its rooms over the background its metaroom names, found beside it in
    // any case; without it, over the surface alone.
    QVERIFY(writeAll(path("rooms.cos"), "addm 0 0 1280 512 \"garden\"\r\naddr 0 400 600 100 100 300 300\r\n"));
    const Run run = tool({"thumbnail", "rooms.cos", "rooms.png", "--size", "128"});
    QVERIFY2(run.status == 0 && run.err.isEmpty(), qPrintable(run.err));
    const QImage rooms = QImage(path("rooms.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(rooms.size(), QSize(128, 51));
    QCOMPARE(rooms.pixel(3, 3), qRgb(248, 0, 0));
    QCOMPARE(rooms.pixel(30, 20), qRgb(0, 0, 248));
    QCOMPARE(rooms.pixel(100, 40), mapcolours::noPicture().rgb());   // past the picture's end
    QCOMPARE(rooms.pixel(50, 10), qRgb(255, 255, 255));                // the room's ceiling
    QVERIFY(QFile::rename(path("Garden.BLK"), path("other.blk")));
    QVERIFY(tool({"thumbnail", "rooms.cos", "alone.png", "--size", "128"}).status == 0);
    const QImage alone = QImage(path("alone.png")).convertToFormat(QImage::Format_RGB32);
    QCOMPARE(alone.pixel(3, 3), mapcolours::noPicture().rgb());
    QCOMPARE(alone.pixel(50, 10), qRgb(255, 255, 255));

    // A damaged picture beside: the rooms alone, with a warning.
    QVERIFY(writeAll(path("garden.blk"), QByteArray(100, '\x01')));
    const Run damaged = tool({"thumbnail", "rooms.cos", "damaged.png", "--size", "128"});
    QCOMPARE(damaged.status, 0);
    QVERIFY2(damaged.err.startsWith("palisandre-tool: warning: ") && damaged.err.contains("garden.blk"),
             qPrintable(damaged.err));
    QCOMPARE(QImage(path("damaged.png")).convertToFormat(QImage::Format_RGB32), alone);
}

// A file of two metarooms: info lists each and the kept lines, check covers each, render
// draws the one asked for.
void TestTool::severalMetaroomsAndKeptLines()
{
    QVERIFY(writeAll(path("world.cos"), "setv va00 addm 0 0 300 100 \"one\"\r\nsetv va10 addm 1000 0 300 100 \"two\"\r\n"
                                        "setv va01 addr va00 0 100 0 0 50 50\r\nsetv va02 addr va10 1000 1100 0 0 50 50\r\n"
                                        "setv va03 addr va10 1200 1300 0 0 50 50\r\ndoor va02 va03 30\r\n"
                                        "rate 3 2 0.5 0.1 0.2\r\n"));
    const Run info = tool({"info", "world.cos"});
    QCOMPARE(info.status, 0);
    QVERIFY(info.out.contains(QStringLiteral("  metarooms: 2\n  metaroom 1 of 2, added at line 1:\n")));
    QVERIFY(info.out.contains(QStringLiteral("  metaroom 2 of 2, added at line 2:\n  metaroom number: 1\n")));
    QVERIFY(info.out.contains(QStringLiteral("  room 2: xl 200 xr 300 ytl 0 ytr 0 ybl 50 ybr 50, type 0\n")));
    QVERIFY(info.out.endsWith(QStringLiteral("  lines kept as they are: 1\n  line 7: rate 3 2 0.5 0.1 0.2\n")));

    // The door of the second metaroom joins rooms that share no edge: found there.
    const Run check = tool({"check", "world.cos"});
    QCOMPARE(check.status, 1);
    QVERIFY(check.out.startsWith(QStringLiteral("world.cos:6: error: Door between rooms 1 and 2, which share no edge")));

    QCOMPARE(tool({"render", "world.cos", "--metaroom", "1", "-o", "two.png"}).status, 0);
    QCOMPARE(QImage(path("two.png")).size(), QSize(300, 100));
    const Run none = tool({"render", "world.cos", "--metaroom", "7", "-o", "seven.png"});
    QCOMPARE(none.status, 2);
    QVERIFY(none.err.contains(QStringLiteral("the script has no metaroom numbered 7 (it has 0, 1)")));
}

void TestTool::errorsChangeNothing_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("no command") << QStringList{} << "no command given (see palisandre-tool --help)";
    QTest::newRow("unknown command") << QStringList{"draw"} << "unknown command 'draw' (see palisandre-tool --help)";
    QTest::newRow("unknown option") << QStringList{"convert", "-x", "in.png", "out.blk"}
                                    << "convert: unknown option '-x' (see palisandre-tool convert --help)";
    QTest::newRow("one file") << QStringList{"convert", "in.png"}
                              << "convert: takes two files, IN and OUT, but 1 given (see palisandre-tool convert --help)";
    QTest::newRow("no file") << QStringList{"info"} << "info: no file given (see palisandre-tool info --help)";
    QTest::newRow("two pictures") << QStringList{"convert", "in.png", "out.png"}
                                  << "convert: one of IN and OUT must be a background file (.blk), the other a "
                                     "picture (see palisandre-tool convert --help)";
    QTest::newRow("missing picture") << QStringList{"convert", "none.png", "out.blk"} << "Cannot open file none.png: No such file or directory";
    QTest::newRow("not a picture") << QStringList{"convert", "text.png", "out.blk"}
                                   << "text.png: Bitmap image is not valid";
    QTest::newRow("truncated background") << QStringList{"convert", "cut.blk", "out.png"}
                                          << "cut.blk is truncated or damaged: it has 2000 bytes, but its header, "
                                             "index and pixel data need 32786";
    QTest::newRow("unknown picture format") << QStringList{"convert", "good.blk", "out.xyz"}
                                            << "Unknown picture file extension (.xyz)";
    QTest::newRow("no such folder") << QStringList{"convert", "in.png", "none/out.blk"}
                                    << "Cannot create file none/out.blk: No such file or directory";
    QTest::newRow("script not read") << QStringList{"info", "bad.cos"} << "bad.cos: line 1: 'x' is not a valid integer value";
    QTest::newRow("check: no script") << QStringList{"check", "none.cos"} << "Cannot open file none.cos: No such file or directory";
    QTest::newRow("check: two scripts") << QStringList{"check", "a.cos", "b.cos"}
                                        << "check: takes one room script, but 2 given (see palisandre-tool check --help)";
    QTest::newRow("check: bad picture") << QStringList{"check", "good.cos", "--picture", "text.png"}
                                        << "text.png is not a picture this program reads";
    QTest::newRow("render: script not read") << QStringList{"render", "bad.cos", "-o", "out.png"}
                                             << "bad.cos, line 1: 'x' is not a valid integer value";
    QTest::newRow("render: no output") << QStringList{"render", "good.cos"}
                                       << "render: no output picture given (-o OUT.png) (see palisandre-tool render --help)";
    QTest::newRow("render: scale") << QStringList{"render", "good.cos", "-o", "out.png", "--scale", "0"}
                                   << "render: the scale '0' is not a number from 0.05 to 16 (see palisandre-tool "
                                      "render --help)";
    QTest::newRow("render: too large") << QStringList{"render", "huge.cos", "-o", "out.png", "--scale", "16"}
                                       << "out.png: the drawing would be 48000 x 1600 pixels, more than this "
                                          "program draws; choose a smaller --scale";
    // Inputs that are no regular file, for every command that reads one; a FIFO is never
    // waited on, /dev/zero never read.
    for (const char* special : {"fifo", "/dev/zero"}) {
        const QString blk = special == QLatin1String("fifo") ? QStringLiteral("fifo.blk") : QLatin1String(special);
        const QString png = special == QLatin1String("fifo") ? QStringLiteral("fifo.png") : QLatin1String(special);
        const QString cos = special == QLatin1String("fifo") ? QStringLiteral("fifo.cos") : QLatin1String(special);
        const QList<std::pair<QStringList, QString>> runs = {
            {{"info", blk}, blk}, {{"info", png}, png}, {{"info", cos}, cos},
            {{"convert", blk, "out.png"}, blk}, {{"convert", png, "out.blk"}, png},
            {{"check", cos}, cos}, {{"check", "--picture", blk, "good.cos"}, blk},
            {{"check", "--picture", png, "good.cos"}, png},
            {{"render", cos, "-o", "out.png"}, cos}, {{"render", "--picture", blk, "good.cos", "-o", "out.png"}, blk},
            {{"render", "--picture", png, "good.cos", "-o", "out.png"}, png},
            {{"thumbnail", blk, "out.png"}, blk}, {{"thumbnail", png, "out.png"}, png},
            {{"thumbnail", cos, "out.png"}, cos},
        };
        for (const auto& [arguments, file] : runs)
            if (arguments[0] != QLatin1String("convert") || isBackground(arguments[1]) != isBackground(arguments[2]))
                QTest::addRow("%s", qPrintable(arguments.join(' '))) << arguments << file + " is not a regular file";
    }
    QTest::newRow("output onto a device") << QStringList{"convert", "good.blk", "/dev/null"}
                                          << "/dev/null is not a regular file";
    QTest::newRow("output onto a folder") << QStringList{"convert", "in.png", "folder.blk"}
                                          << "Cannot create file folder.blk: Is a directory";
    // Files that claim far more memory than they hold, refused before their pixels are read.
    QTest::newRow("picture bomb") << QStringList{"convert", "bomb.png", "out.blk"}
                                  << "bomb.png claims 30000 x 30000 pixels, 5.9 GB; the limit is 1 GB";
    QTest::newRow("picture bomb under render")
        << QStringList{"render", "--picture", "bomb.png", "good.cos", "-o", "out.png", "--scale", "0.05"}
        << "bomb.png claims 30000 x 30000 pixels, 5.9 GB; the limit is 1 GB";
    QTest::newRow("picture bomb under thumbnail") << QStringList{"thumbnail", "bomb.png", "out.png"}
                                                  << "bomb.png claims 30000 x 30000 pixels, 3.4 GB; the limit is 1 GB";
    QTest::newRow("background of tiny blocks") << QStringList{"convert", "tiny.blk", "out.png"}
                                               << "tiny.blk claims 32640 x 32896 pixels, 3.0 GB; the limit is 1 GB";
    QTest::newRow("background of tiny blocks under render")
        << QStringList{"render", "--picture", "tiny.blk", "good.cos", "-o", "out.png", "--scale", "0.05"}
        << "tiny.blk claims 32640 x 32896 pixels, 3.0 GB; the limit is 1 GB";
    QTest::newRow("a lower memory limit") << QStringList{"--memory-limit", "16M", "convert", "middle.png", "out.blk"}
                                          << "middle.png claims 2000 x 1500 pixels, 20 MB; the limit is 16 MB";
    QTest::newRow("memory limit written after") << QStringList{"convert", "middle.png", "out.blk", "--memory-limit=16m"}
                                                << "middle.png claims 2000 x 1500 pixels, 20 MB; the limit is 16 MB";
    QTest::newRow("memory limit too small") << QStringList{"--memory-limit", "8M", "info", "good.blk"}
                                            << "the memory limit '8M' is not a size of at least 16 MB, such as 512M "
                                               "or 2G (see palisandre-tool --help)";
    QTest::newRow("memory limit without a value") << QStringList{"info", "good.blk", "--memory-limit"}
                                                  << "option '--memory-limit' needs a value (see palisandre-tool "
                                                     "--help)";
    QTest::newRow("garbage as a background") << QStringList{"check", "--picture", "garbage.blk", "good.cos"}
                                             << "garbage.blk is not a background file this program reads: its "
                                                "first byte is 165 (1 marks 5-6-5 pixels, 0 marks 5-5-5 pixels)";
    QTest::newRow("render: bad picture") << QStringList{"render", "good.cos", "--picture", "cut.blk", "-o", "out.png"}
                                         << "cut.blk is truncated or damaged: it has 2000 bytes, but its header, "
                                            "index and pixel data need 32786";
    QTest::newRow("thumbnail: size") << QStringList{"thumbnail", "good.blk", "out.png", "--size", "0"}
                                     << "thumbnail: the size '0' is not a whole number from 1 to 4096 (see "
                                        "palisandre-tool thumbnail --help)";
    QTest::newRow("thumbnail: one file") << QStringList{"thumbnail", "good.blk"}
                                         << "thumbnail: takes two files, IN and OUT.png, but 1 given (see "
                                            "palisandre-tool thumbnail --help)";
    QTest::newRow("thumbnail: truncated background")
        << QStringList{"thumbnail", "cut.blk", "out.png"}
        << "cut.blk is truncated or damaged: it has 2000 bytes, but its header, index and pixel data need 32786";
    QTest::newRow("thumbnail: script not read") << QStringList{"thumbnail", "bad.cos", "out.png"}
                                                << "bad.cos, line 1: 'x' is not a valid integer value";
}

void TestTool::errorsChangeNothing()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QVERIFY(QImage(10, 10, QImage::Format_RGB32).save(path("in.png")));
    QVERIFY(writeAll(path("text.png"), "not a picture"));
    QVERIFY(writeAll(path("good.blk"), uniformFile(1, 1, 1, 128, 128, 0)));
    QVERIFY(writeAll(path("cut.blk"), uniformFile(1, 1, 1, 128, 128, 0).left(2000)));
    QVERIFY(writeAll(path("bad.cos"), "addr 0 x 1 2 3 4 5\r\n"));
    QVERIFY(writeAll(path("good.cos"), "addr 0 0 100 0 0 50 50\r\n"));
    QVERIFY(writeAll(path("huge.cos"), "addr 0 0 3000 0 0 100 100\r\n"));
    QVERIFY(writeAll(path("out.blk"), "old"));
    QVERIFY(writeAll(path("out.png"), "old"));
    QVERIFY(writeAll(path("bomb.png"), hostile::pngClaiming(30000, 30000)));
    QVERIFY(writeAll(path("tiny.blk"), hostile::backgroundOfTinyBlocks()));
    QVERIFY(QImage(2000, 1500, QImage::Format_RGB32).save(path("middle.png")));
    QVERIFY(writeAll(path("garbage.blk"), QByteArray(5000, char(0xA5))));
    QVERIFY(QDir(dir.path()).mkpath("folder.blk"));
    for (const char* fifo : {"fifo.blk", "fifo.png", "fifo.cos"})
        QVERIFY(QFileInfo::exists(path(fifo)) || hostile::makeFifo(path(fifo)));
    const QMap<QString, QByteArray> before = filesIn(dir.path());

    const Run run = tool(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("palisandre-tool: ") + message + '\n');
    QVERIFY(run.out.isEmpty());
    QVERIFY(filesIn(dir.path()) == before);
}

// Of all the runs so far (the bombs among them), none took more than the budget and 200 MB.
void TestTool::withinTheMemoryBudget()
{
    rusage usage{};
    QCOMPARE(::getrusage(RUSAGE_CHILDREN, &usage), 0);
    QVERIFY2(usage.ru_maxrss > 0 && usage.ru_maxrss < (1024 + 200) * 1024, qPrintable(QString::number(usage.ru_maxrss)));
}

// Every output on a full disk: the old file stays, the reason is named, the status is 2.
void TestTool::fullDiskKeepsOutputs()
{
    hostile::SmallDisk disk;
    if (!disk.mounted)
        QSKIP(qPrintable(disk.why));
    QVERIFY(writeAll(path("good.blk"), uniformFile(1, 1, 1, 128, 128, 0x1234)));
    QVERIFY(writeAll(path("good.cos"), "addr 0 0 100 0 0 50 50\r\n"));
    QVERIFY(QImage(300, 200, QImage::Format_RGB32).save(path("in.png")));
    for (const char* name : {"out.png", "out.bmp", "out.blk"})
        QVERIFY(writeAll(disk.path(name), "old"));
    const QStringList names = disk.names();
    QVERIFY(disk.fill());
    const QList<QStringList> runs = {
        {"convert", "good.blk", disk.path("out.png")},
        {"convert", "good.blk", disk.path("out.bmp")},
        {"convert", "in.png", disk.path("out.blk")},
        {"render", "good.cos", "-o", disk.path("out.png")},
        {"render", "--picture", "good.blk", "good.cos", "-o", disk.path("out.png")},
    };
    for (const QStringList& arguments : runs) {
        const Run run = tool(arguments);
        const QString out = arguments.last();
        QCOMPARE(run.status, 2);
        QCOMPARE(run.err, QStringLiteral("palisandre-tool: Cannot write file %1: No space left on device\n").arg(out));
        QCOMPARE(readAll(out), QByteArray("old"));
        QCOMPARE(disk.names(), names);
    }
}

// A JPEG cut short: Qt gives the picture, grey where data is missing; the conversion goes
// on and says so on standard error.
void TestTool::truncatedJpeg()
{
    QImage picture(400, 300, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x * y) & 0xFF));
    QVERIFY(picture.save(path("whole.jpg"), "JPEG", 95));
    const QByteArray whole = readAll(path("whole.jpg"));
    QVERIFY(writeAll(path("cut.jpg"), whole.left(whole.size() / 3)));
    const Run cut = tool({"convert", "cut.jpg", "cut.blk"});
    QCOMPARE(cut.status, 0);
    QVERIFY2(cut.err.startsWith("palisandre-tool: warning: cut.jpg is damaged: only part of its picture could be read ("),
             qPrintable(cut.err));
    QCOMPARE(cut.err.count('\n'), 1);
    QVERIFY(QFile::exists(path("cut.blk")));
    const Run good = tool({"convert", "whole.jpg", "whole.blk"});
    QCOMPARE(good.status, 0);
    QVERIFY(good.err.isEmpty());
}

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
