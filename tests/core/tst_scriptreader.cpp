#include "core/common/errors.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"
#include "core/model/scriptload.h"
#include "core/script/calevels.h"
#include "core/script/roompoint.h"
#include "core/script/scripttokens.h"
#include "scriptmodel.h"

#include <random>

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
        const RoomShape& c = r.corners;
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
    void keptLinesAndLevels();
    void severalMetarooms();
    void gameStylesReadAsTheWritersForm();
    void panelGrowsInPictureCoordinates();
    void failures_data();
    void failures();
    void pointIndexFindsTheFirstRoomHoldingAPoint();
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
    const QByteArray room = "setv va01 addr va00 1 10 2 2 9 9\r\n";
    QTest::newRow("empty lines are passed over") << QByteArray("brmi 1 2\r\n\r\nbrmi 3 4\r\n") << QStringList{"numbering 3 4"};
    QTest::newRow("commands in any case")
        << QByteArray("BRMI 1 2\r\nSETV VA02 ADDR VA01 1 10 2 2 9 9\r\nRtyp va02 4\r\nRMSC 5 5 \"m\"\r\nDoor 2 2 7")
        << QStringList{"2: room 1 10 2 2 9 9 type 4 music m", "5: door script 0, script 0, 7", "numbering 1 2"};
    // Before, a comment after a command refused the line.
    QTest::newRow("comments after a command and on lines of their own")
        << QByteArray("* was: brmi 1 2\r\n  * \"C:\\x\r\nbrmi 3 4 * \"note\"\r\n" + room + "rtyp va01 1  * the leaky one")
        << QStringList{"4: room 1 10 2 2 9 9 type 1 music ", "numbering 3 4"};
    // Before, a command continued on the next line was refused.
    QTest::newRow("a command over two lines, tabs and LF")
        << QByteArray("brmi\t1\n\t2\nsetv va01 addr va00 1 10\r\n 2 2 9 9 rtyp\nva01 3")
        << QStringList{"3: room 1 10 2 2 9 9 type 3 music ", "numbering 1 2"};
    // Before, types and music after all rooms went to the last room without a word.
    QTest::newRow("types and music after all rooms, variables reused")
        << QByteArray("setv va01 addr 0 1 10 2 2 9 9\r\nsetv va02 addr 0 11 20 2 2 9 9\r\nsetv va01 addr 0 21 30 2 2 9 9\r\n"
                      "rtyp va02 2\r\nrtyp va01 5\r\nrtyp 0 1\r\nrmsc 15 5 \"b\"\r\nrmsc 5 5 \"a\"\r\n")
        << QStringList{"1: room 1 10 2 2 9 9 type 1 music a", "2: room 11 20 2 2 9 9 type 2 music b",
                       "3: room 21 30 2 2 9 9 type 5 music "};
    QTest::newRow("variables hold numbers and are stored again")
        << QByteArray("setv va07 3\r\nsetv va08 va07\r\nbrmi va08 va07\r\nsetv va07 $10\r\nbrmi va07 va08")
        << QStringList{"numbering 16 3"};
    QTest::newRow("escapes: \\n \\r \\t read, \\0 ends the text")
        << QByteArray(room + "rmsc 5 5 \"main.mng\\\\garden\\t\\\"x\\\"\\n\\'y\\'\\0gone\"")
        << QStringList{"1: room 1 10 2 2 9 9 type 0 music main.mng\\garden\t\"x\"\n'y'"};
    // 500 escaped backslashes make a line of over 1000 characters, all of which is read.
    QTest::newRow("a long line is read whole")
        << room + "rmsc 5 5 \"" + QByteArray(1000, '\\') + "\""
        << QStringList{"1: room 1 10 2 2 9 9 type 0 music " + QString(500, u'\\')};
    QTest::newRow("metaroom line sets the offsets of its rooms")
        << QByteArray("setv va01 addm 1000 $C8 1024 768 \"Gar den\"\r\nsetv va02 addr va01 1010 1300 220 240 400 420")
        << QStringList{"2: room 10 300 20 40 200 220 type 0 music ", "numbering 0 0", "metaroom 1000 200 Gar den"};
    // Before, the load moved the right floor to ytr + 5.
    QTest::newRow("wedges and reversed rooms as written")
        << QByteArray("addr 0 1 10 2 2 9 2\r\naddr 0 1 10 9 2 2 9\r\naddr 0 10 1 9 9 2 2\r\n")
        << QStringList{"1: room 1 10 2 2 9 2 type 0 music ", "2: room 1 10 9 2 2 9 type 0 music ",
                       "3: room 10 1 9 9 2 2 type 0 music "};
    QTest::newRow("numbers as the game gives them: first free at or above the base")
        << QByteArray("brmi 0 5\r\naddr 0 1 10 2 2 9 9\r\nbrmi 0 3\r\naddr 0 1 10 2 2 9 9\r\naddr 0 1 10 2 2 9 9\r\n"
                      "addr 0 1 10 2 2 9 9\r\ndoor 6 3 1\r\ndoor 4 5 2")
        << QStringList{"2: room 1 10 2 2 9 9 type 0 music ", "4: room 1 10 2 2 9 9 type 0 music ",
                       "5: room 1 10 2 2 9 9 type 0 music ", "6: room 1 10 2 2 9 9 type 0 music ",
                       "7: door script 3, script 1, 1", "8: door script 2, script 0, 2", "numbering 0 5"};
}

void TestScriptReader::commands()
{
    QFETCH(QByteArray, script);
    QFETCH(QStringList, log);
    QCOMPARE(describe(ReadScript(script, plainStart())), log);
}

void TestScriptReader::keptLinesAndLevels()
{
    // Commands the reader does not model keep their line, variables as their numbers; a
    // setv of something else keeps its line and leaves its variable unknown; scrp blocks
    // stay as written; mapd lines are kept apart; prop sets a level of the room.
    const QByteArray script = "mapd 100000 va09\r\n"
                              "setv va01 addm 0 0 500 400 \"x\"\r\n"
                              "setv va02 addr va01 0 100 0 0 50 50\r\n"
                              "rate 3 va02 0.5 0.1 0.2  * how water flows\r\n"
                              "prop va02 4 0.25 prop va02 15 1\r\n"
                              "setv va03 rand 1 5\r\n"
                              "altr va02 4 va03\r\n"
                              "scrp 1 2 3 4\r\n  setv va00 0\r\nendm\r\n"
                              "new: simp 2 7 1000\r\n  \"blnk\" 2 0\r\n";
    const ScriptContent c = ReadScript(script, plainStart());
    QList<QByteArray> kept;
    for (const KeptLine& line : c.kept)
        kept << QByteArray::number(line.line) + ' ' + line.command + ": " + line.text;
    QCOMPARE(kept, (QList<QByteArray>{"4 rate: rate 3 0 0.5 0.1 0.2", "6 setv: setv va03 rand 1 5",
                                      "7 altr: altr 0 4 va03", "8 scrp: scrp 1 2 3 4\r\n  setv va00 0\r\nendm",
                                      "11 new:: new: simp 2 7 1000", "12 new:: \"blnk\" 2 0"}));
    QCOMPARE(c.mapLines.size(), 1);
    // va09 was never set: it holds the game's 0, and the writer's own variables cannot change it.
    QCOMPARE(c.mapLines[0].text, QByteArray("mapd 100000 0"));
    QCOMPARE(c.rooms[0].levels, (CaLevels{{4, 0.25f}, {15, 1.0f}}));

    // A variable whose value only the game works out cannot name a room.
    QVERIFY_THROWS_EXCEPTION(ScriptError, ReadScript(script + "rtyp va03 1", plainStart()));
}

void TestScriptReader::severalMetarooms()
{
    // The game's own map style: every metaroom in one file, rooms numbered across them.
    const QByteArray script = "setv va00 addm 0 0 800 600 \"one\"\r\nsetv va10 addm 1000 0 400 300 \"two\"\r\n"
                              "setv va01 addr va00 0 100 0 0 50 50\r\nsetv va02 addr va10 1000 1100 0 0 50 50\r\n"
                              "setv va03 addr va10 1100 1200 0 0 50 50\r\ndoor va02 va03 30\r\n"
                              "mmsc 1100 100 \"tune\"\r\nrmsc 1150 20 \"drip\"\r\n";
    const QList<MetaroomSummary> list = ScriptMetarooms(script, plainStart());
    QCOMPARE(list, (QList<MetaroomSummary>{{1, 0, "one", 0, 0, 800, 600, 1}, {2, 1, "two", 1000, 0, 400, 300, 2}}));
    ScriptStart second = plainStart();
    second.metaroom = 1;
    const ScriptContent c = ReadScript(script, second);
    QCOMPARE(describe(c), (QStringList{"4: room 0 100 0 0 50 50 type 0 music ", "5: room 100 200 0 0 50 50 type 0 music drip",
                                       "6: door script 0, script 1, 30", "numbering 1 1", "metaroom 1000 0 two",
                                       "metaroom music tune"}));
    QCOMPARE(c.otherMetarooms.size(), 1);
    QCOMPARE(c.otherMetarooms[0].rooms.size(), 1);
    QCOMPARE(c.otherMetarooms[0].metaroomFilename, QStringLiteral("one"));
    // Before, the second metaroom's offsets were taken off the first's rooms too.
    QCOMPARE(ReadScript(script, plainStart()).rooms[0].corners, (RoomShape{0, 100, 0, 0, 50, 50}));
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
    QTest::newRow("script ends before the arguments")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrtyp va02") << "line 2: '' is not a valid integer value";
    QTest::newRow("a long token is cut short in the message")
        << "brmi 1 " + QByteArray(100, '7') << "line 1: '" + QString(40, u'7') + "...' is not a valid integer value";
    QTest::newRow("-2147483648, which no number field holds")
        << QByteArray("brmi $80000000 0") << "line 1: '$80000000' is -2147483648, a number the editor does not hold";
    QTest::newRow("metaroom line fails on its second offset")
        << QByteArray("addm 10 ten 1 1 \"g\"") << "line 1: 'ten' is not a valid integer value";
    QTest::newRow("door to no room of the file")
        << QByteArray("brmi 0 100\r\naddr va01 1 10 2 2 9 9\r\ndoor 100 101 5\r\nbrmi 1 1")
        << "line 3: the door names room 101, but no room of that number is made before it";
    QTest::newRow("type of a room not made yet")
        << QByteArray("rtyp 0 3\r\naddr 0 1 10 2 2 9 9") << "line 1: the type line names room 0, but no room of that number is made before it";
    QTest::newRow("CA index outside 0 to 15")
        << QByteArray("addr 0 1 10 2 2 9 9\r\nprop 0 16 0.5") << "line 2: the CA index 16 is outside 0 to 15";
    QTest::newRow("a door between metarooms")
        << QByteArray("addm 0 0 9 9 \"a\"\r\naddm 9 9 9 9 \"b\"\r\naddr 0 1 2 1 1 2 2\r\naddr 1 1 2 1 1 2 2\r\ndoor 0 1 5")
        << "line 5: the door links rooms 0 and 1 of different metarooms; the game makes doors only within a metaroom";
    QTest::newRow("raw Windows path as music")
        << QByteArray("addr va01 1 10 2 2 9 9\r\nrmsc 0 0 \"C:\\music\\x\"")
        << "line 2: a quoted text holds the escape \\m, which the game does not know (it knows \\\\ \\\" \\' \\n \\r \\t \\0)";
    QTest::newRow("unclosed quote, even in a command kept")
        << QByteArray("brmi 1 2\r\nouts \"open\r\nbrmi 1 2") << "line 2: a quoted text is not closed before the end of the line";
    QTest::newRow("raw tab in a quoted text")
        << QByteArray("mmsc 0 0 \"a\tb\"") << "line 1: a quoted text holds a tab character";
    QTest::newRow("unquoted name")
        << QByteArray("addm 0 0 1 1 garden") << "line 1: the background name must be a quoted text, not 'garden'";
    QTest::newRow("metaroom music longer than the game's buffer")
        << "mmsc 0 0 \"" + QByteArray(512, 'm') + "\"" << "line 1: the metaroom music holds 512 bytes, more than the game's 511";
    QTest::newRow("binary where a command goes")
        << QByteArray("brmi 1 2\r\n\x7f" "ELF") << "line 2: the script holds the byte 0x7f outside a quoted text, which the game refuses";
    QTest::newRow("a word of two letters where a command goes")
        << QByteArray("brmi 1 2 xy") << "line 1: 'xy' stands where a command is expected";
    QTest::newRow("broken UTF-8 where a command goes")
        << QByteArray("brmi 1 2\r\n\xc3(ab") << "line 2: the script holds the byte 0xc3 outside a quoted text, which the game refuses";
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

namespace {

// Writes a map as modders and the game's install scripts do, in a random style.
class GameStyleWriter {
public:
    explicit GameStyleWriter(quint32 seed)
        : random(seed)
    {
    }

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool oneIn(int n) { return between(1, n) == 1; }

    // Rooms in cells of a grid, so no two overlap; wedges now and then.
    RoomDefs map()
    {
        RoomDefs defs;
        defs.offsetX = between(-5000, 5000);
        defs.offsetY = between(-5000, 5000);
        defs.metaRoomID = between(0, 50);
        defs.subRoomStartID = between(0, 1500);
        defs.metaroomMusic = oneIn(3) ? QString() : QStringLiteral("main.mng\\garden %1").arg(between(0, 99));
        defs.metaroomFilename = QStringLiteral("map%1").arg(between(0, 9));
        defs.panelWidth = 1600;
        defs.panelHeight = 1200;
        const int rooms = between(0, 12);
        for (int i = 0; i < rooms; ++i) {
            const int x = (i % 8) * 200;
            const int y = (i / 8) * 300;
            ScriptRoom r;
            r.xl = x + between(0, 40);
            r.xr = x + between(100, 199);
            r.ytl = y + between(0, 60);
            r.ytr = y + between(0, 60);
            r.ybl = oneIn(5) ? r.ytl : y + between(120, 299);
            r.ybr = r.ybl == r.ytl ? y + between(120, 299) : (oneIn(4) ? r.ytr : y + between(120, 299));
            r.roomtype = between(0, 15);
            r.music = oneIn(2) ? QString() : QStringLiteral("tune\t%1 \"x\"\n").arg(i);
            for (int k = between(0, 3); k > 0; --k)
                r.levels = WithCaLevel(r.levels, between(0, 15), oneIn(2) ? float(between(0, 8)) / 8 : float(between(0, 1000)) / 997);
            defs.rooms.append(r);
        }
        for (int k = rooms > 1 ? between(0, 2 * rooms) : 0; k > 0; --k) {
            const int a = between(0, rooms - 1);
            const int b = between(0, rooms - 1);
            if (a != b) {
                const int perm = between(0, 100);
                scriptmodel::setDoor(defs, a, b, perm);
                scriptmodel::setDoor(defs, b, a, perm);
            }
        }
        return defs;
    }

    // The map in a random game style, and the kept lines as they read back.
    QByteArray script(const RoomDefs& defs, QList<QByteArray>& kept)
    {
        commands.clear();
        const bool reuse = oneIn(2);      // one variable for every room, its lines next to it
        const bool byNumber = oneIn(3);   // rooms named by their numbers, not variables
        const int metaroomVar = between(0, 9);
        command({"brmi", n(defs.metaRoomID), n(defs.subRoomStartID)});
        command({"setv", var(metaroomVar), "addm", n(defs.offsetX), n(defs.offsetY), n(defs.panelWidth),
                 n(defs.panelHeight), quoted(defs.metaroomFilename)});
        QList<QList<QByteArray>> after;   // lines that may come in any order after all rooms
        after.append({"mmsc", n(defs.offsetX + 5), n(defs.offsetY + 5), quoted(defs.metaroomMusic)});
        const auto roomName = [&](int i) { return byNumber ? n(defs.subRoomStartID + i) : var(reuse ? 10 : 10 + i); };
        for (int i = 0; i < defs.rooms.size(); ++i) {
            const ScriptRoom& r = defs.rooms[i];
            command({"setv", var(reuse ? 10 : 10 + i), "addr", var(metaroomVar), n(r.xl + defs.offsetX),
                     n(r.xr + defs.offsetX), n(r.ytl + defs.offsetY), n(r.ytr + defs.offsetY), n(r.ybl + defs.offsetY),
                     n(r.ybr + defs.offsetY)});
            QList<QList<QByteArray>> own;
            own.append({"rtyp", roomName(i), n(r.roomtype)});
            const QPoint p = *MusicPoint(CornersOf(r));
            own.append({"rmsc", n(p.x() + defs.offsetX), n(p.y() + defs.offsetY), quoted(r.music)});
            for (const CaLevel& l : r.levels)
                own.append({"prop", roomName(i), n(l.index), CaLevelText(l.level)});
            if (oneIn(3)) {
                own.append({"altr", roomName(i), n(between(0, 15)), "0.25"});
                kept.append("altr " + QByteArray::number(defs.subRoomStartID + i) + ' ' + own.last()[2] + " 0.25");
            }
            std::shuffle(own.begin(), own.end(), random);
            // Kept lines keep their order among themselves: the others may move.
            for (const QList<QByteArray>& line : own) {
                if (reuse || oneIn(2) || line[0] == "altr")
                    command(line);
                else
                    after.append(line);
            }
        }
        for (int a = 0; a < defs.rooms.size(); ++a) {
            for (const ScriptDoor& d : defs.rooms[a].doors) {
                if (d.target > a)
                    after.append({"door", n(defs.subRoomStartID + a), n(defs.subRoomStartID + d.target), n(d.perm)});
            }
        }
        std::shuffle(after.begin(), after.end(), random);
        for (const QList<QByteArray>& line : after)
            command(line);
        if (oneIn(2)) {
            command({"rate", "3", "2", "0.5", "0.1", "0.2"});
            kept.append("rate 3 2 0.5 0.1 0.2");
        }
        return commands;
    }

private:
    static QByteArray n(int value) { return QByteArray::number(value); }
    static QByteArray var(int index) { return QByteArray("va") + (index < 10 ? "0" : "") + QByteArray::number(index); }
    static QByteArray quoted(const QString& text) { return QuotedText(text.toLatin1()); }

    QByteArray cased(QByteArray word)
    {
        if (word.startsWith('"') || oneIn(2))
            return word;
        return oneIn(2) ? word.toUpper() : word.left(1).toUpper() + word.mid(1);
    }

    void command(const QList<QByteArray>& tokens)
    {
        // Kept lines are written plainly: they are kept as they stand.
        const bool keep = tokens[0] == "rate" || tokens[0] == "altr";
        for (int i = 0; i < tokens.size(); ++i) {
            commands += keep ? tokens[i] : cased(tokens[i]);
            if (i + 1 < tokens.size())
                commands += keep ? QByteArray(" ")
                                 : !oneIn(8) ? QByteArray(oneIn(4) ? "\t " : " ") : QByteArray(oneIn(2) ? "\r\n  " : "\n");
        }
        if (oneIn(4))
            commands += "  * note: \"a comment\" va03";
        commands += oneIn(5) ? QByteArray("\n") : QByteArray("\r\n");
    }

    std::mt19937 random;
    QByteArray commands;
};

// Door lists in target order, so that maps whose door lines came in another order compare.
RoomDefs withSortedDoors(RoomDefs defs)
{
    for (ScriptRoom& r : defs.rooms)
        std::sort(r.doors.begin(), r.doors.end(), [](const ScriptDoor& a, const ScriptDoor& b) { return a.target < b.target; });
    return defs;
}

} // namespace

void TestScriptReader::gameStylesReadAsTheWritersForm()
{
    const quint32 seed = qEnvironmentVariableIsSet("PLSD_SEED") ? quint32(qEnvironmentVariableIntValue("PLSD_SEED")) : 21u;
    GameStyleWriter writer(seed);
    for (int i = 0; i < 300; ++i) {
        const RoomDefs defs = writer.map();
        const RoomDefs own = withSortedDoors(LoadedIntoEmptyMap(ReadScript(RoomDefsText(defs), {})));
        QList<QByteArray> kept;
        const QByteArray text = writer.script(defs, kept);
        ScriptContent read;
        try {
            read = ReadScript(text, {});
        } catch (const ScriptError& e) {
            QFAIL(qPrintable(QStringLiteral("seed %1, map %2: %3\n%4").arg(seed).arg(i).arg(e.message(), QString::fromLatin1(text))));
        }
        RoomDefs game = withSortedDoors(LoadedIntoEmptyMap(read));
        QCOMPARE(game.keptLines, kept);
        game.keptLines.clear();
        QVERIFY2(game == own, qPrintable(QStringLiteral("seed %1, map %2:\n%3").arg(seed).arg(i).arg(QString::fromLatin1(text))));
    }
}

// The index of rooms by point finds what a look at every room in the order added finds,
// on random rooms: sloped, upside down, wide and tall, now and then over many cells.
void TestScriptReader::pointIndexFindsTheFirstRoomHoldingAPoint()
{
    std::mt19937 random(11);
    auto pick = [&](qint64 low, qint64 high) { return std::uniform_int_distribution<qint64>(low, high)(random); };
    for (int map = 0; map < 20; ++map) {
        RoomPointIndex index;
        std::vector<RoomShape> rooms;
        for (int i = 0; i < 200; ++i) {
            RoomShape room;
            const qint64 reach = pick(0, 9) == 0 ? 20000 : 400;
            room.xl = pick(-1000, 3000);
            room.xr = room.xl + pick(-20, reach);
            room.ytl = pick(-1000, 3000);
            room.ytr = room.ytl + pick(-60, 60);
            room.ybl = room.ytl + pick(-20, reach);
            room.ybr = room.ytr + pick(-20, reach);
            index.add(room);
            rooms.push_back(room);
        }
        for (int probe = 0; probe < 2000; ++probe) {
            const qint64 x = pick(-1200, 3500), y = pick(-1200, 3500);
            int first = -1;
            for (int r = 0; r < int(rooms.size()) && first < 0; ++r) {
                if (GameRoomContains(rooms[r], x, y))
                    first = r;
            }
            QCOMPARE(index.find(x, y), first);
        }
    }
}

QTEST_APPLESS_MAIN(TestScriptReader)
#include "tst_scriptreader.moc"
