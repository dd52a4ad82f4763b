// palisandre-tool run as a program, with no display and no platform chosen, on files the
// test makes.
#include "core/background/blkformat.h"
#include "core/rules/mapcolours.h"
#include "core/rules/roomtypes.h"
#include "core/tst_blkdata.h"

#include <QDir>
#include <QDirIterator>
#include <QImage>
#include <QMap>
#include <QPainter>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using namespace blktest;

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
    void severalMetaroomsAndKeptLines();
    void errorsChangeNothing_data();
    void errorsChangeNothing();

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
    QCOMPARE(run.err, QStringLiteral("palisandre-tool: Cannot open file missing.blk\n"));
    const QString expected = QStringLiteral(
        "odd.blk: background file\n"
        "  pixel format: 5-5-5 (16 bits: red 5, green 5, blue 5)\n"
        "  columns: 2\n"
        "  rows: 1\n"
        "  blocks: 2 of 128 x 128 pixels\n"
        "  picture: 256 x 128 pixels\n"
        "  offsets: not back to back: block 1 has offset %1, where the layout places it at %2; "
        "blocks are read at their offsets\n"
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
    QTest::newRow("missing picture") << QStringList{"convert", "none.png", "out.blk"} << "Cannot open file none.png";
    QTest::newRow("not a picture") << QStringList{"convert", "text.png", "out.blk"}
                                   << "text.png: Bitmap image is not valid";
    QTest::newRow("truncated background") << QStringList{"convert", "cut.blk", "out.png"}
                                          << "cut.blk is truncated or damaged: it has 2000 bytes, but its header, "
                                             "index and pixel data need 32786";
    QTest::newRow("unknown picture format") << QStringList{"convert", "good.blk", "out.xyz"}
                                            << "Unknown picture file extension (.xyz)";
    QTest::newRow("no such folder") << QStringList{"convert", "in.png", "none/out.blk"}
                                    << "Cannot create file none/out.blk";
    QTest::newRow("script not read") << QStringList{"info", "bad.cos"} << "bad.cos: line 1: 'x' is not a valid integer value";
    QTest::newRow("check: no script") << QStringList{"check", "none.cos"} << "none.cos: File not found";
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
    QTest::newRow("render: bad picture") << QStringList{"render", "good.cos", "--picture", "cut.blk", "-o", "out.png"}
                                         << "cut.blk is truncated or damaged: it has 2000 bytes, but its header, "
                                            "index and pixel data need 32786";
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
    const QMap<QString, QByteArray> before = filesIn(dir.path());

    const Run run = tool(arguments);
    QCOMPARE(run.status, 2);
    QCOMPARE(run.err, QStringLiteral("palisandre-tool: ") + message + '\n');
    QVERIFY(run.out.isEmpty());
    QVERIFY(filesIn(dir.path()) == before);
}

QTEST_GUILESS_MAIN(TestTool)
#include "tst_tool.moc"
