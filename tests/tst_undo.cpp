#include "testsupport.h"
#include "core/model/roomplacement.h"

#include "core/common/errors.h"
#include "core/common/intconv.h"
#include "core/model/document.h"
#include "view/room.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QUndoStack>
#include <random>

namespace {

// What undo and redo must bring back: rooms in order with corners, type, music and doors
// (by position, both ways, with permeabilities), the metaroom values and the picture.
struct MapState {
    QList<RoomRecord> rooms;   // door targets as positions
    MetaroomValues metaroom;
    const TBlockList* blocks = nullptr;
    int columns = 0;
    int rows = 0;
    QSize surface;

    bool operator==(const MapState&) const = default;
};

MapState stateOf(const TfrmMainForm& main)
{
    const TMetaroomDocument& doc = *main.Document;
    MapState s;
    for (RoomKey key : doc.rooms()) {
        RoomRecord r = doc.room(key);
        for (RoomDoor& d : r.doors)
            d.target = RoomKey(doc.positionOf(d.target));
        s.rooms.append(r);
    }
    s.metaroom = doc.metaroom();
    s.blocks = doc.grid().blocks.get();
    s.columns = doc.grid().columns;
    s.rows = doc.grid().rows;
    s.surface = doc.surfaceSize();
    return s;
}

QString describe(const MapState& s)
{
    QString text = QStringLiteral("%1 rooms, metaroom %2 %3 %4 %5 %6 '%7' '%8', picture %9x%10, surface %11x%12\n")
                       .arg(s.rooms.size())
                       .arg(s.metaroom.offsetX)
                       .arg(s.metaroom.offsetY)
                       .arg(s.metaroom.metaRoomID)
                       .arg(s.metaroom.subRoomStartID)
                       .arg(s.metaroom.defaultRoomType)
                       .arg(s.metaroom.music, s.metaroom.filename)
                       .arg(s.columns)
                       .arg(s.rows)
                       .arg(s.surface.width())
                       .arg(s.surface.height());
    for (const RoomRecord& r : s.rooms) {
        text += QStringLiteral("  %1 %2 %3 %4 %5 %6 type %7 '%8' doors")
                    .arg(r.shape.xl)
                    .arg(r.shape.xr)
                    .arg(r.shape.ytl)
                    .arg(r.shape.ytr)
                    .arg(r.shape.ybl)
                    .arg(r.shape.ybr)
                    .arg(r.roomtype)
                    .arg(r.music);
        for (const RoomDoor& d : r.doors)
            text += QStringLiteral(" %1:%2").arg(d.target).arg(d.perm);
        text += '\n';
    }
    return text;
}

// Empty when exactly one room looks selected, it is SelectedRoom and the toolbox shows it
// (or, without rooms, none is); otherwise what is wrong.
QString selectionFault(const Editor& e)
{
    QList<TRoom*> looking;
    for (TRoom* room : e.main->Rooms) {
        if (room->isSelected())
            looking.append(room);
    }
    if (e.main->Rooms.size() != e.main->Document->roomCount())
        return QStringLiteral("the room list does not follow the document");
    if (e.main->Rooms.isEmpty())
        return e.main->SelectedRoom || e.tool->ShownRoom ? QStringLiteral("a room selected without rooms") : QString();
    if (looking.size() != 1)
        return QStringLiteral("%1 rooms look selected").arg(looking.size());
    if (looking[0] != e.main->SelectedRoom)
        return QStringLiteral("the room that looks selected is not SelectedRoom");
    if (e.tool->ShownRoom != e.main->SelectedRoom)
        return QStringLiteral("the toolbox shows another room than SelectedRoom");
    const TRoom* r = e.tool->ShownRoom;
    if (e.tool->edtxl->text() != IntToStr(r->xl()) || e.tool->edtybr->text() != IntToStr(r->ybr()))
        return QStringLiteral("the toolbox's corners are not the shown room's");
    return {};
}

// The picture pixel in the middle of a room's corners.
QPoint centreOf(const TRoom* room)
{
    return QPoint((room->xl() + room->xr()) / 2, (room->ytl() + room->ybr()) / 2);
}

// The picture pixel a handle box stands on.
QPoint handlePoint(const TRoom* room, int handle)
{
    const int x = handle <= TRoom::BottomLeft ? room->xl() : room->xr();
    int y = 0;
    switch (handle) {
    case TRoom::TopLeft: y = room->ytl(); break;
    case TRoom::BottomLeft: y = room->ybl(); break;
    case TRoom::TopRight: y = room->ytr(); break;
    case TRoom::BottomRight: y = room->ybr(); break;
    case TRoom::LeftWall: y = room->ytl() + (room->ybl() - room->ytl()) / 2; break;
    default: y = room->ytr() + (room->ybr() - room->ytr()) / 2; break;
    }
    return QPoint(x, y);
}

} // namespace

class TestUndo : public QObject {
    Q_OBJECT
private slots:
    void randomEditsUndoAndRedo();
    void oneStepPerGesture();
    void doorCompletionSelectsNoOtherRoom();
};

void TestUndo::randomEditsUndoAndRedo()
{
    QTemporaryDir dir;
    QImage picture(300, 200, QImage::Format_RGB888);
    picture.fill(QColor(20, 90, 160));
    const QString bitmap = dir.filePath(QStringLiteral("p.bmp"));
    QVERIFY(picture.save(bitmap, "BMP"));

    for (unsigned seed : {1u, 2u, 3u}) {
        Editor e;
        e.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(e.main));
        ErrorCapture errors;
        QUndoStack* stack = e.main->UndoStack;
        std::mt19937 random(seed);
        auto pick = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(random); };
        MapMouse mouse(e.main);
        auto someRoom = [&]() { return e.main->Rooms[pick(int(e.main->Rooms.size()))]; };
        QLineEdit* const corners[] = {e.tool->edtytl, e.tool->edtxl, e.tool->edtybl,
                                      e.tool->edtytr, e.tool->edtxr, e.tool->edtybr};
        QLineEdit* const metaroom[] = {e.tool->edtOffsetX, e.tool->edtOffsetY, e.tool->edtMetaRoomID,
                                       e.tool->edtSubRoomStartID, e.tool->edtDefaultRoomType,
                                       e.tool->edtMetaroomMusic, e.tool->edtFilename};

        QList<MapState> states{stateOf(*e.main)};   // the state after each step
        for (int step = 0; step < 150; ++step) {
            const int stepsBefore = stack->count();
            const MapState before = stateOf(*e.main);
            const bool rooms = !e.main->Rooms.isEmpty();
            bool mayFail = false;
            const int kind = pick(14);
            if (kind >= 5 && kind <= 10)
                QApplication::setActiveWindow(e.tool);   // typing goes to the toolbox
            switch (kind) {
            case 0:
                e.tool->btnAddRoom->click();
                break;
            case 1:
                e.tool->btnDelRoom->click();
                break;
            case 2:
                if (rooms) {
                    mouse.click(centreOf(someRoom()));   // selects the top room there
                }
                break;
            case 3:   // a drag of the whole selected room
                if (TRoom* room = e.main->SelectedRoom) {
                    const QPoint from = centreOf(room);
                    mouse.hover(from);
                    mouse.press(from);
                    mouse.moveTo(from + QPoint(pick(40) - 20, pick(40) - 20));
                    const QPoint to = from + QPoint(pick(40) - 20, pick(40) - 20);
                    mouse.moveTo(to);
                    mouse.release(to);
                }
                break;
            case 4:   // a drag of one of its handle boxes
                if (TRoom* room = e.main->SelectedRoom) {
                    const int handle = 1 + pick(6);
                    const QPoint box = handlePoint(room, handle);
                    mouse.hover(box);
                    if (room->hoveredHandle() != handle)
                        break;
                    mouse.press(box);
                    QPoint to = box;
                    for (int i = 0; i < 3; ++i) {
                        to = box + QPoint(pick(60) - 30, pick(60) - 30);
                        mouse.moveTo(to);
                    }
                    mouse.release(to);
                }
                break;
            case 5: {   // a typed corner, left for the next field
                QLineEdit* edit = corners[pick(6)];
                edit->setFocus(Qt::OtherFocusReason);
                edit->setText(IntToStr(pick(250)));
                e.tool->edtMusic->setFocus(Qt::TabFocusReason);
                break;
            }
            case 6:
                e.tool->edtRoomType->setFocus();
                // Two digits typed, the type within the game's 0 to 15.
                e.tool->edtRoomType->setText(IntToStr(pick(2)));
                e.tool->edtRoomType->setText(e.tool->edtRoomType->text() + IntToStr(pick(6)));
                break;
            case 7:
                e.tool->edtMusic->setFocus();
                e.tool->edtMusic->setText(QStringLiteral("tune %1").arg(pick(5)));
                break;
            case 8:   // a door: Add, then a click on another room; sometimes with a bad permeability
                if (rooms) {
                    mayFail = pick(4) == 0;
                    e.tool->edtPerm->setText(mayFail ? QStringLiteral("x") : IntToStr(pick(100)));
                    e.tool->btnAddDoor->click();
                    TRoom* other = someRoom();
                    mouse.click(centreOf(other));
                    if (other != e.tool->ShownRoom)
                        QVERIFY(!other->isSelected() || other == e.main->SelectedRoom);
                    e.tool->edtPerm->setText(IntToStr(pick(100)));
                }
                break;
            case 9:
                if (e.tool->cbxDoorList->count() > 0) {
                    const int entry = pick(e.tool->cbxDoorList->count());
                    e.tool->cbxDoorList->setCurrentIndex(entry);
                    e.tool->edtPerm->setText(IntToStr(pick(100)));
                    (pick(2) ? e.tool->btnUpdateDoor : e.tool->btnDeleteDoor)->click();
                }
                break;
            case 10: {   // a metaroom value, typed in two keys
                QLineEdit* edit = metaroom[pick(7)];
                edit->setFocus();
                edit->setText(IntToStr(pick(9)));
                edit->setText(edit->text() + IntToStr(pick(9)));
                break;
            }
            case 11: {   // a script: rooms, a door to a room that may be missing, metaroom lines
                const int count = int(e.main->Rooms.size());
                const QByteArray script = QStringLiteral("brmi %1 %2\r\nmmsc 0 0 \"m%3\"\r\n"
                                                         "addr va01 %4 %5 10 20 90 95\r\nrtyp va02 %6\r\n"
                                                         "rmsc 0 0 \"r\"\r\ndoor %2 %7 %8\r\n")
                                              .arg(pick(5))
                                              .arg(pick(3))
                                              .arg(pick(5))
                                              .arg(pick(100))
                                              .arg(150 + pick(100))
                                              .arg(pick(4))
                                              .arg(pick(count + 4))
                                              .arg(pick(100))
                                              .toLatin1();
                mayFail = true;
                plsd::runGuarded([&] { e.main->LoadRoomDefsText(script); });
                break;
            }
            case 12: {
                TestDialogs host;
                host.answer(bitmap);
                e.main->ImportBitmap1->trigger();
                break;
            }
            default:
                if (rooms)
                    e.main->SelectRoom(someRoom());
            }
            const QString fault = selectionFault(e);
            QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("step %1 (%2): %3").arg(step).arg(kind).arg(fault)));
            // One edit, one step at most; a failure leaves the stack and the map as they were.
            QVERIFY2(stack->count() - stepsBefore <= 1, qPrintable(QString::number(step)));
            QCOMPARE(stack->index(), stack->count());
            if (!mayFail)
                QVERIFY2(errors.messages.isEmpty(), qPrintable(errors.messages.join('\n')));
            if (!errors.messages.isEmpty()) {
                QCOMPARE(stack->count(), stepsBefore);
                QCOMPARE(stateOf(*e.main), before);
                errors.messages.clear();
            }
            // Keys typed into the field of the step before, or a drag that ends where it began,
            // merge into the step before or take it away.
            if (stack->count() > stepsBefore)
                states.append(stateOf(*e.main));
            else if (stack->count() < stepsBefore)
                states.removeLast();
            else if (stateOf(*e.main) != before)
                states.last() = stateOf(*e.main);
            QVERIFY2(states.last() == stateOf(*e.main), qPrintable(QStringLiteral("step %1 (%2)").arg(step).arg(kind)));
        }
        QCOMPARE(stack->count(), states.size() - 1);
        QVERIFY(stack->count() > 40);

        // Back through every step to the start, then forward again to the end.
        for (qsizetype i = states.size() - 2; i >= 0; --i) {
            stack->undo();
            const MapState now = stateOf(*e.main);
            QVERIFY2(now == states[i], qPrintable(QStringLiteral("undo to %1:\n%2expected:\n%3")
                                                      .arg(i)
                                                      .arg(describe(now), describe(states[i]))));
            QVERIFY(e.main->SelectedRoom == nullptr || e.tool->ShownRoom == e.main->SelectedRoom);
        }
        for (qsizetype i = 1; i < states.size(); ++i) {
            stack->redo();
            QVERIFY2(stateOf(*e.main) == states[i], qPrintable(QStringLiteral("redo to %1").arg(i)));
        }
        QVERIFY(errors.messages.isEmpty());
    }
}

void TestUndo::oneStepPerGesture()
{
    Editor e;
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    QUndoStack* stack = e.main->UndoStack;
    e.main->AddRoomAt(MiddleOf(RoomShape{}));   // where the picture starts
    TRoom* room = e.main->Rooms[0];
    QCOMPARE(stack->undoText(), QStringLiteral("Add Room"));

    // A press and release without a move pushes nothing; a drag of many moves is one step.
    MapMouse mouse(e.main);
    mouse.hover(QPoint(50, 50));
    mouse.press(QPoint(50, 50));
    mouse.release(QPoint(50, 50));
    QCOMPARE(stack->count(), 1);
    mouse.press(QPoint(50, 50));
    for (int i = 1; i <= 10; ++i)
        mouse.moveTo(QPoint(50 + i, 50 + i));
    mouse.release(QPoint(60, 60));
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->undoText(), QStringLiteral("Move Room"));
    QCOMPARE(room->xl(), 12);
    stack->undo();
    QCOMPARE(room->xl(), 2);
    QCOMPARE(e.tool->edtxl->text(), QStringLiteral("2"));   // the toolbox follows undo

    // Typing into a field is one step; a visit to another field starts another.
    e.tool->edtMusic->setFocus();
    for (const char* text : {"a", "ab", "abc"})
        e.tool->edtMusic->setText(QString::fromLatin1(text));
    QCOMPARE(stack->count(), 2);
    QCOMPARE(stack->undoText(), QStringLiteral("Change Room Music"));
    e.tool->edtMetaroomMusic->setFocus();
    e.tool->edtMetaroomMusic->setText(QStringLiteral("m"));
    e.tool->edtMetaroomMusic->setText(QStringLiteral("mm"));
    e.tool->edtMusic->setFocus();
    e.tool->edtMusic->setText(QStringLiteral("abcd"));
    QCOMPARE(stack->count(), 4);
    stack->undo();
    QCOMPARE(room->music, QStringLiteral("abc"));
    QCOMPARE(e.tool->edtMusic->text(), QStringLiteral("abc"));
    stack->undo();
    QCOMPARE(e.tool->MetaroomMusic, QString());
    QCOMPARE(e.tool->edtMetaroomMusic->text(), QString());

    // A room type that does not convert is reported and pushes nothing.
    ErrorCapture errors;
    const int steps = stack->count();
    e.tool->edtRoomType->setText(QStringLiteral("-"));
    QCOMPARE(errors.messages, QStringList({"'-' is not a valid integer value"}));
    QCOMPARE(stack->count(), steps);

    // Undo of a delete puts the room back, selected and shown.
    e.main->AddRoom();
    e.main->Rooms[1]->setLeft(200);
    e.main->Rooms[0]->SetDoor(e.main->Rooms[1], 9);
    e.main->DeleteRoom();
    QCOMPARE(e.main->Rooms.size(), 1);
    stack->undo();
    QCOMPARE(e.main->Rooms.size(), 2);
    QCOMPARE(e.main->SelectedRoom, e.main->Rooms[1]);
    QCOMPARE(e.tool->ShownRoom, e.main->Rooms[1]);
    QCOMPARE(e.main->Rooms[1]->left(), 200);
    QCOMPARE(e.main->Rooms[0]->DoorTo(e.main->Rooms[1])->perm, 9);
}

void TestUndo::doorCompletionSelectsNoOtherRoom()
{
    Editor e;
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    ErrorCapture errors;
    e.main->AddRoomAt(MiddleOf(RoomShape{}));   // where the picture starts
    e.main->AddRoomAt(MiddleOf(RoomShape{}));
    TRoom* a = e.main->Rooms[0];
    TRoom* b = e.main->Rooms[1];
    b->setLeft(200);
    a->Select();
    MapMouse mouse(e.main);

    // A bad permeability: the click on B changes nothing, and A stays selected and shown.
    e.tool->edtPerm->setText(QStringLiteral("x"));
    e.tool->btnAddDoor->click();
    const int steps = e.main->UndoStack->count();
    mouse.click(QPoint(250, 50));
    QCOMPARE(errors.messages, QStringList({"'x' is not a valid integer value"}));
    QCOMPARE(e.main->UndoStack->count(), steps);
    QCOMPARE(e.main->SelectedRoom, a);
    QCOMPARE(e.tool->ShownRoom, a);
    QVERIFY(!b->isSelected());
    e.tool->btnDelRoom->click();   // deletes the room the toolbox shows
    QCOMPARE(e.main->Rooms, (QList<TRoom*>{b}));
    e.main->UndoStack->undo();
    a = e.main->Rooms[0];
    a->Select();

    // Completed: one step, A selected and shown, B drawn unselected and not draggable.
    e.tool->edtPerm->setText(QStringLiteral("60"));
    e.tool->btnAddDoor->click();
    mouse.click(QPoint(250, 50));
    QCOMPARE(e.main->UndoStack->undoText(), QStringLiteral("Add Door"));
    QCOMPARE(b->DoorTo(a)->perm, 60);
    QCOMPARE(e.main->SelectedRoom, a);
    QVERIFY(a->isSelected() && !b->isSelected());
    const int left = b->left();
    mouse.drag(QPoint(250, 50), QPoint(280, 80));
    QCOMPARE(b->left(), left);
}

PLSD_TEST_MAIN(TestUndo)
#include "tst_undo.moc"
