#include "testsupport.h"

#include "core/common/errors.h"
#include "rooms/room.h"

#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>

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
    void aFailingLineLoadsNothing();
    void menuCommands();

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
    tool->MetaroomMusic = QStringLiteral("main.mng\\\\garden");
    tool->MetaroomFilename = QStringLiteral("/home/me/Garden.blk");
    main->Document->setSurfaceSize(QSize(1024, 768));   // larger than every room, so a load does not grow it
    const QList<Corners> shapes = {{10, 300, 20, 40, 200, 220}, {300, 600, 40, 40, 220, 231}, {-20, 80, 5, 9, 90, 95}};
    for (const Corners& c : shapes)
        addRoom(main, c);
    main->Rooms[0]->roomtype = 5;
    main->Rooms[1]->music = QStringLiteral("room music");
    main->Rooms[2]->roomtype = 9;
    main->Rooms[0]->SetDoor(main->Rooms[2], 30);
    main->Rooms[2]->SetDoor(main->Rooms[0], 30);
    main->Rooms[1]->SetDoor(main->Rooms[2], 100);
    main->Rooms[2]->SetDoor(main->Rooms[1], 100);
    const QString path = dir->filePath(QStringLiteral("round.cos"));
    main->SaveRoomDefs(path);

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
    QCOMPARE(main->Rooms[1]->music, QStringLiteral("room music"));
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
    QCOMPARE(tool->edtMetaroomMusic->text(), QStringLiteral("main.mng\\\\garden"));
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

    tool->edtOffsetX->setText(QStringLiteral("1k"));
    try {
        main->SaveRoomDefs(path);
        QFAIL("saved with a bad offset");
    } catch (const PlsdError& error) {
        QCOMPARE(error.message(), QStringLiteral("'1k' is not a valid integer value"));
    }
    QCOMPARE(readFile(path), QByteArray("old content\r\n"));

    tool->SetOffsetX(0);
    main->Rooms[0]->music = QStringLiteral("say \"hi\"");
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
    // LF line ends; a ybr that breaks the minimum height; xr beyond the panel.
    writeFile(path, "setv va02 addr va01 1100 1300 0 50 60 52\nrtyp va02 4\n");
    main->LoadRoomDefs(path);
    QCOMPARE(main->Rooms.size(), 2);
    TRoom* read = main->Rooms[1];
    QCOMPARE(before->doorCount(), 0);
    QVERIFY(!tool->DoorPending);
    QCOMPARE(read->xr(), 300);
    QCOMPARE(read->xl(), 100);
    QCOMPARE(read->ybr(), 55);   // ytr + 5
    QCOMPARE(read->ybl(), 60);
    QCOMPARE(read->roomtype, 4);
    QCOMPARE(main->Panel->width(), 1300);
    QCOMPARE(main->Panel->height(), 249);
    QCOMPARE(main->SelectedRoom, read);
    QCOMPARE(read->id, 1);
}

void TestRoomDefs::aFailingLineLoadsNothing()
{
    const QString path = dir->filePath(QStringLiteral("bad.cos"));
    writeFile(path, "brmi 1 10\r\nsetv va02 addr va01 0 100 0 0 100 100\r\nmmsc 0 0 \"m\"\r\n"
                    "setv va02 addr va01 0 100 0 0 oops 100\r\n");
    addRoom(main, {10, 100, 10, 10, 100, 100});
    const int steps = main->UndoStack->count();
    try {
        main->LoadRoomDefs(path);
        QFAIL("loaded a bad line");
    } catch (const ConversionError& error) {
        QCOMPARE(error.message(), QStringLiteral("'oops' is not a valid integer value"));
    }
    // The lines before it are taken back, and no undo step is left.
    QCOMPARE(main->Rooms.size(), 1);
    QCOMPARE(main->Panel->children().size(), 1);
    QCOMPARE(tool->SubRoomStartID, 0);
    QCOMPARE(tool->MetaroomMusic, QString());
    QCOMPARE(tool->edtMetaroomMusic->text(), QString());
    QCOMPARE(main->UndoStack->count(), steps);

    // A good load is one step, and undo takes all of it back.
    writeFile(path, "brmi 1 10\r\nsetv va02 addr va01 0 100 0 0 100 100\r\nmmsc 0 0 \"m\"\r\ndoor 10 11 5\r\n");
    main->LoadRoomDefs(path);
    QCOMPARE(main->UndoStack->count(), steps + 1);
    QCOMPARE(main->UndoStack->undoText(), QStringLiteral("Load Room Defs"));
    QCOMPARE(main->Rooms[0]->DoorTo(main->Rooms[1])->perm, 5);
    main->UndoStack->undo();
    QCOMPARE(main->Rooms.size(), 1);
    QCOMPARE(main->Rooms[0]->doorCount(), 0);
    QCOMPARE(tool->edtSubRoomStartID->text(), QStringLiteral("0"));
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
    QCOMPARE(errors.messages, QStringList({"File not found"}));
    QCOMPARE(host.asked, QStringList({"sdgCOS", "odgCOS", "odgCOS"}));
}

PLSD_TEST_MAIN(TestRoomDefs)
#include "tst_roomdefs.moc"
