#include "testsupport.h"

#include "core/common/errors.h"
#include "core/model/steps.h"
#include "core/model/snapshot.h"
#include "core/rules/gamerules.h"
#include "app/statusbar.h"
#include "view/room.h"
#include "core/script/gametext.h"
#include "app/roomscriptfiles.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"
#include "core/tst_blkdata.h"

#include <QComboBox>
#include <QListWidget>
#include <QFile>
#include <QUndoStack>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

#include <random>

namespace {

struct Corners {
    int xl, xr, ytl, ytr, ybl, ybr;
};

// Adds a room and gives it these corners, in an order that never meets the minimum size.
TRoom* addRoom(TfrmMainForm* main, const Corners& c)
{
    main->AddRoom();
    TRoom* room = main->Rooms.last();
    room->setXr(c.xr);
    room->setXl(c.xl);
    room->setYbl(c.ybl);
    room->setYbr(c.ybr);
    room->setYtl(c.ytl);
    room->setYtr(c.ytr);
    return room;
}

Corners cornersOf(const TRoom* r)
{
    return {r->xl(), r->xr(), r->ytl(), r->ytr(), r->ybl(), r->ybr()};
}

bool operator==(const Corners& a, const Corners& b)
{
    return a.xl == b.xl && a.xr == b.xr && a.ytl == b.ytl && a.ytr == b.ytr && a.ybl == b.ybl && a.ybr == b.ybr;
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

void deleteAllRooms(TfrmMainForm* main)
{
    while (!main->Rooms.isEmpty())
        main->DeleteRoom();
}

} // namespace

class TestRoomDefs : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void writesTheExample();
    void saveLoadRoundTrip();
    void savingRefusesWithoutTouchingTheFile();
    void loadClearsAPendingDoorAndGrowsPanel();
    void failedLoadChangesNothing();
    void reloadKeepsTheMetaroom();
    void doorLinesLinkTheRoomsOfTheScript();
    void roundTripOfRandomMetarooms();
    void doorLinesOfErrorFreeMapsJoinSharedEdges();
    void menuCommands();
    void metaroomsOneAtATimeSavedBackWhole();
    void keptLinesAndLevelsThroughLoadUndoAndSave();

private:
    Editor* e = nullptr;
    TfrmMainForm* main = nullptr;
    TfrmToolbox* tool = nullptr;
    QTemporaryDir* dir = nullptr;
};

void TestRoomDefs::init()
{
    e = new Editor;
    main = e->main;
    tool = e->tool;
    dir = new QTemporaryDir;
    QVERIFY(dir->isValid());
}

void TestRoomDefs::cleanup()
{
    delete e;
    delete dir;
}

void TestRoomDefs::writesTheExample()
{
    tool->SetOffsetX(1000);
    tool->SetOffsetY(200);
    tool->edtSubRoomStartID->setText(QStringLiteral("100"));
    main->Document->setSurfaceSize(QSize(1024, 768));
    TRoom* r0 = addRoom(main, {10, 300, 20, 40, 200, 220});
    TRoom* r1 = addRoom(main, {300, 600, 40, 40, 220, 231});
    r0->roomtype = 1;
    r1->roomtype = 2;
    r1->music = QStringLiteral("Default");
    r0->SetDoor(r1, 100);
    r1->SetDoor(r0, 100);

    const QString path = dir->filePath(QStringLiteral("example.cos"));
    main->SaveRoomDefs(path);
    QCOMPARE(readFile(path), QByteArray("brmi 0 100\r\n"
                                        "setv va01 addm 1000 200 1024 768 \"\"\r\n"
                                        "mmsc 1512 584 \"\"\r\n"
                                        "setv va02 addr va01 1010 1300 220 240 400 420\r\n"
                                        "rtyp va02 1\r\n"
                                        "rmsc 1155 320 \"\"\r\n"
                                        "setv va02 addr va01 1300 1600 240 240 420 431\r\n"
                                        "rtyp va02 2\r\n"
                                        "rmsc 1450 335 \"Default\"\r\n"
                                        "door 100 101 100\r\n"));
}

void TestRoomDefs::saveLoadRoundTrip()
{
    tool->SetOffsetX(-40);
    tool->SetOffsetY(7);
    tool->MetaRoomID = 3;
    tool->SubRoomStartID = 500;
    tool->MetaroomMusic = QStringLiteral("main.mng\\garden");
    tool->MetaroomFilename = QStringLiteral("/home/me/Garden.blk");
    main->Document->setSurfaceSize(QSize(1024, 768));
    const QList<Corners> shapes = {{10, 300, 20, 40, 200, 220}, {300, 600, 40, 40, 220, 231}, {-20, 80, 5, 9, 90, 95}};
    for (const Corners& c : shapes)
        addRoom(main, c);
    main->Rooms[0]->roomtype = 5;
    main->Rooms[1]->music = QStringLiteral("say \"hi\"");
    main->Rooms[2]->roomtype = 9;
    main->Rooms[0]->SetDoor(main->Rooms[2], 30);
    main->Rooms[2]->SetDoor(main->Rooms[0], 30);
    main->Rooms[1]->SetDoor(main->Rooms[2], 100);
    main->Rooms[2]->SetDoor(main->Rooms[1], 100);
    const QString path = dir->filePath(QStringLiteral("round.cos"));
    main->SaveRoomDefs(path);
    QVERIFY(readFile(path).contains("mmsc 472 391 \"main.mng\\\\garden\"\r\n"));

    deleteAllRooms(main);
    tool->SetOffsetX(999);   // the metaroom line brings the offsets back
    tool->SetOffsetY(999);
    tool->MetaRoomID = 0;
    tool->SubRoomStartID = 0;
    tool->MetaroomMusic = QString();
    main->LoadRoomDefs(path);

    QCOMPARE(main->Rooms.size(), 3);
    for (int i = 0; i < 3; ++i)
        QVERIFY2(cornersOf(main->Rooms[i]) == shapes[i], qPrintable(QString::number(i)));
    QCOMPARE(main->Rooms[0]->roomtype, 5);
    QCOMPARE(main->Rooms[1]->music, QStringLiteral("say \"hi\""));
    QCOMPARE(main->Rooms[2]->roomtype, 9);
    QCOMPARE(main->Rooms[0]->doorCount(), 1);
    QCOMPARE(main->Rooms[0]->DoorTo(main->Rooms[2])->perm, 30);
    QCOMPARE(main->Rooms[2]->DoorTo(main->Rooms[0])->perm, 30);
    QCOMPARE(main->Rooms[1]->DoorTo(main->Rooms[2])->perm, 100);
    QCOMPARE(main->Rooms[2]->doorCount(), 2);
    QCOMPARE(tool->GetOffsetX(), -40);
    QCOMPARE(tool->GetOffsetY(), 7);
    QCOMPARE(tool->edtMetaRoomID->text(), QStringLiteral("3"));
    QCOMPARE(tool->SubRoomStartID, 500);
    QCOMPARE(tool->edtMetaroomMusic->text(), QStringLiteral("main.mng\\garden"));
    QCOMPARE(tool->edtFilename->text(), QStringLiteral("Garden"));
    QCOMPARE(main->SelectedRoom, main->Rooms[2]);

    // Saving what was loaded gives the same file again.
    tool->MetaroomFilename = QStringLiteral("/home/me/Garden.blk");
    const QString again = dir->filePath(QStringLiteral("again.cos"));
    main->SaveRoomDefs(again);
    QCOMPARE(readFile(again), readFile(path));
}

void TestRoomDefs::savingRefusesWithoutTouchingTheFile()
{
    const QString path = dir->filePath(QStringLiteral("old.cos"));
    writeFile(path, "old content\r\n");
    addRoom(main, {10, 300, 20, 40, 200, 220});

    // An offset that is no number is refused as it is typed; the document keeps the
    // number in force, so a save never meets the text.
    ErrorCapture errors;
    tool->edtOffsetX->setText(QStringLiteral("1k"));
    QCOMPARE(errors.messages, QStringList({"'1k' is not a valid integer value"}));
    QCOMPARE(main->Document->metaroom().offsetX, 0);
    QCOMPARE(readFile(path), QByteArray("old content\r\n"));

    main->Rooms[0]->music = QStringLiteral("a\x01" "b");
    QVERIFY_THROWS_EXCEPTION(PlsdError, main->SaveRoomDefs(path));
    QCOMPARE(readFile(path), QByteArray("old content\r\n"));
}

void TestRoomDefs::loadClearsAPendingDoorAndGrowsPanel()
{
    TRoom* before = addRoom(main, {10, 100, 10, 10, 100, 100});
    tool->btnAddDoor->click();
    QVERIFY(tool->DoorPending);
    tool->SetOffsetX(1000);
    const QString path = dir->filePath(QStringLiteral("grow.cos"));
    // LF line ends; a ybr under the minimum height, loaded as written; xr beyond the
    // panel, once the offset is taken off.
    writeFile(path, "setv va02 addr va01 1100 1500 0 50 60 52\nrtyp va02 4\n");
    main->LoadRoomDefs(path);
    QCOMPARE(main->Rooms.size(), 2);
    TRoom* read = main->Rooms[1];
    QCOMPARE(before->doorCount(), 0);
    QVERIFY(!tool->DoorPending);
    QCOMPARE(read->xr(), 500);
    QCOMPARE(read->xl(), 100);
    QCOMPARE(read->ybr(), 52);   // before, ytr + 5
    QCOMPARE(read->ybl(), 60);
    QCOMPARE(read->roomtype, 4);
    QCOMPARE(tool->edtRoomType->text(), QStringLiteral("4"));   // the toolbox shows it
    QCOMPARE(main->Panel->width(), 500);
    QCOMPARE(main->Panel->height(), 249);
    QCOMPARE(main->SelectedRoom, read);
    QCOMPARE(read->id, 1);
}

// Before, the lines before a failing one stayed loaded, and a metaroom line had already
// changed the offset fields.
void TestRoomDefs::failedLoadChangesNothing()
{
    addRoom(main, {10, 100, 10, 10, 100, 100});
    addRoom(main, {110, 200, 10, 10, 100, 100});
    tool->SetOffsetX(5);
    tool->MetaroomMusic = QStringLiteral("old");
    const RoomDefs before = collectRoomDefs(*main);
    const QList<QGraphicsItem*> children = main->Panel->items();
    const QString shown = tool->edtxl->text();
    const int steps = main->UndoStack->count();

    const QString path = dir->filePath(QStringLiteral("rooms.cos"));
    writeFile(path, "brmi 1 10\r\nsetv va01 addm 900 900 5000 5000 \"Big\"\r\n"
                    "setv va02 addr va01 900 1000 900 900 1000 1000\r\nmmsc 0 0 \"m\"\r\n"
                    "addr va01 1000 1100 900 900 1000 1000 door 10 11 5\r\n\r\n"
                    "setv va02 addr va01 0 100 0 0 59x0 100\r\n");
    try {
        main->LoadRoomDefs(path);
        QFAIL("loaded a bad line");
    } catch (const ScriptError& error) {
        QCOMPARE(error.message(), QStringLiteral("rooms.cos, line 7: '59x0' is not a valid integer value"));
        QCOMPARE(error.line(), 7);
    }
    QCOMPARE(collectRoomDefs(*main), before);
    QCOMPARE(main->Panel->items(), children);
    QCOMPARE(tool->edtOffsetX->text(), QStringLiteral("5"));
    QCOMPARE(tool->edtxl->text(), shown);
    QCOMPARE(main->UndoStack->count(), steps);

    // A good load is one step, and undo takes all of it back.
    writeFile(path, "brmi 1 10\r\nsetv va02 addr va01 0 100 0 0 100 100\r\nsetv va03 addr va01 100 200 0 0 100 100\r\n"
                    "mmsc 0 0 \"m\"\r\ndoor va02 va03 5\r\n");
    main->LoadRoomDefs(path);
    QCOMPARE(main->UndoStack->count(), steps + 1);
    QCOMPARE(main->UndoStack->undoText(), QStringLiteral("Load Room Defs"));
    QCOMPARE(main->Rooms[2]->DoorTo(main->Rooms[3])->perm, 5);   // door lines link rooms of their own file
    main->UndoStack->undo();
    QCOMPARE(collectRoomDefs(*main), before);
}

// Opening a background, loading its script and saving again gives the same metaroom line.
// Before, the panel grew to the rooms' game coordinates: the save wrote
// "addm 5000 2000 6600 2900" and moved the mmsc point.
void TestRoomDefs::reloadKeepsTheMetaroom()
{
    const QString background = dir->filePath(QStringLiteral("Garden.blk"));
    QVERIFY(blktest::writeAll(background, blktest::uniformFile(1, 16, 10, 128, 128, 0x07E0)));
    main->LoadBackground(background);
    QCOMPARE(main->Panel->size(), QSize(2048, 1280));
    const QByteArray script = "brmi 0 0\r\n"
                              "setv va01 addm 5000 2000 2048 1280 \"Garden\"\r\n"
                              "mmsc 6024 2640 \"\"\r\n"
                              "setv va02 addr va01 5000 6600 2000 2000 2900 2900\r\n"
                              "rtyp va02 0\r\n"
                              "rmsc 5800 2450 \"\"\r\n";
    const QString path = dir->filePath(QStringLiteral("Garden.cos"));
    writeFile(path, script);
    main->LoadRoomDefs(path);
    const QString again = dir->filePath(QStringLiteral("again.cos"));
    main->SaveRoomDefs(again);
    QCOMPARE(readFile(again), script);
}

// Before, door lines counted over the whole room list: loaded into an editor that held two
// rooms, "door 0 1 50" linked those two instead of the script's own.
void TestRoomDefs::doorLinesLinkTheRoomsOfTheScript()
{
    TRoom* first = addRoom(main, {10, 100, 10, 10, 100, 100});
    TRoom* second = addRoom(main, {110, 200, 10, 10, 100, 100});
    main->LoadRoomDefsText("brmi 0 0\r\nsetv va02 addr va01 0 50 0 0 60 60\r\nsetv va02 addr va01 50 90 0 0 60 60\r\n"
                           "door 0 1 50\r\n");
    QCOMPARE(main->Rooms.size(), 4);
    QCOMPARE(first->doorCount() + second->doorCount(), 0);
    QCOMPARE(main->Rooms[2]->DoorTo(main->Rooms[3])->perm, 50);
    QCOMPARE(main->Rooms[3]->DoorTo(main->Rooms[2])->perm, 50);
    QCOMPARE(tool->cbxDoorList->count(), 1);   // the toolbox shows the last room's door

    // A number the script does not make is an error: door lines link rooms of their file.
    QVERIFY_THROWS_EXCEPTION(ScriptError,
                             main->LoadRoomDefsText("brmi 0 0\r\nsetv va02 addr va01 0 50 0 0 60 60\r\ndoor 0 1 20\r\n"));
    QCOMPARE(main->Rooms.size(), 4);
    QCOMPARE(second->doorCount(), 0);
}

namespace {

// The seed of a randomised test: PLSD_SEED when set, to run a failure again.
quint32 testSeed()
{
    return qEnvironmentVariableIsSet("PLSD_SEED") ? quint32(qEnvironmentVariableIntValue("PLSD_SEED")) : 20240611u;
}

class MetaroomMaker {
public:
    explicit MetaroomMaker(quint32 seed)
        : random(seed)
    {
    }

    int between(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); }
    bool oneIn(int n) { return between(1, n) == 1; }
    // Mostly small values, now and then any 32-bit value.
    int anyInt(int low, int high)
    {
        return oneIn(8) ? between(INT32_MIN, INT32_MAX) : between(low, high);
    }

    // Text the game takes: backslashes, quotes and the like among letters; now and then
    // as long as the game's buffer allows, of letters only.
    QString text()
    {
        static const QString letters = QStringLiteral("\\\"\"' abcXYZ09*$.\u00E9\u00FF-");
        static const QString plain = QStringLiteral("abcdefghij klm");
        const QString& from = oneIn(10) ? plain : letters;
        const int size = from == plain ? between(400, GameTextMaxBytes) : between(0, 40);
        QString text;
        for (int i = 0; i < size; ++i)
            text += from[between(0, int(from.size()) - 1)];
        return text;
    }

    // Rooms within the picture and no lower than the room control's least height, doors in
    // pairs between different rooms.
    RoomDefs metaroom()
    {
        RoomDefs defs;
        defs.offsetX = anyInt(-10000, 10000);
        defs.offsetY = anyInt(-10000, 10000);
        defs.metaRoomID = anyInt(0, 200);
        defs.subRoomStartID = anyInt(0, 2000);
        defs.metaroomMusic = text();
        defs.metaroomFilename = QStringLiteral("/maps/") + QString(text()).remove(u'\\').remove(u'.') + QStringLiteral(".blk");
        defs.panelWidth = between(433, 4000);
        defs.panelHeight = between(249, 3000);
        const int rooms = between(0, 8);
        for (int i = 0; i < rooms; ++i) {
            const int xl = between(0, defs.panelWidth - 20);
            const int ytl = between(0, defs.panelHeight - 20);
            const int ytr = between(0, defs.panelHeight - 20);
            defs.rooms.append({xl, between(xl + 10, defs.panelWidth), ytl, ytr, between(ytl + 5, defs.panelHeight),
                               between(ytr + 5, defs.panelHeight), anyInt(0, 15), text(), {}, {}});
        }
        for (int i = rooms > 1 ? between(0, 2 * rooms) : 0; i > 0; --i) {
            const int a = between(0, rooms - 1);
            const int b = between(0, rooms - 1);
            if (a == b)
                continue;
            const int perm = anyInt(0, 100);
            for (const auto& [from, to] : {std::pair(a, b), std::pair(b, a)}) {
                QList<ScriptDoor>& doors = defs.rooms[from].doors;
                const auto door = std::find_if(doors.begin(), doors.end(), [to](const ScriptDoor& d) { return d.target == to; });
                if (door != doors.end())
                    door->perm = perm;
                else
                    doors.append({to, perm});
            }
        }
        return defs;
    }

    // A few rooms already in the editor, some linked, with values of their own.
    void fill(TfrmMainForm* main, TfrmToolbox* tool)
    {
        tool->SetOffsetX(anyInt(-100, 100));
        tool->SetOffsetY(anyInt(-100, 100));
        tool->SubRoomStartID = anyInt(0, 10);
        for (int i = between(1, 4); i > 0; --i) {
            const int x = between(0, 300);
            addRoom(main, {x, x + between(10, 100), 0, 0, 50, 50});
        }
        for (int i = 1; i < main->Rooms.size(); i += 2) {
            main->Rooms[i - 1]->SetDoor(main->Rooms[i], i);
            main->Rooms[i]->SetDoor(main->Rooms[i - 1], i);
        }
    }

private:
    std::mt19937 random;
};

void clearEditor(TfrmMainForm* main, TfrmToolbox* tool)
{
    deleteAllRooms(main);
    tool->SetOffsetX(0);
    tool->SetOffsetY(0);
    tool->SubRoomStartID = 0;
    main->Document->setSurfaceSize(QSize(433, 249));
}

// Whether two rooms of a script share an edge as the game sees it: a right wall and a left
// wall at exactly the same x whose spans overlap by a positive length, or a floor and a
// ceiling within one pixel at both ends (so at every x) of a common x range of positive
// length. Worked out exactly, in integers.
bool gameSharesEdge(const RoomShape& a, const RoomShape& b)
{
    auto walls = [](const RoomShape& left, const RoomShape& right) {
        return left.xr == right.xl && std::min(left.ybr, right.ybl) - std::max(left.ytr, right.ytl) > 0;
    };
    auto floorOn = [](const RoomShape& upper, const RoomShape& lower) {
        const qint64 from = std::max(upper.xl, lower.xl);
        const qint64 to = std::min(upper.xr, lower.xr);
        if (to <= from)
            return false;
        const qint64 du = qint64(upper.xr) - upper.xl;
        const qint64 dl = qint64(lower.xr) - lower.xl;
        for (const qint64 x : {from, to}) {
            // (floor - ceiling) at x, times du * dl
            const qint64 floor = (qint64(upper.ybl) * du + (qint64(upper.ybr) - upper.ybl) * (x - upper.xl)) * dl;
            const qint64 ceiling = (qint64(lower.ytl) * dl + (qint64(lower.ytr) - lower.ytl) * (x - lower.xl)) * du;
            if (std::abs(floor - ceiling) > du * dl)
                return false;
        }
        return true;
    };
    return walls(a, b) || walls(b, a) || floorOn(a, b) || floorOn(b, a);
}

} // namespace

// Maps made with the editor's own steps, rooms on a grid whose walls and floors meet or
// miss by a pixel or two, with door lines between neighbours and now and then between
// any two rooms, and permeabilities now and then out of range; 400 maps, so that both
// kinds below come up often enough whatever the seed (at 200, 12 seeds of 150 fell
// short). Written by the editor and read back, a map the check finds no error in has
// every door line between rooms that share an edge; and a door line between rooms that
// share none is always found.
void TestRoomDefs::doorLinesOfErrorFreeMapsJoinSharedEdges()
{
    const quint32 seed = testSeed();
    MetaroomMaker maker(seed);
    const QString path = dir->filePath(QStringLiteral("game.cos"));
    int errorFreeWithDoors = 0;
    int withDoorsWithoutEdge = 0;
    for (int map = 0; map < 400; ++map) {
        const QString context = QStringLiteral("seed %1 (PLSD_SEED), map %2").arg(seed).arg(map);
        clearEditor(main, tool);
        tool->SetOffsetX(maker.between(-500, 500));
        tool->SetOffsetY(maker.between(-500, 500));
        tool->SubRoomStartID = maker.between(0, 1900);
        main->Document->setSurfaceSize(QSize(520, 320));

        auto off = [&maker](int low, int high) { return maker.oneIn(5) ? maker.between(low, high) : 0; };
        QHash<int, RoomKey> cells;   // by column + 4 * row
        for (int cell = 0; cell < 12; ++cell) {
            if (maker.oneIn(6))
                continue;
            const int x = 20 + 120 * (cell % 4);
            const int y = 20 + 90 * (cell / 4);
            const RoomShape shape{x + off(1, 2), x + 120 - off(0, 2), y + off(-1, 2), y + off(-1, 2),
                                  y + 90 + off(-2, 2), y + 90 + off(-2, 2)};
            auto* add = new AddRoomStep(main->Document, RoomRecord{shape, maker.between(0, 15), {}, {}, {}});
            main->UndoStack->push(add);
            cells.insert(cell, add->key());
        }
        auto perm = [&maker] { return maker.oneIn(25) ? (maker.oneIn(2) ? -1 : 101) : maker.between(0, 100); };
        auto link = [&](RoomKey a, RoomKey b) {
            main->UndoStack->push(new SetDoorStep(main->Document, a, b, perm(), QStringLiteral("Door")));
        };
        for (auto it = cells.cbegin(); it != cells.cend(); ++it) {
            for (const int next : {it.key() % 4 < 3 ? it.key() + 1 : -1, it.key() + 4}) {
                if (cells.contains(next) && maker.oneIn(2))
                    link(it.value(), cells.value(next));
            }
        }
        if (cells.size() > 1 && maker.oneIn(4))
            link(main->Document->roomAt(0), main->Document->roomAt(maker.between(1, int(cells.size()) - 1)));

        main->SaveRoomDefs(path);
        const ScriptContent written = ReadScript(readFile(path), ScriptStart{});
        QCOMPARE(written.rooms.size(), cells.size());
        bool lineWithoutEdge = false;
        bool permOutOfRange = false;
        for (const ReadDoor& door : written.doors) {
            QVERIFY2(door.first.inScript && door.second.inScript, qPrintable(context));
            lineWithoutEdge |= !gameSharesEdge(written.rooms[door.first.index].corners,
                                               written.rooms[door.second.index].corners);
            permOutOfRange |= door.perm < 0 || door.perm > 100;
        }
        const QList<Finding> findings = CheckGameRules(ToRoomDefs(*main->Document), {});
        auto found = [&findings](GameRule rule) {
            return std::any_of(findings.cbegin(), findings.cend(), [rule](const Finding& f) { return f.rule == rule; });
        };
        const bool errors = std::any_of(findings.cbegin(), findings.cend(),
                                        [](const Finding& f) { return f.severity == Severity::Error; });
        QVERIFY2(errors || (!lineWithoutEdge && !permOutOfRange), qPrintable(context));
        QVERIFY2(found(GameRule::DoorWithoutEdge) == lineWithoutEdge, qPrintable(context));
        QVERIFY2(found(GameRule::DoorPermeability) == permOutOfRange, qPrintable(context));
        errorFreeWithDoors += !errors && !written.doors.isEmpty();
        withDoorsWithoutEdge += lineWithoutEdge;
    }
    // Both kinds of map came up often enough to mean something.
    QVERIFY(errorFreeWithDoors >= 20);
    QVERIFY(withDoorsWithoutEdge >= 20);
}

// Random metarooms written as scripts, loaded into an empty editor and into one holding
// other rooms, and written again: the same script, and the other rooms as they were.
void TestRoomDefs::roundTripOfRandomMetarooms()
{
    const quint32 seed = testSeed();
    MetaroomMaker maker(seed);
    Editor full;
    for (int i = 0; i < 400; ++i) {
        const QString context = QStringLiteral("seed %1 (PLSD_SEED), metaroom %2").arg(seed).arg(i);
        const RoomDefs defs = maker.metaroom();
        QByteArray text;
        try {
            text = RoomDefsText(defs);
        } catch (const PlsdError& e) {
            QFAIL(qPrintable(context + ": " + e.message()));
        }

        clearEditor(main, tool);
        main->LoadRoomDefsText(text);
        QVERIFY2(RoomDefsText(collectRoomDefs(*main)) == text, qPrintable(context + ", empty editor"));

        clearEditor(full.main, full.tool);
        maker.fill(full.main, full.tool);
        const qsizetype others = full.main->Rooms.size();
        const RoomDefs before = collectRoomDefs(*full.main);
        full.main->LoadRoomDefsText(text);
        const RoomDefs after = collectRoomDefs(*full.main);
        QVERIFY2(after.rooms.mid(0, others) == before.rooms, qPrintable(context + ", the other rooms changed"));
        for (qsizetype k = 0; k < others; ++k) {
            full.main->SelectRoom(full.main->Rooms.first());
            full.main->DeleteRoom();
        }
        QVERIFY2(RoomDefsText(collectRoomDefs(*full.main)) == text,
                 qPrintable(context + ", editor holding other rooms"));
    }
}

void TestRoomDefs::menuCommands()
{
    TestDialogs host;
    ErrorCapture errors;
    addRoom(main, {10, 300, 20, 40, 200, 220});
    const QString path = dir->filePath(QStringLiteral("menu.cos"));
    host.answer(path);
    main->SaveRoomDefs1->trigger();
    QVERIFY(readFile(path).startsWith("brmi 0 0\r\n"));
    host.answer(path);
    main->LoadRoomDefs1->trigger();
    QCOMPARE(main->Rooms.size(), 2);
    host.answer(dir->filePath(QStringLiteral("missing.cos")));
    main->LoadRoomDefs1->trigger();
    QCOMPARE(errors.messages, QStringList({"Cannot open file " + dir->filePath(QStringLiteral("missing.cos")) +
                                           ": No such file or directory"}));
    QCOMPARE(host.asked, QStringList({"sdgCOS", "odgCOS", "odgCOS"}));
}



// The game's own style of map: two metarooms in one file. Before, both were merged into
// one and the first one's rooms were moved by the second's offsets.
void TestRoomDefs::metaroomsOneAtATimeSavedBackWhole()
{
    const QString path = dir->filePath(QStringLiteral("world.cos"));
    writeFile(path, "* the world\r\n"
                    "setv va00 addm 0 0 800 600 \"one\"\r\nsetv va10 addm 1000 0 400 300 \"two\"\r\n"
                    "setv va01 addr va00 0 100 0 0 50 50\r\nsetv va02 addr va10 1000 1100 0 0 50 50\r\n"
                    "setv va03 addr va10 1100 1200 0 0 50 50\r\ndoor va02 va03 30\r\nrtyp va01 4\r\n"
                    "mmsc 1100 100 \"tune\"\r\n");
    TestDialogs host;
    QStringList offered;
    host.modal = [&offered](QDialog* dialog) {
        auto* list = dialog->findChild<QListWidget*>(QStringLiteral("lstMetarooms"));
        for (int i = 0; i < list->count(); ++i)
            offered << list->item(i)->text();
        list->setCurrentRow(1);
        return int(QDialog::Accepted);
    };
    main->LoadRoomDefs(path);
    QCOMPARE(host.asked, QStringList{"dlgChooseMetaroom"});
    QCOMPARE(offered, (QStringList{"Metaroom 0: \"one\" at 0, 0, 800 x 600 pixels, 1 rooms",
                                   "Metaroom 1: \"two\" at 1000, 0, 400 x 300 pixels, 2 rooms"}));
    QCOMPARE(main->Rooms.size(), 2);
    QCOMPARE(main->Rooms[0]->xl(), 0);   // picture coordinates of the second metaroom
    QCOMPARE(tool->GetOffsetX(), 1000);
    QCOMPARE(tool->MetaroomMusic, QStringLiteral("tune"));
    QCOMPARE(main->Rooms[0]->DoorTo(main->Rooms[1])->perm, 30);

    // An edit, saved over the file: the first metaroom comes back as it was.
    main->Rooms[1]->roomtype = 7;
    main->SaveRoomDefs(path);
    const ScriptContent first = ReadScript(readFile(path), ScriptStart{});
    QCOMPARE(first.metarooms.size(), 2);
    QCOMPARE(first.rooms.size(), 1);
    QCOMPARE(first.rooms[0].roomtype, 4);
    QCOMPARE(first.metaroom->backgroundName, QStringLiteral("one"));
    ScriptStart second;
    second.metaroom = 1;
    const ScriptContent two = ReadScript(readFile(path), second);
    QCOMPARE(two.rooms.size(), 2);
    QCOMPARE(two.rooms[1].roomtype, 7);
    QCOMPARE(two.doors.size(), 1);

    // A save to a new file writes the open metaroom alone; cancelling the choice loads nothing.
    const QString alone = dir->filePath(QStringLiteral("two.cos"));
    main->SaveRoomDefs(alone);
    QCOMPARE(ScriptMetarooms(readFile(alone), ScriptStart{}).size(), 1);
    host.modal = [](QDialog*) { return int(QDialog::Rejected); };
    main->LoadRoomDefs(path);
    QCOMPARE(main->Rooms.size(), 2);
}

// prop levels are held with the room, through undo, and saved as the same float; lines
// the editor does not model are kept and saved after the rooms, with variables as numbers.
void TestRoomDefs::keptLinesAndLevelsThroughLoadUndoAndSave()
{
    const QString path = dir->filePath(QStringLiteral("props.cos"));
    writeFile(path, "brmi 0 10\r\nsetv va01 addm 0 0 800 600 \"x\"\r\n"
                    "setv va05 addr va01 0 100 0 0 50 50\r\n"
                    "prop va05 2 0.1 prop va05 0 1\r\nrate 5 2 0.3 0.2 0.1\r\naltr va05 2 0.05\r\n");
    main->LoadRoomDefs(path);
    QCOMPARE(main->StatusBar->text(),
             QStringLiteral("Loaded 1 room from props.cos; "
                            "2 lines the editor does not change kept as they are, to be saved back: rate, altr"));
    const RoomKey key = main->Document->roomAt(0);
    QCOMPARE(main->Document->room(key).levels, (CaLevels{{0, 1.0f}, {2, 0.1f}}));
    main->UndoStack->undo();
    QCOMPARE(main->Document->roomCount(), 0);
    main->UndoStack->redo();
    QCOMPARE(main->Document->room(main->Document->roomAt(0)).levels, (CaLevels{{0, 1.0f}, {2, 0.1f}}));

    const QString saved = dir->filePath(QStringLiteral("saved.cos"));
    main->SaveRoomDefs(saved);
    const QByteArray text = readFile(saved);
    QVERIFY(text.contains("prop va02 0 1.0\r\nprop va02 2 0.1\r\n"));
    QVERIFY(text.endsWith("rate 5 2 0.3 0.2 0.1\r\naltr 10 2 0.05\r\n"));
    const ScriptContent back = ReadScript(text, ScriptStart{});
    QCOMPARE(back.rooms[0].levels, (CaLevels{{0, 1.0f}, {2, 0.1f}}));
    QCOMPARE(back.kept.size(), 2);
}

PLSD_TEST_MAIN(TestRoomDefs)
#include "tst_roomdefs.moc"
