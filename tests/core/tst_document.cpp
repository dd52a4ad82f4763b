#include "core/model/steps.h"
#include "core/model/editor.h"
#include "core/model/neighbours.h"
#include "core/script/scriptreader.h"
#include "core/model/snapshot.h"
#include "core/background/blkformat.h"

#include <QRandomGenerator>
#include <QSignalSpy>
#include <QUndoStack>
#include <QtTest>
#include <algorithm>

namespace {

struct State {
    QList<RoomKey> order;
    QList<RoomRecord> records;
    MetaroomValues metaroom;
    PictureGrid grid;
    QSize surface;

    bool operator==(const State& other) const
    {
        return sameKeys(order, other.order) && records == other.records && metaroom == other.metaroom &&
               grid == other.grid && surface == other.surface;
    }

    // QList's own == of two empty lists of numbers may hand memcmp a null pointer.
    static bool sameKeys(const QList<RoomKey>& a, const QList<RoomKey>& b)
    {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    }
};

State stateOf(const TMetaroomDocument& doc)
{
    State s;
    s.order = doc.rooms();
    for (const RoomKey key : s.order)
        s.records.append(doc.room(key));
    s.metaroom = doc.metaroom();
    s.grid = doc.grid();
    s.surface = doc.surfaceSize();
    return s;
}

// A view that knows the map only from the document's signals.
class Mirror : public QObject {
public:
    explicit Mirror(TMetaroomDocument& doc)
        : doc(doc)
    {
        connect(&doc, &TMetaroomDocument::roomInserted, this, [this](int position, RoomKey key) {
            order.insert(position, key);
            records.insert(key, this->doc.room(key));
        });
        connect(&doc, &TMetaroomDocument::roomRemoved, this, [this](int position, RoomKey key) {
            QCOMPARE(order.at(position), key);
            order.removeAt(position);
            records.remove(key);
        });
        // Rooms changed by an edit of several are taken in once, when it ends.
        connect(&doc, &TMetaroomDocument::roomChanged, this, [this](RoomKey key, TMetaroomDocument::RoomChanges) {
            if (inChanges)
                held.insert(key);
            else
                records[key] = this->doc.room(key);
        });
        connect(&doc, &TMetaroomDocument::changesBegun, this, [this] {
            QVERIFY(!inChanges);
            inChanges = true;
            ++edits;
        });
        connect(&doc, &TMetaroomDocument::changesEnded, this, [this] {
            QVERIFY(inChanges);
            inChanges = false;
            for (const RoomKey key : std::as_const(held))
                records[key] = this->doc.room(key);
            held.clear();
        });
        connect(&doc, &TMetaroomDocument::doorsChanged, this, [this](RoomKey a, RoomKey b) {
            records[a] = this->doc.room(a);
            records[b] = this->doc.room(b);
        });
        connect(&doc, &TMetaroomDocument::selectionChanged, this, [this](RoomKey now, RoomKey before) {
            QCOMPARE(before, selected);
            selected = now;
        });
        connect(&doc, &TMetaroomDocument::selectedRoomsChanged, this,
                [this](const QList<RoomKey>& now, const QList<RoomKey>& before) {
                    QVERIFY(State::sameKeys(before, chosen));
                    QVERIFY(!State::sameKeys(before, now));
                    chosen = now;
                });
    }

    // Edits of several rooms announced so far.
    int editsOfSeveral() const { return edits; }

    bool matches() const
    {
        if (inChanges || this->doc.changing() || !State::sameKeys(order, doc.rooms()) || selected != doc.selection() ||
            !State::sameKeys(chosen, doc.selectedRooms()))
            return false;
        for (const RoomKey key : order) {
            if (records.value(key) != doc.room(key))
                return false;
        }
        return true;
    }

private:
    TMetaroomDocument& doc;
    QList<RoomKey> order;
    QHash<RoomKey, RoomRecord> records;
    RoomKey selected = 0;
    QList<RoomKey> chosen;
    bool inChanges = false;
    QSet<RoomKey> held;
    int edits = 0;
};

// Doors come in pairs with one permeability; positions and selection agree with the order.
void checkInvariants(const TMetaroomDocument& doc)
{
    for (int i = 0; i < doc.roomCount(); ++i) {
        const RoomKey key = doc.roomAt(i);
        QCOMPARE(doc.positionOf(key), i);
        for (const RoomDoor& d : doc.room(key).doors) {
            QVERIFY(doc.contains(d.target));
            QCOMPARE(doc.doorPerm(d.target, key), std::optional<int>(d.perm));
        }
    }
    QCOMPARE(doc.selection() != 0, doc.roomCount() > 0);
    QVERIFY(doc.selection() == 0 || doc.contains(doc.selection()));
    // The current room is one of the selected rooms, each in the map once.
    const QList<RoomKey>& chosen = doc.selectedRooms();
    QCOMPARE(chosen.contains(doc.selection()), doc.selection() != 0);
    QCOMPARE(chosen.isEmpty(), doc.selection() == 0);
    for (const RoomKey key : chosen) {
        QVERIFY(doc.contains(key) && doc.isSelected(key));
        QCOMPARE(chosen.count(key), 1);
    }
    // The box index finds what a look at every room finds.
    for (const RoomKey key : doc.rooms()) {
        GridIndex::Box box = RoomBox(doc.room(key).shape);
        box = {box.x0 - 2, box.y0 - 2, box.x1 + 2, box.y1 + 2};
        QList<RoomKey> meeting, sharing;
        for (const RoomKey other : doc.rooms()) {
            if (box.meets(RoomBox(doc.room(other).shape)))
                meeting.append(other);
            if (other != key && ShapesShareEdge(doc.room(key).shape, doc.room(other).shape))
                sharing.append(other);
        }
        QList<RoomKey> found = doc.roomsMeeting(box);
        doc.sortByPosition(found);
        QCOMPARE(found, meeting);
        QCOMPARE(EdgeNeighbours(doc, key), sharing);
    }
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
private slots:
    void adjustedShapeHoldsOnlyTheMovedCorner();
    void deleteAndUndoPutsEveryDoorBackInPlace();
    void randomEditsUndoAndRedoExactly();
    void appliedStepIsNotAppliedTwice();
    void filesFollowReadsImportsAndANewMap();
};

void TestDocument::adjustedShapeHoldsOnlyTheMovedCorner()
{
    // Handles of 5: walls at least 5 apart, ceilings at least 5 above their floor.
    const RoomShape s{100, 102, 10, 40, 12, 60};
    QCOMPARE(AdjustedShape(s, Corner::LeftWall, 5, 5).xl, qint64(97));
    QCOMPARE(AdjustedShape(s, Corner::RightWall, 5, 5).xr, qint64(105));
    QCOMPARE(AdjustedShape(s, Corner::TopLeft, 5, 5).ytl, qint64(7));
    QCOMPARE(AdjustedShape(s, Corner::BottomLeft, 5, 5), (RoomShape{100, 102, 10, 40, 15, 60}));
    QCOMPARE(AdjustedShape(s, Corner::TopRight, 5, 5), s);   // its own wall is long enough
    // Far past the 32-bit range, nothing wraps.
    const RoomShape far{0, qint64(INT_MIN), 0, 0, 10, 10};
    QCOMPARE(AdjustedShape(far, Corner::LeftWall, 5, 5).xl, qint64(INT_MIN) - 5);
    QCOMPARE(SaturatedCorner(qint64(INT_MIN) - 5), INT_MIN);
}

void TestDocument::deleteAndUndoPutsEveryDoorBackInPlace()
{
    TMetaroomDocument doc;
    QUndoStack stack;
    QList<RoomKey> k;
    for (int i = 0; i < 4; ++i) {
        auto* add = new AddRoomStep(&doc, RoomRecord{});
        stack.push(add);
        k.append(add->key());
    }
    stack.push(new SetDoorStep(&doc, k[0], k[2], 60, "Add Door"));
    stack.push(new SetDoorStep(&doc, k[3], k[0], 70, "Add Door"));
    stack.push(new SetDoorStep(&doc, k[1], k[0], 10, "Add Door"));
    stack.push(new SetDoorStep(&doc, k[2], k[1], 20, "Add Door"));
    stack.push(new SetDoorStep(&doc, k[1], k[3], 30, "Add Door"));
    stack.push(new SetDoorStep(&doc, k[1], k[1], 40, "Add Door"));
    stack.push(new SetDoorStep(&doc, k[2], k[3], 50, "Add Door"));
    doc.select(k[1]);
    const State before = stateOf(doc);
    stack.push(new DeleteRoomStep(&doc, k[1]));
    QCOMPARE(doc.roomCount(), 3);
    QCOMPARE(doc.room(k[2]).doors, (QList<RoomDoor>{{k[0], 60}, {k[3], 50}}));
    QCOMPARE(doc.selection(), k[0]);   // the first room, as a delete always did
    stack.undo();
    QCOMPARE(stateOf(doc), before);
    QCOMPARE(doc.selection(), k[1]);
    // As the writer sees it: door targets by position.
    const RoomDefs defs = ToRoomDefs(doc);
    QCOMPARE(defs.rooms[1].doors, (QList<ScriptDoor>{{0, 10}, {2, 20}, {3, 30}, {1, 40}}));
}

// Random edits through the editor's methods: each makes one undo step, or none when it
// changes nothing; undo goes back through every recorded state and redo comes back.
void TestDocument::randomEditsUndoAndRedoExactly()
{
    const quint32 seed = QRandomGenerator::global()->generate();
    QRandomGenerator rng(seed);
    for (int round = 0; round < 300; ++round) {
        MetaroomEditor editor;
        TMetaroomDocument& doc = *editor.document();
        QUndoStack& stack = *editor.undoStack();
        Mirror mirror(doc);
        QHash<int, State> states{{0, stateOf(doc)}};   // by the stack's index
        auto pick = [&] { return doc.roomAt(rng.bounded(doc.roomCount())); };
        auto shape = [&] {
            const qint64 x = rng.bounded(-50, 500), y = rng.bounded(-50, 500);
            const int across = rng.bounded(10) == 0 ? 70000 : 200;   // now and then over very many cells
            return RoomShape{x, x + rng.bounded(across), y, y + rng.bounded(9), y + rng.bounded(200),
                             y + rng.bounded(300)};
        };
        auto some = [&] {   // a few rooms, repeats among them, or the selected ones
            if (rng.bounded(2))
                return doc.selectedRooms();
            QList<RoomKey> keys;
            for (int n = rng.bounded(1, 5); n > 0; --n)
                keys.append(pick());
            return keys;
        };
        MetaroomEditor::EditRun typing;
        // A script of one room from x to x + 100 in a metaroom at this offset, read over the map.
        auto oneRoomScript = [&](int offsetX, int x, const char* more) {
            ScriptStart start;
            start.panelWidth = doc.surfaceSize().width();
            start.panelHeight = doc.surfaceSize().height();
            const QString text = QStringLiteral("setv va00 addm %1 0 800 600 \"m\"\n"
                                                "setv va01 addr va00 %2 %3 20 20 80 90\n")
                                     .arg(offsetX)
                                     .arg(x)
                                     .arg(x + 100);
            return ReadScript(text.toLatin1() + more, start);
        };
        // A picture of its own bitmap, which tells it from every other.
        auto picture = [&] {
            auto blocks = std::make_shared<TBlockList>();
            auto block = std::make_unique<TGraphicBlock>();
            block->SetBitmap(QImage(8, 8, QImage::Format_RGB32));
            block->SetOffset(rng.bounded(9999));
            blocks->push_back(std::move(block));
            return PictureGrid{blocks, 1, 1};
        };
        PictureGrid savedPicture;   // as the files were last read or written
        int offsetAnnouncements = 0;
        connect(&doc, &TMetaroomDocument::blockOffsetsChanged, &doc, [&] { ++offsetAnnouncements; });
        MetaroomEditor::EditRun typingRooms;
        const int steps = rng.bounded(1, 40);
        for (int step = 0; step < steps; ++step) {
            const State before = stateOf(doc);
            const int index = stack.index();
            const bool editsSavedBefore = !editor.editsUnsaved();
            const int what = doc.roomCount() == 0 ? 0 : rng.bounded(21);
            switch (what) {
            case 0:
                editor.addRoom(RoomRecord{shape(), rng.bounded(16), QString::number(step), {}, {}});
                QCOMPARE(doc.selection(), doc.roomAt(doc.roomCount() - 1));
                break;
            case 1: {   // added with a door from a room that was there, in one step
                const RoomKey from = pick();
                const RoomKey added = editor.addRoom(RoomRecord{shape(), 0, {}, {}, {}}, from, rng.bounded(101));
                QCOMPARE(doc.room(added).doors.size(), 1);
                QCOMPARE(doc.room(added).doors[0].target, from);
                break;
            }
            case 2: {
                const RoomKey key = pick();
                editor.deleteRoom(key);
                QVERIFY(!doc.contains(key));
                break;
            }
            case 3: {   // a drag of several moves, one step
                const RoomKey key = pick();
                const int gesture = MetaroomEditor::newMergeKey();
                for (int move = 0; move < 3; ++move)
                    editor.setRoomShape(key, Moved(doc.room(key).shape, rng.bounded(-9, 9), rng.bounded(-9, 9)),
                                        QStringLiteral("Move Room"), gesture);
                break;
            }
            case 4: {
                const RoomKey key = pick();
                RoomRecord r = doc.room(key);
                r.roomtype = rng.bounded(16);
                r.music += QLatin1Char('x');
                r.doors.clear();   // a change of the room leaves its doors alone
                editor.changeRoom(key, r, QStringLiteral("Change Room"));
                r.doors = before.records[before.order.indexOf(key)].doors;
                QCOMPARE(doc.room(key), r);
                break;
            }
            case 5: {
                const RoomKey key = pick();
                const int roomtype = rng.bounded(16);
                editor.setRoomType(key, roomtype);
                QCOMPARE(doc.room(key).roomtype, roomtype);
                break;
            }
            case 6: {
                const RoomKey key = pick();
                const QString music = rng.bounded(2) ? QString() : QStringLiteral("m%1").arg(step);
                editor.setRoomMusic(key, music);
                QCOMPARE(doc.room(key).music, music);
                break;
            }
            case 7: {
                const RoomKey a = pick(), b = pick();
                const int perm = rng.bounded(101);
                editor.setDoor(a, b, perm);
                QCOMPARE(doc.doorPerm(b, a), std::optional<int>(perm));
                break;
            }
            case 8: {
                const RoomKey key = pick();
                const QList<RoomDoor>& doors = doc.room(key).doors;
                const RoomKey other = doors.isEmpty() ? pick() : doors[rng.bounded(int(doors.size()))].target;
                editor.removeDoor(key, other);
                QCOMPARE(doc.doorIndex(other, key), -1);
                break;
            }
            case 9:
            case 10: {   // keys typed into one field: one step while nothing else came between
                MetaroomValues m = doc.metaroom();
                m.offsetX = rng.bounded(-1000, 1000);
                m.music = QStringLiteral("m%1").arg(step);
                editor.setMetaroom(m, QStringLiteral("Change Metaroom"), editor.mergeKeyFor(typing));
                editor.continueRun(typing);
                QCOMPARE(doc.metaroom(), m);
                break;
            }
            case 12: {   // a script read: its room, type and metaroom values in one step
                const int x = rng.bounded(500);
                const RoomKey added = editor.applyScript(oneRoomScript(rng.bounded(100), x, "rtyp va01 3\n"));
                QCOMPARE(doc.room(added).roomtype, 3);
                break;
            }
            case 20: {   // a script opened in place of the rooms: its room and values only
                const int x = rng.bounded(500);
                const RoomKey added = editor.replaceWithScript(oneRoomScript(7, x, ""));
                QCOMPARE(doc.rooms(), QList<RoomKey>{added});
                QCOMPARE(doc.room(added).shape, (RoomShape{x - 7, x + 93, 20, 20, 80, 90}));   // less the offset
                QCOMPARE(doc.metaroom().offsetX, 7);
                QVERIFY(doc.metaroom().music.isEmpty());
                break;
            }
            case 13: {
                const QList<RoomKey> keys = some();
                const int roomtype = rng.bounded(16);
                editor.setRoomsType(keys, roomtype);
                for (const RoomKey key : keys)
                    QCOMPARE(doc.room(key).roomtype, roomtype);
                break;
            }
            case 14: {   // music typed for several rooms: one step while nothing else came between
                const QList<RoomKey> keys = some();
                const QString music = rng.bounded(3) ? QStringLiteral("t%1").arg(step) : QString();
                editor.setRoomsMusic(keys, music, editor.mergeKeyFor(typingRooms));
                editor.continueRun(typingRooms);
                for (const RoomKey key : keys)
                    QCOMPARE(doc.room(key).music, music);
                break;
            }
            case 15: {   // a drag of several rooms together, one step; each move one edit of them
                const QList<RoomKey> keys = some();
                const int gesture = MetaroomEditor::newMergeKey();
                qint64 dx = 0, dy = 0;
                for (int move = 0; move < 3; ++move) {
                    const int mx = rng.bounded(-9, 9), my = rng.bounded(-9, 9);
                    const int editsBefore = mirror.editsOfSeveral();
                    const bool moved = editor.moveRooms(keys, mx, my, gesture);
                    QCOMPARE(mirror.editsOfSeveral(), editsBefore + (moved ? 1 : 0));
                    dx += mx;
                    dy += my;
                }
                for (const RoomKey key : keys)
                    QCOMPARE(doc.room(key).shape, Moved(before.records[before.order.indexOf(key)].shape, dx, dy));
                break;
            }
            case 16: {
                const QList<RoomKey> keys = some();
                const bool current = keys.contains(doc.selection());
                editor.deleteRooms(keys);
                for (const RoomKey key : keys)
                    QVERIFY(!doc.contains(key));
                if (current)
                    QCOMPARE(doc.selection(), doc.roomAt(0));
                break;
            }
            case 11: {
                const PictureGrid g = picture();
                editor.installPicture(g, QSize(128, 128), QStringLiteral("Import"));
                QVERIFY(editor.pictureUnsaved());
                break;
            }
            case 17: {   // a background opened: picture and the metaroom's file name, one step
                const PictureGrid g = picture();
                const QString path = QStringLiteral("b%1.blk").arg(rng.bounded(3));
                editor.openBackground(g, QSize(128, 128), path, rng.bounded(2) == 0);
                QCOMPARE(editor.backgroundFile(), path);
                QVERIFY(!editor.pictureUnsaved());
                savedPicture = g;
                break;
            }
            case 18: {   // named as the metaroom's background
                const QString path = QStringLiteral("b%1.blk").arg(rng.bounded(3));
                editor.setBackgroundName(path);
                QCOMPARE(doc.metaroom().filename, path);
                break;
            }
            case 19: {   // the picture saved: its blocks take the file's offsets, announced
                const int announced = offsetAnnouncements;
                editor.backgroundSaved(QStringLiteral("saved.blk"));
                QVERIFY(!editor.pictureUnsaved());
                if (doc.grid().blocks) {
                    QCOMPARE(offsetAnnouncements, announced + 1);
                    QCOMPARE(doc.grid().blocks->front()->Offset(), blk::savedOffsets(*doc.grid().blocks).front());
                }
                savedPicture = doc.grid();
                break;
            }
            }
            // Steps that only replace or name the picture leave a saved room script saved;
            // any other new step leaves it unsaved.
            if (what == 11 || what == 17 || what == 18 || what == 19)
                QCOMPARE(!editor.editsUnsaved(), editsSavedBefore);
            else if (stack.index() == index + 1)
                QVERIFY(editor.editsUnsaved());
            if (rng.bounded(6) == 0) {
                editor.roomFileWritten(QStringLiteral("map.cos"));
                QVERIFY(!editor.editsUnsaved());
            }
            checkInvariants(doc);
            // One step at most, and a step exactly when the map changed (a merged step
            // changes the map without a new index).
            QVERIFY(stack.index() - index <= 1);
            if (stack.index() == index + 1)
                QVERIFY(!(stateOf(doc) == before) || what == 11 || what == 17);
            else if (!(what == 3 || what == 9 || what == 10 || what == 14 || what == 15 || what == 19))
                QVERIFY(stateOf(doc) == before);
            states[stack.index()] = stateOf(doc);
            if (QTest::currentTestFailed())
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2, edit %3").arg(seed).arg(step).arg(what)));
            if (doc.roomCount() > 0 && rng.bounded(4) == 0)
                doc.select(pick());
            if (doc.roomCount() > 0 && rng.bounded(3) == 0) {   // a Ctrl+click
                const RoomKey key = pick();
                const bool was = doc.isSelected(key);
                doc.toggleSelected(key);
                QCOMPARE(doc.isSelected(key), !was);
                if (!was)
                    QCOMPARE(doc.selection(), key);
                if (doc.selection() == 0)
                    doc.select(pick());
                checkInvariants(doc);
            }
        }
        const State end = stateOf(doc);
        QVERIFY2(mirror.matches(), qPrintable(QStringLiteral("seed %1").arg(seed)));
        while (stack.canUndo()) {
            stack.undo();
            checkInvariants(doc);
            QCOMPARE(editor.pictureUnsaved(), doc.grid().blocks != savedPicture.blocks);
            QVERIFY2(stateOf(doc) == states.value(stack.index()),
                     qPrintable(QStringLiteral("seed %1, undo to %2").arg(seed).arg(stack.index())));
        }
        while (stack.canRedo())
            stack.redo();
        QVERIFY2(stateOf(doc) == end, qPrintable(QStringLiteral("seed %1, redo").arg(seed)));
        QVERIFY2(mirror.matches(), qPrintable(QStringLiteral("seed %1, mirror").arg(seed)));
    }
}

void TestDocument::appliedStepIsNotAppliedTwice()
{
    // A load makes its parts one by one; pushed, the step changes nothing more, and undo
    // and redo take and give back all of it.
    TMetaroomDocument doc;
    QUndoStack stack;
    auto* step = new AppliedStep(QStringLiteral("Load Room Defs"));
    auto* first = new AddRoomStep(&doc, RoomRecord{}, -1, false, step);
    first->redo();
    auto* second = new AddRoomStep(&doc, RoomRecord{}, -1, false, step);
    second->redo();
    (new SetDoorStep(&doc, first->key(), second->key(), 7, QString(), step))->redo();
    stack.push(step);
    QCOMPARE(doc.roomCount(), 2);
    QCOMPARE(doc.room(first->key()).doors, (QList<RoomDoor>{{second->key(), 7}}));
    stack.undo();
    QCOMPARE(doc.roomCount(), 0);
    stack.redo();
    QCOMPARE(doc.rooms(), (QList<RoomKey>{first->key(), second->key()}));
    QCOMPARE(doc.doorPerm(second->key(), first->key()), std::optional<int>(7));
    QCOMPARE(doc.selection(), RoomKey(0));
}

// The map's files and saved state through a script read, an import and a new map, none of
// which is a step.
void TestDocument::filesFollowReadsImportsAndANewMap()
{
    MetaroomEditor editor;
    TMetaroomDocument& doc = *editor.document();
    QUndoStack& stack = *editor.undoStack();
    QSignalSpy told(&editor, &MetaroomEditor::filesChanged);

    editor.addRoom(RoomRecord{});
    editor.roomFileRead(QStringLiteral("a.cos"), true);   // into an empty map: its file, saved
    QCOMPARE(editor.roomFile(), QStringLiteral("a.cos"));
    QVERIFY(!editor.editsUnsaved());
    editor.roomFileRead(QStringLiteral("b.cos"), false);   // added to rooms there: saved nowhere
    QCOMPARE(editor.roomFile(), QStringLiteral("a.cos"));
    QVERIFY(editor.editsUnsaved());
    QCOMPARE(stack.count(), 1);

    auto picture = [] {   // a bitmap of its own, which tells the picture from others
        auto blocks = std::make_shared<TBlockList>();
        blocks->push_back(std::make_unique<TGraphicBlock>());
        blocks->front()->SetBitmap(QImage(8, 8, QImage::Format_RGB32));
        return PictureGrid{blocks, 1, 1};
    };
    editor.openBackground(picture(), QSize(128, 128), QStringLiteral("old.blk"), false);
    editor.installPicture(picture(), QSize(128, 128), QStringLiteral("Import"));
    editor.pictureImported(QStringLiteral("p.png"));
    QCOMPARE(stack.count(), 3);
    QCOMPARE(editor.importedPicture(), QStringLiteral("p.png"));
    QVERIFY(editor.backgroundFile().isEmpty());   // a save must not write over old.blk
    QVERIFY(editor.pictureUnsaved());
    stack.undo();   // the picture before the import: no longer the imported one
    QVERIFY(editor.importedPicture().isEmpty());

    const int steps = stack.count();
    const int announced = told.count();
    editor.newMap(QSize(640, 480));
    QCOMPARE(told.count(), announced + 1);
    QVERIFY(steps > 0);
    QCOMPARE(stack.count(), 0);
    QCOMPARE(doc.roomCount(), 0);
    QVERIFY(!doc.grid().blocks);
    QCOMPARE(doc.surfaceSize(), QSize(640, 480));
    QCOMPARE(doc.metaroom(), MetaroomValues{});
    QVERIFY(editor.roomFile().isEmpty() && editor.backgroundFile().isEmpty());
    QVERIFY(!editor.hasUnsavedWork());
}

QTEST_GUILESS_MAIN(TestDocument)

#include "tst_document.moc"
