#include "core/common/errors.h"
#include "core/script/scriptreader.h"
#include "core/script/scripttokens.h"
#include "core/script/scriptwriter.h"

#include <QtTest>

namespace {

// Logs every call and keeps the rooms and metaroom values it was given, linking rooms as
// the editor does: by game room number, both ways, one door per pair.
class RecordingSink : public ScriptSink {
public:
    QStringList log;
    RoomDefs defs;

    void addRoom(const RoomCorners& c) override
    {
        log << QStringLiteral("room %1 %2 %3 %4 %5 %6").arg(c.xl).arg(c.xr).arg(c.ytl).arg(c.ytr).arg(c.ybl).arg(c.ybr);
        defs.rooms.append({c.xl, c.xr, c.ytl, c.ytr, c.ybl, c.ybr, 0, {}, {}});
    }
    void setRoomType(int roomtype) override
    {
        log << QStringLiteral("type %1").arg(roomtype);
        if (!defs.rooms.isEmpty())
            defs.rooms.last().roomtype = roomtype;
    }
    void setRoomMusic(const QString& music) override
    {
        log << QStringLiteral("music %1").arg(music);
        if (!defs.rooms.isEmpty())
            defs.rooms.last().music = music;
    }
    void linkRooms(int a, int b, int perm) override
    {
        const int from = position(a);
        const int to = position(b);
        log << QStringLiteral("link %1 %2 %3").arg(a).arg(b).arg(perm);
        setDoor(from, to, perm);
        setDoor(to, from, perm);
    }
    void setMetaroom(int offsetX, int offsetY, const QString& name) override
    {
        log << QStringLiteral("metaroom %1 %2 %3").arg(offsetX).arg(offsetY).arg(name);
        defs.offsetX = offsetX;
        defs.offsetY = offsetY;
        defs.metaroomFilename = name;
    }
    void setMetaroomMusic(const QString& music) override
    {
        log << QStringLiteral("metaroom music %1").arg(music);
        defs.metaroomMusic = music;
    }
    void setRoomNumbering(int metaRoomID, int subRoomStartID) override
    {
        log << QStringLiteral("numbering %1 %2").arg(metaRoomID).arg(subRoomStartID);
        defs.metaRoomID = metaRoomID;
        defs.subRoomStartID = subRoomStartID;
    }

private:
    int position(int roomNumber) const
    {
        const int i = roomNumber - defs.subRoomStartID;
        if (i < 0 || i >= defs.rooms.size())
            throw ListIndexError();
        return i;
    }
    void setDoor(int from, int to, int perm)
    {
        for (ScriptDoor& door : defs.rooms[from].doors) {
            if (door.target == to) {
                door.perm = perm;
                return;
            }
        }
        defs.rooms[from].doors.append({to, perm});
    }
};

void read(RecordingSink& sink, const QByteArray& script, int offsetX = 0, int offsetY = 0)
{
    RoomDefsReader reader(sink, offsetX, offsetY, 433, 249);
    reader.read(ScriptLines(script));
}

} // namespace

class TestScriptReader : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatWasWritten();
    void commands_data();
    void commands();
    void roomLinesGrowThePanel();
    void failures_data();
    void failures();
};

void TestScriptReader::readsBackWhatWasWritten()
{
    RoomDefs saved;
    saved.offsetX = 1000;
    saved.offsetY = -200;
    saved.metaRoomID = 3;
    saved.subRoomStartID = 100;
    saved.metaroomMusic = QStringLiteral("main.mng\\\\garden");
    saved.metaroomFilename = QStringLiteral("/home/modder/Garden.blk");
    saved.panelWidth = 1024;
    saved.panelHeight = 768;
    const int corners[3][6] = {{10, 300, 20, 40, 200, 220}, {300, 600, 40, 40, 220, 231}, {-50, 5, -9, 0, 100, 7}};
    const QString music[3] = {QString(), QStringLiteral("Caf\u00E9 du monde"), QStringLiteral("x")};
    for (int i = 0; i < 3; ++i) {
        const int* c = corners[i];
        saved.rooms.append({c[0], c[1], c[2], c[3], c[4], c[5], i + 4, music[i], {}});
    }
    const auto link = [&](int a, int b, int perm) {
        saved.rooms[a].doors.append({b, perm});
        saved.rooms[b].doors.append({a, perm});
    };
    link(0, 1, 100);
    link(2, 0, 30);
    link(1, 2, 0);

    RecordingSink sink;
    RoomDefsReader reader(sink, 5, 6, 100, 100);
    reader.read(ScriptLines(RoomDefsText(saved)));

    RoomDefs expected = saved;
    expected.metaroomFilename = QStringLiteral("Garden");
    expected.panelWidth = sink.defs.panelWidth;
    expected.panelHeight = sink.defs.panelHeight;
    QCOMPARE(sink.defs.rooms.size(), 3);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(sink.defs.rooms[i].doors.size(), 2);
        QCOMPARE(sink.defs.rooms[i].doors[1].target, saved.rooms[i].doors[1].target);
    }
    // Same corners, types, music, links and metaroom values: the same script again.
    QCOMPARE(RoomDefsText(sink.defs), RoomDefsText(expected));
    QCOMPARE((QList<int>{reader.offsetX(), reader.offsetY()}), (QList<int>{1000, -200}));
    QCOMPARE((QList<int>{reader.panelWidth(), reader.panelHeight()}), (QList<int>{1600, 100}));
}

void TestScriptReader::commands_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("empty line ends the load") << QByteArray("brmi 1 2\r\n\r\nbrmi 3 4\r\n") << QStringList{"numbering 1 2"};
    QTest::newRow("capitals are not keywords") << QByteArray("BRMI 1 2\r\nBrmi 3 4\r\nbrmi 5 6") << QStringList{"numbering 5 6"};
    QTest::newRow("keyword in a comment acts") << QByteArray("* was: brmi 1 2\r\n") << QStringList{"numbering 1 2"};
    QTest::newRow("quoted keyword acts") << QByteArray("x \"brmi\" 1 2") << QStringList{"numbering 1 2"};
    QTest::newRow("tabs make one token") << QByteArray("brmi\t1\t2\r\nmmsc\t0 0 x") << QStringList{};
    QTest::newRow("spaces, several commands, LF ends")
        << QByteArray("   \n  brmi  1   2 mmsc 0 0 \"a  b\"   \nmmsc 0 0 Default \n")
        << QStringList{"numbering 1 2", "metaroom music a  b", "metaroom music Default"};
    QTest::newRow("two rooms then two types")
        << QByteArray("setv va02 addr va01 1 10 2 2 9 9\r\nsetv va02 addr va01 11 20 2 2 9 9\r\nrtyp va02 1\r\nrtyp va02 2")
        << QStringList{"room 1 10 2 2 9 9", "room 11 20 2 2 9 9", "type 1", "type 2"};
    QTest::newRow("type and music before any room passed over")
        << QByteArray("rtyp va02 3\r\nrmsc 1 2 \"a\"\r\naddr va01 1 10 2 2 9 9\r\nrtyp va02 4")
        << QStringList{"room 1 10 2 2 9 9", "type 4"};
    QTest::newRow("music quoted, one word, empty, missing")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrmsc 1 2 \"a b\"\r\nrmsc 1 2 one two\r\nrmsc 1 2 \"\"\r\nrmsc 1 2")
        << QStringList{"room 1 10 2 2 9 9", "music a b", "music one", "music ", "music "};
    QTest::newRow("metaroom line sets the offsets in use")
        << QByteArray("setv va01 addm 1000 $C8 1024 768 \"Gar den\"\r\nsetv va02 addr va01 1010 1300 220 240 400 420")
        << QStringList{"metaroom 1000 200 Gar den", "room 10 300 20 40 200 220"};
    QTest::newRow("doors name game room numbers")
        << QByteArray("brmi 0 10\r\naddr va01 1 10 2 2 9 9\r\ndoor 10 10 -5")
        << QStringList{"numbering 0 10", "room 1 10 2 2 9 9", "link 10 10 -5"};
    QTest::newRow("long music loses its end")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrmsc 1 2 \"" + QByteArray(1200, 'x') + "\"")
        << QStringList{"room 1 10 2 2 9 9", "music " + QString(994, u'x')};
}

void TestScriptReader::commands()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, log);
    RecordingSink sink;
    read(sink, script);
    QCOMPARE(sink.log, log);
}

void TestScriptReader::roomLinesGrowThePanel()
{
    RecordingSink sink;
    RoomDefsReader reader(sink, 1000, 0, 433, 249);
    reader.read(ScriptLines("addr va01 1010 1300 0 0 240 300\r\naddr va01 1000 1100 0 0 260 5\r\naddr va01 0 1 0 0 1 1"));
    QCOMPARE(sink.log.first(), QStringLiteral("room 10 300 0 0 240 300"));
    QCOMPARE(reader.panelWidth(), 1300);
    QCOMPARE(reader.panelHeight(), 300);

    // A second load starts again without a latest room.
    RoomDefsReader second(sink, 0, 0, 433, 249);
    second.read(ScriptLines("rtyp va02 9\r\n"));
    QCOMPARE(sink.log.size(), 3);
    QCOMPARE((QList<int>{second.panelWidth(), second.panelHeight()}), (QList<int>{433, 249}));
}

void TestScriptReader::failures_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");
    QTest::addColumn<QStringList>("log");
    QTest::newRow("room line fails part way")
        << QByteArray("brmi 1 2\r\naddr va01 1 2 x 4 5 6\r\nbrmi 3 4") << "'x' is not a valid integer value"
        << QStringList{"numbering 1 2"};
    QTest::newRow("line ends before its arguments")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrtyp va02\r\nbrmi 3 4") << "'' is not a valid integer value"
        << QStringList{"room 1 10 2 2 9 9"};
    QTest::newRow("tab inside a number") << QByteArray("brmi 1\t2 3") << "'1\t2' is not a valid integer value" << QStringList{};
    QTest::newRow("metaroom line fails on its second offset")
        << QByteArray("addm 10 ten 1 1 \"g\"") << "'ten' is not a valid integer value" << QStringList{};
    QTest::newRow("door to no room")
        << QByteArray("brmi 0 100\r\naddr va01 1 10 2 2 9 9\r\ndoor 100 101 5\r\nbrmi 1 1") << "List index out of bounds"
        << QStringList{"numbering 0 100", "room 1 10 2 2 9 9"};
}

void TestScriptReader::failures()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    QFETCH(QStringList, log);
    RecordingSink sink;
    try {
        read(sink, script);
        QFAIL("no error");
    } catch (const PlsdError& e) {
        QCOMPARE(e.message(), message);
    }
    QCOMPARE(sink.log, log);
}

QTEST_APPLESS_MAIN(TestScriptReader)
#include "tst_scriptreader.moc"
