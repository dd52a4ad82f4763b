#include "core/common/errors.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"
#include "scriptmodel.h"

#include <QtTest>

namespace {

QString describe(const RoomRef& ref)
{
    return (ref.inScript ? QStringLiteral("script ") : QStringLiteral("editor ")) + QString::number(ref.index);
}

// The content, one entry a room, door and value, rooms and doors with their lines.
QStringList describe(const ScriptContent& content)
{
    QStringList log;
    for (const ReadRoom& r : content.rooms) {
        const RoomCorners& c = r.corners;
        log << QStringLiteral("%1: room %2 %3 %4 %5 %6 %7 type %8 music %9")
                   .arg(r.line)
                   .arg(c.xl)
                   .arg(c.xr)
                   .arg(c.ytl)
                   .arg(c.ytr)
                   .arg(c.ybl)
                   .arg(c.ybr)
                   .arg(r.roomtype)
                   .arg(r.music);
    }
    for (const ReadDoor& d : content.doors)
        log << QStringLiteral("%1: door %2, %3, %4").arg(d.line).arg(describe(d.first), describe(d.second)).arg(d.perm);
    if (content.numbering)
        log << QStringLiteral("numbering %1 %2").arg(content.numbering->metaRoomID).arg(content.numbering->subRoomStartID);
    if (content.metaroom)
        log << QStringLiteral("metaroom %1 %2 %3")
                   .arg(content.metaroom->offsetX)
                   .arg(content.metaroom->offsetY)
                   .arg(content.metaroom->backgroundName);
    if (content.metaroomMusic)
        log << QStringLiteral("metaroom music %1").arg(*content.metaroomMusic);
    return log;
}

// Offsets 0, rooms numbered from 0, a panel of 433 x 249, an empty editor.
ScriptStart plainStart()
{
    return {0, 0, 0, 433, 249, 0};
}

} // namespace

class TestScriptReader : public QObject {
    Q_OBJECT
private slots:
    void readsBackWhatWasWritten();
    void commands_data();
    void commands();
    void doorsLinkTheRoomsOfTheScript();
    void panelGrowsInPictureCoordinates();
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
    saved.metaroomMusic = QStringLiteral("main.mng\\garden");
    saved.metaroomFilename = QStringLiteral("/home/modder/Garden.blk");
    saved.panelWidth = 1024;
    saved.panelHeight = 768;
    const int corners[3][6] = {{10, 300, 20, 40, 200, 220}, {300, 600, 40, 40, 220, 231}, {-50, 5, -9, 0, 100, 7}};
    const QString music[3] = {QString(), QStringLiteral("Caf\u00E9 du monde"), QStringLiteral("say \"hi\" \\ it's")};
    for (int i = 0; i < 3; ++i) {
        const int* c = corners[i];
        saved.rooms.append({c[0], c[1], c[2], c[3], c[4], c[5], i + 4, music[i], {}, {}});
    }
    scriptmodel::setDoor(saved, 0, 1, 100);
    scriptmodel::setDoor(saved, 1, 0, 100);
    scriptmodel::setDoor(saved, 2, 0, 30);
    scriptmodel::setDoor(saved, 0, 2, 30);

    const QByteArray text = RoomDefsText(saved);
    QVERIFY(text.contains("mmsc 1512 184 \"main.mng\\\\garden\""));
    const ScriptContent content = ReadScript(text, {5, 6, 0, 100, 100, 0});
    QCOMPARE(content.rooms[2].music, music[2]);
    QCOMPARE(content.rooms[2].line, 10);
    QCOMPARE(content.doors.size(), 2);
    QCOMPARE(content.doors[1].line, 14);
    QCOMPARE((QList<int>{content.panelWidth, content.panelHeight}), (QList<int>{1024, 768}));

    // Same corners, types, music, links and metaroom values: the same script again.
    QCOMPARE(RoomDefsText(scriptmodel::applied(RoomDefs(), content)), text);
}

void TestScriptReader::commands_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QStringList>("log");
    // Before, an empty line ended the load without a word.
    QTest::newRow("empty lines are passed over") << QByteArray("brmi 1 2\r\n\r\nbrmi 3 4\r\n") << QStringList{"numbering 3 4"};
    // Before, an upper-case script loaded nothing and said nothing.
    QTest::newRow("keywords in any case")
        << QByteArray("BRMI 1 2\r\nSETV VA02 ADDR VA01 1 10 2 2 9 9\r\nRtyp va02 4\r\nRMSC 0 0 \"m\"\r\nDoor 2 2 7")
        << QStringList{"2: room 1 10 2 2 9 9 type 4 music m", "5: door script 0, script 0, 7", "numbering 1 2"};
    QTest::newRow("comment lines are passed over")
        << QByteArray("* was: brmi 1 2\r\n  * \"C:\\x\r\nbrmi 3 4 * \"note\"") << QStringList{"numbering 3 4"};
    QTest::newRow("quoted keyword acts") << QByteArray("x \"brmi\" 1 2") << QStringList{"numbering 1 2"};
    QTest::newRow("tabs separate tokens") << QByteArray("brmi\t1\t2\r\nmmsc\t0 0 x") << QStringList{"numbering 1 2", "metaroom music x"};
    QTest::newRow("spaces, several commands, LF ends")
        << QByteArray("   \n  brmi  1   2 mmsc 0 0 \"a  b\"   \nmmsc 0 0 Default \n")
        << QStringList{"numbering 1 2", "metaroom music Default"};
    QTest::newRow("two rooms then two types")
        << QByteArray("setv va02 addr va01 1 10 2 2 9 9\r\nsetv va02 addr va01 11 20 2 2 9 9\r\nrtyp va02 1\r\nrtyp va02 2")
        << QStringList{"1: room 1 10 2 2 9 9 type 0 music ", "2: room 11 20 2 2 9 9 type 2 music "};
    QTest::newRow("type and music before any room passed over")
        << QByteArray("rtyp va02 3\r\nrmsc 1 2 \"a\"\r\naddr va01 1 10 2 2 9 9\r\nrtyp va02 4")
        << QStringList{"3: room 1 10 2 2 9 9 type 4 music "};
    QTest::newRow("music quoted, one word, empty, missing")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrmsc 1 2 \"a b\"\r\naddr va01 1 10 2 2 9 9\r\nrmsc 1 2 one two\r\n"
                      "addr va01 1 10 2 2 9 9\r\nrmsc 1 2 \"\"\r\naddr va01 1 10 2 2 9 9\r\nrmsc 1 2")
        << QStringList{"1: room 1 10 2 2 9 9 type 0 music a b", "3: room 1 10 2 2 9 9 type 0 music one",
                       "5: room 1 10 2 2 9 9 type 0 music ", "7: room 1 10 2 2 9 9 type 0 music "};
    QTest::newRow("escapes resolved")
        << QByteArray("addr va01 1 10 2 2 9 9 rmsc 0 0 \"main.mng\\\\garden \\\"x\\\" \\'y\\'\"")
        << QStringList{"1: room 1 10 2 2 9 9 type 0 music main.mng\\garden \"x\" 'y'"};
    // 500 escaped backslashes make a line of over 1000 characters, all of which is read.
    QTest::newRow("a long line is read whole")
        << "addr va01 1 10 2 2 9 9\r\nrmsc 1 2 \"" + QByteArray(1000, '\\') + "\""
        << QStringList{"1: room 1 10 2 2 9 9 type 0 music " + QString(500, u'\\')};
    QTest::newRow("metaroom line sets the offsets in use")
        << QByteArray("setv va01 addm 1000 $C8 1024 768 \"Gar den\"\r\nsetv va02 addr va01 1010 1300 220 240 400 420")
        << QStringList{"2: room 10 300 20 40 200 220 type 0 music ", "metaroom 1000 200 Gar den"};
}

void TestScriptReader::commands()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, log);
    QCOMPARE(describe(ReadScript(script, plainStart())), log);
}

void TestScriptReader::doorsLinkTheRoomsOfTheScript()
{
    // The editor holds 4 rooms; the script's rooms are numbered from its own base, in file
    // order, and only a number the script has not made reaches the editor's rooms.
    const ScriptStart start{0, 0, 0, 433, 249, 4};
    QCOMPARE(describe(ReadScript("brmi 0 10\r\naddr va01 1 10 2 2 9 9\r\ndoor 10 11 1\r\naddr va01 1 10 2 2 9 9\r\n"
                                 "door 10 11 2\r\ndoor 13 11 3\r\ndoor 11 11 4\r\n",
                                 start))
                 .mid(2),
             (QStringList{"3: door script 0, editor 1, 1", "5: door script 0, script 1, 2", "6: door editor 3, script 1, 3",
                          "7: door script 1, script 1, 4", "numbering 0 10"}));

    // Without a base line the rooms are numbered from the editor's SubRoomStartID: door 0 1
    // links the script's two rooms, where it used to link the editor's first two.
    QCOMPARE(describe(ReadScript("addr va01 1 10 2 2 9 9\r\naddr va01 1 10 2 2 9 9\r\ndoor 0 1 5\r\n", start)).last(),
             QStringLiteral("3: door script 0, script 1, 5"));

    // The base in force at the door line counts, and the numbers wrap at 32 bits as the
    // writer's do.
    const QByteArray threeRooms = "addr va01 1 10 2 2 9 9\r\naddr va01 1 10 2 2 9 9\r\naddr va01 1 10 2 2 9 9\r\n";
    QCOMPARE(describe(ReadScript(threeRooms + "brmi 0 5\r\ndoor 5 7 1\r\n", start)).at(3),
             QStringLiteral("5: door script 0, script 2, 1"));
    QCOMPARE(describe(ReadScript("brmi 0 2147483647\r\n" + threeRooms + "door 2147483647 -2147483647 6\r\n", start)).at(3),
             QStringLiteral("5: door script 0, script 2, 6"));
}

void TestScriptReader::panelGrowsInPictureCoordinates()
{
    // Opening a 2048 x 1280 background, then loading its script: rooms and metaroom line
    // keep the panel as it is. Before, the panel grew to the rooms' game coordinates and
    // the next save wrote "addm 5000 2000 6600 2900".
    const QByteArray script = "setv va01 addm 5000 2000 2048 1280 \"Garden\"\r\n"
                              "setv va02 addr va01 5000 6600 2000 2000 2900 2900\r\n";
    ScriptContent content = ReadScript(script, {0, 0, 0, 2048, 1280, 0});
    QCOMPARE((QList<int>{content.panelWidth, content.panelHeight}), (QList<int>{2048, 1280}));

    // A smaller panel grows to the metaroom's size, and to a room beyond it.
    content = ReadScript(script + "addr va01 5000 7100 2000 2000 2900 3400", plainStart());
    QCOMPARE((QList<int>{content.panelWidth, content.panelHeight}), (QList<int>{2100, 1400}));
}

void TestScriptReader::failures_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<QString>("message");
    QByteArray twelfth;
    for (int i = 1; i < 12; ++i)
        twelfth += i % 3 == 0 ? "\r\n" : "* line\r\n";
    QTest::newRow("bad number, lines counted with comments and empty ones")
        << twelfth + "setv va02 addr va01 59x0 100 0 0 50 50\r\n" << "line 12: '59x0' is not a valid integer value";
    QTest::newRow("line ends before its arguments")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrtyp va02\r\nbrmi 3 4") << "line 2: '' is not a valid integer value";
    QTest::newRow("-2147483648, which no number field holds")
        << QByteArray("brmi $80000000 0") << "line 1: '$80000000' is -2147483648, a number the editor does not hold";
    QTest::newRow("metaroom line fails on its second offset")
        << QByteArray("addm 10 ten 1 1 \"g\"") << "line 1: 'ten' is not a valid integer value";
    QTest::newRow("door to no room")
        << QByteArray("brmi 0 100\r\naddr va01 1 10 2 2 9 9\r\ndoor 100 101 5\r\nbrmi 1 1")
        << "line 3: the door names room 101, but neither this script nor the editor has a room of that number";
    QTest::newRow("raw Windows path as music")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"C:\\music\\x\"")
        << "line 2: a quoted text holds the escape \\m, which the game does not know (it knows \\\\ \\\" \\' \\n \\r \\t \\0)";
    QTest::newRow("unclosed quote, even in a command passed over")
        << QByteArray("brmi 1 2\r\nouts \"open") << "line 2: a quoted text is not closed before the end of the line";
    QTest::newRow("escaped tab in music")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"a\\tb\"") << "line 2: the music holds a tab character";
    QTest::newRow("control character in an unquoted name")
        << QByteArray("addm 0 0 1 1 a\x01") << "line 1: the background name holds the control character 1";
    QTest::newRow("metaroom music longer than the game's buffer")
        << "mmsc 0 0 \"" + QByteArray(512, 'm') + "\"" << "line 1: the metaroom music holds 512 bytes, more than the game's 511";
}

void TestScriptReader::failures()
{
    QFETCH(QByteArray, script);
    QFETCH(QString, message);
    try {
        ReadScript(script, plainStart());
        QFAIL("no error");
    } catch (const ScriptError& e) {
        QCOMPARE(e.message(), message);
        const QString named = e.inFile(QStringLiteral("rooms.cos")).message();
        QCOMPARE(named, QStringLiteral("rooms.cos, ") + message);
    }
}

QTEST_APPLESS_MAIN(TestScriptReader)
#include "tst_scriptreader.moc"
