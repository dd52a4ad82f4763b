#include "testsupport.h"
#include "view/mapview.h"

#include "app/roomtypepicker.h"
#include "app/statusbar.h"
#include "core/model/editor.h"
#include "docks/problemsdock.h"
#include "docks/roomsdock.h"
#include "view/room.h"

#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollArea>
#include <QTableView>
#include <QTemporaryDir>
#include <QUndoStack>

namespace {

RoomKey addRoomAt(TfrmMainForm* main, qint64 x, qint64 y, int roomtype = 0)
{
    return main->Editor->addRoom(RoomRecord{RoomShape{x, x + 100, y, y, y + 100, y + 100}, roomtype, {}, {}, {}});
}

void clickRow(QTableView* table, int row)
{
    const QPoint at = table->visualRect(table->model()->index(row, 0)).center();
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::NoModifier, at);
}

bool inView(TfrmMainForm* main, RoomKey key)
{
    const TRoom* room = main->roomOf(key);
    const QRect shown = main->scbImage->mapFromScene(room->sceneBoundingRect()).boundingRect();
    return main->scbImage->viewport()->rect().contains(shown);
}

} // namespace

class TestGameHelp : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void viewItemsShowAndHideTheDocks();
    void roomTypeOutsideTheGameIsRefused();
    void permeabilityOutsideTheGameIsRefused();
    void typeListNamesAndPicksTypes();
    void roomChosenInADockIsSelectedAndShown();
    void savingTellsTheErrorsTheGameTripsOn();

private:
    Editor* e = nullptr;
    TfrmMainForm* main = nullptr;
    TfrmToolbox* tool = nullptr;
};

void TestGameHelp::init()
{
    e = new Editor;
    main = e->main;
    tool = e->tool;
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
}

void TestGameHelp::cleanup()
{
    delete e;
    e = nullptr;
}

void TestGameHelp::viewItemsShowAndHideTheDocks()
{
    QCOMPARE(main->dockRooms->objectName(), QStringLiteral("dockRooms"));
    QCOMPARE(main->dockProblems->objectName(), QStringLiteral("dockProblems"));
    QCOMPARE(main->dockWidgetArea(main->dockRooms), Qt::RightDockWidgetArea);
    QCOMPARE(main->dockWidgetArea(main->dockProblems), Qt::BottomDockWidgetArea);
    const QList<QAction*> view = main->View1->actions();
    QCOMPARE(view.mid(view.size() - 2), QList<QAction*>({main->ShowRooms1, main->ShowProblems1}));
    QCOMPARE(main->findChild<QAction*>(QStringLiteral("ShowRooms1"))->text(), QStringLiteral("&Rooms List"));
    QCOMPARE(main->findChild<QAction*>(QStringLiteral("ShowProblems1"))->text(), QStringLiteral("&Problems"));

    // The toolbox covers the main window's right edge: the room list starts hidden.
    QVERIFY(main->ShowProblems1->isCheckable() && main->ShowProblems1->isChecked());
    QVERIFY(main->dockProblems->isVisible());
    QVERIFY(!main->ShowRooms1->isChecked() && !main->dockRooms->isVisible());
    main->ShowRooms1->trigger();
    main->ShowProblems1->trigger();
    QVERIFY(main->dockRooms->isVisible() && main->ShowRooms1->isChecked());
    QVERIFY(!main->dockProblems->isVisible() && !main->ShowProblems1->isChecked());
}

void TestGameHelp::roomTypeOutsideTheGameIsRefused()
{
    ErrorCapture errors;
    tool->btnAddRoom->click();
    const RoomKey key = main->Document->selection();
    auto typeIs = [&](int type) { return main->Document->room(key).roomtype == type; };

    // Typing 12 passes through 1: both are taken, as one step.
    const int steps = main->UndoStack->count();
    tool->edtRoomType->setText(QStringLiteral("1"));
    tool->edtRoomType->setText(QStringLiteral("12"));
    QVERIFY(typeIs(12));
    QCOMPARE(main->UndoStack->count(), steps + 1);

    struct Typed {
        const char* text;
        const char* message;
    };
    const Typed refused[] = {
        {"16", "Room type 16 is outside 0 to 15: the game reads past its tables for a room of such a type."},
        {"-", "'-' is not a valid integer value"},
        {"-1", "Room type -1 is outside 0 to 15: the game reads past its tables for a room of such a type."},
    };
    for (const Typed& t : refused) {
        errors.messages.clear();
        tool->edtRoomType->setText(QString::fromLatin1(t.text));
        QCOMPARE(errors.messages, QStringList({QString::fromLatin1(t.message)}));
        QVERIFY(typeIs(12));
        QCOMPARE(main->UndoStack->count(), steps + 1);
        QCOMPARE(tool->edtRoomType->text(), QString::fromLatin1(t.text));   // as for a text that is no number
    }
    errors.messages.clear();
    for (int type : {0, 15}) {
        tool->edtRoomType->setText(QString::number(type));
        QVERIFY(typeIs(type));
    }
    QVERIFY(errors.messages.isEmpty());

    // A type already in force is shown, not refused: a room read from a script may have one.
    const RoomKey loaded = addRoomAt(main, 200, 0, 20);
    QCOMPARE(main->Document->selection(), loaded);
    QCOMPARE(tool->edtRoomType->text(), QStringLiteral("20"));
    QVERIFY(errors.messages.isEmpty());
}

void TestGameHelp::permeabilityOutsideTheGameIsRefused()
{
    ErrorCapture errors;
    const RoomKey a = addRoomAt(main, 0, 0);
    const RoomKey b = addRoomAt(main, 100, 0);
    const RoomKey c = addRoomAt(main, 0, 100);
    main->Editor->setDoor(a, b, 50);
    main->Document->select(a);
    const TMetaroomDocument& doc = *main->Document;
    auto permOf = [&](RoomKey from, RoomKey to) {
        for (const RoomDoor& d : doc.room(from).doors) {
            if (d.target == to)
                return d.perm;
        }
        return -1000;
    };
    auto refusal = [](int perm) {
        return QStringLiteral("Permeability %1 is outside 0 to 100: the game stops the script at such a door line, "
                              "and makes none of the doors after it.")
            .arg(perm);
    };

    // Update
    const int steps = main->UndoStack->count();
    for (int perm : {101, -1}) {
        errors.messages.clear();
        tool->edtPerm->setText(QString::number(perm));
        tool->btnUpdateDoor->click();
        QCOMPARE(errors.messages, QStringList({refusal(perm)}));
        QCOMPARE(permOf(a, b), 50);
        QCOMPARE(permOf(b, a), 50);
        QCOMPARE(main->UndoStack->count(), steps);
        QCOMPARE(tool->edtPerm->text(), QString::number(perm));
    }
    errors.messages.clear();
    for (int perm : {0, 100}) {
        tool->edtPerm->setText(QString::number(perm));
        tool->btnUpdateDoor->click();
        QCOMPARE(permOf(a, b), perm);
        QCOMPARE(permOf(b, a), perm);
    }
    QVERIFY(errors.messages.isEmpty());

    // Add: a number the game refuses makes no door pending...
    tool->edtPerm->setText(QStringLiteral("101"));
    tool->btnAddDoor->click();
    QCOMPARE(errors.messages, QStringList({refusal(101)}));
    QVERIFY(!tool->DoorPending);
    // ...nor one typed after "Add": the door is not made, and it stays pending.
    errors.messages.clear();
    tool->edtPerm->setText(QStringLiteral("0"));
    tool->btnAddDoor->click();
    QVERIFY(tool->DoorPending);
    tool->edtPerm->setText(QStringLiteral("-1"));
    const int before = main->UndoStack->count();
    plsd::runGuarded([&] { main->SelectRoom(main->roomOf(c)); });
    QCOMPARE(errors.messages, QStringList({refusal(-1)}));
    QCOMPARE(permOf(a, c), -1000);
    QVERIFY(tool->DoorPending);
    QCOMPARE(doc.selection(), a);
    QCOMPARE(tool->ShownRoom, main->roomOf(a));
    QCOMPARE(main->UndoStack->count(), before);
    tool->edtPerm->setText(QStringLiteral("100"));
    main->SelectRoom(main->roomOf(c));
    QCOMPARE(permOf(a, c), 100);
    QCOMPARE(permOf(c, a), 100);
}

void TestGameHelp::typeListNamesAndPicksTypes()
{
    tool->btnAddRoom->click();
    const RoomKey key = main->Document->selection();
    QMenu* list = tool->RoomTypes->list();
    QCOMPARE(list->actions().size(), 16);
    QCOMPARE(list->actions()[5]->text(), QStringLiteral("5 normal soil"));
    QCOMPARE(list->actions()[15]->text(), QStringLiteral("15 (unused)"));

    const int steps = main->UndoStack->count();
    list->actions()[5]->trigger();
    QCOMPARE(tool->edtRoomType->text(), QStringLiteral("5"));
    QCOMPARE(main->Document->room(key).roomtype, 5);
    QCOMPARE(main->UndoStack->count(), steps + 1);
    QCOMPARE(tool->edtRoomType->toolTip(), QStringLiteral("5 normal soil"));
}

void TestGameHelp::roomChosenInADockIsSelectedAndShown()
{
    main->Document->setSurfaceSize(QSize(3000, 3000));
    const RoomKey near = addRoomAt(main, 50, 50);
    const RoomKey far = addRoomAt(main, 2500, 2500, 20);
    main->Document->select(near);
    QVERIFY(!inView(main, far));

    // The one finding, the type past the game's tables, names the far room.
    main->dockProblems->checkNow();
    QCOMPARE(main->dockProblems->findings().size(), 1);
    clickRow(main->dockProblems->table(), 0);
    QCOMPARE(main->Document->selection(), far);
    QCOMPARE(main->SelectedRoom, main->roomOf(far));
    QCOMPARE(tool->ShownRoom, main->roomOf(far));
    QVERIFY(inView(main, far));

    main->ShowRooms1->trigger();
    QVERIFY(QTest::qWaitForWindowExposed(main->dockRooms));
    clickRow(main->dockRooms->table(), 0);
    QCOMPARE(main->Document->selection(), near);
    QCOMPARE(tool->ShownRoom, main->roomOf(near));
    QVERIFY(inView(main, near));
}

void TestGameHelp::savingTellsTheErrorsTheGameTripsOn()
{
    TestDialogs dialogs;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rooms.cos"));
    const RoomKey a = addRoomAt(main, 0, 0);
    const RoomKey b = addRoomAt(main, 300, 0);

    dialogs.answer(path);
    main->SaveRoomDefs1Click();
    QCOMPARE(main->StatusBar->text(), QStringLiteral("Saved rooms.cos: no errors"));

    // A door between rooms that share no edge, with a permeability the game refuses: saved
    // all the same, and the status line tells.
    main->Editor->setDoor(a, b, 150);
    dialogs.answer(path);
    main->SaveRoomDefs1Click();
    QCOMPARE(main->StatusBar->text(), QStringLiteral("Saved rooms.cos: 2 errors the game will trip on (see Problems)"));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY(saved.readAll().contains(" 150"));
}

PLSD_TEST_MAIN(TestGameHelp)
#include "tst_gamehelp.moc"
