#include "core/model/steps.h"
#include "core/rules/gamerules.h"
#include "core/rules/roomtypes.h"
#include "core/script/calevels.h"
#include "docks/problemlistmodel.h"
#include "docks/problemsdock.h"
#include "docks/roomlistmodel.h"
#include "docks/roomsdock.h"
#include "testsupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTableView>
#include <QUndoStack>

namespace {

using Table = QList<QStringList>;

// The cells of a model as a view knows them: read at the start and then only where the
// model's signals say that something changed.
class TableMirror : public QObject {
public:
    explicit TableMirror(QAbstractItemModel* model)
        : model(model)
    {
        readAll();
        connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex&, int first, int last) {
            for (int row = first; row <= last; ++row)
                cells.insert(row, readRow(row));
        });
        connect(model, &QAbstractItemModel::rowsRemoved, this, [this](const QModelIndex&, int first, int last) {
            cells.remove(first, last - first + 1);
        });
        connect(model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex& from, const QModelIndex& to) {
            for (int row = from.row(); row <= to.row(); ++row) {
                for (int column = from.column(); column <= to.column(); ++column)
                    cells[row][column] = this->model->index(row, column).data().toString();
            }
        });
        connect(model, &QAbstractItemModel::modelReset, this, &TableMirror::readAll);
    }
    Table cells;

private:
    QStringList readRow(int row) const
    {
        QStringList values;
        for (int column = 0; column < model->columnCount(); ++column)
            values.append(model->index(row, column).data().toString());
        return values;
    }
    void readAll()
    {
        cells.clear();
        for (int row = 0; row < model->rowCount(); ++row)
            cells.append(readRow(row));
    }
    QAbstractItemModel* model;
};

// What the Rooms list must show, straight from the document.
Table expectedRooms(const TMetaroomDocument& doc)
{
    Table table;
    for (int i = 0; i < doc.roomCount(); ++i) {
        const RoomRecord& r = doc.room(doc.roomAt(i));
        table.append({QString::number(GameRoomNumber(doc.metaroom().subRoomStartID, i)), RoomTypeLabel(r.roomtype),
                      QString::number(r.doors.size()), r.music, CaLevelsLabel(r.levels)});
    }
    return table;
}

RoomRecord roomAt(int x, int y, int w = 100, int h = 100)
{
    return RoomRecord{RoomShape{x, x + w, y, y, y + h, y + h}, 0, {}, {}, {}};
}

QPoint centreOfRow(QTableView* table, int row)
{
    return table->visualRect(table->model()->index(row, 0)).center();
}

} // namespace

class TestDocks : public QObject {
    Q_OBJECT
private slots:
    void roomTypesHaveNamesAndColoursApart();
    void roomListFollowsRandomEditsUndoAndRedo();
    void choosingARoomAsksForItAndTheRowFollowsTheSelection();
    void findsARoomByItsGameNumber();
    void severalRowsFollowTheSelectionBothWays();
    void problemsFollowChangesInOneCheckPerBurst();
};

void TestDocks::roomTypesHaveNamesAndColoursApart()
{
    QCOMPARE(RoomTypeName(0), QStringLiteral("atmosphere"));
    QCOMPARE(RoomTypeName(10), QStringLiteral("ettin home"));
    QCOMPARE(RoomTypeLabel(5), QStringLiteral("5 normal soil"));
    QCOMPARE(RoomTypeLabel(11), QStringLiteral("type 11"));
    QCOMPARE(RoomTypeName(-3), QStringLiteral("type -3"));
    // Every two types of the game differ clearly in colour; all fills are translucent.
    for (int a = 0; a < RoomTypeCount; ++a) {
        const QColor ca = RoomTypeColour(a);
        QVERIFY(ca.alpha() > 60 && ca.alpha() < 200);
        for (int b = a + 1; b < RoomTypeCount; ++b) {
            const QColor cb = RoomTypeColour(b);
            const int distance = std::abs(ca.red() - cb.red()) + std::abs(ca.green() - cb.green()) +
                                 std::abs(ca.blue() - cb.blue());
            QVERIFY2(distance >= 100, qPrintable(QStringLiteral("types %1 and %2").arg(a).arg(b)));
        }
    }
    QCOMPARE(RoomTypeColour(16).rgb(), RoomTypeColour(-1).rgb());
}

void TestDocks::roomListFollowsRandomEditsUndoAndRedo()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    const QString context = QStringLiteral("seed %1").arg(seed);
    for (int round = 0; round < 40; ++round) {
        TMetaroomDocument doc;
        QUndoStack stack;
        RoomsDock dock(&doc);
        TableMirror shown(dock.model());
        auto pick = [&] { return doc.roomAt(rng.bounded(doc.roomCount())); };
        for (int step = 0; step < 60; ++step) {
            const int what = doc.roomCount() == 0 ? 0 : rng.bounded(11);
            switch (what) {
            case 0:
                stack.push(new AddRoomStep(&doc, roomAt(rng.bounded(900), rng.bounded(900)),
                                              rng.bounded(-1, doc.roomCount() + 1)));
                break;
            case 1:
                stack.push(new DeleteRoomStep(&doc, pick()));
                break;
            case 2: {
                const RoomKey key = pick();
                RoomRecord r = doc.room(key);
                r.shape = Moved(r.shape, rng.bounded(-9, 9), 0);
                if (rng.bounded(2))
                    r.roomtype = rng.bounded(-1, 18);
                if (rng.bounded(2))
                    r.music = QStringLiteral("track %1").arg(step);
                if (rng.bounded(2))   // a CA level, as a prop line sets it
                    r.levels = WithCaLevel(r.levels, rng.bounded(16), float(rng.bounded(5)) / 4);
                stack.push(new ChangeRoomStep(&doc, key, r, "Change Room"));
                break;
            }
            case 3:
                stack.push(new SetDoorStep(&doc, pick(), pick(), rng.bounded(101), "Add Door"));
                break;
            case 4: {
                const RoomKey key = pick();
                if (!doc.room(key).doors.isEmpty())
                    stack.push(new RemoveDoorStep(&doc, key, doc.room(key).doors.first().target));
                break;
            }
            case 5: {
                MetaroomValues m = doc.metaroom();
                m.subRoomStartID = rng.bounded(3) ? rng.bounded(0, 3000) : INT_MAX;   // wraps
                stack.push(new MetaroomStep(&doc, m, "Change Room Base"));
                break;
            }
            case 6:
            case 7:
                if (stack.canUndo())
                    stack.undo();
                break;
            case 8:
                if (stack.canRedo())
                    stack.redo();
                break;
            case 9:
                doc.select(pick());
                break;
            case 10: {   // many rooms in one step, as a load makes them: the list resets once
                auto* load = new QUndoCommand(QStringLiteral("Load Room Defs"));
                for (int i = rng.bounded(1, 2 * RoomListModel::BulkRows); i > 0; --i)
                    new AddRoomStep(&doc, roomAt(rng.bounded(900), rng.bounded(900)), -1, true, load);
                stack.push(load);
                break;
            }
            }
            // A bulk change shows at the end of its turn.
            if (dock.model()->isResetting())
                QCoreApplication::processEvents();
            QVERIFY2(!dock.model()->isResetting(), qPrintable(context));
            QVERIFY2(shown.cells == expectedRooms(doc), qPrintable(context));
            QVERIFY2(dock.table()->currentIndex().row() == doc.positionOf(doc.selection()), qPrintable(context));
        }
    }
}

void TestDocks::choosingARoomAsksForItAndTheRowFollowsTheSelection()
{
    TMetaroomDocument doc;
    QUndoStack stack;
    for (int i = 0; i < 4; ++i)
        stack.push(new AddRoomStep(&doc, roomAt(200 * i, 0)));
    RoomsDock dock(&doc);
    dock.resize(400, 300);
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    QTableView* table = dock.table();
    QCOMPARE(table->currentIndex().row(), 3);   // the last room added is selected

    // Not selected by whoever owns the map: the dock asks, and its row goes back.
    QSignalSpy asked(&dock, &RoomsDock::roomActivated);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centreOfRow(table, 1));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.last().at(0).value<RoomKey>(), doc.roomAt(1));
    QTRY_COMPARE(table->currentIndex().row(), 3);

    // Selected through the document: a click on the current row asks again, once.
    connect(&dock, &RoomsDock::roomActivated, &doc, &TMetaroomDocument::select);
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centreOfRow(table, 2));
    QCOMPARE(doc.selection(), doc.roomAt(2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centreOfRow(table, 2));
    QCOMPARE(asked.count(), 3);
    QCOMPARE(asked.last().at(0).value<RoomKey>(), doc.roomAt(2));
    QTest::keyClick(table, Qt::Key_Down);
    QCOMPARE(doc.selection(), doc.roomAt(3));
    QCOMPARE(asked.count(), 4);

    // Undo of a delete brings the row back, and it is current again.
    stack.push(new DeleteRoomStep(&doc, doc.roomAt(3)));
    QCOMPARE(table->currentIndex().row(), 0);
    stack.undo();
    QCOMPARE(table->currentIndex().row(), 3);
}

void TestDocks::severalRowsFollowTheSelectionBothWays()
{
    TMetaroomDocument doc;
    QUndoStack stack;
    for (int i = 0; i < 5; ++i)
        stack.push(new AddRoomStep(&doc, roomAt(200 * i, 0)));
    RoomsDock dock(&doc);
    connect(&dock, &RoomsDock::roomActivated, &doc, &TMetaroomDocument::select);
    connect(&dock, &RoomsDock::roomsChosen, &doc, &TMetaroomDocument::selectRooms);
    dock.resize(400, 300);
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    QTableView* table = dock.table();
    auto selectedRows = [table] {
        QList<int> rows;
        for (const QModelIndex& index : table->selectionModel()->selectedRows())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        return rows;
    };
    auto keys = [&doc](QList<int> positions) {
        QList<RoomKey> k;
        for (const int p : positions)
            k.append(doc.roomAt(p));
        return k;
    };

    // The document's selection shows as rows, its current room as the current row.
    doc.selectRooms(keys({4, 1, 3}), doc.roomAt(1));
    QCOMPARE(selectedRows(), (QList<int>{1, 3, 4}));
    QCOMPARE(table->currentIndex().row(), 1);

    // Rows chosen with Ctrl and Shift select their rooms; the row clicked last is current.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centreOfRow(table, 0));
    QCOMPARE(doc.selectedRooms(), keys({0}));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOfRow(table, 2));
    QCOMPARE(doc.selectedRooms(), keys({0, 2}));
    QCOMPARE(doc.selection(), doc.roomAt(2));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ShiftModifier, centreOfRow(table, 4));
    QCOMPARE(doc.selectedRooms(), keys({0, 2, 3, 4}));
    QCOMPARE(doc.selection(), doc.roomAt(4));
    QTest::mouseClick(table->viewport(), Qt::LeftButton, Qt::ControlModifier, centreOfRow(table, 3));
    QCOMPARE(doc.selectedRooms(), keys({0, 2, 4}));
    QCOMPARE(selectedRows(), (QList<int>{0, 2, 4}));

    // A plain click on one of the rows selects that room alone.
    QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, centreOfRow(table, 2));
    QCOMPARE(doc.selectedRooms(), keys({2}));
    QCOMPARE(selectedRows(), (QList<int>{2}));
}

void TestDocks::findsARoomByItsGameNumber()
{
    TMetaroomDocument doc;
    QUndoStack stack;
    for (int i = 0; i < 3; ++i)
        stack.push(new AddRoomStep(&doc, roomAt(200 * i, 0)));
    MetaroomValues m = doc.metaroom();
    m.subRoomStartID = 100;
    stack.push(new MetaroomStep(&doc, m, "Room Base"));
    RoomsDock dock(&doc);
    connect(&dock, &RoomsDock::roomActivated, &doc, &TMetaroomDocument::select);
    auto* result = dock.findChild<QLabel*>("lblFindResult");

    QTest::keyClicks(dock.findField(), "101");   // 1 and 10 are no rooms
    QCOMPARE(doc.selection(), doc.roomAt(1));
    QCOMPARE(dock.table()->currentIndex().row(), 1);
    QCOMPARE(result->text(), QString());
    QTest::keyClicks(dock.findField(), "9");
    QCOMPARE(result->text(), QStringLiteral("No room 1019"));
    QCOMPARE(doc.selection(), doc.roomAt(1));
    dock.findField()->clear();
    QTest::keyClicks(dock.findField(), "x");
    QCOMPARE(result->text(), QStringLiteral("Not a number"));

    // Numbers wrap at 32 bits as the game's do: room base 2147483647, second room -2147483648.
    m.subRoomStartID = INT_MAX;
    stack.push(new MetaroomStep(&doc, m, "Room Base"));
    QVERIFY(dock.findRoom(INT_MIN));
    QCOMPARE(doc.selection(), doc.roomAt(1));
    QVERIFY(!dock.findRoom(INT_MIN + 2));
}

void TestDocks::problemsFollowChangesInOneCheckPerBurst()
{
    TMetaroomDocument doc;
    QUndoStack stack;
    auto* left = new AddRoomStep(&doc, roomAt(0, 0));
    auto* right = new AddRoomStep(&doc, roomAt(100, 0));
    stack.push(left);
    stack.push(right);
    stack.push(new SetDoorStep(&doc, left->key(), right->key(), 50, "Add Door"));
    ProblemsDock dock(&doc);
    dock.resize(600, 200);
    dock.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dock));
    QCOMPARE(dock.summary(), QStringLiteral("no problems"));
    QSignalSpy checks(&dock, &ProblemsDock::checked);

    // Twenty moves in one turn of the event loop take the right room away from the left:
    // the door is left without an edge, and is found in one check.
    const int gesture = NewMergeKey();
    for (int step = 1; step <= 20; ++step) {
        RoomRecord r = doc.room(right->key());
        r.shape = Moved(r.shape, 1, 0);
        stack.push(new ChangeRoomStep(&doc, right->key(), r, "Move Room", gesture));
    }
    QVERIFY(dock.checkPending());
    QCOMPARE(checks.count(), 0);
    QTRY_COMPARE(checks.count(), 1);
    QCOMPARE(dock.counts(), (FindingCounts{1, 0, 0}));
    QCOMPARE(checks.last().at(0).toString(), QStringLiteral("1 error"));
    QCOMPARE(dock.findings().first().rule, GameRule::DoorWithoutEdge);
    QCOMPARE(dock.model()->rowCount(), 1);

    // A click on the finding asks for its first room, even after a room is put before it.
    stack.push(new AddRoomStep(&doc, roomAt(0, 500), 0));
    dock.checkNow();
    QCOMPARE(checks.count(), 2);
    QCOMPARE(dock.findings().first().rooms, (QList<int>{1, 2}));
    QSignalSpy asked(&dock, &ProblemsDock::roomActivated);
    QTest::mouseClick(dock.table()->viewport(), Qt::LeftButton, {}, centreOfRow(dock.table(), 0));
    QCOMPARE(asked.count(), 1);
    QCOMPARE(asked.last().at(0).value<RoomKey>(), left->key());

    // Undo mends it, in one check; a move apart with no door is no problem at all.
    stack.undo();
    stack.undo();
    QTRY_COMPARE(checks.count(), 3);
    QCOMPARE(dock.summary(), QStringLiteral("no problems"));
    stack.push(new RemoveDoorStep(&doc, left->key(), right->key()));
    QTRY_COMPARE(checks.count(), 4);
    QCOMPARE(dock.summary(), QStringLiteral("1 note"));   // the shared edge the game makes a door of
    QCOMPARE(dock.table()->model()->index(0, ProblemListModel::SeverityColumn).data().toString(),
             QStringLiteral("Note"));
    QCOMPARE(dock.table()->model()->index(0, ProblemListModel::RoomsColumn).data().toString(),
             QStringLiteral("0, 1"));
    QCOMPARE(checks.count(), 4);   // nothing more waits
    QVERIFY(!dock.checkPending());
}

PLSD_TEST_MAIN(TestDocks)
#include "tst_docks.moc"
