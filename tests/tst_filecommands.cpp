// Adding rooms where the user looks, doors on every shared edge, the window as the user left
// it, opening and loading room scripts, the names save dialogs offer, the error count after
// a save, and the credit line as a setting.
#include "testsupport.h"

#include "core/files/mapfiles.h"
#include "app/recentfiles.h"
#include "app/settings.h"
#include "app/statusbar.h"
#include "core/background/bitmapgrid.h"
#include "core/model/editor.h"
#include "core/model/roomplacement.h"
#include "core/model/snapshot.h"
#include "docks/problemsdock.h"
#include "docks/roomsdock.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QMenu>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>

namespace {

// Records the name each save or open dialog offered when it was asked.
class OfferingDialogs : public TestDialogs {
public:
    QStringList offered;
    std::optional<QString> chooseFile(QFileDialog* dialog) override
    {
        offered.append(QFileInfo(dialog->selectedFiles().value(0)).fileName());
        return TestDialogs::chooseFile(dialog);
    }
};

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// The picture pixel at the middle of the view.
QPoint viewCentre(const TMapView& view)
{
    const QPointF at = view.mapToScene(view.viewport()->rect().center());
    return QPoint(int(std::floor(at.x())), int(std::floor(at.y())));
}

RoomShape lastRoomShape(const TfrmMainForm& main)
{
    return main.Document->room(main.Document->roomAt(main.Document->roomCount() - 1)).shape;
}

bool inside(const RoomShape& s, QSize picture)
{
    return s.xl >= 0 && s.ytl >= 0 && s.xr < picture.width() && s.ybl < picture.height();
}

} // namespace

class TestFileCommands : public QObject {
    Q_OBJECT
private slots:
    void init();
    void addRoomWhereTheUserLooks();
    void shortcutsDoNotClash();
    void doorsOnAllSharedEdges();
    void windowComesBackAsLeft();
    void openReplacesLoadAdds();
    void saveDialogsOfferNames();
    void errorCountFollowsTheProblems();
    void creditLineIsAChoice();

private:
    QTemporaryDir dir;
    QString path(const QString& name) const { return dir.filePath(name); }
    QString picture(const QString& name, QSize size);
};

void TestFileCommands::init()
{
    recentfiles::userSettings()->clear();
}

QString TestFileCommands::picture(const QString& name, QSize size)
{
    const QString file = path(name);
    QImage image(size, QImage::Format_RGB32);
    image.fill(QColor(40, 90, 160));
    image.save(file);
    return file;
}

// Edit > Add Room and the toolbox's button put the room at the middle of the view, the
// map's menu at the mouse; each is one step and keeps the room on the picture.
void TestFileCommands::addRoomWhereTheUserLooks()
{
    Editor e;
    TestDialogs host;
    e.main->resize(700, 500);
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    const QSize pic(1536, 896);   // whole blocks
    e.main->ImportBitmap(picture(QStringLiteral("wide.png"), pic));
    QRandomGenerator rng(23);
    MapMouse mouse(e.main);
    for (int round = 0; round < 60; ++round) {
        e.main->scbImage->setZoom(std::ldexp(1.0, rng.bounded(-2, 3)));
        QScrollBar* h = e.main->scbImage->horizontalScrollBar();
        QScrollBar* v = e.main->scbImage->verticalScrollBar();
        h->setValue(h->minimum() + rng.bounded(h->maximum() - h->minimum() + 1));
        v->setValue(v->minimum() + rng.bounded(v->maximum() - v->minimum() + 1));
        const int steps = e.main->UndoStack->count();
        QPoint want;
        switch (round % 3) {
        case 0:
            want = viewCentre(*e.main->scbImage);
            e.main->AddRoom1->trigger();
            break;
        case 1:
            want = viewCentre(*e.main->scbImage);
            e.tool->btnAddRoom->click();
            break;
        default:
            // Near the edges now and then, where the room is held back.
            want = QPoint(rng.bounded(-20, pic.width() + 20), rng.bounded(-20, pic.height() + 20));
            want = QPoint(std::clamp(want.x(), 0, pic.width() - 1), std::clamp(want.y(), 0, pic.height() - 1));
            // The menu is asked for where the map shows that pixel; zoomed out, a screen
            // pixel shows several, and the menu takes the one it reports.
            e.main->scbImage->centerOn(want);
            QSignalSpy asked(e.main->scbImage, &TMapView::mapMenuRequested);
            mouse.menu(want);
            QCOMPARE(asked.size(), 1);
            want = asked.first().first().toPoint();
            QVERIFY(e.main->MapMenu->isVisible());
            e.main->MapMenu->hide();
            QVERIFY(e.main->AddRoomHere1->isEnabled());
            e.main->AddRoomHere1->trigger();
        }
        QCOMPARE(e.main->UndoStack->count(), steps + 1);
        const RoomShape s = lastRoomShape(*e.main);
        QVERIFY2(inside(s, pic), qPrintable(QStringLiteral("round %1").arg(round)));
        QCOMPARE(s.xr - s.xl, RoomShape{}.xr - RoomShape{}.xl);
        // Centred, unless the picture's edge held it back toward the middle.
        const QPoint mid = MiddleOf(s);
        if (s.xl > 0 && s.xr < pic.width() - 1)
            QCOMPARE(mid.x(), want.x());
        else
            QVERIFY(std::abs(mid.x() - pic.width() / 2) < std::abs(want.x() - pic.width() / 2) + 1);
        if (s.ytl > 0 && s.ybl < pic.height() - 1)
            QCOMPARE(mid.y(), want.y());
        QCOMPARE(e.main->SelectedRoom, e.main->Rooms.last());
    }
    e.main->UndoStack->undo();
    QCOMPARE(e.main->Document->roomCount(), 59);
}

// Every shortcut of the main window's actions is its own.
void TestFileCommands::shortcutsDoNotClash()
{
    Editor e;
    QHash<QKeySequence, QString> owner;
    for (const QAction* a : e.main->findChildren<QAction*>()) {
        for (const QKeySequence& key : a->shortcuts()) {
            QVERIFY2(!owner.contains(key) || owner[key] == a->objectName(),
                     qPrintable(key.toString() + " is " + owner[key] + " and " + a->objectName()));
            owner[key] = a->objectName();
        }
    }
    QCOMPARE(owner.value(QKeySequence(Qt::CTRL | Qt::Key_R)), QStringLiteral("AddRoom1"));
}

// Edit > Doors on All Shared Edges: a door line at the toolbox's permeability on each shared
// edge that has none, as one step, and the status line counts them.
void TestFileCommands::doorsOnAllSharedEdges()
{
    Editor e;
    ErrorCapture errors;
    auto add = [&](qint64 xl, qint64 xr, qint64 top, qint64 bottom) {
        RoomRecord r;
        r.shape = {xl, xr, top, top, bottom, bottom};
        return e.main->Editor->addRoom(r);
    };
    const RoomKey a = add(0, 100, 0, 100), b = add(100, 200, 0, 100), c = add(200, 300, 0, 100);
    const RoomKey d = add(0, 100, 100, 200);
    e.main->Editor->setDoor(a, b, 0);   // has one already
    e.tool->edtPerm->setText(QStringLiteral("50"));
    const int steps = e.main->UndoStack->index();
    e.main->DoorsOnEdges1->trigger();
    QCOMPARE(e.main->UndoStack->index(), steps + 1);
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("Made 2 door lines on shared edges"));
    const TMetaroomDocument& doc = *e.main->Document;
    QCOMPARE(doc.doorPerm(a, b), std::optional<int>(0));
    QCOMPARE(doc.doorPerm(b, c), std::optional<int>(50));
    QCOMPARE(doc.doorPerm(a, d), std::optional<int>(50));
    e.main->UndoStack->undo();
    QCOMPARE(doc.doorPerm(b, c), std::optional<int>());

    // A permeability the game refuses makes nothing and says why.
    e.tool->edtPerm->setText(QStringLiteral("150"));
    e.main->DoorsOnEdges1->trigger();
    QCOMPARE(errors.messages.size(), 1);
    QCOMPARE(doc.doorPerm(b, c), std::optional<int>());
    QCOMPARE(e.main->UndoStack->index(), steps);
}

// Size, place, zoom and docks are kept when the window closes and come back at the next
// start; a first start keeps the window as made.
void TestFileCommands::windowComesBackAsLeft()
{
    {
        Editor first;
        first.main->RestoreWindowState();
        QCOMPARE(first.main->size(), QSize(640, 480));
        QCOMPARE(first.main->scbImage->zoom(), 1.0);
        first.main->show();
        QVERIFY(QTest::qWaitForWindowExposed(first.main));
        first.main->resize(900, 700);
        first.main->move(40, 30);
        first.main->scbImage->setZoom(2);
        first.main->dockRooms->show();
        first.main->dockProblems->hide();
        QTest::qWait(50);
        TestDialogs host;
        QVERIFY(first.main->close());
    }
    Editor next;
    next.main->RestoreWindowState();
    next.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(next.main));
    QCOMPARE(next.main->size(), QSize(900, 700));
    QCOMPARE(next.main->pos(), QPoint(40, 30));
    QCOMPARE(next.main->scbImage->zoom(), 2.0);
    QVERIFY(next.main->dockRooms->isVisible());
    QVERIFY(!next.main->dockProblems->isVisible());
    QVERIFY(next.main->ShowRooms1->isChecked());
    QVERIFY(!next.main->ShowProblems1->isChecked());
}

// File > Open takes a room script in place of the map's rooms, after the question; Load
// Room Defs adds, and says how many to how many.
void TestFileCommands::openReplacesLoadAdds()
{
    const QString script = path(QStringLiteral("two.cos"));
    writeFile(script, "setv va00 addm 0 0 800 600 \"two\"\r\n"
                      "setv va01 addr va00 10 60 10 10 60 60\r\n"
                      "setv va02 addr va00 60 110 10 10 60 60\r\n"
                      "door va01 va02 40\r\n");
    Editor e;
    OfferingDialogs host;
    e.main->ImportBitmap(picture(QStringLiteral("house.png"), QSize(800, 600)));
    for (int i = 0; i < 3; ++i)
        e.main->AddRoom();
    const int stepsBefore = e.main->UndoStack->count();

    // Load adds.
    e.main->LoadRoomDefs(script);
    QCOMPARE(e.main->Document->roomCount(), 5);
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("Added 2 rooms from two.cos to the 3 on the map, 5 now"));
    e.main->UndoStack->undo();

    // Open asks first; Cancel changes nothing.
    QMessageBox::StandardButton answer = QMessageBox::Cancel;
    host.modal = [&answer](QDialog* dialog) {
        return dialog->objectName() == QLatin1String("msgUnsavedWork") ? int(answer) : int(QDialog::Rejected);
    };
    host.answer(script);
    e.main->Open1->trigger();
    QCOMPARE(host.asked, QStringList{"msgUnsavedWork"});
    QCOMPARE(e.main->Document->roomCount(), 3);
    QVERIFY(e.main->odgBLK->nameFilters().join(' ').contains(QLatin1String("*.cos")));

    // Discard: the script's rooms in place of the map's, the picture kept, one step.
    answer = QMessageBox::Discard;
    const PictureGrid grid = e.main->Document->grid();
    e.main->Open1->trigger();
    QCOMPARE(e.main->Document->roomCount(), 2);
    QCOMPARE(e.main->Document->room(e.main->Document->roomAt(0)).shape, (RoomShape{10, 60, 10, 10, 60, 60}));
    QCOMPARE(e.main->Document->doorPerm(e.main->Document->roomAt(0), e.main->Document->roomAt(1)), std::optional<int>(40));
    QCOMPARE(e.main->Document->grid().blocks, grid.blocks);
    QCOMPARE(e.main->Document->metaroom().filename, QStringLiteral("two"));
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("Opened two.cos: 2 rooms"));
    QCOMPARE(e.main->RoomFile(), script);
    QVERIFY(!e.main->EditsUnsaved());
    QCOMPARE(e.main->UndoStack->count(), stepsBefore + 1);
    QCOMPARE(e.main->UndoStack->undoText(), QStringLiteral("Open Room Defs"));
    e.main->UndoStack->undo();
    QCOMPARE(e.main->Document->roomCount(), 3);
    e.main->UndoStack->redo();

    // Into an empty map it says so.
    e.main->NewMap();
    e.main->LoadRoomDefs(script);
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("Loaded 2 rooms from two.cos"));

    // A script that cannot be read leaves the map as it was.
    ErrorCapture errors;
    const QString bad = path(QStringLiteral("bad.cos"));
    writeFile(bad, "setv va00 addm 0 0 800 600 \"bad\"\r\nsetv va01 addr va00 10 x 10 10 60 60\r\n");
    host.answer(bad);
    e.main->Open1->trigger();
    QCOMPARE(errors.messages.size(), 1);
    QCOMPARE(e.main->Document->roomCount(), 2);
}

// Save dialogs offer the picture's name with their extension, or the file's own name.
void TestFileCommands::saveDialogsOfferNames()
{
    using mapfiles::Kind;
    using mapfiles::suggestedSaveName;
    // The rule, over every mix of the three files.
    const QString room = QStringLiteral("/a/rooms.cos"), back = QStringLiteral("/b/back.blk"),
                  imported = QStringLiteral("/c/house.v2.png");
    for (int mask = 0; mask < 8; ++mask) {
        const QString r = mask & 1 ? room : QString(), b = mask & 2 ? back : QString(), i = mask & 4 ? imported : QString();
        const QString forBlk = suggestedSaveName(Kind::Background, r, b, i);
        const QString forCos = suggestedSaveName(Kind::RoomScript, r, b, i);
        QCOMPARE(forBlk, !b.isEmpty() ? back : !i.isEmpty() ? QStringLiteral("/c/house.v2.blk")
                                        : !r.isEmpty() ? QStringLiteral("/a/rooms.blk") : QString());
        QCOMPARE(forCos, !r.isEmpty() ? room : !b.isEmpty() ? QStringLiteral("/b/back.cos")
                                        : !i.isEmpty() ? QStringLiteral("/c/house.v2.cos") : QString());
    }

    // Through the dialogs: house.png imported gives house.blk and house.cos...
    Editor e;
    OfferingDialogs host;
    e.main->ImportBitmap(picture(QStringLiteral("house.png"), QSize(300, 200)));
    e.main->AddRoom();
    e.main->Save1->trigger();
    e.main->SaveRoomDefs1->trigger();
    QCOMPARE(host.offered, QStringList({"house.blk", "house.cos"}));
    // ... Save All asks both names with them.
    host.offered.clear();
    host.answer(path(QStringLiteral("house.blk")));
    host.answer(path(QStringLiteral("other.cos")));
    QVERIFY(e.main->SaveAll());
    QCOMPARE(host.offered, QStringList({"house.blk", "house.cos"}));

    // A picture opened from a background file gives its name to the room script.
    Editor opened;
    host.offered.clear();
    opened.main->LoadBackground(path(QStringLiteral("house.blk")));
    opened.main->SaveRoomDefs1->trigger();
    QCOMPARE(host.offered, QStringList({"house.cos"}));
}

// The count of errors on the status line after a save follows the problems while that line
// is shown.
void TestFileCommands::errorCountFollowsTheProblems()
{
    Editor e;
    TestDialogs host;
    RoomRecord r;
    r.shape = {0, 100, 0, 0, 100, 100};
    const RoomKey a = e.main->Editor->addRoom(r);
    r.shape = {300, 400, 0, 0, 100, 100};
    const RoomKey b = e.main->Editor->addRoom(r);
    r.shape = {600, 700, 0, 0, 100, 100};
    const RoomKey c = e.main->Editor->addRoom(r);
    e.main->Editor->setDoor(a, b, 50);   // rooms that share no edge: the game stops there
    host.answer(path(QStringLiteral("rooms.cos")));
    e.main->SaveRoomDefs1->trigger();
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("Saved rooms.cos: 1 error the game will trip on (see Problems)"));

    // Mended after the save: the line tells the count now.
    e.main->Editor->removeDoor(a, b);
    e.main->dockProblems->checkNow();
    QTRY_COMPARE(e.main->StatusBar->text(), QStringLiteral("Saved rooms.cos; the map now has no errors"));
    e.main->Editor->setDoor(a, b, 50);
    e.main->Editor->setDoor(a, c, 50);
    e.main->dockProblems->checkNow();
    QTRY_COMPARE(e.main->StatusBar->text(),
                 QStringLiteral("Saved rooms.cos; the map now has 2 errors the game will trip on (see Problems)"));
    e.main->Editor->removeDoor(a, c);
    e.main->dockProblems->checkNow();
    QTRY_COMPARE(e.main->StatusBar->text(), QStringLiteral("Saved rooms.cos: 1 error the game will trip on (see Problems)"));

    // Once another line took its place, the count goes no more.
    e.main->StatusBar->setText(QStringLiteral("something else"));
    e.main->Editor->removeDoor(a, b);
    e.main->Editor->removeDoor(a, c);
    e.main->dockProblems->checkNow();
    QTest::qWait(20);
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("something else"));
}

// Import Bitmap stamps the credit line unless the setting says no; the setting is kept.
void TestFileCommands::creditLineIsAChoice()
{
    const QString file = picture(QStringLiteral("plain.png"), QSize(400, 200));
    const QImage expected = QImage(file).convertToFormat(QImage::Format_RGB32);
    QImage stamped = expected;
    bitmapgrid::stampCredit(stamped);
    QVERIFY(stamped != expected);
    auto importedTopLeft = [&](TfrmMainForm& main) {
        main.ImportBitmap(file);
        return (*main.Blocks)[0]->Bitmap;
    };
    auto toBlock = [](const QImage& image) { return bitmapgrid::cutIntoBlocks(QImage(image))->front()->Bitmap; };

    Editor e;
    TestDialogs host;
    QCOMPARE(importedTopLeft(*e.main), toBlock(stamped));   // by default

    bool shownChecked = false;
    auto setTo = [&](bool stamp) {
        host.modal = [&shownChecked, stamp](QDialog* dialog) {
            auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("chkStampCredit"));
            shownChecked = box->isChecked();
            box->setChecked(stamp);
            return int(QDialog::Accepted);
        };
        e.main->Settings1->trigger();
    };
    setTo(false);
    QVERIFY(shownChecked);
    QCOMPARE(importedTopLeft(*e.main), toBlock(expected));
    // Kept for the next run.
    QVERIFY(!editorsettings::stampCredit(*recentfiles::userSettings()));
    Editor later;
    QCOMPARE(importedTopLeft(*later.main), toBlock(expected));
    setTo(true);
    QVERIFY(!shownChecked);
    QCOMPARE(importedTopLeft(*e.main), toBlock(stamped));
}

PLSD_TEST_MAIN(TestFileCommands)
#include "tst_filecommands.moc"
