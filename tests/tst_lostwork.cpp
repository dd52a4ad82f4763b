// No lost work: the modified state and the title, the question before unsaved work goes
// with each of its answers, Save All, New, Recent Files, and files given from outside.
#include "testsupport.h"
#include "hostilefiles.h"
#include "core/model/steps.h"

#include "app/recentfiles.h"
#include "app/settings.h"
#include "app/statusbar.h"
#include "core/common/memorybudget.h"
#include "app/startup.h"
#include "app/pictureinstall.h"
#include "core/background/bitmapgrid.h"
#include "view/room.h"
#include "app/roomscriptfiles.h"

#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QMimeData>
#include <QRandomGenerator>
#include <QSettings>
#include <QTemporaryDir>
#include <QUndoStack>
#include <QWindow>

namespace {

// The smallest step there is: makes the map unsaved as any edit would.
class TestEdit : public QUndoCommand {
public:
    explicit TestEdit(int& value)
        : QUndoCommand(QStringLiteral("Test Edit"))
        , value(value)
    {
    }
    void redo() override { ++value; }
    void undo() override { --value; }

private:
    int& value;
};

QString shownTitle(TfrmMainForm& form)
{
    return form.windowHandle() ? form.windowHandle()->title() : QString();
}

QByteArray readAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList recentMenu(const TfrmMainForm& form)
{
    QStringList texts;
    for (const QAction* a : form.RecentFiles1->actions())
        texts.append(a->text());
    return texts;
}

} // namespace

class TestLostWork : public QObject {
    Q_OBJECT
private slots:
    void init();
    void savedStateFollowsTheStack();
    void pictureSavedOrNot();
    void questions_data();
    void questions();
    void saveThatDoesNotHappenDoesNotGoOn();
    void saveAll();
    void fullDisk();
    void memoryLimitSetting();
    void newMap();
    void recentFilesList();
    void recentFilesMenu();
    void filesFromOutside();

private:
    QTemporaryDir dir;
    QString picturePath;   // a bitmap of 2 x 1 blocks
    QString path(const QString& name) const { return dir.filePath(name); }
};

void TestLostWork::init()
{
    recentfiles::write(*recentfiles::userSettings(), {});
    picturePath = path(QStringLiteral("picture.bmp"));
    QImage picture(200, 100, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QVERIFY(picture.save(picturePath, "BMP"));
}

void TestLostWork::savedStateFollowsTheStack()
{
    Editor e;
    TestDialogs host;
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    QCOMPARE(shownTitle(*e.main), QStringLiteral("Palisandre"));
    QVERIFY(!e.main->Undo1->isEnabled());
    QVERIFY(!e.main->Redo1->isEnabled());

    int value = 0;
    e.main->UndoStack->push(new TestEdit(value));
    QVERIFY(e.main->isWindowModified());
    QCOMPARE(shownTitle(*e.main), QStringLiteral("Palisandre*"));
    QCOMPARE(e.main->Undo1->text(), QStringLiteral("&Undo Test Edit"));
    QVERIFY(e.main->Undo1->isEnabled());
    e.main->Undo1->trigger();
    QCOMPARE(value, 0);
    QVERIFY(!e.main->isWindowModified());
    QCOMPARE(e.main->Redo1->text(), QStringLiteral("&Redo Test Edit"));
    e.main->Redo1->trigger();
    QVERIFY(e.main->isWindowModified());

    // Saved: the title names the room file; undoing back to the saved step counts as saved.
    e.main->SaveRoomDefs(path(QStringLiteral("tunnels.cos")));
    QVERIFY(!e.main->isWindowModified());
    QCOMPARE(e.main->RoomFile(), path(QStringLiteral("tunnels.cos")));
    QCOMPARE(e.main->windowTitle(), QStringLiteral("tunnels.cos[*] - Palisandre"));
    QCOMPARE(shownTitle(*e.main), QStringLiteral("tunnels.cos - Palisandre"));
    e.main->UndoStack->push(new TestEdit(value));
    QCOMPARE(shownTitle(*e.main), QStringLiteral("tunnels.cos* - Palisandre"));
    e.main->UndoStack->undo();
    QVERIFY(!e.main->isWindowModified());
    e.main->UndoStack->undo();
    QVERIFY(e.main->isWindowModified());

    // A script loaded into a map with rooms adds them to it: nothing of that is saved yet.
    e.main->UndoStack->redo();
    e.main->AddRoom();
    e.main->LoadRoomDefs(path(QStringLiteral("tunnels.cos")));
    QVERIFY(e.main->isWindowModified());
    QCOMPARE(e.main->RoomFile(), path(QStringLiteral("tunnels.cos")));
    e.main->hide();
}

void TestLostWork::pictureSavedOrNot()
{
    Editor e;
    // A picture from a bitmap is in no background file: unsaved, and nothing names the map.
    e.main->ImportBitmap(picturePath);
    QVERIFY(e.main->PictureUnsaved());
    QVERIFY(e.main->isWindowModified());
    QCOMPARE(e.main->windowTitle(), QStringLiteral("Palisandre[*]"));
    const QString blk = path(QStringLiteral("hills.blk"));
    e.main->SaveBackground(blk);
    QVERIFY(!e.main->isWindowModified());
    QCOMPARE(e.main->BackgroundFile(), blk);
    // The background file names the map until it has a room file.
    QCOMPARE(e.main->windowTitle(), QStringLiteral("hills.blk[*] - Palisandre"));
    e.main->SaveRoomDefs(path(QStringLiteral("caves.cos")));
    QCOMPARE(e.main->windowTitle(), QStringLiteral("caves.cos[*] - Palisandre"));

    // A step that replaces the picture, undone, puts the saved picture back.
    QImage other(128, 128, QImage::Format_RGB32);
    other.fill(Qt::red);
    e.main->UndoStack->push(new PictureStep(e.main->Document,
                                               {std::shared_ptr<TBlockList>(bitmapgrid::cutIntoBlocks(other)), 1, 1},
                                               QSize(128, 128), QStringLiteral("Swap Picture")));
    QCOMPARE(e.main->BlockColumns, 1);
    QVERIFY(e.main->PictureUnsaved());
    e.main->UndoStack->undo();
    QCOMPARE(e.main->BlockColumns, 2);
    QVERIFY(!e.main->PictureUnsaved());
    QVERIFY(!e.main->isWindowModified());
    e.main->UndoStack->redo();
    QVERIFY(e.main->PictureUnsaved());
    e.main->LoadBackground(blk);
    QVERIFY(!e.main->PictureUnsaved());

    // Imported again, the picture has no file: saving it must not write over hills.blk.
    e.main->ImportBitmap(picturePath);
    QVERIFY(e.main->BackgroundFile().isEmpty());
    QVERIFY(e.main->PictureUnsaved());
}

void TestLostWork::questions_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<int>("answer");
    for (const char* command : {"close", "Quit", "New", "Open", "Import Bitmap"}) {
        QTest::addRow("%s, Save", command) << command << int(QMessageBox::Save);
        QTest::addRow("%s, Discard", command) << command << int(QMessageBox::Discard);
        QTest::addRow("%s, Cancel", command) << command << int(QMessageBox::Cancel);
    }
}

void TestLostWork::questions()
{
    QFETCH(QString, command);
    QFETCH(int, answer);
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    const QString blk = path(QStringLiteral("open.blk"));
    e.main->ImportBitmap(picturePath);
    e.main->SaveBackground(blk);
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    QSignalSpy closed(e.main, &TfrmMainForm::closed);
    int value = 0;
    e.main->UndoStack->push(new TestEdit(value));
    const int steps = e.main->UndoStack->count();
    const TBlockList* picture = e.main->Blocks.get();

    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    host.modal = [&](QDialog* dialog) {
        auto* box = qobject_cast<QMessageBox*>(dialog);
        if (box) {
            buttons = box->standardButtons();
            defaultButton = box->standardButton(box->defaultButton());
        }
        return answer;
    };
    const QString cos = path(QStringLiteral("%1 %2.cos").arg(command).arg(answer));
    QStringList expected{QStringLiteral("msgUnsavedWork")};
    if (answer == QMessageBox::Save) {
        host.answer(cos);   // the room script has no file yet
        expected.append(QStringLiteral("sdgCOS"));
    }
    if (command == QLatin1String("Open")) {
        host.answer(blk);
        expected.append(QStringLiteral("odgBLK"));
    } else if (command == QLatin1String("Import Bitmap")) {
        host.answer(picturePath);
        expected.append(QStringLiteral("odgBMP"));
    }
    if (answer == QMessageBox::Cancel)
        expected = expected.mid(0, 1);

    if (command == QLatin1String("close"))
        e.main->close();
    else if (command == QLatin1String("Quit"))
        e.main->N3->trigger();
    else if (command == QLatin1String("New"))
        e.main->New1->trigger();
    else if (command == QLatin1String("Open"))
        e.main->Open1->trigger();
    else
        e.main->ImportBitmap1->trigger();

    QCOMPARE(host.asked, expected);
    QCOMPARE(buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
    QCOMPARE(defaultButton, QMessageBox::Save);
    QVERIFY(errors.messages.isEmpty());
    QCOMPARE(QFile::exists(cos), answer == QMessageBox::Save);
    bool wentOn = false;
    if (command == QLatin1String("close") || command == QLatin1String("Quit"))
        wentOn = closed.count() == 1 && !e.main->isVisible();
    else if (command == QLatin1String("New"))
        wentOn = e.main->UndoStack->count() == 0 && !e.main->Blocks;
    else
        wentOn = e.main->Blocks.get() != picture;
    QCOMPARE(wentOn, answer != QMessageBox::Cancel);
    if (answer == QMessageBox::Cancel) {
        QVERIFY(e.main->isVisible());
        QCOMPARE(closed.count(), 0);
        QCOMPARE(e.main->UndoStack->count(), steps);
        QCOMPARE(value, 1);
        QVERIFY(e.main->Blocks.get() == picture);
        QVERIFY(e.main->isWindowModified());
    }
    e.main->hide();
}

void TestLostWork::saveThatDoesNotHappenDoesNotGoOn()
{
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    int value = 0;
    e.main->UndoStack->push(new TestEdit(value));
    host.modal = [](QDialog*) { return int(QMessageBox::Save); };

    // Cancelled at its name, then failing (a folder that does not exist), for each command.
    const QString nowhere = path(QStringLiteral("missing/x.cos"));
    for (QAction* command : {e.main->N3, e.main->New1, e.main->Open1, e.main->ImportBitmap1}) {
        host.asked.clear();
        host.cancel();
        command->trigger();
        host.answer(nowhere);
        command->trigger();
        QCOMPARE(host.asked, QStringList({"msgUnsavedWork", "sdgCOS", "msgUnsavedWork", "sdgCOS"}));
    }
    QCOMPARE(errors.messages, QStringList(4, "Cannot create file " + nowhere + ": No such file or directory"));
    QVERIFY(e.main->isVisible());
    QCOMPARE(e.main->UndoStack->count(), 1);
    QVERIFY(e.main->isWindowModified());
    QVERIFY(!e.main->Blocks);

    // The picture's name cancelled: the room script is not asked for either.
    e.main->ImportBitmap(picturePath);
    host.asked.clear();
    host.cancel();
    QVERIFY(!e.main->close());
    QCOMPARE(host.asked, QStringList({"msgUnsavedWork", "sdgBLK"}));
    e.main->hide();
}

void TestLostWork::saveAll()
{
    Editor e;
    TestDialogs host;
    host.modal = [](QDialog*) { return int(QMessageBox::Cancel); };
    e.main->SaveAll1->trigger();   // nothing to save
    QVERIFY(host.asked.isEmpty());

    e.main->ImportBitmap(picturePath);
    e.main->AddRoom();
    const QString blk = path(QStringLiteral("all.blk"));
    const QString cos = path(QStringLiteral("all.cos"));
    host.answer(blk);
    host.answer(cos);
    e.main->SaveAll1->trigger();
    QCOMPARE(host.asked, QStringList({"sdgBLK", "sdgCOS"}));
    QVERIFY(!e.main->isWindowModified());
    QCOMPARE(e.main->BackgroundFile(), blk);
    QCOMPARE(e.main->RoomFile(), cos);
    QCOMPARE(e.tool->MetaroomFilename, blk);   // as File > Save does
    QVERIFY(readAll(cos).contains("\"all\""));

    // Again, after an edit: to the room file without a question; the saved picture stays.
    QVERIFY(QFile::remove(blk));
    int value = 0;
    e.main->UndoStack->push(new TestEdit(value));
    e.main->AddRoom();
    host.asked.clear();
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    QApplication::setActiveWindow(e.main);
    QTest::keyClick(e.main, Qt::Key_S, Qt::ControlModifier);
    QVERIFY(host.asked.isEmpty());
    QVERIFY(!e.main->isWindowModified());
    QVERIFY(!QFile::exists(blk));
    QCOMPARE(readAll(cos).count(" addr "), 2);
    e.main->hide();
}

// Each save of the editor onto a full disk: the old file stays, the message names the
// reason, the map stays unsaved, and the status line never says it was saved.
void TestLostWork::fullDisk()
{
    hostile::SmallDisk disk;
    if (!disk.mounted)
        QSKIP(qPrintable(disk.why));
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    e.main->ImportBitmap(picturePath);
    e.main->AddRoom();
    const QString cos = disk.path(QStringLiteral("map.cos"));
    const QString blk = disk.path(QStringLiteral("map.blk"));
    const QString png = disk.path(QStringLiteral("map.png"));
    for (const QString& file : {cos, blk, png}) {
        QFile old(file);
        QVERIFY(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    }
    const QStringList names = disk.names();
    QVERIFY(disk.fill());

    const struct {
        QAction* command;
        QString path;
    } saves[] = {{e.main->SaveRoomDefs1, cos}, {e.main->Save1, blk}, {e.main->ExportBitmap1, png},
                 {e.main->SaveAll1, blk}};
    for (const auto& save : saves) {
        errors.messages.clear();
        e.main->StatusBar->setText(QStringLiteral("before"));
        host.answer(save.path);
        save.command->trigger();
        QCOMPARE(errors.messages, QStringList("Cannot write file " + save.path + ": No space left on device"));
        QCOMPARE(readAll(save.path), QByteArray("old"));
        QCOMPARE(disk.names(), names);
        QVERIFY(e.main->isWindowModified());
        QVERIFY(e.main->PictureUnsaved());
        QVERIFY(e.main->EditsUnsaved());
        QVERIFY(e.main->RoomFile().isEmpty() && e.main->BackgroundFile().isEmpty());
        QVERIFY2(!e.main->StatusBar->text().contains(QStringLiteral("Saved")), qPrintable(e.main->StatusBar->text()));
        QVERIFY2(!e.main->StatusBar->text().contains(QStringLiteral("saved")), qPrintable(e.main->StatusBar->text()));
    }
    // The room script alone, through Save All once the picture has its file elsewhere.
    e.main->SaveBackground(path(QStringLiteral("elsewhere.blk")));
    errors.messages.clear();
    host.answer(cos);
    e.main->SaveAll1->trigger();
    QCOMPARE(errors.messages, QStringList("Cannot write file " + cos + ": No space left on device"));
    QCOMPARE(readAll(cos), QByteArray("old"));
    QVERIFY(e.main->EditsUnsaved());
    QVERIFY(e.main->RoomFile().isEmpty());
}

// Edit > Settings: the memory limit is kept in the settings and taken at once.
void TestLostWork::memoryLimitSetting()
{
    editorsettings::setMemoryLimit(*recentfiles::userSettings(), memorybudget::DefaultLimit);
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    QCOMPARE(memorybudget::limit(), memorybudget::DefaultLimit);
    host.modal = [](QDialog* dialog) {
        dialog->findChild<QSpinBox*>(QStringLiteral("spnMemoryLimit"))->setValue(16);
        return int(QDialog::Accepted);
    };
    e.main->Settings1->trigger();
    QCOMPARE(host.asked, QStringList{"frmSettings"});
    QCOMPARE(memorybudget::limit(), qint64(16) << 20);

    // A picture that needs more is refused now; a new window takes the same limit.
    const QString middle = path(QStringLiteral("middle.bmp"));
    QVERIFY(QImage(2000, 1500, QImage::Format_RGB32).save(middle));
    e.main->OpenFiles({middle});
    QCOMPARE(errors.messages, QStringList(middle + " claims 2000 x 1500 pixels, 20 MB; the limit is 16 MB"));
    memorybudget::setLimit(memorybudget::DefaultLimit);
    Editor later;
    QCOMPARE(memorybudget::limit(), qint64(16) << 20);

    // Cancel keeps what was there; back to the default.
    host.modal = [](QDialog* dialog) {
        dialog->findChild<QSpinBox*>(QStringLiteral("spnMemoryLimit"))->setValue(4096);
        return int(QDialog::Rejected);
    };
    e.main->Settings1->trigger();
    QCOMPARE(memorybudget::limit(), qint64(16) << 20);
    int shown = 0;
    host.modal = [&shown](QDialog* dialog) {
        shown = dialog->findChild<QSpinBox*>(QStringLiteral("spnMemoryLimit"))->value();
        dialog->findChild<QSpinBox*>(QStringLiteral("spnMemoryLimit"))->setValue(1024);
        return int(QDialog::Accepted);
    };
    e.main->Settings1->trigger();
    QCOMPARE(shown, 16);
    QCOMPARE(memorybudget::limit(), memorybudget::DefaultLimit);
    e.main->OpenFiles({middle});
    QCOMPARE(errors.messages.size(), 1);
}

void TestLostWork::newMap()
{
    Editor e;
    TestDialogs host;
    host.modal = [](QDialog*) { return int(QMessageBox::Discard); };
    e.main->ImportBitmap(picturePath);
    e.main->AddRoom();
    e.main->AddRoom();
    e.main->Rooms[0]->SetDoor(e.main->Rooms[1], 40);
    e.main->Rooms[1]->SetDoor(e.main->Rooms[0], 40);
    e.tool->SetOffsetX(100);
    e.tool->SetOffsetY(-20);
    e.tool->edtMetaRoomID->setText(QStringLiteral("7"));
    e.tool->edtSubRoomStartID->setText(QStringLiteral("5"));
    e.tool->edtDefaultRoomType->setText(QStringLiteral("3"));
    e.tool->edtMetaroomMusic->setText(QStringLiteral("music"));
    e.tool->edtFilename->setText(QStringLiteral("file.blk"));
    e.main->SaveRoomDefs(path(QStringLiteral("before-new.cos")));
    int value = 0;
    e.main->UndoStack->push(new TestEdit(value));
    // A door waiting for its second room, with a permeability that does not convert.
    e.main->SelectRoom(e.main->Rooms[0]);
    e.tool->edtPerm->setText(QStringLiteral("x"));
    e.tool->btnAddDoorClick();
    ErrorCapture errors;

    e.main->New1->trigger();
    QCOMPARE(host.asked, QStringList({"msgUnsavedWork"}));
    QVERIFY(errors.messages.isEmpty());
    // Rooms, doors, metaroom values and picture as in a window just made.
    const Editor fresh;
    QVERIFY(collectRoomDefs(*e.main) == collectRoomDefs(*fresh.main));
    QVERIFY(!e.main->SelectedRoom);
    QVERIFY(!e.tool->ShownRoom);
    QVERIFY(!e.tool->DoorPending);
    QVERIFY(!e.main->Blocks);
    QCOMPARE(e.main->BlockColumns, 0);
    QCOMPARE(e.main->BlockRows, 0);
    QVERIFY(e.main->Panel->items().isEmpty());
    QCOMPARE(e.tool->DefaultRoomType, 0);
    for (QLineEdit* field : e.tool->TabSheet1->findChildren<QLineEdit*>())
        QCOMPARE(field->text(), fresh.tool->findChild<QLineEdit*>(field->objectName())->text());
    QCOMPARE(e.main->UndoStack->count(), 0);
    QVERIFY(!e.main->isWindowModified());
    QVERIFY(e.main->RoomFile().isEmpty());
    QVERIFY(e.main->BackgroundFile().isEmpty());
    QCOMPARE(e.main->windowTitle(), QStringLiteral("Palisandre[*]"));

    // The new map takes rooms as at start.
    e.main->AddRoom();
    QCOMPARE(e.main->Rooms.size(), 1);
    QCOMPARE(e.main->SelectedRoom, e.main->Rooms[0]);
}

void TestLostWork::recentFilesList()
{
    // After each file, the list is the distinct paths by their last use, at most eight.
    QRandomGenerator random(13);
    QList<RecentFile> list;
    QStringList byLastUse;
    for (int step = 0; step < 400; ++step) {
        const RecentFile file{random.bounded(2) ? RecentFile::Background : RecentFile::RoomScript,
                              QStringLiteral("/maps/%1").arg(random.bounded(12))};
        list = recentfiles::withFile(list, file);
        byLastUse.removeAll(file.path);
        byLastUse.prepend(file.path);
        QStringList paths;
        for (const RecentFile& entry : list)
            paths.append(entry.path);
        QCOMPARE(paths, byLastUse.mid(0, recentfiles::Limit));
        QCOMPARE(list.first(), file);
    }

    // Kept in the settings; what cannot be read there is left out.
    QSettings settings(path(QStringLiteral("recent.ini")), QSettings::IniFormat);
    recentfiles::write(settings, list);
    QCOMPARE(recentfiles::read(settings), list);
    settings.clear();
    settings.beginWriteArray(QStringLiteral("RecentFiles"));
    const char* rows[][2] = {{"background", "/a.blk"}, {"picture", "/b.blk"}, {"roomscript", ""},
                             {"roomscript", "/c.cos"}, {"background", "/a.blk"}};
    int i = 0;
    for (const auto& row : rows) {
        settings.setArrayIndex(i++);
        settings.setValue(QStringLiteral("kind"), QString::fromLatin1(row[0]));
        settings.setValue(QStringLiteral("path"), QString::fromLatin1(row[1]));
    }
    for (int k = 0; k < 10; ++k) {
        settings.setArrayIndex(i++);
        settings.setValue(QStringLiteral("kind"), QStringLiteral("roomscript"));
        settings.setValue(QStringLiteral("path"), QStringLiteral("/more/%1.cos").arg(k));
    }
    settings.endArray();
    const QList<RecentFile> read = recentfiles::read(settings);
    QCOMPARE(read.size(), recentfiles::Limit);
    QCOMPARE(read[0], (RecentFile{RecentFile::Background, QStringLiteral("/a.blk")}));
    QCOMPARE(read[1], (RecentFile{RecentFile::RoomScript, QStringLiteral("/c.cos")}));
    QCOMPARE(read[2].path, QStringLiteral("/more/0.cos"));
}

void TestLostWork::recentFilesMenu()
{
    Editor e;
    TestDialogs host;
    QVERIFY(!e.main->RecentFiles1->menuAction()->isEnabled());
    const QString blk = path(QStringLiteral("menu.blk"));
    const QString cos = path(QStringLiteral("rock & roll.cos"));
    e.main->ImportBitmap(picturePath);
    e.main->AddRoom();
    host.answer(blk);
    e.main->Save1->trigger();
    host.answer(cos);
    e.main->SaveRoomDefs1->trigger();
    const QString shownCos = QString(cos).replace(QLatin1Char('&'), QLatin1String("&&"));
    QCOMPARE(recentMenu(*e.main), QStringList({"&1 " + shownCos, "&2 " + blk}));
    host.answer(blk);
    e.main->Open1->trigger();
    QCOMPARE(recentMenu(*e.main), QStringList({"&1 " + blk, "&2 " + shownCos}));
    QVERIFY(e.main->RecentFiles1->menuAction()->isEnabled());

    // Another window, as in the next run, has the list; an entry opens its file.
    Editor next;
    QCOMPARE(recentMenu(*next.main), recentMenu(*e.main));
    next.main->RecentFiles1->actions()[1]->trigger();
    QCOMPARE(next.main->Rooms.size(), 1);
    QCOMPARE(next.main->RoomFile(), cos);
    QCOMPARE(recentMenu(*next.main), QStringList({"&1 " + shownCos, "&2 " + blk}));
    next.main->RecentFiles1->actions()[1]->trigger();
    QCOMPARE(next.main->BackgroundFile(), blk);
    QCOMPARE(next.main->BlockColumns, 2);
    QVERIFY(host.asked.indexOf(QStringLiteral("msgUnsavedWork")) < 0);
}

void TestLostWork::filesFromOutside()
{
    const QString here = QDir::currentPath();
    QCOMPARE(filesFromArguments({"palisandre", "map.blk", "/maps/rooms.cos", "--", "-odd.cos"}),
             QStringList({here + "/map.blk", "/maps/rooms.cos", here + "/-odd.cos"}));

    const QString blk = path(QStringLiteral("outside.blk"));
    const QString cos = path(QStringLiteral("outside.cos"));
    {
        Editor maker;
        maker.main->ImportBitmap(picturePath);
        maker.main->SaveBackground(blk);
        maker.main->AddRoom();
        maker.main->AddRoom();
        maker.main->SaveRoomDefs(cos);
    }
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    const QString missing = path(QStringLiteral("missing.blk"));
    const QString notes = path(QStringLiteral("notes.txt"));
    e.main->OpenFiles({cos, notes, missing, blk});
    QCOMPARE(errors.messages, QStringList({"Cannot open file " + missing + ": No such file or directory",
                                           mapfiles::unknownKindMessage(notes)}));
    QVERIFY(host.asked.isEmpty());
    QCOMPARE(e.main->BackgroundFile(), blk);
    QCOMPARE(e.main->RoomFile(), cos);
    QCOMPARE(e.main->Rooms.size(), 2);
    QCOMPARE(recentMenu(*e.main), QStringList({"&1 " + cos, "&2 " + blk}));   // the picture first
    QVERIFY(!e.main->isWindowModified());

    // Cancel to the question ends it: the script after the picture is not loaded either.
    e.main->ImportBitmap(picturePath);
    host.modal = [](QDialog*) { return int(QMessageBox::Cancel); };
    e.main->OpenFiles({cos, blk});
    QCOMPARE(host.asked, QStringList({"msgUnsavedWork"}));
    QCOMPARE(e.main->Rooms.size(), 2);
    QVERIFY(e.main->PictureUnsaved());

    // Dropped files open in the same way, once the drop is over.
    host.modal = [](QDialog*) { return int(QMessageBox::Discard); };
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(cos), QUrl::fromLocalFile(blk)});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.main, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(e.main, &drop);
    QVERIFY(drop.isAccepted());
    QCOMPARE(e.main->Rooms.size(), 2);
    QTRY_COMPARE(e.main->Rooms.size(), 4);
    QVERIFY(!e.main->PictureUnsaved());
    QVERIFY(errors.messages.size() == 2);

    QMimeData text;
    text.setText(QStringLiteral("not a file"));
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    refused.ignore();
    QApplication::sendEvent(e.main, &refused);
    QVERIFY(!refused.isAccepted());
}

PLSD_TEST_MAIN(TestLostWork)
#include "tst_lostwork.moc"
