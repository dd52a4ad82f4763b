#include "testsupport.h"

#include "app/about.h"
#include "core/common/errors.h"
#include "core/common/product.h"
#include "app/progress.h"
#include "app/splash.h"
#include "app/startup.h"
#include "app/statusbar.h"

#include <QImageReader>
#include <QImageWriter>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QTimer>

class TestShell : public QObject {
    Q_OBJECT
private slots:
    void startupCreatesWindowsInOrder();
    void centring();
    void mainWindowLayout();
    void menuTree();
    void toolboxToggle();
    void modeItemsAreExclusive();
    void cancellingDialogsChangesNothing();
    void errorsReachTheReporter();
    void quitClosesAtOnce();
    void smallWindows();
};

void TestShell::startupCreatesWindowsInOrder()
{
    TestDialogs host;
    QStringList steps;
    int splashHeight = 0;
    bool timerRunning = false;
    bool toolboxExistedDuringSplash = true;
    TWindows w;
    host.modal = [&](QDialog* dialog) {
        auto* splash = qobject_cast<TfrmSplash*>(dialog);
        if (!splash)
            return int(QDialog::Rejected);
        splashHeight = splash->height();
        timerRunning = splash->Timer1->isActive();
        toolboxExistedDuringSplash = w.frmToolbox != nullptr;
        // The real timer ends the wait, after 3 s.
        QEventLoop loop;
        QObject::connect(splash->Timer1, &QTimer::timeout, &loop, &QEventLoop::quit, Qt::QueuedConnection);
        QTimer::singleShot(6000, &loop, &QEventLoop::quit);
        loop.exec();
        return splash->result();
    };
    w = createWindows([&](const QString& step) { steps.append(step); });

    QCOMPARE(steps, QStringList({"title", "frmMainForm", "frmSplash", "frmAbout", "splash shown",
                                 "splash closed", "frmToolbox", "frmWaitDlg"}));
    QCOMPARE(host.asked, QStringList({"frmSplash"}));
    QCOMPARE(splashHeight, 238);
    QVERIFY(timerRunning);
    QVERIFY(!toolboxExistedDuringSplash);
    QCOMPARE(w.frmSplash->Timer1->interval(), 3000);
    QVERIFY(w.frmSplash->Timer1->isSingleShot());
    QVERIFY(!w.frmSplash->Timer1->isActive());
    QCOMPARE(w.frmSplash->result(), 6);
    QVERIFY(!w.frmSplash->isVisible());
    QCOMPARE(QApplication::applicationName(), QStringLiteral("Palisandre - palisandre.example.org"));

    // Wiring, visibility and the toolbox's place in the main window: docked on its right.
    QCOMPARE(w.frmMainForm->frmToolbox, w.frmToolbox);
    QCOMPARE(w.frmToolbox->frmMainForm, w.frmMainForm);
    QVERIFY(w.frmToolbox->isVisibleTo(w.frmMainForm));
    QVERIFY(!w.frmMainForm->isVisible());
    QVERIFY(!w.frmWaitDlg->isVisible());
    QVERIFY(!w.frmAbout->isVisible());
    QCOMPARE(w.frmToolbox->parentWidget(), w.frmMainForm);
    QCOMPARE(w.frmMainForm->dockWidgetArea(w.frmToolbox), Qt::RightDockWidgetArea);
    QVERIFY(!w.frmToolbox->isFloating());
    QVERIFY(w.frmToolbox->features() & QDockWidget::DockWidgetFloatable);
    destroyWindows(w);
    QVERIFY(w.frmMainForm == nullptr);
}

void TestShell::centring()
{
    QCOMPARE(centredTopLeft(QSize(1024, 479), QSize(640, 480)), QPoint(192, 0));
    QCOMPARE(centredTopLeft(QSize(1024, 477), QSize(640, 480)), QPoint(192, -1));
    QCOMPARE(centredTopLeft(QSize(1024, 768), QSize(640, 480)), QPoint(192, 144));
    QCOMPARE(centredTopLeft(QSize(635, 768), QSize(640, 480)), QPoint(-2, 144));

    TfrmMainForm form;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    QCOMPARE(form.frameGeometry().topLeft(), centredTopLeft(screen, QSize(640, 480)));
}

void TestShell::mainWindowLayout()
{
    TfrmMainForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Palisandre[*]"));   // shown as "Palisandre"
    QVERIFY(!form.isWindowModified());
    QCOMPARE(form.size(), QSize(640, 480));
    QCOMPARE(form.objectName(), QStringLiteral("frmMainForm"));
    QCOMPARE(form.Panel->size(), QSize(433, 249));
    QCOMPARE(form.scbImage->scene(), form.Panel);
    QCOMPARE(form.centralWidget(), form.scbImage);
    QCOMPARE(form.StatusBar->height(), 19);
    QVERIFY(form.StatusBar->text().isEmpty());
    QVERIFY(form.Rooms.isEmpty());
    QVERIFY(form.SelectedRoom == nullptr);
    QVERIFY(!form.Blocks);
    QCOMPARE(form.BlockRows, 0);
    QCOMPARE(form.BlockColumns, 0);
    QVERIFY(form.Panel->items().isEmpty());

    struct Dialog {
        const char* name;
        QFileDialog::AcceptMode mode;
        const char* filter;
        const char* suffix;
    };
    const Dialog expected[] = {
        {"odgBLK", QFileDialog::AcceptOpen, "Background or room script (*.blk *.cos)", "blk"},   // and each alone
        {"sdgBLK", QFileDialog::AcceptSave, "Creatures Background (*.blk)", "blk"},
        {"odgBMP", QFileDialog::AcceptOpen, "Windows Bitmap (*.bmp)", "bmp"},
        {"sdgBMP", QFileDialog::AcceptSave, "Windows Bitmap (*.bmp)", "bmp"},
        {"odgCOS", QFileDialog::AcceptOpen, "CAOS text file (*.cos)", "cos"},
        {"sdgCOS", QFileDialog::AcceptSave, "CAOS text file (*.cos)", "cos"},
    };
    for (const Dialog& d : expected) {
        auto* dialog = form.findChild<QFileDialog*>(QString::fromLatin1(d.name));
        QVERIFY2(dialog, d.name);
        QCOMPARE(dialog->acceptMode(), d.mode);
        const QStringList filters = dialog->nameFilters();
        QCOMPARE(filters.value(0), QString::fromLatin1(d.filter));
        QCOMPARE(filters.size(), d.filter[0] == 'W' ? 2 : d.filter[0] == 'B' ? 3 : 1);
        QCOMPARE(dialog->defaultSuffix(), QString::fromLatin1(d.suffix));
        QCOMPARE(dialog->fileMode(), QFileDialog::AnyFile);
        QVERIFY(dialog->testOption(QFileDialog::DontConfirmOverwrite));
    }

    // The bitmap dialogs also offer every common picture format that Qt reads, or writes.
    for (const char* name : {"odgBMP", "sdgBMP"}) {
        const QString pictures = form.findChild<QFileDialog*>(QString::fromLatin1(name))->nameFilters().value(1);
        QVERIFY2(pictures.startsWith(QStringLiteral("Pictures (*.png *.bmp *.jpg *.jpeg ")), qPrintable(pictures));
        const bool save = name[0] == 's';
        const QList<QByteArray> supported =
            save ? QImageWriter::supportedImageFormats() : QImageReader::supportedImageFormats();
        const QStringList patterns = pictures.mid(10, pictures.size() - 11).split(' ');
        for (const QString& pattern : patterns)
            QVERIFY2(supported.contains(pattern.mid(2).toLatin1()), qPrintable(pattern));
        QCOMPARE(patterns.contains(QStringLiteral("*.gif")), !save);   // Qt reads GIF but does not write it
    }
}

void TestShell::menuTree()
{
    TfrmMainForm form;
    QStringList tree;
    for (QAction* top : form.mMainMenu->actions()) {
        tree.append(top->objectName() + " " + top->text());
        for (QAction* a : top->menu()->actions()) {
            QString line = "  " + a->objectName() + " " + (a->isSeparator() ? QStringLiteral("-") : a->text());
            if (!a->shortcut().isEmpty())
                line += " [" + a->shortcut().toString() + "]";
            if (a->isChecked())
                line += " checked";
            tree.append(line);
        }
    }
    QCOMPARE(tree, QStringList({
                       "File1 &File",
                       "  New1 &New [Ctrl+N]",
                       "  Open1 &Open",
                       "  Save1 &Save",
                       "  N1 -",
                       "  ImportBitmap1 &Import Bitmap",
                       "  ExportBitmap1 &Export Bitmap",
                       "  N2 -",
                       "  LoadRoomDefs1 &Load Room Defs",
                       "  SaveRoomDefs1 S&ave Room Defs",
                       "  SaveAll1 Save A&ll [Ctrl+S]",
                       "  RecentFiles1 Recent &Files",
                       "  N3 &Quit",
                       "Edit1 &Edit",
                       "  Undo1 &Undo [Ctrl+Z]",
                       "  Redo1 &Redo [Ctrl+Shift+Z]",
                       "  N4 -",
                       "  AddRoom1 &Add Room [Ctrl+R]",
                       "  DoorsOnEdges1 &Doors on All Shared Edges",
                       "  N5 -",
                       "  Settings1 &Settings...",
                       "View1 &View",
                       "  Toolbox1 &Toolbox [Ctrl+T] checked",
                       "  ZoomIn1 Zoom &In [Ctrl++]",
                       "  ZoomOut1 Zoom &Out [Ctrl+-]",
                       "  ZoomFit1 &Fit Picture [Ctrl+0]",
                       "  ZoomActual1 &Actual Size [Ctrl+1]",
                       "  ShowDoors1 &Doors checked",
                       "  ShowRoomTypes1 Room &Types",
                       "  Snap1 &Snap [Ctrl+G] checked",
                       "  ShowRooms1 &Rooms List",
                       "  ShowProblems1 &Problems checked",
                       "Mode1 &Mode",
                       "  None1 &None",
                       "  Rooms1 &Rooms checked",
                       "Help1 &Help",
                       "  About1 &About",
                       "  Webbasedhelp1 &Web based help",
                   }));
    QCOMPARE(form.findChild<QAction*>("Open1"), form.Open1);
    QCOMPARE(form.Redo1->shortcuts(), QList<QKeySequence>({QKeySequence(QStringLiteral("Ctrl+Shift+Z")),
                                                          QKeySequence(QStringLiteral("Ctrl+Y"))}));
    QCOMPARE(form.RecentFiles1->menuAction(), form.findChild<QAction*>("RecentFiles1"));
}

void TestShell::toolboxToggle()
{
    Editor e;
    QVERIFY(e.tool->isVisibleTo(e.main));
    e.main->Toolbox1->trigger();
    QVERIFY(!e.tool->isVisibleTo(e.main));
    QVERIFY(!e.main->Toolbox1->isChecked());
    e.main->Toolbox1->trigger();
    QVERIFY(e.tool->isVisibleTo(e.main));
    QVERIFY(e.main->Toolbox1->isChecked());

    // Ctrl+T twice, through the shortcut.
    e.main->show();
    QVERIFY(QTest::qWaitForWindowExposed(e.main));
    QApplication::setActiveWindow(e.main);
    QTest::keyClick(e.main, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(!e.tool->isVisible());
    QVERIFY(!e.main->Toolbox1->isChecked());
    QTest::keyClick(e.main, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(e.tool->isVisible());
    QVERIFY(e.main->Toolbox1->isChecked());

    // Docked, it stands beside the map, at the window's right edge, also when the window
    // grows; floating, View > Toolbox still hides and shows it.
    for (bool maximized : {false, true}) {
        if (maximized) {
            e.main->showMaximized();
            QTRY_VERIFY(e.main->width() > 640);
        }
        QTRY_VERIFY(!e.tool->geometry().intersects(e.main->scbImage->geometry()));
        QVERIFY(e.tool->geometry().right() > e.main->width() - 20);
    }
    // The window's saved state brings its place back.
    const QByteArray docked = e.main->saveState();
    e.tool->setFloating(true);
    e.main->Toolbox1->trigger();
    QVERIFY(!e.tool->isVisible());
    e.main->Toolbox1->trigger();
    QVERIFY(e.tool->isVisible() && e.tool->isFloating());
    QVERIFY(e.main->restoreState(docked));
    QVERIFY(!e.tool->isFloating());

    // The dock's close button hides it the same way.
    QVERIFY(!e.tool->close());
    QVERIFY(!e.tool->isVisible());
    QVERIFY(!e.main->Toolbox1->isChecked());
    QTest::keyClick(e.main, Qt::Key_T, Qt::ControlModifier);
    QVERIFY(e.tool->isVisible());
    QVERIFY(e.main->Toolbox1->isChecked());
}

void TestShell::modeItemsAreExclusive()
{
    TfrmMainForm form;
    QSignalSpy changes(&form, &TfrmMainForm::modeChanged);
    QVERIFY(form.Rooms1->isChecked() && !form.None1->isChecked());
    QCOMPARE(form.Panel->mode(), TMapScene::Mode::Rooms);
    // One item checked at a time; the signal comes only when the mode changes.
    const QList<QAction*> picks{form.None1, form.None1, form.Rooms1, form.None1, form.Rooms1, form.Rooms1};
    int expected = 0;
    TMapScene::Mode before = TMapScene::Mode::Rooms;
    for (QAction* pick : picks) {
        pick->trigger();
        const auto now = pick == form.None1 ? TMapScene::Mode::None : TMapScene::Mode::Rooms;
        expected += now != before;
        before = now;
        QCOMPARE(form.Panel->mode(), now);
        QCOMPARE(form.None1->isChecked(), now == TMapScene::Mode::None);
        QCOMPARE(form.Rooms1->isChecked(), now == TMapScene::Mode::Rooms);
        QCOMPARE(changes.count(), expected);
    }
}

void TestShell::cancellingDialogsChangesNothing()
{
    Editor e;
    TestDialogs host;
    ErrorCapture errors;
    e.tool->MetaroomFilename = QStringLiteral("before.blk");
    e.main->UndoStack->setClean();   // as saved: no command asks about unsaved work
    e.main->StatusBar->setText(QStringLiteral("status"));
    for (QAction* a : {e.main->Open1, e.main->Save1, e.main->ImportBitmap1, e.main->ExportBitmap1,
                       e.main->LoadRoomDefs1, e.main->SaveRoomDefs1})
        a->trigger();
    QCOMPARE(host.asked, QStringList({"odgBLK", "sdgBLK", "odgBMP", "sdgBMP", "odgCOS", "sdgCOS"}));
    QVERIFY(errors.messages.isEmpty());
    QCOMPARE(e.tool->MetaroomFilename, QStringLiteral("before.blk"));
    QCOMPARE(e.main->StatusBar->text(), QStringLiteral("status"));
    QVERIFY(!e.main->Blocks);
    QVERIFY(e.main->Rooms.isEmpty());
    QCOMPARE(e.main->Panel->size(), QSize(433, 249));
    QVERIFY(e.main->Panel->items().isEmpty());
}

void TestShell::errorsReachTheReporter()
{
    ErrorCapture errors;
    struct Handlers : QObject {
        int calls = 0;
        void failing()
        {
            ++calls;
            throw ConversionError(QStringLiteral("x1"));
        }
    } handlers;
    QAction probe;
    plsd::connectHandler(&probe, &QAction::triggered, &handlers, &Handlers::failing);
    probe.trigger();
    probe.trigger();
    QCOMPARE(handlers.calls, 2);
    QCOMPARE(errors.messages, QStringList({"'x1' is not a valid integer value", "'x1' is not a valid integer value"}));
    QCOMPARE(errors.captions.first(), product::applicationTitle());

    // An error raised inside an event handler reaches the reporter through the
    // application object, and the program goes on.
    class Failing : public QWidget {
    protected:
        void mousePressEvent(QMouseEvent*) override { throw ListIndexError(); }
    } widget;
    widget.resize(20, 20);
    widget.show();
    QVERIFY(QTest::qWaitForWindowExposed(&widget));
    QTest::mouseClick(&widget, Qt::LeftButton);
    QCOMPARE(errors.messages.size(), 3);
    QCOMPARE(errors.messages.last(), QStringLiteral("List index out of bounds"));
    QTest::mouseClick(&widget, Qt::LeftButton);
    QCOMPARE(errors.messages.size(), 4);
    widget.hide();
}

void TestShell::quitClosesAtOnce()
{
    TestDialogs host;
    TfrmMainForm form;
    QSignalSpy closed(&form, &TfrmMainForm::closed);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.N3->trigger();
    QVERIFY(!form.isVisible());
    QCOMPARE(closed.count(), 1);
    QVERIFY(host.asked.isEmpty());   // no question asked
}

void TestShell::smallWindows()
{
    TestDialogs host;
    TfrmMainForm form;
    form.About1->trigger();
    QCOMPARE(host.asked, QStringList({"frmAbout"}));
    TfrmAbout* about = form.frmAbout;
    QVERIFY(about);
    QCOMPARE(about->windowTitle(), QStringLiteral("About PLSD"));
    QCOMPARE(about->size(), QSize(549, 300));
    QCOMPARE(about->lblHeading->text(), QStringLiteral("The Palisandre (plsd)"));
    QCOMPARE(about->lblHeading->font().pixelSize(), 19);
    QVERIFY(about->lblHeading->font().bold());
    QCOMPARE(about->imgPicture->pixmap().size(), QSize(153, 185));
    QCOMPARE(about->lblVersion->text(), QStringLiteral("Version: Beta 1.1, 22nd July 2001"));
    QCOMPARE(about->Memo1->size(), QSize(377, 185));
    QVERIFY(about->Memo1->isReadOnly());
    const QString memo = about->Memo1->toPlainText();
    QTest::keyClicks(about->Memo1, QStringLiteral("typed"));
    QCOMPARE(about->Memo1->toPlainText(), memo);
    about->show();
    about->btnClose->click();
    QCOMPARE(about->result(), int(QDialog::Accepted));
    QVERIFY(!about->isVisible());

    TfrmSplash splash;
    QCOMPARE(splash.size(), QSize(468, 260));
    QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
    QCOMPARE(splash.lblTitle->text(), QStringLiteral("The Palisandre (plsd)"));
    QCOMPARE(splash.lblTitle->font().pixelSize(), 24);
    QCOMPARE(splash.lblSponsored->text(), QStringLiteral("The Palisandre is sponsored by:"));
    QCOMPARE(splash.imgSponsor->geometry(), QRect(0, 160, 470, 60));
    QCOMPARE(splash.btnClose->geometry(), QRect(0, 240, 468, 20));
    QCOMPARE(splash.btnClose->text(), QStringLiteral("&Close"));
    QVERIFY(!splash.Timer1->isActive());
    splash.show();
    splash.btnClose->click();
    QVERIFY(!splash.isVisible());

    TfrmWaitDlg wait;
    QCOMPARE(wait.windowTitle(), QStringLiteral("Please Wait..."));
    QCOMPARE(wait.size(), QSize(442, 67));
    QCOMPARE(wait.Label1->geometry().topLeft(), QPoint(8, 8));
    QCOMPARE(wait.Label1->width(), 425);
    QCOMPARE(wait.pgbProgressBar->geometry(), QRect(8, 32, 425, 25));
    QCOMPARE(wait.pgbProgressBar->minimum(), 0);
    QCOMPARE(wait.pgbProgressBar->maximum(), 100);
}

PLSD_TEST_MAIN(TestShell)
#include "tst_shell.moc"
