#include "testsupport.h"
#include "core/model/roomplacement.h"

#include "core/common/errors.h"
#include "view/room.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace {

// Moves a room (through its corner setters) so that it lies on its own part of Panel.
void placeRoom(TRoom* room, int left)
{
    room->setXr(left + 95);
    room->setXl(left);
}

void clickRoom(TRoom* room)
{
    MapMouse(room->parentForm).click(room);
}

QStringList doorList(const TfrmToolbox* tool)
{
    QStringList entries;
    for (int i = 0; i < tool->cbxDoorList->count(); ++i)
        entries.append(tool->cbxDoorList->itemText(i));
    return entries;
}

QStringList positionTexts(const TfrmToolbox* tool)
{
    return {tool->edtytl->text(), tool->edtxl->text(), tool->edtybl->text(),
            tool->edtytr->text(), tool->edtxr->text(), tool->edtybr->text()};
}

// Types into a position edit and leaves it for the next control of the toolbox.
void typeAndLeave(TfrmToolbox* tool, QLineEdit* edit, const QString& text)
{
    edit->setFocus(Qt::OtherFocusReason);
    edit->setText(text);
    tool->edtMusic->setFocus(Qt::TabFocusReason);
}

} // namespace

class TestToolbox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void nothingHappensWithoutAShownRoom();
    void positionEdits();
    void musicAndRoomType();
    void doorByAddAndClick();
    void pendingDoorEndsWithoutADoor();
    void pendingDoorWithAddRoom();
    void doorListSortsAsTextAndShowsPerm();
    void updateAndDeleteBothDirections();
    void deletingTheLastRoom();
    void metaroomValues();

private:
    Editor* e = nullptr;
    TfrmToolbox* tool = nullptr;
    TfrmMainForm* main = nullptr;
    // Add Room as the toolbox's button does it, but where the picture starts, so that the
    // rooms placed beside it do not lie over it.
    void addRoom() { main->AddRoomAt(MiddleOf(RoomShape{})); }
};

void TestToolbox::init()
{
    e = new Editor;
    tool = e->tool;
    main = e->main;
    main->show();
    QVERIFY(QTest::qWaitForWindowExposed(main));
    QApplication::setActiveWindow(tool);
}

void TestToolbox::cleanup()
{
    delete e;
    e = nullptr;
}

void TestToolbox::layout()
{
    QCOMPARE(tool->windowTitle(), QStringLiteral("Toolbox"));
    QCOMPARE(tool->size(), QSize(226, 217));
    QVERIFY(tool->windowFlags() & Qt::WindowStaysOnTopHint);
    QVERIFY(!(tool->windowFlags() & Qt::WindowCloseButtonHint));
    QCOMPARE(tool->PageControl1->count(), 2);
    QCOMPARE(tool->PageControl1->tabText(0), QStringLiteral("Meta room"));
    QCOMPARE(tool->PageControl1->tabText(1), QStringLiteral("Sub room"));
    QCOMPARE(tool->PageControl1->currentWidget(), tool->TabSheet1);

    struct Place {
        const char* name;
        QRect geometry;
        const char* text;
    };
    const Place edits[] = {
        {"edtOffsetX", {64, 8, 73, 21}, "0"},        {"edtOffsetY", {144, 8, 73, 21}, "0"},
        {"edtMetaRoomID", {16, 32, 65, 21}, "0"},    {"edtSubRoomStartID", {144, 32, 73, 21}, "0"},
        {"edtMetaroomMusic", {96, 80, 121, 21}, ""}, {"edtDefaultRoomType", {96, 104, 73, 21}, "0"},
        {"edtFilename", {96, 128, 121, 21}, ""},     {"edtytl", {32, 16, 73, 21}, "0"},
        {"edtxl", {32, 40, 73, 21}, "0"},            {"edtybl", {32, 64, 73, 21}, "0"},
        {"edtytr", {136, 16, 73, 21}, "0"},          {"edtxr", {136, 40, 73, 21}, "0"},
        {"edtybr", {136, 64, 73, 21}, "0"},          {"edtPerm", {64, 120, 49, 21}, "0"},
        {"edtMusic", {48, 144, 169, 21}, ""},        {"edtSubRoomID", {48, 168, 49, 21}, "0"},
        {"edtRoomType", {160, 168, 57, 21}, "0"},
    };
    for (const Place& p : edits) {
        auto* edit = tool->findChild<QLineEdit*>(QString::fromLatin1(p.name));
        QVERIFY2(edit, p.name);
        QCOMPARE(edit->geometry(), p.geometry);
        QCOMPARE(edit->text(), QString::fromLatin1(p.text));
    }
    QVERIFY(!tool->edtSubRoomID->isEnabled());
    const Place buttons[] = {
        {"btnAddRoom", {0, 164, 75, 25}, "Add Room"},   {"btnDelRoom", {80, 164, 75, 25}, "Delete Room"},
        {"btnAddDoor", {112, 120, 25, 21}, "Add"},      {"btnDeleteDoor", {136, 120, 41, 21}, "Delete"},
        {"btnUpdateDoor", {176, 120, 41, 21}, "Update"},
    };
    for (const Place& p : buttons) {
        auto* b = tool->findChild<QPushButton*>(QString::fromLatin1(p.name));
        QVERIFY2(b, p.name);
        QCOMPARE(b->geometry(), p.geometry);
        QCOMPARE(b->text(), QString::fromLatin1(p.text));
    }
    QCOMPARE(tool->GroupBox1->geometry(), QRect(0, 4, 217, 93));
    QCOMPARE(tool->GroupBox1->title(), QStringLiteral("Room position"));
    QCOMPARE(tool->edtxl->parentWidget(), tool->GroupBox1);
    QCOMPARE(tool->cbxDoorList->geometry().topLeft(), QPoint(0, 120));
    QCOMPARE(tool->cbxDoorList->width(), 65);
    QCOMPARE(tool->Label11->text(), QStringLiteral("Sub room start ID:"));
    QVERIFY(tool->Label11->wordWrap());
    QCOMPARE(tool->Label12->text(), QStringLiteral("Perm:"));

    // Every label ends before the control beside it, whatever the system's font; the
    // word-wrapped one takes two lines.
    const std::pair<QLabel*, QWidget*> besides[] = {
        {tool->Label1, tool->edtOffsetX},   {tool->Label10, tool->edtMetaRoomID}, {tool->Label16, tool->edtMetaroomMusic},
        {tool->Label15, tool->edtDefaultRoomType}, {tool->Label17, tool->edtFilename},
        {tool->Label4, tool->edtytl},       {tool->Label5, tool->edtxl},          {tool->Label6, tool->edtybl},
        {tool->Label7, tool->edtytr},       {tool->Label8, tool->edtxr},          {tool->Label9, tool->edtybr},
        {tool->Label2, tool->Label12},      {tool->Label14, tool->edtMusic},      {tool->Label3, tool->edtSubRoomID},
        {tool->Label13, tool->edtRoomType},
    };
    for (const auto& [label, control] : besides) {
        const int textEnd = label->x() + label->fontMetrics().horizontalAdvance(label->text());
        QVERIFY2(textEnd < control->x() && label->geometry().right() < control->x(), qPrintable(label->text()));
    }
    QCOMPARE(tool->Label11->width(), 49);
    QVERIFY(tool->Label11->geometry().right() < tool->edtSubRoomStartID->x());
    QVERIFY(tool->Label11->height() <= 2 * tool->Label11->fontMetrics().lineSpacing());
    QCOMPARE(tool->font().pixelSize(), 11);

    // Tab order of the Sub room page.
    QList<QWidget*> order;
    QWidget* w = tool->edtytl;
    for (int i = 0; i < 13; ++i) {
        order.append(w);
        w = w->nextInFocusChain();
        while (w->focusPolicy() == Qt::NoFocus || w->parentWidget() == tool->cbxDoorList)
            w = w->nextInFocusChain();
    }
    QList<QWidget*> expected = {tool->edtytl, tool->edtxl, tool->edtybl, tool->edtytr, tool->edtxr,
                                tool->edtybr, tool->edtSubRoomID, tool->cbxDoorList, tool->edtPerm,
                                tool->btnAddDoor, tool->btnDeleteDoor, tool->btnUpdateDoor, tool->edtMusic};
    QCOMPARE(order, expected);
}

void TestToolbox::nothingHappensWithoutAShownRoom()
{
    ErrorCapture errors;
    typeAndLeave(tool, tool->edtxl, QStringLiteral("50"));
    tool->edtMusic->setText(QStringLiteral("tune"));
    tool->edtRoomType->setText(QStringLiteral("3"));
    tool->btnAddDoor->click();
    tool->btnUpdateDoor->click();
    tool->btnDeleteDoor->click();
    tool->btnDelRoom->click();
    QVERIFY(!tool->DoorPending);
    QVERIFY(main->Rooms.isEmpty());
    QVERIFY(errors.messages.isEmpty());

    tool->btnAddRoom->click();
    QCOMPARE(main->Rooms.size(), 1);
    QCOMPARE(tool->ShownRoom, main->Rooms[0]);
    // At the middle of the view, held on the surface.
    const QPointF middle = main->scbImage->mapToScene(main->scbImage->viewport()->rect().center());
    const RoomShape at = NewRoomAt(QPoint(int(middle.x()), int(middle.y())), QRect(QPoint(0, 0), TfrmMainForm::EmptyPanelSize));
    QCOMPARE(positionTexts(tool), QStringList({QString::number(at.ytl), QString::number(at.xl), QString::number(at.ybl),
                                               QString::number(at.ytr), QString::number(at.xr), QString::number(at.ybr)}));
    QCOMPARE(tool->edtSubRoomID->text(), QStringLiteral("0"));
    // The texts typed before the room existed were taken by the new room on showing it.
    QCOMPARE(tool->edtMusic->text(), QString());
    QCOMPARE(tool->edtRoomType->text(), QStringLiteral("0"));
}

void TestToolbox::positionEdits()
{
    ErrorCapture errors;
    addRoom();
    TRoom* room = main->Rooms[0];

    typeAndLeave(tool, tool->edtxl, QStringLiteral("12a"));
    QCOMPARE(errors.messages, QStringList({"'12a' is not a valid integer value"}));
    QCOMPARE(room->xl(), 2);
    QCOMPARE(tool->edtxl->text(), QStringLiteral("12a"));   // kept until the next refresh

    typeAndLeave(tool, tool->edtytl, QStringLiteral(" -5"));
    QCOMPARE(room->ytl(), -5);
    QCOMPARE(tool->edtytl->text(), QStringLiteral("-5"));
    QCOMPARE(tool->edtxl->text(), QStringLiteral("2"));     // the refresh rewrote all six

    typeAndLeave(tool, tool->edtxr, QStringLiteral("$1F"));
    QCOMPARE(room->xr(), 31);

    // Past the minimum size: the room clamps, and all six fields show what it took.
    typeAndLeave(tool, tool->edtxl, QStringLiteral("500"));
    QCOMPARE(room->xl(), 26);
    QCOMPARE(positionTexts(tool), QStringList({"-5", "26", "97", "2", "31", "97"}));

    // Leaving without a change writes the value again (and shows it again).
    tool->edtybr->setText(QStringLiteral("7"));
    tool->edtybr->setFocus(Qt::OtherFocusReason);
    tool->edtMusic->setFocus(Qt::TabFocusReason);
    QCOMPARE(room->ybr(), 7);
    QCOMPARE(errors.messages.size(), 1);
}

void TestToolbox::musicAndRoomType()
{
    ErrorCapture errors;
    addRoom();
    TRoom* room = main->Rooms[0];
    tool->edtMusic->setText(QStringLiteral("main.mng\\\\tune"));
    QCOMPARE(room->music, QStringLiteral("main.mng\\\\tune"));
    tool->edtRoomType->setText(QStringLiteral("8"));
    QCOMPARE(room->roomtype, 8);
    tool->edtRoomType->setText(QString());
    QCOMPARE(errors.messages, QStringList({"'' is not a valid integer value"}));
    QCOMPARE(room->roomtype, 8);
}

void TestToolbox::doorByAddAndClick()
{
    addRoom();
    addRoom();
    TRoom* first = main->Rooms[0];
    TRoom* second = main->Rooms[1];
    placeRoom(second, 200);
    clickRoom(first);
    QCOMPARE(tool->ShownRoom, first);

    tool->edtPerm->setText(QStringLiteral("75"));
    tool->btnAddDoor->click();
    QVERIFY(tool->DoorPending);
    clickRoom(second);

    QVERIFY(!tool->DoorPending);
    QVERIFY(first->DoorTo(second));
    QVERIFY(second->DoorTo(first));
    QCOMPARE(first->DoorTo(second)->perm, 75);
    QCOMPARE(second->DoorTo(first)->perm, 75);
    QCOMPARE(first->doorCount(), 1);
    QCOMPARE(tool->ShownRoom, first);
    QCOMPARE(main->SelectedRoom, first);
    QCOMPARE(doorList(tool), QStringList({"1"}));
    QCOMPARE(tool->cbxDoorList->currentText(), QStringLiteral("1"));

    // A bad "Perm:" text makes no door and keeps the door pending.
    ErrorCapture errors;
    addRoom();
    TRoom* third = main->Rooms[2];
    placeRoom(third, 400);
    clickRoom(first);
    tool->edtPerm->setText(QStringLiteral("x"));
    tool->btnAddDoor->click();
    clickRoom(third);
    QCOMPARE(errors.messages, QStringList({"'x' is not a valid integer value"}));
    QVERIFY(!first->DoorTo(third));
    QVERIFY(tool->DoorPending);
    QCOMPARE(tool->ShownRoom, first);
}

void TestToolbox::pendingDoorEndsWithoutADoor()
{
    addRoom();
    addRoom();
    TRoom* first = main->Rooms[0];
    TRoom* second = main->Rooms[1];
    placeRoom(second, 200);
    clickRoom(first);

    // Clicking the shown room itself.
    tool->btnAddDoor->click();
    clickRoom(first);
    QVERIFY(!tool->DoorPending);
    QCOMPARE(first->doorCount(), 0);

    // Reshaping the shown room refreshes it and ends the pending state.
    tool->btnAddDoor->click();
    first->setYbr(150);
    QVERIFY(!tool->DoorPending);
    QCOMPARE(first->doorCount(), 0);

    // Deleting the shown room: the next room selected is shown, with no door.
    clickRoom(second);
    tool->btnAddDoor->click();
    tool->btnDelRoom->click();
    QCOMPARE(main->Rooms.size(), 1);
    QCOMPARE(tool->ShownRoom, first);
    QCOMPARE(first->doorCount(), 0);
    QVERIFY(!tool->DoorPending);
}

void TestToolbox::pendingDoorWithAddRoom()
{
    addRoom();
    TRoom* first = main->Rooms[0];
    tool->edtPerm->setText(QStringLiteral("40"));
    tool->btnAddDoor->click();
    addRoom();
    TRoom* added = main->Rooms[1];
    QVERIFY(first->DoorTo(added));
    QCOMPARE(added->DoorTo(first)->perm, 40);
    // The new room ends selected and shown.
    QCOMPARE(main->SelectedRoom, added);
    QCOMPARE(tool->ShownRoom, added);
    QCOMPARE(doorList(tool), QStringList({"0"}));
}

void TestToolbox::doorListSortsAsTextAndShowsPerm()
{
    for (int i = 0; i < 11; ++i)
        addRoom();
    TRoom* shown = main->Rooms[0];
    shown->SetDoor(main->Rooms[2], 20);
    main->Rooms[2]->SetDoor(shown, 20);
    main->Rooms[0]->Select();
    QCOMPARE(doorList(tool), QStringList({"2"}));
    // One entry: "Perm:" shows that door's permeability.
    QCOMPARE(tool->edtPerm->text(), QStringLiteral("20"));

    shown->SetDoor(main->Rooms[10], 100);
    main->Rooms[10]->SetDoor(shown, 100);
    tool->edtPerm->setText(QStringLiteral("5"));
    shown->Select();
    QCOMPARE(doorList(tool), QStringList({"10", "2"}));
    QCOMPARE(tool->cbxDoorList->currentText(), QStringLiteral("10"));
    QCOMPARE(tool->edtPerm->text(), QStringLiteral("100"));

    // Picking the other entry shows its door's permeability.
    tool->cbxDoorList->setCurrentIndex(1);
    tool->cbxDoorList->activated(1);
    QCOMPARE(tool->edtPerm->text(), QStringLiteral("20"));

    // Typing into the list is discarded.
    tool->cbxDoorList->setFocus();
    QTest::keyClicks(tool->cbxDoorList->lineEdit(), QStringLiteral("7"));
    QCOMPARE(tool->cbxDoorList->currentText(), QStringLiteral("2"));
}

void TestToolbox::updateAndDeleteBothDirections()
{
    addRoom();
    addRoom();
    addRoom();
    TRoom* a = main->Rooms[0];
    TRoom* b = main->Rooms[1];
    TRoom* c = main->Rooms[2];
    for (TRoom* other : {b, c}) {
        a->SetDoor(other, 10);
        other->SetDoor(a, 10);
    }
    a->Select();
    QCOMPARE(doorList(tool), QStringList({"1", "2"}));

    tool->edtPerm->setText(QStringLiteral("66"));
    tool->btnUpdateDoor->click();
    QCOMPARE(a->DoorTo(b)->perm, 66);
    QCOMPARE(b->DoorTo(a)->perm, 66);
    QCOMPARE(a->DoorTo(c)->perm, 10);

    tool->btnDeleteDoor->click();
    QVERIFY(!a->DoorTo(b));
    QVERIFY(!b->DoorTo(a));
    QCOMPARE(doorList(tool), QStringList({"2"}));
    QCOMPARE(tool->edtPerm->text(), QStringLiteral("10"));
    tool->btnDeleteDoor->click();
    QCOMPARE(a->doorCount(), 0);
    QCOMPARE(c->doorCount(), 0);
    QVERIFY(doorList(tool).isEmpty());
    // With an empty list both buttons do nothing.
    tool->btnDeleteDoor->click();
    tool->btnUpdateDoor->click();
    QCOMPARE(a->doorCount(), 0);
}

void TestToolbox::deletingTheLastRoom()
{
    addRoom();
    TRoom* room = main->Rooms[0];
    room->setXr(300);
    room->music = QStringLiteral("gone");
    room->Select();
    const QStringList before = positionTexts(tool);
    tool->btnDelRoom->click();
    QVERIFY(main->Rooms.isEmpty());
    QVERIFY(tool->ShownRoom == nullptr);
    QCOMPARE(positionTexts(tool), before);
    QCOMPARE(tool->edtMusic->text(), QStringLiteral("gone"));
    // Nothing behind the page now: edits change nothing and raise nothing.
    ErrorCapture errors;
    typeAndLeave(tool, tool->edtxr, QStringLiteral("400"));
    tool->edtMusic->setText(QStringLiteral("x"));
    tool->btnDelRoom->click();
    QVERIFY(errors.messages.isEmpty());
}

void TestToolbox::metaroomValues()
{
    ErrorCapture errors;
    tool->edtMetaRoomID->setText(QStringLiteral("7"));
    tool->edtSubRoomStartID->setText(QStringLiteral("$10"));
    tool->edtDefaultRoomType->setText(QStringLiteral("3"));
    tool->edtMetaroomMusic->setText(QStringLiteral("music"));
    tool->edtFilename->setText(QStringLiteral("a.blk"));
    QCOMPARE(tool->MetaRoomID, 7);
    QCOMPARE(tool->SubRoomStartID, 16);
    QCOMPARE(tool->DefaultRoomType, 3);
    QCOMPARE(tool->MetaroomMusic, QStringLiteral("music"));
    QCOMPARE(tool->MetaroomFilename, QStringLiteral("a.blk"));

    tool->edtMetaRoomID->setText(QStringLiteral("-"));
    QCOMPARE(errors.messages, QStringList({"'-' is not a valid integer value"}));
    QCOMPARE(tool->MetaRoomID, 7);

    tool->MetaRoomID = 12;
    tool->SubRoomStartID = 300;
    tool->DefaultRoomType = 4;
    tool->MetaroomMusic = QStringLiteral("other");
    tool->MetaroomFilename = QStringLiteral("/x/b.blk");
    // The fields follow a direct write at once; showing them again changes nothing.
    QCOMPARE(tool->edtFilename->text(), QStringLiteral("/x/b.blk"));
    tool->ShowMetaroomValues();
    QCOMPARE(tool->edtFilename->text(), QStringLiteral("/x/b.blk"));
    QCOMPARE(tool->edtMetaRoomID->text(), QStringLiteral("12"));
    QCOMPARE(tool->edtSubRoomStartID->text(), QStringLiteral("300"));
    QCOMPARE(tool->edtMetaroomMusic->text(), QStringLiteral("other"));
    QCOMPARE(tool->edtDefaultRoomType->text(), QStringLiteral("4"));
    QCOMPARE(tool->MetaRoomID, 12);
    QCOMPARE(tool->SubRoomStartID, 300);

    // An offset that is no number is refused as it is typed; the document keeps the last
    // number, which is what a save writes.
    tool->SetOffsetX(-1000);
    tool->SetOffsetY(2000);
    QCOMPARE(tool->edtOffsetX->text(), QStringLiteral("-1000"));
    QCOMPARE(main->Document->metaroom().offsetX, -1000);
    QCOMPARE(tool->GetOffsetY(), 2000);
    const qsizetype reported = errors.messages.size();
    tool->edtOffsetY->setText(QStringLiteral("2k"));
    QCOMPARE(errors.messages.mid(reported), QStringList({"'2k' is not a valid integer value"}));
    QCOMPARE(tool->GetOffsetY(), 2000);
    QCOMPARE(main->Document->metaroom().offsetY, 2000);
}

PLSD_TEST_MAIN(TestToolbox)
#include "tst_toolbox.moc"
