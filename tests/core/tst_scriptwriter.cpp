#include "core/common/errors.h"
#include "core/script/scriptwriter.h"
#include "core/script/scripttokens.h"
#include "core/script/textfile.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

ScriptRoom room(int xl, int xr, int ytl, int ytr, int ybl, int ybr, int roomtype = 0, const QString& music = {})
{
    return {xl, xr, ytl, ytr, ybl, ybr, roomtype, music, {}, {}};
}

void link(RoomDefs& defs, int a, int b, int perm)
{
    defs.rooms[a].doors.append({b, perm});
    if (a != b)
        defs.rooms[b].doors.append({a, perm});
}

// Two rooms joined by one door, offsets 1000 and 200, rooms numbered from 100.
RoomDefs twoRooms()
{
    RoomDefs defs;
    defs.offsetX = 1000;
    defs.offsetY = 200;
    defs.metaRoomID = 7;
    defs.subRoomStartID = 100;
    defs.metaroomFilename = QStringLiteral("/home/modder/c3/Garden.blk");
    defs.panelWidth = 1024;
    defs.panelHeight = 768;
    defs.rooms = {room(10, 300, 20, 40, 200, 220, 1), room(300, 600, 40, 40, 220, 231, 2, QStringLiteral("Default"))};
    link(defs, 0, 1, 100);
    return defs;
}

QList<QByteArray> linesOf(const QByteArray& text)
{
    QList<QByteArray> lines = text.split('\n');
    if (lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray& line : lines)
        line.chop(1);   // the CR
    return lines;
}

QString refusal(const RoomDefs& defs)
{
    try {
        RoomDefsText(defs);
    } catch (const PlsdError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

class TestScriptWriter : public QObject {
    Q_OBJECT
private slots:
    void writesTheExample();
    void endsAfterTheLastLineThereIs();
    void writesEachLinkOnceFromTheEarlierRoom();
    void writesNegativeHalvedAndWrappedNumbers();
    void backgroundName_data();
    void backgroundName();
    void escapesAndRefusesText();
    void refusesLinesTheGameStopsAt();
};

void TestScriptWriter::writesTheExample()
{
    const QByteArray expected = "brmi 7 100\r\n"
                                "setv va01 addm 1000 200 1024 768 \"Garden\"\r\n"
                                "mmsc 1512 584 \"\"\r\n"
                                "setv va02 addr va01 1010 1300 220 240 400 420\r\n"
                                "rtyp va02 1\r\n"
                                "rmsc 1155 320 \"\"\r\n"
                                "setv va02 addr va01 1300 1600 240 240 420 431\r\n"
                                "rtyp va02 2\r\n"
                                "rmsc 1450 335 \"Default\"\r\n"
                                "door 100 101 100\r\n";
    QCOMPARE(RoomDefsText(twoRooms()), expected);
}

void TestScriptWriter::endsAfterTheLastLineThereIs()
{
    RoomDefs defs = twoRooms();
    for (ScriptRoom& r : defs.rooms)
        r.doors.clear();
    QList<QByteArray> lines = linesOf(RoomDefsText(defs));
    QCOMPARE(lines.size(), 9);
    QCOMPARE(lines.last(), QByteArray("rmsc 1450 335 \"Default\""));

    defs.rooms.clear();
    lines = linesOf(RoomDefsText(defs));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.last(), QByteArray("mmsc 1512 584 \"\""));
}

void TestScriptWriter::writesEachLinkOnceFromTheEarlierRoom()
{
    RoomDefs defs;
    defs.subRoomStartID = 100;
    for (int i = 0; i < 4; ++i)
        defs.rooms.append(room(0, 10, 0, 0, 10, 10));
    link(defs, 3, 0, 40);
    link(defs, 2, 1, 7);
    link(defs, 0, 1, 5);
    link(defs, 3, 3, 9);
    defs.rooms[0].doors.append({-1, 1});   // a target no longer in the list

    const QList<QByteArray> lines = linesOf(RoomDefsText(defs));
    const QList<QByteArray> doorLines(lines.end() - 3, lines.end());
    QCOMPARE(doorLines, (QList<QByteArray>{"door 100 103 40", "door 100 101 5", "door 101 102 7"}));
    QCOMPARE(lines.size(), 3 + 4 * 3 + 3);
}

void TestScriptWriter::writesNegativeHalvedAndWrappedNumbers()
{
    RoomDefs defs;
    defs.offsetX = -7;
    defs.offsetY = -3;
    defs.panelWidth = 433;
    defs.panelHeight = 249;
    defs.rooms = {room(-7, 0, -20, -4, 0, -1), room(2147483647, 2147483647, 1, 1, 6, 6)};
    defs.subRoomStartID = 2147483646;
    link(defs, 0, 1, -2);

    const QList<QByteArray> lines = linesOf(RoomDefsText(defs));
    QCOMPARE(lines[1], QByteArray("setv va01 addm -7 -3 433 249 \"\""));
    QCOMPARE(lines[2], QByteArray("mmsc 209 121 \"\""));
    QCOMPARE(lines[3], QByteArray("setv va02 addr va01 -14 -7 -23 -7 -3 -4"));
    QCOMPARE(lines[5], QByteArray("rmsc -10 -13 \"\""));   // -7 div 2 = -3, -21 div 2 = -10
    QCOMPARE(lines[6], QByteArray("setv va02 addr va01 2147483640 2147483640 -2 -2 3 3"));
    // The middle of the diagonal wraps and lies outside: a point the game finds instead.
    QCOMPARE(lines[8], QByteArray("rmsc 2147483640 0 \"\""));
    QCOMPARE(lines[9], QByteArray("door 2147483646 2147483647 -2"));

    // A number that wraps to -2147483648 would not read back: the reader, as every number
    // field, does not take it.
    defs.subRoomStartID = 2147483647;
    QCOMPARE(refusal(defs), QStringLiteral("The door between rooms 0 and 1 would be written as -2147483648, which a "
                                           "room definition script cannot hold. Nothing was saved."));
    defs.subRoomStartID = 0;
    defs.offsetX = 1;
    defs.rooms[0].xl = 2147483647;
    QVERIFY(refusal(defs).startsWith(QStringLiteral("A corner of room 0 in game coordinates would be written")));
    defs.offsetX = -2147483647 - 1;
    QVERIFY(refusal(defs).startsWith(QStringLiteral("The metaroom offset or size would be written")));
    // The points of the music lines wrap as well.
    defs.offsetX = -2147483647;
    defs.panelWidth = -2;
    QVERIFY(refusal(defs).startsWith(QStringLiteral("The middle of the metaroom would be written")));
    defs.offsetX = 2147483647;
    defs.panelWidth = 433;
    defs.rooms = {room(0, 2, 0, 0, 6, 6)};
    QVERIFY(refusal(defs).startsWith(QStringLiteral("The music point of room 0 would be written")));
}

void TestScriptWriter::backgroundName_data()
{
    QTest::addColumn<QString>("filename");
    QTest::addColumn<QString>("name");
    QTest::newRow("path") << "/home/modder/Garden.blk" << "Garden";
    QTest::newRow("Windows folder, capital ending") << "C:\\Games\\C3\\Garden.BLK" << "Garden";
    QTest::newRow("other ending kept") << "Garden.blk.bak" << "Garden.blk.bak";
    QTest::newRow("folder with a dot") << "/a.blk/Garden" << "Garden";
    QTest::newRow("empty") << "" << "";
}

void TestScriptWriter::backgroundName()
{
    QFETCH(QString, filename);
    QFETCH(QString, name);
    QCOMPARE(BackgroundName(filename), name);
}

void TestScriptWriter::escapesAndRefusesText()
{
    // Backslashes and double quotes are escaped as the game reads them; before, a quote
    // was refused, and a backslash was written raw, which the game refuses.
    RoomDefs defs = twoRooms();
    defs.metaroomMusic = QStringLiteral("main.mng\\garden");
    defs.metaroomFilename = QStringLiteral("C:\\maps\\My \"Garden\".blk");
    defs.rooms[1].music = QStringLiteral("Caf\u00E9 say \"hi\" it's");
    const QByteArray text = RoomDefsText(defs);
    QVERIFY(text.contains(" \"main.mng\\\\garden\"" "\r\n"));
    QVERIFY(text.contains(" \"My \\\"Garden\\\"\"" "\r\n"));
    QVERIFY(text.contains(" \"Caf\xe9 say \\\"hi\\\" it's\"\r\n"));

    // Tab, line feed and carriage return are written as the game's escapes; a NUL, which
    // ends a string in the game, and other control characters are refused.
    defs.rooms.append(room(0, 10, 0, 0, 10, 10, 0, QStringLiteral("a\tb\nc\rd")));
    QVERIFY(RoomDefsText(defs).contains(" \"a\\tb\\nc\\rd\"\r\n"));
    defs.rooms[2].music = QStringLiteral("a\x1F");
    QCOMPARE(refusal(defs), QStringLiteral("The music of room 2 cannot be written to a room definition script: "
                                           "it holds the control character 31. Nothing was saved."));
    defs.rooms[2].music = QString(QChar(0));
    QVERIFY(refusal(defs).endsWith(QStringLiteral("it holds the control character 0. Nothing was saved.")));
    defs.rooms[2].music = QStringLiteral("price \u20AC");
    QVERIFY(refusal(defs).endsWith(QStringLiteral("it holds the character \"\u20AC\". Nothing was saved.")));
    defs.rooms[2].music = QString(512, u'm');
    QVERIFY(refusal(defs).endsWith(QStringLiteral("it holds 512 bytes, more than the game's 511. Nothing was saved.")));
    defs.rooms[2].music = QString(511, u'm');
    QCOMPARE(refusal(defs), QString());

    defs = twoRooms();
    defs.metaroomMusic = QStringLiteral("\x01");
    QVERIFY(refusal(defs).startsWith(QStringLiteral("The metaroom music cannot be written")));
    defs = twoRooms();
    defs.metaroomFilename = QStringLiteral("/x/Gar\x02" "den.blk");
    QVERIFY(refusal(defs).startsWith(QStringLiteral("The metaroom file name cannot be written")));

    // A refused save leaves the file that was there.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rooms.cos"));
    WriteTextFile(path, "old");
    QVERIFY_THROWS_EXCEPTION(PlsdError, SaveRoomDefsFile(path, defs));
    QCOMPARE(ReadTextFile(path), QByteArray("old"));
    defs.metaroomFilename.clear();
    SaveRoomDefsFile(path, defs);
    QCOMPARE(ReadTextFile(path), RoomDefsText(defs));
}

// The game stops reading a script at a line of 1023 characters or more, its CR counted:
// a text short enough for the game's buffer still makes too long a line when escapes
// double it.
void TestScriptWriter::refusesLinesTheGameStopsAt()
{
    const auto lineOf = [](const QByteArray& text, const QByteArray& lineStart) {
        const qsizetype from = text.indexOf(lineStart);
        return text.mid(from, text.indexOf('\r', from) - from);
    };

    // "rmsc 1450 335 \"...\"": 16 characters besides the escaped text.
    RoomDefs defs = twoRooms();
    defs.rooms[1].music = QString(500, u'\\') + QString(5, u'a');
    const QByteArray line = lineOf(RoomDefsText(defs), "rmsc 1450 335 ");
    QCOMPARE(line.size(), GameLineMaxLength);
    QCOMPARE(LineTokens(line).last().text, defs.rooms[1].music.toLatin1());
    defs.rooms[1].music += u'a';
    QCOMPARE(refusal(defs), QStringLiteral("The music of room 1 is too long for a room definition script: its line "
                                           "would be 1022 characters, and the game reads lines of at most 1021. "
                                           "Nothing was saved."));

    // The limit follows the numbers written before the text.
    defs = twoRooms();
    defs.offsetX = defs.offsetY = 0;
    defs.metaroomMusic = QString(495, u'"') + QString(16, u'a');   // 511 bytes, 1006 escaped
    QCOMPARE(lineOf(RoomDefsText(defs), "mmsc 512 384 ").size(), GameLineMaxLength);
    defs.offsetX = -1000000000;
    QVERIFY(refusal(defs).startsWith(QStringLiteral("The metaroom music is too long for a room definition script: "
                                                    "its line would be 1028 characters")));
}

QTEST_APPLESS_MAIN(TestScriptWriter)
#include "tst_scriptwriter.moc"
