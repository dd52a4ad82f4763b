// No lost work: the undo stack and the Edit menu, the map's files and whether the map is
// saved in them, the question before unsaved work goes, File > New, Save All and Recent
// Files, and files given from outside.
#include "app/main.h"

#include "app/application.h"
#include "app/dialogs.h"
#include "core/files/mapfiles.h"
#include "app/recentfiles.h"
#include "app/settings.h"
#include "app/toolbox.h"
#include "app/pictureinstall.h"
#include "core/common/errors.h"
#include "core/common/product.h"
#include "core/model/steps.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QScopeGuard>
#include <QSettings>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

namespace {

// Recent files are kept as absolute paths, so that one file is one entry.
QString absolutePath(const QString& path)
{
    return QFileInfo(path).absoluteFilePath();
}

// The local files among dropped URLs.
QStringList localFiles(const QMimeData* data)
{
    QStringList files;
    if (data && data->hasUrls()) {
        for (const QUrl& url : data->urls()) {
            if (url.isLocalFile())
                files.append(url.toLocalFile());
        }
    }
    return files;
}

// A step that did nothing but replace the picture.
} // namespace

void TfrmMainForm::createUndoStack()
{
    UndoStack = Editor->undoStack();
    connect(UndoStack, &QUndoStack::cleanChanged, this, &TfrmMainForm::showUnsavedState);
    // A step may put back another picture, which is saved or not on its own.
    connect(UndoStack, &QUndoStack::indexChanged, this, &TfrmMainForm::showUnsavedState);
    connect(Editor, &MetaroomEditor::filesChanged, this, &TfrmMainForm::showUnsavedState);
}

void TfrmMainForm::createEditMenu()
{
    // Between File and View.
    Edit1 = mMainMenu->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->menuAction()->setObjectName(QStringLiteral("Edit1"));

    // The stack's actions name the step ("&Undo Move Room") and are disabled when there is
    // nothing to do. They work from the toolbox too, where an edit field keeps Ctrl+Z for
    // its own text.
    Undo1 = UndoStack->createUndoAction(Edit1, QStringLiteral("&Undo"));
    Undo1->setObjectName(QStringLiteral("Undo1"));
    Undo1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    Undo1->setShortcutContext(Qt::ApplicationShortcut);
    Redo1 = UndoStack->createRedoAction(Edit1, QStringLiteral("&Redo"));
    Redo1->setObjectName(QStringLiteral("Redo1"));
    Redo1->setShortcuts({QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)});
    Redo1->setShortcutContext(Qt::ApplicationShortcut);
    Edit1->addAction(Undo1);
    Edit1->addAction(Redo1);
    Edit1->addSeparator()->setObjectName(QStringLiteral("N4"));
    Settings1 = Edit1->addAction(QStringLiteral("&Settings..."));
    Settings1->setObjectName(QStringLiteral("Settings1"));
    plsd::connectHandler(Settings1, &QAction::triggered, this, &TfrmMainForm::Settings1Click);
}

void TfrmMainForm::Settings1Click()
{
    if (!frmSettings)
        frmSettings = new TfrmSettings(this);
    frmSettings->edit();
}

// --- Whether the map is saved --------------------------------------------------------

QString TfrmMainForm::RoomFile() const
{
    return Editor->roomFile();
}

QString TfrmMainForm::BackgroundFile() const
{
    return Editor->backgroundFile();
}

bool TfrmMainForm::PictureUnsaved() const
{
    return Editor->pictureUnsaved();
}

bool TfrmMainForm::EditsUnsaved() const
{
    return Editor->editsUnsaved();
}

bool TfrmMainForm::HasUnsavedWork() const
{
    return Editor->hasUnsavedWork();
}

void TfrmMainForm::showUnsavedState()
{
    setWindowTitle(mapfiles::windowTitle(Editor->roomFile(), Editor->backgroundFile()));
    setWindowModified(HasUnsavedWork());
}

void TfrmMainForm::PictureImported(const QString& path)
{
    Editor->pictureImported(path);
}

void TfrmMainForm::RoomFileRead(const QString& path, bool intoEmptyMap)
{
    Editor->roomFileRead(path, intoEmptyMap);
}

void TfrmMainForm::RoomFileWritten(const QString& path)
{
    Editor->roomFileWritten(path);
}

// --- The file commands as the user gives them ----------------------------------------

void TfrmMainForm::openBackgroundFile(const QString& path)
{
    installBackground(ReadBackground(path), path, true);
    rememberRecentFile({RecentFile::Background, path});
}

void TfrmMainForm::saveBackgroundFile(const QString& path)
{
    SaveBackground(path);
    // The map's background now is this file.
    Editor->setBackgroundName(path);
    rememberRecentFile({RecentFile::Background, path});
}

void TfrmMainForm::importBitmapFile(const QString& path)
{
    ImportBitmap(path);
}

void TfrmMainForm::loadRoomFile(const QString& path)
{
    LoadRoomDefs(path);
    rememberRecentFile({RecentFile::RoomScript, path});
}

void TfrmMainForm::saveRoomFile(const QString& path)
{
    SaveRoomDefs(path);
    rememberRecentFile({RecentFile::RoomScript, path});
    showGameErrorsOfSave(path);
}

// --- The question, Save All, New -----------------------------------------------------

void TfrmMainForm::applyTypedCorners()
{
    // A corner that does not convert says so and is left out; the rest goes on.
    if (frmToolbox)
        plsd::runGuarded([this] { frmToolbox->ApplyTypedCorners(); });
}

bool TfrmMainForm::AskBeforeLosingWork()
{
    applyTypedCorners();
    if (!HasUnsavedWork())
        return true;
    QMessageBox question(QMessageBox::Warning, product::applicationTitle(),
                         QStringLiteral("The map has changes that are not saved."),
                         QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    question.setObjectName(QStringLiteral("msgUnsavedWork"));
    // Above the toolbox, which stays on top and would cover the buttons otherwise.
    question.setWindowFlag(Qt::WindowStaysOnTopHint);
    question.setInformativeText(QStringLiteral("Do you want to save them first?"));
    question.setDefaultButton(QMessageBox::Save);
    question.setEscapeButton(QMessageBox::Cancel);
    switch (dialogs().runModal(&question)) {
    case QMessageBox::Save:
        return SaveAll();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool TfrmMainForm::SaveAll()
{
    applyTypedCorners();
    if (PictureUnsaved()) {
        if (const QString backgroundFile = Editor->backgroundFile(); !backgroundFile.isEmpty()) {
            // Its own file: a new name is not given, so the metaroom's file name stays.
            SaveBackground(backgroundFile);
            rememberRecentFile({RecentFile::Background, backgroundFile});
        } else if (const auto path = chooseSaveFile(sdgBLK, mapfiles::Kind::Background)) {
            saveBackgroundFile(*path);
        } else {
            return false;
        }
    }
    // The room script goes to its file whenever there is something to hold.
    if (const QString roomFile = Editor->roomFile(); !roomFile.isEmpty())
        saveRoomFile(roomFile);
    else if (EditsUnsaved() || !Rooms.isEmpty()) {
        const auto path = chooseSaveFile(sdgCOS, mapfiles::Kind::RoomScript);
        if (!path)
            return false;
        saveRoomFile(*path);
    }
    return true;
}

void TfrmMainForm::SaveAll1Click()
{
    SaveAll();
}

void TfrmMainForm::New1Click()
{
    if (AskBeforeLosingWork())
        NewMap();
}

void TfrmMainForm::NewMap()
{
    if (frmToolbox)
        frmToolbox->DoorPending = false;   // no room may complete a door on its way out
    Editor->newMap(EmptyPanelSize);
    RoomFileRest = {};
}

// --- Recent Files ---------------------------------------------------------------------

void TfrmMainForm::rememberRecentFile(const RecentFile& file)
{
    const auto settings = recentfiles::userSettings();
    const RecentFile entry{file.kind, absolutePath(file.path)};
    recentfiles::write(*settings, recentfiles::withFile(recentfiles::read(*settings), entry));
    showRecentFiles();
}

void TfrmMainForm::showRecentFiles()
{
    // Read afresh each time: another Palisandre may have added files since.
    const QList<RecentFile> files = recentfiles::read(*recentfiles::userSettings());
    // The entry being triggered may be the one that calls this: entries go once it is over.
    for (QAction* old : RecentFiles1->actions()) {
        RecentFiles1->removeAction(old);
        old->deleteLater();
    }
    for (int i = 0; i < files.size(); ++i) {
        const RecentFile file = files[i];
        QString shown = file.path;
        shown.replace(QLatin1Char('&'), QLatin1String("&&"));
        QAction* action = RecentFiles1->addAction(QStringLiteral("&%1 %2").arg(i + 1).arg(shown));
        connect(action, &QAction::triggered, this, [this, file] {
            const auto kind = file.kind == RecentFile::Background ? mapfiles::Kind::Background
                                                                  : mapfiles::Kind::RoomScript;
            plsd::runGuarded([this, kind, &file] { openFileAs(kind, file.path); });
        });
    }
    RecentFiles1->menuAction()->setEnabled(!files.isEmpty());
}

// --- Files from outside ---------------------------------------------------------------

bool TfrmMainForm::openFile(const QString& path)
{
    return openFileAs(mapfiles::kindOf(path), path);
}

bool TfrmMainForm::openFileAs(mapfiles::Kind kind, const QString& path)
{
    switch (kind) {
    case mapfiles::Kind::Background:
        if (!AskBeforeLosingWork())
            return false;
        openBackgroundFile(path);
        break;
    case mapfiles::Kind::Bitmap:
        if (!AskBeforeLosingWork())
            return false;
        importBitmapFile(path);
        break;
    case mapfiles::Kind::RoomScript:
        loadRoomFile(path);
        break;
    case mapfiles::Kind::Unknown:
        throw PlsdError(mapfiles::unknownKindMessage(path));
    }
    return true;
}

void TfrmMainForm::OpenFiles(const QStringList& paths)
{
    for (const QString& path : mapfiles::openingOrder(paths)) {
        bool cancelled = false;
        plsd::runGuarded([this, &path, &cancelled] { cancelled = !openFile(absolutePath(path)); });
        if (cancelled)
            return;
    }
}

void TfrmMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (!localFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void TfrmMainForm::dropEvent(QDropEvent* event)
{
    const QStringList files = localFiles(event->mimeData());
    if (files.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened once the drop is over: a question asked inside it would hold up the program
    // the files came from.
    QTimer::singleShot(0, this, [this, files] { OpenFiles(files); });
}
