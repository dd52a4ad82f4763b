// A catalogue of bad input, one case a row: damaged background files, hostile scripts,
// broken bitmaps and saves that cannot be made. Each row checks the message the user gets
// and that the editor (grid, rooms, doors, toolbox, Panel, status bar) and the files on
// disk are as they were. The fuzz targets' seed corpora, and their grown corpora when a
// fuzz run left them in build-fuzz/, go through the same checks.
#include "testsupport.h"
#include "hostilefiles.h"

#include "core/common/errors.h"
#include "app/statusbar.h"
#include "fuzz/background_seeds.h"
#include "fuzz/script_seeds.h"
#include "view/room.h"
#include "app/roomscriptfiles.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"
#include "core/tst_blkdata.h"

#include <QDir>
#include <QDirIterator>
#include <QLineEdit>
#include <QMap>
#include <QTemporaryDir>
#include <QtEndian>
#include <random>

namespace {

using namespace blktest;

// Two rooms (game numbers 10 and 11) joined by a door, over a 2 x 1 grid of 128 x 128 blocks.
const QByteArray startingRooms = "brmi 3 10\r\nmmsc 0 0 \"tune\"\r\n"
                                 "setv va02 addr va01 110 200 -40 -40 50 50\r\nrtyp va02 4\r\n"
                                 "setv va02 addr va01 210 300 -30 -30 40 45\r\ndoor 10 11 40\r\n";

// Everything a failed command must leave as it was.
struct Snapshot {
    const TBlockList* blocks = nullptr;
    size_t blockCount = 0;
    int columns = 0;
    int rows = 0;
    QList<QGraphicsItem*> panelChildren;
    RoomDefs defs;   // rooms, doors, metaroom values and Panel's size
    int selected = -1;
    int defaultRoomType = 0;
    QMap<QString, QString> fields;   // the toolbox's edits by name
    QString status;
    QMap<QString, QByteArray> files;
};

struct Fixture {
    Editor e;
    QTemporaryDir dir;

    Fixture()
    {
        writeAll(dir.filePath("start.blk"), uniformFile(1, 2, 1, 128, 128, 0x07E0));
        e.main->LoadBackground(dir.filePath("start.blk"));
        e.tool->SetOffsetX(100);
        e.tool->SetOffsetY(-50);
        e.main->LoadRoomDefsText(startingRooms);
        e.tool->MetaroomFilename = QStringLiteral("before.blk");
        e.tool->DefaultRoomType = 7;
        e.tool->ShowMetaroomValues();
        e.main->StatusBar->setText(QStringLiteral("before"));
        e.main->UndoStack->setClean();   // as saved: no command asks about unsaved work
        writeAll(dir.filePath("old.blk"), "old background");
        writeAll(dir.filePath("old.bmp"), "old bitmap");
        writeAll(dir.filePath("old.cos"), "old script\r\n");
        writeAll(dir.filePath("plain"), "a file, not a folder");
    }

    QString path(const QString& name) const { return name.startsWith('/') ? name : dir.filePath(name); }

    Snapshot snapshot() const
    {
        Snapshot s;
        s.blocks = e.main->Blocks.get();
        s.blockCount = s.blocks ? s.blocks->size() : 0;
        s.columns = e.main->BlockColumns;
        s.rows = e.main->BlockRows;
        s.panelChildren = e.main->Panel->items();
        s.defs = collectRoomDefs(*e.main);
        s.selected = int(e.main->Rooms.indexOf(e.main->SelectedRoom));
        s.defaultRoomType = e.tool->DefaultRoomType;
        for (const QLineEdit* edit : e.tool->findChildren<QLineEdit*>())
            s.fields.insert(edit->objectName(), edit->text());
        s.status = e.main->StatusBar->text();
        QDirIterator files(dir.path(), QDir::Files);
        while (files.hasNext()) {
            const QString file = files.next();
            s.files.insert(file, readAll(file));
        }
        return s;
    }
};

void compareDefs(const RoomDefs& actual, const RoomDefs& expected)
{
    QCOMPARE(actual.rooms.size(), expected.rooms.size());
    QVERIFY2(actual == expected, RoomDefsText(actual) + "\nexpected:\n" + RoomDefsText(expected));
}

void compareGrid(const Snapshot& actual, const Snapshot& expected)
{
    QCOMPARE(actual.blocks, expected.blocks);
    QCOMPARE(actual.blockCount, expected.blockCount);
    QCOMPARE(actual.columns, expected.columns);
    QCOMPARE(actual.rows, expected.rows);
    QCOMPARE(actual.status, expected.status);
    QCOMPARE(actual.files.keys(), expected.files.keys());
    QVERIFY(actual.files == expected.files);
}

void compareAll(const Snapshot& actual, const Snapshot& expected)
{
    compareGrid(actual, expected);
    QCOMPARE(actual.panelChildren, expected.panelChildren);
    compareDefs(actual.defs, expected.defs);
    QCOMPARE(actual.selected, expected.selected);
    QCOMPARE(actual.defaultRoomType, expected.defaultRoomType);
    QCOMPARE(actual.fields, expected.fields);
}

QByteArray seed(const QList<seeds::NamedFile>& files, const QString& name)
{
    for (const auto& [n, bytes] : files)
        if (n == name)
            return bytes;
    qFatal("no seed named %s", qPrintable(name));
}

// Files that a fuzz run of `name` left in build-fuzz/corpus/, if any; the first 300 by
// name keep the sanitized run short.
QStringList grownCorpus(const char* name)
{
    const QDir corpus(QStringLiteral(PLSD_SOURCE_DIR "/build-fuzz/corpus/") + QLatin1String(name));
    QStringList files;
    for (const QString& file : corpus.entryList(QDir::Files, QDir::Name).mid(0, 300))
        files.append(corpus.filePath(file));
    return files;
}

// Every door has its twin, with the same permeability.
bool doorsPaired(const RoomDefs& defs)
{
    for (qsizetype from = 0; from < defs.rooms.size(); ++from)
        for (const ScriptDoor& door : defs.rooms[from].doors)
            if (door.target < 0 || !defs.rooms[door.target].doors.contains(ScriptDoor{int(from), door.perm}))
                return false;
    return true;
}

// A 24-bit bitmap file of w x h pixels.
QByteArray bitmapFile(int w, int h)
{
    QImage image(w, h, QImage::Format_RGB888);
    image.fill(QColor(10, 200, 30));
    QTemporaryDir dir;
    const QString file = dir.filePath("b.bmp");
    image.save(file, "BMP");
    return readAll(file);
}

} // namespace

class TestHostile : public QObject {
    Q_OBJECT
private slots:
    void backgroundFiles_data();
    void backgroundFiles();
    void backgroundCorpus();
    void scripts_data();
    void scripts();
    void scriptCorpus();
    void bitmaps_data();
    void bitmaps();
    void saves_data();
    void saves();
    void inputsThatAreNoFiles_data();
    void inputsThatAreNoFiles();
    void truncatedJpegIsTakenWithAWord();
};

void TestHostile::backgroundFiles_data()
{
    QTest::addColumn<QString>("seed");
    QTest::addColumn<QString>("message");   // %1: the path
    const auto truncated = [](qint64 has, qint64 needs) {
        return QStringLiteral("%1 is truncated or damaged: it has ") + QString::number(has) +
               QStringLiteral(" bytes, but its header, index and pixel data need ") + QString::number(needs);
    };
    // The damaged files are seeds of fuzz_background; the sound file they come from holds
    // 3 x 2 blocks of 8 x 8 pixels in 826 bytes.
    QTest::newRow("missing") << "" << "Cannot open file %1: No such file or directory";
    QTest::newRow("empty") << "empty" << truncated(0, 10);
    QTest::newRow("header only") << "header-only" << truncated(10, 58);
    QTest::newRow("byte 0 not 1") << "first-byte-2"
                                  << "%1 is not a background file this program reads: its first byte is 2 (1 marks "
                                     "5-6-5 pixels, 0 marks 5-5-5 pixels)";
    QTest::newRow("truncated index") << "index-cut" << truncated(39, 58);
    QTest::newRow("truncated pixels") << "pixels-cut-last-byte" << truncated(825, 826);
    QTest::newRow("no pixels") << "pixels-none" << truncated(58, 826);
    QTest::newRow("zero-sized block")
        << "width-0" << "%1 is damaged: block 2 is 0 x 8 pixels, and a block needs a width and a height";
    QTest::newRow("zero blocks") << "no-blocks" << "%1 holds no picture: it has 0 blocks";
    QTest::newRow("count disagrees") << "count-one-more"
                                     << "%1 is damaged: it holds 7 blocks, but 3 columns x 2 rows need 6";
    QTest::newRow("rows 0") << "rows-0" << "%1 is damaged: it holds 6 blocks, but 3 columns x 0 rows need 0";
    QTest::newRow("grid of 65535 x 65535") << "grid-65535-square"
                                           << "%1 is damaged: it holds 6 blocks, but 65535 columns x 65535 rows need "
                                              "4294836225";
    QTest::newRow("count far beyond the file") << "count-65535" << truncated(826, 10 + 8 * 65535);
    QTest::newRow("block far beyond the file")
        << "block-65535-square" << truncated(826, 58 + 2 * (65535LL * 65535 + 5 * 64));
}

void TestHostile::backgroundFiles()
{
    QFETCH(QString, seed);
    QFETCH(QString, message);
    Fixture f;
    TestDialogs host;
    ErrorCapture errors;
    const QString bad = f.path("bad.blk");
    if (!seed.isEmpty())
        writeAll(bad, ::seed(seeds::backgroundSeeds(), seed));
    const Snapshot before = f.snapshot();
    host.answer(bad);
    f.e.main->Open1->trigger();
    QCOMPARE(errors.messages, QStringList(message.arg(bad)));
    compareAll(f.snapshot(), before);
    QCOMPARE(f.e.tool->MetaroomFilename, QStringLiteral("before.blk"));
}

// Every file either opens as a whole grid or is refused, leaving everything as it was.
void TestHostile::backgroundCorpus()
{
    Fixture f;
    TestDialogs host;
    ErrorCapture errors;
    QList<seeds::NamedFile> files = seeds::backgroundSeeds();
    for (const QString& file : grownCorpus("background"))
        files.append({file, readAll(file)});
    const QString path = f.path("corpus.blk");
    for (const auto& [name, bytes] : files) {
        writeAll(path, bytes);
        const Snapshot before = f.snapshot();
        const qsizetype reported = errors.messages.size();
        host.answer(path);
        f.e.main->Open1->trigger();
        if (errors.messages.size() > reported) {
            compareAll(f.snapshot(), before);
        } else {
            QVERIFY2(f.e.main->Blocks->size() == size_t(f.e.main->BlockColumns) * size_t(f.e.main->BlockRows),
                     qPrintable(name));
            // Of the seeds (grown inputs are named by their path), those named offsets-...
            // disagree with their layout, and the status line says how they were read.
            const QString status = f.e.main->StatusBar->text();
            QVERIFY2(status.startsWith(QStringLiteral("Image loaded")), qPrintable(status));
            if (!QDir::isAbsolutePath(name))
                QCOMPARE(status != QStringLiteral("Image loaded"), name.startsWith(QStringLiteral("offsets-")));
            QCOMPARE(f.e.tool->MetaroomFilename, path);
            QVERIFY(collectRoomDefs(*f.e.main).rooms == before.defs.rooms);
        }
        if (QTest::currentTestFailed())
            qWarning("on %s", qPrintable(name));
    }
}

void TestHostile::scripts_data()
{
    // The fixture holds rooms 10 and 11; the script is read after them. A load that fails
    // leaves everything as it was. A load that succeeds leaves what a load of `kept`, lines
    // that say the same plainly, leaves.
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");   // none when empty
    QTest::addColumn<QByteArray>("kept");

    std::mt19937 random(8);
    QByteArray garbage(64 * 1024, '\0');
    for (char& c : garbage)
        c = char(std::uniform_int_distribution<int>(0, 255)(random));
    garbage.replace('"', 'x');
    // Before, binary garbage and long lines were passed over: "no problems". The game
    // refuses a script with bytes it cannot read, or with a token where a command goes.
    QTest::newRow("binary garbage without quotes: refused at its line")
        << garbage << "bad.cos, line 1: the script holds the byte 0xdf outside a quoted text, which the game refuses"
        << QByteArray();
    QTest::newRow("a 10 MB word where a command goes: refused, the word cut short")
        << "brmi 5 6 " + QByteArray(10 * 1024 * 1024, 'x') + "\r\nmmsc 0 0 \"after\"\r\n"
        << "bad.cos, line 1: '" + QString(40, u'x') + "...' stands where a command is expected" << QByteArray();
    QByteArray manyTokens = "brmi 7 8";
    for (int i = 0; i < 100000; ++i)
        manyTokens += " 0";
    QTest::newRow("a line of 100,000 tokens: refused at its fourth")
        << manyTokens + "\r\nmmsc 0 0 \"after\"\r\n" << "bad.cos, line 1: '0' stands where a command is expected"
        << QByteArray();
    QTest::newRow("upper case and tabs: read as the game reads them")
        << QByteArray("SETV VA02 ADDR VA01 110 200 0 0 50 50\r\nRTYP\tVA02\t4\r\n") << ""
        << QByteArray("setv va02 addr va01 110 200 0 0 50 50\r\nrtyp va02 4\r\n");
    QTest::newRow("empty lines and comments: passed over")
        << QByteArray("brmi 5 6\r\n\r\n* brmi 7 8 \"C:\\x\r\n\r\nmmsc 0 0 \"after\" * music\r\n") << ""
        << QByteArray("brmi 5 6\r\nmmsc 0 0 \"after\"\r\n");

    // Before, each of these kept the lines before the failure.
    QTest::newRow("decimal number out of range")
        << QByteArray("brmi 1 2\r\naddr va01 110 2147483648 0 0 50 50\r\n")
        << "bad.cos, line 2: '2147483648' is not a valid integer value" << QByteArray();
    QTest::newRow("hexadecimal number out of range")
        << QByteArray("brmi $100000000 1\r\n") << "bad.cos, line 1: '$100000000' is not a valid integer value" << QByteArray();
    QTest::newRow("door to a missing room")
        << QByteArray("addr va01 110 200 0 0 50 50\r\ndoor 10 99 5\r\n")
        << "bad.cos, line 2: the door names room 99, but no room of that number is made before it"
        << QByteArray();
    QTest::newRow("door to a number below the first room")
        << QByteArray("door 9 10 5\r\nbrmi 1 1\r\n")
        << "bad.cos, line 1: the door names room 9, but no room of that number is made before it"
        << QByteArray();
    // Before, an unclosed quote lost the last letter of its text without a word.
    QTest::newRow("unclosed quote")
        << QByteArray("addr va01 110 200 0 0 50 50\r\nrmsc 0 0 \"open music\r\nmmsc 0 0 \"abc brmi 3 4\r\n")
        << "bad.cos, line 2: a quoted text is not closed before the end of the line" << QByteArray();
    QTest::newRow("raw Windows path")
        << QByteArray("mmsc 0 0 \"C:\\music\\x\"\r\n")
        << "bad.cos, line 1: a quoted text holds the escape \\m, which the game does not know "
           "(it knows \\\\ \\\" \\' \\n \\r \\t \\0)"
        << QByteArray();
    const char nulText[] = "brmi 4 5\r\naddr va01 110 200 0 0 50 50\r\nrmsc 0 0 \"a\0b\"\r\n";
    QTest::newRow("NUL byte in a quoted text")
        << QByteArray(nulText, sizeof nulText - 1) << "bad.cos, line 3: a quoted text holds the control character 0"
        << QByteArray();
    const char nulNumber[] = "brmi 4 5\r\nbrmi 1\0 2\r\n";
    QTest::newRow("NUL byte in a number")
        << QByteArray(nulNumber, sizeof nulNumber - 1)
        << "bad.cos, line 2: the script holds the byte 0x00 outside a quoted text, which the game refuses"
        << QByteArray();
}

void TestHostile::scripts()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    QFETCH(QByteArray, kept);
    Fixture f;
    Fixture expected;
    expected.e.main->LoadRoomDefsText(kept);
    const Snapshot want = expected.snapshot();

    TestDialogs host;
    ErrorCapture errors;
    const QString path = f.path("bad.cos");
    writeAll(path, script);
    const Snapshot before = f.snapshot();
    host.answer(path);
    f.e.main->LoadRoomDefs1->trigger();
    const Snapshot after = f.snapshot();
    QCOMPARE(errors.messages, message.isEmpty() ? QStringList() : QStringList(message));
    if (!message.isEmpty()) {
        compareAll(after, before);
        return;
    }
    // The status line counts the rooms added to those there were.
    Snapshot grid = after;
    grid.status = before.status;
    compareGrid(grid, before);
    const QString added = QStringLiteral("Added %1 from bad.cos to the %2 on the map, %3 now")
                              .arg(after.defs.rooms.size() - before.defs.rooms.size() == 1 ? QStringLiteral("1 room")
                                   : QStringLiteral("%1 rooms").arg(after.defs.rooms.size() - before.defs.rooms.size()))
                              .arg(before.defs.rooms.size())
                              .arg(after.defs.rooms.size());
    QVERIFY2(after.status.startsWith(added), qPrintable(after.status));
    QCOMPARE(after.panelChildren.size(), before.panelChildren.size() + (want.defs.rooms.size() - before.defs.rooms.size()));
    compareDefs(after.defs, want.defs);
    QCOMPARE(after.selected, want.selected);
    QCOMPARE(after.fields, want.fields);
}

// Whatever a script holds, a load either leaves everything as it was, with a message
// naming a line, or ends without one; the grid and the files stay, doors come in pairs
// and Panel does not shrink.
void TestHostile::scriptCorpus()
{
    QList<seeds::NamedFile> files = seeds::scriptSeeds();
    for (const QString& file : grownCorpus("script"))
        files.append({file, readAll(file)});
    Fixture f;
    for (const auto& [name, bytes] : files) {
        while (!f.e.main->Rooms.isEmpty())
            f.e.main->DeleteRoom();
        f.e.main->LoadRoomDefsText(startingRooms);
        const Snapshot before = f.snapshot();
        try {
            f.e.main->LoadRoomDefsText(bytes);
        } catch (const ScriptError& error) {
            QVERIFY2(error.line() >= 1, qPrintable(name));
            compareAll(f.snapshot(), before);
            if (QTest::currentTestFailed()) {
                qWarning("on %s", qPrintable(name));
                return;
            }
            continue;
        }
        const Snapshot after = f.snapshot();
        compareGrid(after, before);
        QVERIFY2(doorsPaired(after.defs), qPrintable(name));
        QVERIFY2(after.defs.panelWidth >= before.defs.panelWidth && after.defs.panelHeight >= before.defs.panelHeight,
                 qPrintable(name));
        // The rooms that were there keep their shape, type and music.
        for (int i = 0; i < 2; ++i) {
            ScriptRoom room = after.defs.rooms.value(i);
            room.doors = before.defs.rooms[i].doors;
            QVERIFY2(room == before.defs.rooms[i], qPrintable(name));
        }
        if (QTest::currentTestFailed())
            return;
    }
}

void TestHostile::bitmaps_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("message");   // %1: the path
    const QByteArray good = bitmapFile(20, 10);
    const qint32 pixelsAt = qFromLittleEndian<qint32>(good.constData() + 10);
    // Headers that claim 32768 (bitmap) or 32767 (pixmap) pixels square: 65536 blocks.
    QByteArray huge = bitmapFile(1, 1);
    qToLittleEndian<qint32>(32768, huge.data() + 18);
    qToLittleEndian<qint32>(32768, huge.data() + 22);
    QByteArray zeroWidth = good;
    qToLittleEndian<qint32>(0, zeroWidth.data() + 18);
    QByteArray zeroHeight = good;
    qToLittleEndian<qint32>(0, zeroHeight.data() + 22);
    QTest::newRow("missing") << "missing.bmp" << QByteArray() << "Cannot open file %1: No such file or directory";
    QTest::newRow("not a bitmap") << "text.bmp" << QByteArray("just some text") << "Bitmap image is not valid";
    QTest::newRow("empty") << "empty.bmp" << QByteArray("") << "Bitmap image is not valid";
    QTest::newRow("header only") << "header.bmp" << good.left(pixelsAt) << "Bitmap image is not valid";
    QTest::newRow("truncated pixels") << "cut.bmp" << good.left(pixelsAt + 5 * 60 + 7) << "Bitmap image is not valid";
    QTest::newRow("zero width") << "zerow.bmp" << zeroWidth << "Bitmap image is not valid";
    QTest::newRow("zero height") << "zeroh.bmp" << zeroHeight << "Bitmap image is not valid";
    QTest::newRow("unknown extension") << "picture.xyz" << QByteArray("BM") << "Unknown picture file extension (.xyz)";
    QTest::newRow("more than 65535 blocks")
        << "huge.ppm" << QByteArray("P6\n32767 32767\n255\n")
        << "The picture is 32767 x 32767 pixels: its 256 x 256 blocks are more than the 65535 a background file holds";
    QTest::newRow("bitmap too large to read")
        << "huge.bmp" << huge
        << "The bitmap is 32768 x 32768 pixels, more than the 16384 x 16384 pixels that can be read from a bitmap file";
}

void TestHostile::bitmaps()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, message);
    Fixture f;
    TestDialogs host;
    ErrorCapture errors;
    const QString file = f.path(name);
    if (name != QStringLiteral("missing.bmp"))
        writeAll(file, bytes);
    const Snapshot before = f.snapshot();
    host.answer(file);
    f.e.main->ImportBitmap1->trigger();
    QCOMPARE(errors.messages, QStringList(message.arg(file)));
    compareAll(f.snapshot(), before);
}

void TestHostile::saves_data()
{
    // Tests run as root in CI, where a read-only file or folder can still be written. The
    // read-only rows take paths under /sys, which refuse root too: a file nobody may
    // replace, and a folder in which nobody may create a file.
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("message");   // %1: the path
    const char* const commands[] = {"Save1", "ExportBitmap1", "SaveRoomDefs1"};
    const char* const extensions[] = {"blk", "bmp", "cos"};
    for (int i = 0; i < 3; ++i) {
        const char* command = commands[i];
        const QString ext = QLatin1String(extensions[i]);
        QTest::addRow("%s: folder that does not exist", command)
            << command << "missing/x." + ext << "Cannot create file %1: No such file or directory";
        QTest::addRow("%s: parent is a file", command) << command << "plain/x." + ext << "Cannot create file %1: Not a directory";
        QTest::addRow("%s: read-only file (/sys/kernel/notes)", command)
            << command << "/sys/kernel/notes" << "Cannot create file %1: Permission denied";
        QTest::addRow("%s: read-only folder (/sys)", command)
            << command << "/sys/palisandre-test." + ext << "Cannot create file %1: Permission denied";
        QTest::addRow("%s: a device", command) << command << "/dev/null" << "%1 is not a regular file";
        QTest::addRow("%s: a folder", command) << command << "/tmp" << "Cannot create file %1: Is a directory";
    }
}

void TestHostile::saves()
{
    QFETCH(QString, command);
    QFETCH(QString, path);
    QFETCH(QString, message);
    Fixture f;
    TestDialogs host;
    ErrorCapture errors;
    const QString target = f.path(path);
    const bool existed = QFile::exists(target);
    const QByteArray old = readAll(target);
    const Snapshot before = f.snapshot();
    host.answer(target);
    f.e.main->findChild<QAction*>(command)->trigger();
    QCOMPARE(errors.messages, QStringList(message.arg(target)));
    compareAll(f.snapshot(), before);
    QCOMPARE(f.e.tool->MetaroomFilename, QStringLiteral("before.blk"));
    QCOMPARE(QFile::exists(target), existed);
    QCOMPARE(readAll(target), old);
}

// A FIFO, a socket, a device or a file that claims far more memory than it holds, given to
// each command that reads a file: refused at once, everything left as it was.
void TestHostile::inputsThatAreNoFiles_data()
{
    QTest::addColumn<QString>("command");   // a menu item, or "drop" for files given from outside
    QTest::addColumn<QString>("file");      // in the fixture's folder unless absolute
    QTest::addColumn<QString>("message");   // %1: the file's path
    const QString notRegular = QStringLiteral("%1 is not a regular file");
    const struct {
        const char* command;
        const char* extension;
    } readers[] = {{"Open1", "blk"}, {"ImportBitmap1", "bmp"}, {"LoadRoomDefs1", "cos"}, {"drop", "blk"},
                   {"drop", "bmp"}, {"drop", "cos"}};
    for (const auto& reader : readers) {
        const QString ext = QLatin1String(reader.extension);
        QTest::addRow("%s: FIFO .%s", reader.command, reader.extension) << reader.command << "fifo." + ext << notRegular;
        QTest::addRow("%s: socket .%s", reader.command, reader.extension) << reader.command << "socket." + ext << notRegular;
        if (QLatin1String(reader.command) != QLatin1String("drop"))   // a dropped file is taken by its extension
            QTest::addRow("%s: /dev/zero", reader.command) << reader.command << "/dev/zero" << notRegular;
    }
    const QString pngBomb = QStringLiteral("%1 claims 30000 x 30000 pixels, 5.9 GB; the limit is 1 GB");
    QTest::newRow("ImportBitmap1: picture bomb") << "ImportBitmap1" << "bomb.png" << pngBomb;
    const QString blkBomb = QStringLiteral("%1 claims 32640 x 32896 pixels, 3.0 GB; the limit is 1 GB");
    QTest::newRow("Open1: background of tiny blocks") << "Open1" << "tiny.blk" << blkBomb;
    QTest::newRow("drop: background of tiny blocks") << "drop" << "tiny.blk" << blkBomb;
}

void TestHostile::inputsThatAreNoFiles()
{
    QFETCH(QString, command);
    QFETCH(QString, file);
    QFETCH(QString, message);
    Fixture f;
    TestDialogs host;
    ErrorCapture errors;
    const QString path = f.path(file);
    QTemporaryDir special;   // kept apart, so the snapshot reads none of them
    const QString specialPath = file.startsWith('/') ? file : special.filePath(file);
    int socket = -1;
    if (file.startsWith(QLatin1String("fifo")))
        QVERIFY(hostile::makeFifo(specialPath));
    else if (file.startsWith(QLatin1String("socket")))
        QVERIFY((socket = hostile::makeSocket(specialPath)) >= 0);
    else if (file.startsWith(QLatin1String("bomb")))
        QVERIFY(writeAll(path, hostile::pngClaiming(30000, 30000)));
    else if (file.startsWith(QLatin1String("tiny")))
        QVERIFY(writeAll(path, hostile::backgroundOfTinyBlocks()));
    const QString given = QFile::exists(path) ? path : specialPath;
    const Snapshot before = f.snapshot();
    {
        hostile::FifoWatchdog watchdog(given);
        if (command == QLatin1String("drop")) {
            f.e.main->OpenFiles({given});
        } else {
            host.answer(given);
            f.e.main->findChild<QAction*>(command)->trigger();
        }
        QVERIFY2(!watchdog.hadToEndAWait(), "waited on the FIFO");
    }
    if (socket >= 0)
        ::close(socket);
    QCOMPARE(errors.messages, QStringList(message.arg(given)));
    compareAll(f.snapshot(), before);
    QCOMPARE(f.e.tool->MetaroomFilename, QStringLiteral("before.blk"));
}

// A JPEG cut short is imported as far as Qt reads it (grey below), and the status line says so.
void TestHostile::truncatedJpegIsTakenWithAWord()
{
    Fixture f;
    TestDialogs host;
    ErrorCapture errors;
    QImage picture(300, 200, QImage::Format_RGB32);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            picture.setPixel(x, y, qRgb(x & 0xFF, y & 0xFF, (x ^ y) & 0xFF));
    const QString whole = f.path("whole.jpg");
    QVERIFY(picture.save(whole, "JPEG", 95));
    const QString cut = f.path("cut.jpg");
    QVERIFY(writeAll(cut, readAll(whole).left(int(QFileInfo(whole).size() / 3))));
    host.answer(cut);
    f.e.main->ImportBitmap1->trigger();
    QVERIFY(errors.messages.isEmpty());
    QCOMPARE(f.e.main->BlockColumns, 3);
    const QString status = f.e.main->StatusBar->text();
    QVERIFY2(status.startsWith(cut + " is damaged: only part of its picture could be read ("), qPrintable(status));
    f.e.main->StatusBar->setText(QStringLiteral("before"));
    host.answer(whole);
    f.e.main->ImportBitmap1->trigger();
    QCOMPARE(f.e.main->StatusBar->text(), QStringLiteral("before"));
}

PLSD_TEST_MAIN(TestHostile)
#include "tst_hostile.moc"
