#include "app/main.h"

#include "app/about.h"
#include "app/application.h"
#include "app/dialogs.h"
#include "app/recentfiles.h"
#include "app/settings.h"
#include "core/common/errors.h"
#include "core/common/product.h"
#include "app/statusbar.h"
#include "app/toolbox.h"
#include "core/background/graphicblock.h"
#include "core/background/pictureformats.h"
#include "core/model/editor.h"
#include "view/room.h"
#include "view/mapscene.h"
#include "view/mapview.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QUndoStack>
#include <QUrl>

QPoint centredTopLeft(QSize screen, QSize window)
{
    return QPoint((screen.width() - window.width()) / 2, (screen.height() - window.height()) / 2);
}

void centreOnScreen(QWidget* window)
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    window->move(centredTopLeft(screen->geometry().size(), window->frameGeometry().size()));
}

TfrmMainForm::TfrmMainForm(QWidget* parent)
    : QMainWindow(parent)
{
    setObjectName(QStringLiteral("frmMainForm"));
    resize(640, 480);
    editorsettings::applyMemoryLimit();
    Editor = new MetaroomEditor(this);
    Document = Editor->document();
    createUndoStack();
    createMenu();
    createFileDialogs();
    StatusBar = new TStatusBar(this);
    setStatusBar(StatusBar);
    createPictureSurface();
    Document->setSurfaceSize(EmptyPanelSize);
    followDocument();
    createDocks();
    FormCreate();
    setAcceptDrops(true);
    showUnsavedState();
}

TBlockList* PictureBlocks::get() const
{
    return form->Document->grid().blocks.get();
}

int TfrmMainForm::blockColumns() const
{
    return Document->grid().columns;
}

int TfrmMainForm::blockRows() const
{
    return Document->grid().rows;
}

TRoom* TfrmMainForm::roomOf(RoomKey key) const
{
    return Panel->roomItem(key);
}

void TfrmMainForm::followDocument()
{
    connect(Document, &TMetaroomDocument::roomInserted, this, &TfrmMainForm::followRoomInserted);
    connect(Document, &TMetaroomDocument::roomRemoved, this, &TfrmMainForm::followRoomRemoved);
    connect(Document, &TMetaroomDocument::selectionChanged, this, &TfrmMainForm::followSelection);
}

TfrmMainForm::~TfrmMainForm()
{
    // The editor's steps and document go while the items that show them are still there,
    // and tell no one.
    UndoStack->disconnect(this);
    Document->disconnect(this);
    delete Editor;
    // FormDestroy: the room list goes; the rooms themselves go with Panel.
    Rooms.clear();
    SelectedRoom = nullptr;
    if (frmToolbox && frmToolbox->frmMainForm == this)
        frmToolbox->frmMainForm = nullptr;
}

void TfrmMainForm::FormCreate()
{
    Rooms.clear();
    centreOnScreen(this);
}

void TfrmMainForm::createMenu()
{
    mMainMenu = new QMenuBar(this);
    mMainMenu->setObjectName(QStringLiteral("mMainMenu"));
    setMenuBar(mMainMenu);

    auto menu = [this](const char* name, const char* caption) {
        QMenu* m = mMainMenu->addMenu(QString::fromLatin1(caption));
        m->setObjectName(QString::fromLatin1(name));
        m->menuAction()->setObjectName(QString::fromLatin1(name));
        return m;
    };
    auto item = [this](QMenu* m, const char* name, const char* caption, void (TfrmMainForm::*handler)()) {
        QAction* a = m->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        if (handler)
            plsd::connectHandler(a, &QAction::triggered, this, handler);
        return a;
    };
    auto separator = [](QMenu* m, const char* name) {
        QAction* a = m->addSeparator();
        a->setObjectName(QString::fromLatin1(name));
        return a;
    };

    File1 = menu("File1", "&File");
    New1 = item(File1, "New1", "&New", &TfrmMainForm::New1Click);
    New1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    New1->setShortcutContext(Qt::ApplicationShortcut);
    Open1 = item(File1, "Open1", "&Open", &TfrmMainForm::Open1Click);
    Save1 = item(File1, "Save1", "&Save", &TfrmMainForm::Save1Click);
    N1 = separator(File1, "N1");
    ImportBitmap1 = item(File1, "ImportBitmap1", "&Import Bitmap", &TfrmMainForm::ImportBitmap1Click);
    ExportBitmap1 = item(File1, "ExportBitmap1", "&Export Bitmap", &TfrmMainForm::ExportBitmap1Click);
    N2 = separator(File1, "N2");
    LoadRoomDefs1 = item(File1, "LoadRoomDefs1", "&Load Room Defs", &TfrmMainForm::LoadRoomDefs1Click);
    SaveRoomDefs1 = item(File1, "SaveRoomDefs1", "S&ave Room Defs", &TfrmMainForm::SaveRoomDefs1Click);
    SaveAll1 = item(File1, "SaveAll1", "Save A&ll", &TfrmMainForm::SaveAll1Click);
    SaveAll1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    SaveAll1->setShortcutContext(Qt::ApplicationShortcut);
    RecentFiles1 = File1->addMenu(QStringLiteral("Recent &Files"));
    RecentFiles1->setObjectName(QStringLiteral("RecentFiles1"));
    RecentFiles1->menuAction()->setObjectName(QStringLiteral("RecentFiles1"));
    connect(RecentFiles1, &QMenu::aboutToShow, this, &TfrmMainForm::showRecentFiles);
    showRecentFiles();
    N3 = item(File1, "N3", "&Quit", &TfrmMainForm::N3Click);

    createEditMenu();
    createEditCommands();

    View1 = menu("View1", "&View");
    Toolbox1 = View1->addAction(QStringLiteral("&Toolbox"));
    Toolbox1->setObjectName(QStringLiteral("Toolbox1"));
    Toolbox1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    Toolbox1->setShortcutContext(Qt::ApplicationShortcut);
    Toolbox1->setCheckable(true);
    Toolbox1->setChecked(true);
    // The handler decides the check mark itself, so undo the toggle Qt made first.
    connect(Toolbox1, &QAction::triggered, this, [this](bool checkedByQt) {
        Toolbox1->setChecked(!checkedByQt);
        plsd::runGuarded([this] { Toolbox1Click(); });
    });

    auto zoomItem = [this](const char* name, const char* caption, const QList<QKeySequence>& keys) {
        QAction* a = View1->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setShortcuts(keys);
        a->setShortcutContext(Qt::ApplicationShortcut);
        return a;
    };
    ZoomIn1 = zoomItem("ZoomIn1", "Zoom &In", {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    ZoomOut1 = zoomItem("ZoomOut1", "Zoom &Out", {QKeySequence(Qt::CTRL | Qt::Key_Minus)});
    ZoomFit1 = zoomItem("ZoomFit1", "&Fit Picture", {QKeySequence(Qt::CTRL | Qt::Key_0)});
    ZoomActual1 = zoomItem("ZoomActual1", "&Actual Size", {QKeySequence(Qt::CTRL | Qt::Key_1)});
    // The view is made after the menu: each item reaches it when triggered.
    connect(ZoomIn1, &QAction::triggered, this, [this] { scbImage->zoomIn(); });
    connect(ZoomOut1, &QAction::triggered, this, [this] { scbImage->zoomOut(); });
    connect(ZoomFit1, &QAction::triggered, this, [this] { scbImage->zoomToFit(); });
    connect(ZoomActual1, &QAction::triggered, this, [this] { scbImage->zoomActual(); });

    auto showItem = [this](const char* name, const char* caption, bool checked) {
        QAction* a = View1->addAction(QString::fromLatin1(caption));
        a->setObjectName(QString::fromLatin1(name));
        a->setCheckable(true);
        a->setChecked(checked);
        return a;
    };
    ShowDoors1 = showItem("ShowDoors1", "&Doors", true);
    connect(ShowDoors1, &QAction::toggled, this, [this](bool on) { Panel->setDoorsShown(on); });
    ShowRoomTypes1 = showItem("ShowRoomTypes1", "Room &Types", false);
    connect(ShowRoomTypes1, &QAction::toggled, this, [this](bool on) { scbImage->setRoomTypesShown(on); });

    Snap1 = showItem("Snap1", "&Snap", true);
    Snap1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_G));
    Snap1->setShortcutContext(Qt::ApplicationShortcut);
    connect(Snap1, &QAction::toggled, this, [this](bool on) { Panel->setSnapping(on); });

    Mode1 = menu("Mode1", "&Mode");
    None1 = item(Mode1, "None1", "&None", nullptr);
    Rooms1 = item(Mode1, "Rooms1", "&Rooms", nullptr);
    createModeItems();

    Help1 = menu("Help1", "&Help");
    About1 = item(Help1, "About1", "&About", &TfrmMainForm::About1Click);
    Webbasedhelp1 = item(Help1, "Webbasedhelp1", "&Web based help", &TfrmMainForm::Webbasedhelp1Click);
}

// The map's modes, one checked at a time: None only looks, Rooms edits the rooms.
void TfrmMainForm::createModeItems()
{
    auto* modes = new QActionGroup(this);
    modes->setExclusive(true);
    for (QAction* a : {None1, Rooms1}) {
        a->setCheckable(true);
        modes->addAction(a);
    }
    Rooms1->setChecked(true);
    connect(modes, &QActionGroup::triggered, this, [this](QAction* chosen) {
        const auto mode = chosen == None1 ? TMapScene::Mode::None : TMapScene::Mode::Rooms;
        if (mode == Panel->mode())
            return;
        Panel->setMode(mode);
        emit modeChanged();
    });
}

void TfrmMainForm::createFileDialogs()
{
    auto dialog = [this](const char* name, bool save, const QStringList& filters, const char* extension) {
        auto* d = new QFileDialog(this);
        d->setObjectName(QString::fromLatin1(name));
        d->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        d->setFileMode(QFileDialog::AnyFile);
        d->setOption(QFileDialog::DontConfirmOverwrite, true);
        d->setNameFilters(filters);
        d->setDefaultSuffix(QString::fromLatin1(extension));
        return d;
    };
    const QString background = QStringLiteral("Creatures Background (*.blk)");
    const QString bitmap = QStringLiteral("Windows Bitmap (*.bmp)");
    const QString script = QStringLiteral("CAOS text file (*.cos)");
    // Open takes a room script too.
    odgBLK = dialog("odgBLK", false, {QStringLiteral("Background or room script (*.blk *.cos)"), background, script}, "blk");
    sdgBLK = dialog("sdgBLK", true, {background}, "blk");
    odgBMP = dialog("odgBMP", false, {bitmap, pictureformats::nameFilter(pictureformats::readableExtensions())}, "bmp");
    sdgBMP = dialog("sdgBMP", true, {bitmap, pictureformats::nameFilter(pictureformats::writableExtensions())}, "bmp");
    odgCOS = dialog("odgCOS", false, {script}, "cos");
    sdgCOS = dialog("sdgCOS", true, {script}, "cos");
}

void TfrmMainForm::createPictureSurface()
{
    Panel = new TMapScene(Editor, this);
    Panel->setObjectName(QStringLiteral("Panel"));
    scbImage = new TMapView(Panel, this);
    scbImage->setObjectName(QStringLiteral("scbImage"));
    connect(scbImage, &TMapView::zoomChanged, this, &TfrmMainForm::showZoom);
    connect(Panel, &TMapScene::pointerMoved, this, &TfrmMainForm::showPointer);
    connect(Panel, &TMapScene::pointerLeft, this, [this] { StatusBar->clearPointer(); });
    connect(Panel, &TMapScene::dragValuesChanged, this, [this](const QString& text) { StatusBar->setDragValues(text); });
    // A pending door may take the click and refuse its permeability: the error is
    // reported here, so that it does not cross Qt's event delivery.
    connect(Panel, &TMapScene::roomSelectRequested, this, [this](TRoom* clicked) {
        plsd::runGuarded([this, clicked] { SelectRoom(clicked); });
    });
    createMapMenu();
    createDoorPicking();
    setCentralWidget(scbImage);
}

void TfrmMainForm::showZoom(qreal zoom)
{
    // The next message of any command replaces it.
    StatusBar->setText(QStringLiteral("Zoom %1%").arg(qRound(zoom * 1000) / 10.0));
}

// The picture pixel and, with the metaroom's offsets, the game's coordinates.
void TfrmMainForm::showPointer(QPoint picturePixel)
{
    const MetaroomValues& metaroom = Document->metaroom();
    // Wide enough for any offset.
    StatusBar->setPointer(picturePixel, qint64(picturePixel.x()) + metaroom.offsetX, qint64(picturePixel.y()) + metaroom.offsetY);
}

bool TfrmMainForm::event(QEvent* event)
{
    // Menu hovering must not wipe the status bar's line.
    if (event->type() == QEvent::StatusTip)
        return true;
    return QMainWindow::event(event);
}

void TfrmMainForm::closeEvent(QCloseEvent* event)
{
    bool mayClose = false;
    plsd::runGuarded([this, &mayClose] { mayClose = AskBeforeLosingWork(); });
    if (!mayClose) {
        event->ignore();
        return;
    }
    QMainWindow::closeEvent(event);
    if (event->isAccepted()) {
        SaveWindowState();
        emit closed();
    }
}

void TfrmMainForm::Toolbox1Click()
{
    if (!frmToolbox)
        return;
    if (Toolbox1->isChecked()) {
        frmToolbox->hide();
        Toolbox1->setChecked(false);
    } else {
        frmToolbox->show();
        frmToolbox->raise();
        Toolbox1->setChecked(true);
    }
}

void TfrmMainForm::N3Click()
{
    close();
}

void TfrmMainForm::About1Click()
{
    if (!frmAbout)
        frmAbout = new TfrmAbout(this);
    dialogs().runModal(frmAbout);
}

void TfrmMainForm::Webbasedhelp1Click()
{
    QDesktopServices::openUrl(QUrl(product::helpPage));
}

void TfrmMainForm::Open1Click()
{
    if (!AskBeforeLosingWork())
        return;
    const auto path = dialogs().chooseFile(odgBLK);
    if (!path)
        return;
    // A room script takes the place of the map's rooms; a background file, of its picture.
    if (mapfiles::kindOf(*path) == mapfiles::Kind::RoomScript) {
        OpenRoomDefs(*path);
        rememberRecentFile({RecentFile::RoomScript, *path});
    } else {
        openBackgroundFile(*path);
    }
}

void TfrmMainForm::Save1Click()
{
    applyTypedCorners();
    if (const auto path = chooseSaveFile(sdgBLK, mapfiles::Kind::Background))
        saveBackgroundFile(*path);
}

std::optional<QString> TfrmMainForm::chooseSaveFile(QFileDialog* dialog, mapfiles::Kind kind)
{
    const QString name = mapfiles::suggestedSaveName(kind, Editor->roomFile(), Editor->backgroundFile(),
                                                     Editor->importedPicture());
    if (!name.isEmpty())
        dialog->selectFile(name);
    return dialogs().chooseFile(dialog);
}

void TfrmMainForm::ImportBitmap1Click()
{
    if (!AskBeforeLosingWork())
        return;
    if (const auto path = dialogs().chooseFile(odgBMP))
        importBitmapFile(*path);
}

void TfrmMainForm::ExportBitmap1Click()
{
    if (const auto path = dialogs().chooseFile(sdgBMP))
        ExportBitmap(*path);
}

void TfrmMainForm::LoadRoomDefs1Click()
{
    if (const auto path = dialogs().chooseFile(odgCOS))
        loadRoomFile(*path);
}

void TfrmMainForm::SaveRoomDefs1Click()
{
    applyTypedCorners();
    if (const auto path = chooseSaveFile(sdgCOS, mapfiles::Kind::RoomScript))
        saveRoomFile(*path);
}
