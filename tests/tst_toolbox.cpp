#include "testsupport.h"
#include "core/model/roomplacement.h"

#include "app/statusbar.h"
#include "core/common/errors.h"
#include "core/model/editor.h"
#include "core/model/snapshot.h"
#include "core/rules/gamerules.h"
#include "view/room.h"
#include "view/roomhandles.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <algorithm>

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

// The list as the user sees it, once the events of the last change are done.
QStringList doorList(const TfrmToolbox* tool)
{
    QCoreApplication::processEvents();
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

// A shape that keeps the least size on both walls.
bool keepsLeastSize(const RoomShape& s)
{
    const int least = 2 * 5 - 5;
    return s.xr - s.xl >= least && s.ybl - s.ytl >= least && s.ybr - s.ytr >= least;
}

// The door list the shown room should have: its door lines sorted as text, then its
// neighbours by the game's shared edges that have no door line, marked, sorted as text.
QStringList expectedDoorList(const TMetaroomDocument* doc, RoomKey shown)
{
    const int at = doc->positionOf(shown);
    QStringList doors, offered;
    for (const RoomDoor& d : doc->room(shown).doors)
        doors.append(QString::number(doc->positionOf(d.target)));
    for (const SharedEdge& edge : SharedEdges(ToRoomDefs(*doc))) {
        if (edge.a != at && edge.b != at)
            continue;
        const int other = edge.a == at ? edge.b : edge.a;
        if (doc->doorIndex(shown, doc->roomAt(other)) < 0)
            offered.append(QString::number(other) + QStringLiteral(" new"));
    }
    std::sort(doors.begin(), doors.end());
    std::sort(offered.begin(), offered.end());
    return doors + offered;
}

void pickEntry(TfrmToolbox* tool, const QString& entry)
{
    const int index = tool->cbxDoorList->findText(entry);
    QVERIFY2(index >= 0, qPrintable(entry));
    tool->cbxDoorList->setCurrentIndex(index);
    tool->cbxDoorList->activated(index);
}

} // namespace

class TestToolbox : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void layout();
    void fieldsLookAsTheStyleDrawsThem();
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
    void typedCornersMakeOneShape();
    void typedCornersStickWhenAnotherRoomIsShown();
    void doorListOffersNeighbours();
    void typedCornersGoIntoTheSave();
    void pendingDoorSaysSoAndCancels();
    void sharedEdgeClickPicksThePair();

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
    QCOMPARE(tool->objectName(), QStringLiteral("frmToolbox"));
    QCOMPARE(tool->widget()->size(), TfrmToolbox::PagesSize);
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
        {"btnUpdateDoor", {176, 120, 41, 21}, "Update"}, {"btnAddRoom2", {0, 194, 75, 25}, "Add Room"},
    };
    for (const Place& p : buttons) {
        auto* b = tool->findChild<QPushButton*>(QString::fromLatin1(p.name));
        QVERIFY2(b, p.name);
        QCOMPARE(b->geometry(), p.geometry);
        QCOMPARE(b->text(), QString::fromLatin1(p.text));
    }
    // Each page has its Add Room button, wholly on the page.
    QCOMPARE(tool->btnAddRoom2->parentWidget(), tool->TabSheet2);
    for (QPushButton* add : {tool->btnAddRoom, tool->btnAddRoom2})
        QVERIFY(add->parentWidget()->rect().contains(add->geometry()));
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

// The fields' panels, drawn from pictures over what lies behind them, look as the
// application's style draws them, on both pages, with a room shown and without, and with
// fields of both kinds of state (one read-only, one disabled).
void TestToolbox::fieldsLookAsTheStyleDrawsThem()
{
    addRoom();
    QVERIFY(!tool->edtSubRoomID->isEnabled() || tool->edtSubRoomID->isReadOnly());
    QTabWidget* pages = tool->PageControl1;
    QList<QImage> ours;
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        ours.append(pages->grab().toImage());
    }
    for (QLineEdit* field : pages->findChildren<QLineEdit*>()) {
        field->setStyle(QApplication::style());
        field->setAttribute(Qt::WA_OpaquePaintEvent, false);
    }
    for (int page = 0; page < pages->count(); ++page) {
        pages->setCurrentIndex(page);
        QCOMPARE(ours[page], pages->grab().toImage());
    }
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
    // The Sub room page's Add Room adds one too.
    tool->btnAddRoom2->click();
    QCOMPARE(main->Rooms.size(), 2);
    QCOMPARE(tool->ShownRoom, main->Rooms[1]);
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

void TestToolbox::typedCornersMakeOneShape()
{
    addRoom();
    tool->PageControl1->setCurrentWidget(tool->TabSheet2);
    const RoomKey key = main->Document->selection();
    auto shape = [&] { return main->Document->room(key).shape; };
    const QList<QLineEdit*> fields = {tool->edtytl, tool->edtxl, tool->edtybl, tool->edtytr, tool->edtxr, tool->edtybr};
    const Corner corners[] = {Corner::TopLeft,  Corner::LeftWall,  Corner::BottomLeft,
                              Corner::TopRight, Corner::RightWall, Corner::BottomRight};

    // The steps that lost work: the left wall typed past the right one, then Tab to the
    // right wall. Leaving the left wall held it back against the old right wall at once.
    tool->edtxl->setFocus(Qt::TabFocusReason);
    tool->edtxl->setText(QStringLiteral("300"));
    tool->edtxr->setFocus(Qt::TabFocusReason);
    tool->edtxr->setText(QStringLiteral("400"));
    const int before = main->UndoStack->count();
    QTest::keyClick(tool->edtxr, Qt::Key_Return);
    QCOMPARE(shape().xl, 300);
    QCOMPARE(shape().xr, 400);
    QCOMPARE(main->UndoStack->count(), before + 1);
    main->UndoStack->undo();
    QCOMPARE(shape(), RoomShape{});
    QCOMPARE(tool->edtxl->text(), QStringLiteral("2"));

    // Any corners typed in any order and applied with Return make one shape in one step:
    // the typed one when it keeps the least size, else one that keeps it with the corners
    // not typed unchanged; the same whatever the order.
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    for (int trial = 0; trial < 60; ++trial) {
        const qint64 xl = random.bounded(0, 400), ytl = random.bounded(0, 300), ytr = random.bounded(0, 300);
        const RoomShape start{xl, xl + random.bounded(20, 400), ytl, ytr, ytl + random.bounded(20, 300),
                              ytr + random.bounded(20, 300)};
        QList<int> typed;
        for (int c = 0; c < 6; ++c) {
            if (random.bounded(2))
                typed.append(c);
        }
        if (typed.isEmpty())
            typed.append(random.bounded(6));
        QList<qint64> values(6);
        RoomShape wanted = start;
        for (int c : typed) {
            values[c] = random.bounded(-50, 800);
            wanted = WithCorner(wanted, corners[c], values[c]);
        }
        std::optional<RoomShape> first;
        for (int order = 0; order < 2; ++order) {
            main->Editor->setRoomShape(key, start, QStringLiteral("start"));
            QList<int> sequence = typed;
            std::shuffle(sequence.begin(), sequence.end(), random);
            const int steps = main->UndoStack->count();
            for (int c : sequence) {
                fields[c]->setFocus(Qt::TabFocusReason);
                fields[c]->setText(QString::number(values[c]));
            }
            QTest::keyClick(fields[sequence.last()], Qt::Key_Return);
            const RoomShape got = shape();
            const QString where = QStringLiteral("seed %1, trial %2").arg(seed).arg(trial);
            QVERIFY2(main->UndoStack->count() == steps + (got == start ? 0 : 1), qPrintable(where));
            QVERIFY2(keepsLeastSize(got) && (got == wanted || !keepsLeastSize(wanted)), qPrintable(where));
            auto untyped = [&](RoomShape s) {
                for (int c : typed)
                    s = WithCorner(s, corners[c], 0);
                return s;
            };
            QVERIFY2(untyped(got) == untyped(start), qPrintable(where));
            QCOMPARE(tool->edtxl->text(), QString::number(got.xl));
            if (first)
                QVERIFY2(got == *first, qPrintable(where));
            first = got;
        }
    }
}

void TestToolbox::typedCornersStickWhenAnotherRoomIsShown()
{
    tool->btnAddRoom->click();
    tool->btnAddRoom->click();
    const RoomKey first = main->Document->roomAt(0), second = main->Document->roomAt(1);
    main->Editor->setRoomShape(second, Moved(RoomShape{}, 200, 0), QStringLiteral("apart"));
    tool->PageControl1->setCurrentWidget(tool->TabSheet2);
    main->Document->select(first);

    // Typed, never left, and another room chosen (as in the Rooms list): the typed floor
    // went with the page before.
    tool->edtybr->setFocus(Qt::TabFocusReason);
    tool->edtybr->setText(QStringLiteral("150"));
    main->Document->select(second);
    QCOMPARE(main->Document->room(first).shape.ybr, 150);
    QCOMPARE(main->Document->room(second).shape, Moved(RoomShape{}, 200, 0));
    QCOMPARE(tool->ShownRoom, main->roomOf(second));
    QCOMPARE(tool->edtybr->text(), QStringLiteral("97"));
    // Leaving the field now writes the second room's own value: nothing changes.
    const int steps = main->UndoStack->count();
    tool->edtMusic->setFocus(Qt::TabFocusReason);
    QCOMPARE(main->UndoStack->count(), steps);

    // A text that does not convert is refused and the other typed corners still wait.
    ErrorCapture errors;
    tool->edtytl->setFocus(Qt::TabFocusReason);
    tool->edtytl->setText(QStringLiteral("1x"));
    tool->edtxr->setFocus(Qt::TabFocusReason);
    tool->edtxr->setText(QStringLiteral("350"));
    QTest::keyClick(tool->edtxr, Qt::Key_Return);
    QCOMPARE(errors.messages, QStringList({"'1x' is not a valid integer value"}));
    QCOMPARE(main->Document->room(second).shape, Moved(RoomShape{}, 200, 0));
    QTest::keyClick(tool->edtxr, Qt::Key_Return);
    QCOMPARE(main->Document->room(second).shape.xr, 350);
    QCOMPARE(main->Document->room(second).shape.ytl, 2);
    QCOMPARE(errors.messages.size(), 1);
}

void TestToolbox::doorListOffersNeighbours()
{
    // Rooms in a grid of 100-pixel cells, each pulled in from some sides so that only some
    // walls and floors are shared; then random edits, the list checked after each.
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator random(seed);
    auto cell = [&](int column, int row) {
        auto inset = [&] { return random.bounded(3) == 0 ? 3 : 0; };
        const qint64 top = row * 100 + inset(), bottom = row * 100 + 100 - inset();
        return RoomShape{column * 100 + inset(), column * 100 + 100 - inset(), top, top, bottom, bottom};
    };
    for (int i = 0; i < 12; ++i) {
        tool->btnAddRoom->click();
        main->Editor->setRoomShape(main->Document->selection(), cell(i % 4, i / 4), QStringLiteral("place"));
    }
    auto anyRoom = [&] { return main->Document->roomAt(random.bounded(int(main->Document->roomCount()))); };
    const QString where = QStringLiteral("seed %1").arg(seed);
    QSet<QString> seen;
    for (int step = 0; step < 150; ++step) {
        switch (random.bounded(6)) {
        case 0: main->Document->select(anyRoom()); break;
        case 1: main->Editor->setDoor(anyRoom(), anyRoom(), random.bounded(101)); break;
        case 2: main->Editor->removeDoor(anyRoom(), anyRoom()); break;
        case 3: {
            const RoomKey key = anyRoom();
            const int index = random.bounded(12);
            main->Editor->setRoomShape(key, cell(index % 4, index / 4), QStringLiteral("place"));
            break;
        }
        case 4:
            if (main->Document->roomCount() < 14)
                main->Editor->addRoom(RoomRecord{cell(random.bounded(4), random.bounded(3)), 0, {}, {}, {}});
            else
                main->Editor->deleteRoom(anyRoom());
            break;
        case 5: {
            // A neighbour picked and added gets its door at once, as one step.
            const QStringList list = doorList(tool);
            const auto offered = std::find_if(list.begin(), list.end(), [](const QString& e) { return e.endsWith(" new"); });
            if (offered == list.end() || !tool->ShownRoom)
                break;
            pickEntry(tool, *offered);
            const int perm = random.bounded(101);
            tool->edtPerm->setText(QString::number(perm));
            const int steps = main->UndoStack->count();
            tool->btnAddDoor->click();
            QVERIFY2(!tool->DoorPending, qPrintable(where));
            QCOMPARE(main->UndoStack->count(), steps + 1);
            const RoomKey other = main->Document->roomAt(offered->chopped(4).toInt());
            QCOMPARE(main->Document->doorPerm(tool->ShownRoom->key(), other), perm);
            QCOMPARE(main->Document->doorPerm(other, tool->ShownRoom->key()), perm);
            seen.insert(QStringLiteral("added"));
            break;
        }
        }
        if (!tool->ShownRoom)
            continue;
        const QStringList list = doorList(tool);
        if (std::any_of(list.begin(), list.end(), [](const QString& e) { return e.endsWith(" new"); }))
            seen.insert(QStringLiteral("offered"));
        QVERIFY2(list == expectedDoorList(main->Document, tool->ShownRoom->key()),
                 qPrintable(where + QStringLiteral(", step %1: ").arg(step) + list.join(QLatin1Char(','))));
        // The first door picked and shown, or nothing.
        const int picked = list.isEmpty() || list.first().endsWith(" new") ? -1 : 0;
        QCOMPARE(tool->cbxDoorList->currentIndex(), picked);
        QCOMPARE(tool->cbxDoorList->currentText(), picked < 0 ? QString() : list.first());
    }
    QVERIFY2(seen.contains("offered") && seen.contains("added"), qPrintable(where));
}

// A save while the keyboard is still in a corner field takes the typed corner, and so
// does the question before closing.
void TestToolbox::typedCornersGoIntoTheSave()
{
    QTemporaryDir dir;
    TestDialogs host;
    addRoom();
    const RoomKey key = main->Document->selection();
    main->Editor->roomFileWritten(dir.filePath(QStringLiteral("before.cos")));
    tool->edtxl->setFocus();
    tool->edtxl->setText(QStringLiteral("40"));
    QVERIFY(!main->AskBeforeLosingWork());   // asked, and cancelled
    QVERIFY(host.asked.contains(QStringLiteral("msgUnsavedWork")));
    QCOMPARE(main->Document->room(key).shape.xl, 40);

    tool->edtxr->setFocus();
    tool->edtxr->setText(QStringLiteral("90"));
    host.answer(dir.filePath(QStringLiteral("map.cos")));
    main->SaveRoomDefs1->trigger();
    QFile saved(dir.filePath(QStringLiteral("map.cos")));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QVERIFY2(saved.readAll().contains("addr va01 40 90 "), "the saved room has the typed walls");
    QVERIFY(!main->HasUnsavedWork());
}

void TestToolbox::pendingDoorSaysSoAndCancels()
{
    addRoom();
    addRoom();
    TRoom* first = main->Rooms[0];
    TRoom* second = main->Rooms[1];
    placeRoom(second, 200);
    clickRoom(first);
    const QString waiting = QStringLiteral("Door from room 0 waiting: click another room to link it, Esc cancels");

    // Add says which room waits, the other rooms take the link cursor; Esc ends it all.
    tool->btnAddDoor->click();
    QVERIFY(tool->DoorPending);
    QCOMPARE(main->StatusBar->text(), waiting);
    QVERIFY(second->hasCursor() && second->cursor().shape() == Qt::PointingHandCursor);
    QVERIFY(!first->hasCursor());
    QTest::keyClick(main->scbImage->viewport(), Qt::Key_Escape);
    QVERIFY(!tool->DoorPending);
    QVERIFY(!second->hasCursor());
    QCOMPARE(main->StatusBar->text(), QString());

    // The steps that made a door no one asked for: Add, then a click on empty map, then
    // the other room clicked to select it.
    tool->btnAddDoor->click();
    MapMouse(main).click(QPoint(150, 150));
    QVERIFY(!tool->DoorPending);
    clickRoom(second);
    QCOMPARE(main->SelectedRoom, second);
    QCOMPARE(first->doorCount(), 0);

    // CancelPendingDoor, for a change of mode; and a door still made by a click.
    clickRoom(first);
    tool->btnAddDoor->click();
    main->CancelPendingDoor();
    QVERIFY(!tool->DoorPending);
    tool->edtPerm->setText(QStringLiteral("30"));
    tool->btnAddDoor->click();
    clickRoom(second);
    QCOMPARE(first->DoorTo(second)->perm, 30);
    QVERIFY(!second->hasCursor());
    QCOMPARE(main->StatusBar->text(), QString());
}

void TestToolbox::sharedEdgeClickPicksThePair()
{
    addRoom();
    addRoom();
    const RoomKey a = main->Document->roomAt(0), b = main->Document->roomAt(1);
    main->Editor->setRoomShape(b, RoomShape{97, 192, 2, 2, 97, 97}, QStringLiteral("beside"));
    main->Document->select(b);
    tool->edtPerm->setText(QStringLiteral("7"));

    // A click on their wall away from the handles: the first room is shown with the other
    // offered; "Perm:" and Return make the door line, one step.
    MapMouse(main).click(QPoint(97, 20));
    QCOMPARE(main->Document->selection(), a);
    QCOMPARE(tool->PageControl1->currentWidget(), tool->TabSheet2);
    QCOMPARE(tool->cbxDoorList->currentText(), QStringLiteral("1 new"));
    QVERIFY(main->StatusBar->text().startsWith(QStringLiteral("Rooms 0 and 1 share an edge")));
    const int steps = main->UndoStack->count();
    QCOMPARE(QApplication::focusWidget(), tool->edtPerm);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("50"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QCOMPARE(main->UndoStack->count(), steps + 1);
    QCOMPARE(main->Document->doorPerm(a, b), 50);
    QCOMPARE(main->Document->doorPerm(b, a), 50);
    // The status line follows their door, typed again or undone; not once it says other things.
    QCOMPARE(main->StatusBar->text(), QStringLiteral("Rooms 0 and 1: door at 50; type a permeability and press "
                                                     "Return to change it"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("0"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    QVERIFY(main->StatusBar->text().startsWith(QStringLiteral("Rooms 0 and 1: door at 0;")));
    main->UndoStack->undo();
    QVERIFY(main->StatusBar->text().startsWith(QStringLiteral("Rooms 0 and 1: door at 50;")));
    main->UndoStack->undo();
    QVERIFY(main->StatusBar->text().startsWith(QStringLiteral("Rooms 0 and 1 share an edge without a door line")));
    main->UndoStack->redo();
    main->UndoStack->redo();
    main->StatusBar->setText(QStringLiteral("elsewhere"));
    main->Editor->setDoor(a, b, 60);
    QCOMPARE(main->StatusBar->text(), QStringLiteral("elsewhere"));
    main->Editor->setDoor(a, b, 50);

    // Clicked again, from the other room: their door is picked and its permeability shown.
    main->Document->select(b);
    tool->edtPerm->setText(QStringLiteral("7"));
    MapMouse(main).click(QPoint(97, 80));
    QCOMPARE(main->Document->selection(), a);
    QCOMPARE(tool->cbxDoorList->currentText(), QStringLiteral("1"));
    QCOMPARE(tool->edtPerm->text(), QStringLiteral("50"));

    // The selected room's handle on that wall still reshapes it.
    const QPoint handle = roomhandles::handleCentre(main->Document->room(a).shape, int(Corner::RightWall)).toPoint();
    MapMouse(main).drag(handle, handle + QPoint(-20, 0));
    QCOMPARE(main->Document->room(a).shape.xr, 77);

    main->UndoStack->undo();
    QCOMPARE(main->Document->room(a).shape.xr, 97);

    // With the doors hidden, a click on the wall is a click on the rooms there, not on the
    // edge: on the selected room it goes to the room beneath.
    main->ShowDoors1->setChecked(false);
    main->Document->select(b);
    main->StatusBar->setText(QString());
    MapMouse(main).click(QPoint(97, 20));
    QCOMPARE(main->Document->selection(), a);
    QCOMPARE(main->StatusBar->text(), QString());
}

PLSD_TEST_MAIN(TestToolbox)
#include "tst_toolbox.moc"

