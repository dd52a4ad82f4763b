#pragma once

#include "core/files/mapfiles.h"

#include "core/common/documentvalue.h"
#include "core/background/graphicblock.h"
#include "core/model/document.h"

#include <QHash>
#include <QList>
#include <functional>
#include <QMainWindow>
#include <QPoint>
#include <QSize>
#include <QStringList>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QAction;
class QByteArray;
class QDragEnterEvent;
class QDropEvent;
class QFileDialog;
class QMenu;
class QMenuBar;
class QUndoStack;
class QWidget;
class ProblemsDock;
class RoomsDock;
class TStatusBar;
class TfrmToolbox;
class TfrmAbout;
class TfrmSettings;
class TRoom;
class TMapScene;
class MetaroomEditor;
class TMapView;
class TGraphicBlock;
class TfrmMainForm;
struct RecentFile;

// The main window's Blocks: the document's picture blocks, read each time; absent while
// there is no picture.
class PictureBlocks {
public:
    explicit PictureBlocks(const TfrmMainForm* form)
        : form(form)
    {
    }
    PictureBlocks(const PictureBlocks&) = delete;
    PictureBlocks& operator=(const PictureBlocks&) = delete;
    TBlockList* get() const;
    TBlockList* operator->() const { return get(); }
    TBlockList& operator*() const { return *get(); }
    explicit operator bool() const { return get() != nullptr; }

private:
    const TfrmMainForm* form;
};

// Top-left corner that centres a window of the given outer size on a screen,
// with division truncating toward zero.
QPoint centredTopLeft(QSize screen, QSize window);
// Moves a top-level window to the centre of the primary screen.
void centreOnScreen(QWidget* window);

// The main window: menu, status bar, the map view, and the editing state of the whole run
// (the tile grid and the room list).
class TfrmMainForm : public QMainWindow {
    Q_OBJECT
    int blockColumns() const;
    int blockRows() const;

public:
    explicit TfrmMainForm(QWidget* parent = nullptr);
    ~TfrmMainForm() override;

    static constexpr QSize EmptyPanelSize{433, 249};   // the surface while there is no picture

    // Menu
    QMenuBar* mMainMenu = nullptr;
    QMenu* File1 = nullptr;
    QMenu* View1 = nullptr;
    QMenu* Mode1 = nullptr;
    QMenu* Help1 = nullptr;
    QAction* Open1 = nullptr;
    QAction* Save1 = nullptr;
    QAction* N1 = nullptr;
    QAction* ImportBitmap1 = nullptr;
    QAction* ExportBitmap1 = nullptr;
    QAction* N2 = nullptr;
    QAction* LoadRoomDefs1 = nullptr;
    QAction* SaveRoomDefs1 = nullptr;
    QAction* N3 = nullptr;
    QAction* Toolbox1 = nullptr;
    QAction* ZoomIn1 = nullptr;
    QAction* ZoomOut1 = nullptr;
    QAction* ZoomFit1 = nullptr;
    QAction* ZoomActual1 = nullptr;
    QAction* ShowDoors1 = nullptr;       // View > Doors: the game's doors on the map
    QAction* ShowRoomTypes1 = nullptr;   // View > Room Types: rooms filled by type, a legend
    QAction* Snap1 = nullptr;            // View > Snap: drags and drawing snap to other rooms
    QAction* None1 = nullptr;
    // The map's context menu; its items act where it was last opened.
    QMenu* MapMenu = nullptr;
    QAction* AddRoomHere1 = nullptr;         // "Add Room", at the mouse
    QAction* SplitVertically1 = nullptr;     // "Split Here Vertically"
    QAction* SplitHorizontally1 = nullptr;   // "Split Here Horizontally"
    QAction* AddRoomBeyond1 = nullptr;       // "Add Room Beyond"

    QAction* Rooms1 = nullptr;
    QAction* About1 = nullptr;
    QAction* Webbasedhelp1 = nullptr;

    // File dialogs
    QFileDialog* odgBLK = nullptr;
    QFileDialog* sdgBLK = nullptr;
    QFileDialog* odgBMP = nullptr;
    QFileDialog* sdgBMP = nullptr;
    QFileDialog* odgCOS = nullptr;
    QFileDialog* sdgCOS = nullptr;

    TStatusBar* StatusBar = nullptr;
    // The map: Panel holds the block pictures (TImage) and the rooms (TRoom) as items,
    // scbImage shows it at a zoom.
    TMapView* scbImage = nullptr;
    TMapScene* Panel = nullptr;

    // The map's editor, the only maker of changes, with its document and undo stack.
    MetaroomEditor* Editor = nullptr;
    TMetaroomDocument* Document = nullptr;
    QUndoStack* UndoStack = nullptr;

    // Editing state, following the document: the item of each room in the document's
    // order, the item of the selected room, and the picture grid.
    TRoom* SelectedRoom = nullptr;
    QList<TRoom*> Rooms;   // not owning: rooms belong to Panel
    PictureBlocks Blocks{this};
    DocumentReading<TfrmMainForm, int, &TfrmMainForm::blockRows> BlockRows{this};
    DocumentReading<TfrmMainForm, int, &TfrmMainForm::blockColumns> BlockColumns{this};

    // The item of a room of the document, or nullptr.
    TRoom* roomOf(RoomKey key) const;

    // Windows it works with; set by start-up (or by the toolbox's constructor).
    TfrmToolbox* frmToolbox = nullptr;
    TfrmAbout* frmAbout = nullptr;

    // Shell handlers
    void FormCreate();
    void Toolbox1Click();
    void N3Click();
    void About1Click();
    // The map's context menu at a picture pixel over a room (0: none), and its items.
    void ShowMapMenu(QPoint picturePixel, RoomKey room, QPoint globalPos);
    void AddRoomHere1Click();
    void SplitVertically1Click();
    void SplitHorizontally1Click();
    void AddRoomBeyond1Click();
    void Webbasedhelp1Click();

    // File commands: each runs its dialog, then the operation below.
    void Open1Click();
    void Save1Click();
    void ImportBitmap1Click();
    void ExportBitmap1Click();
    void LoadRoomDefs1Click();
    void SaveRoomDefs1Click();

    // Background files. LoadBackground installs the picture as one undo step.
    // ReadBackground reads a file without changing anything: the picture, and the status
    // line that tells how its blocks were read.
    struct BackgroundRead {
        PictureGrid grid;
        QString loadedLine;
    };
    BackgroundRead ReadBackground(const QString& path);
    void LoadBackground(const QString& path);
    void SaveBackground(const QString& path);
    // Bitmap import and export
    void ImportBitmap(const QString& path);
    void ExportBitmap(const QString& path);
    // Room definition scripts. LoadRoomDefs adds the script's rooms to the map's;
    // OpenRoomDefs puts them in their place (one undo step; the picture stays).
    void LoadRoomDefs(const QString& path);
    void OpenRoomDefs(const QString& path);
    // What LoadRoomDefs does with the file's bytes once they are read.
    void LoadRoomDefsText(const QByteArray& text);
    void SaveRoomDefs(const QString& path);
    // The metarooms of the room file that the map did not open, kept to be written back
    // by a save over that file; the open metaroom stands at openIndex among them.
    struct OtherMetarooms {
        QString path;
        QList<RoomDefs> metarooms;
        int openIndex = 0;
    };
    OtherMetarooms RoomFileRest;

    // Room collection. AddRoom puts the new room at the middle of what the map shows,
    // AddRoomAt at a picture pixel; both keep it on the picture.
    void AddRoom();
    void AddRoomAt(QPoint picturePixel);
    void DeleteRoom();
    void SelectRoom(TRoom* room);
    TRoom* RoomByIndex(int index) const;

    // --- No lost work: undo, the map's files, and a question before unsaved work goes ---
    // UndoStack's clean state is "saved".
    QAction* New1 = nullptr;
    QAction* SaveAll1 = nullptr;
    QMenu* RecentFiles1 = nullptr;
    QMenu* Edit1 = nullptr;
    QAction* Undo1 = nullptr;
    QAction* Redo1 = nullptr;
    QAction* Settings1 = nullptr;        // Edit > Settings...
    QAction* AddRoom1 = nullptr;         // Edit > Add Room, at the middle of the view
    QAction* DoorsOnEdges1 = nullptr;    // Edit > Doors on All Shared Edges
    TfrmSettings* frmSettings = nullptr;

    void New1Click();
    void SaveAll1Click();
    void Settings1Click();
    void DoorsOnEdges1Click();

    // The room script the rooms were last loaded from or saved to, and the background
    // file the picture was last opened from or saved to; empty while there is none.
    QString RoomFile() const;
    QString BackgroundFile() const;
    // The picture differs from the one last opened or saved as a background file.
    bool PictureUnsaved() const;
    // The undo stack is away from its clean state.
    bool EditsUnsaved() const;
    // Either of the two; isWindowModified() shows it.
    bool HasUnsavedWork() const;

    // When work is unsaved, asks whether to save it first (Save, Discard, Cancel). True
    // when the caller may go on: nothing was unsaved, it is saved now, or the user lets
    // it go. A save that fails raises its error.
    bool AskBeforeLosingWork();
    // Saves the picture when it is unsaved, and the room script; asks a name only for a
    // file that has none. False when the user cancels a name.
    bool SaveAll();
    // An empty map: no picture, no rooms, default metaroom values, an empty undo stack.
    void NewMap();
    // Opens files given from outside (command line, drops): pictures first, then room
    // scripts. A file that fails shows its message and the rest still open; a Cancel to
    // the question ends it.
    void OpenFiles(const QStringList& paths);

    // The file operations report here what they did to the map's files.
    void PictureImported(const QString& path);
    void RoomFileRead(const QString& path, bool intoEmptyMap);
    void RoomFileWritten(const QString& path);

    // --- The game's rules: the Rooms and Problems docks ---
    RoomsDock* dockRooms = nullptr;
    ProblemsDock* dockProblems = nullptr;
    QAction* ShowRooms1 = nullptr;      // View > Rooms List
    QAction* ShowProblems1 = nullptr;   // View > Problems

    // Scrolls the map so that the room is in view.
    void ShowRoomInView(RoomKey key);

    // --- Doors picked on the map ---
    // Ends a door waiting in the toolbox for its second room, without a door.
    void CancelPendingDoor();
    // Shows whether a door waits: the status line says so, rooms take a link cursor, Esc
    // cancels. The toolbox calls it as its door turns pending or not.
    void followDoorPending(bool pending);
    // A shared edge clicked on the map: the first room is selected and the toolbox shows
    // their door, or offers to make it.
    void SharedEdgeClicked(RoomKey first, RoomKey second);
    // The window's size and place, the map's zoom and the docks' layout, kept in the
    // user's settings when the window closes and brought back at the next start.
    void SaveWindowState() const;
    void RestoreWindowState();

signals:
    void closed();
    // The map's mode changed (Mode > None, Mode > Rooms).
    void modeChanged();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void followDocument();
    void followRoomInserted(int position, RoomKey key);
    void followRoomRemoved(int position, RoomKey key);
    void followSelection(RoomKey now, RoomKey before);
    void showZoom(qreal zoom);
    void createMenu();
    void createModeItems();
    void showPointer(QPoint picturePixel);
    void createFileDialogs();
    void createPictureSurface();

    // No lost work
    void createEditMenu();
    void createUndoStack();
    void openBackgroundFile(const QString& path);
    void installBackground(const BackgroundRead& read, const QString& path, bool setFilename);
    void saveBackgroundFile(const QString& path);
    void importBitmapFile(const QString& path);
    void loadRoomFile(const QString& path);
    void readRoomDefs(const QString& path, bool replace);
    void saveRoomFile(const QString& path);
    bool openFile(const QString& path);
    bool openFileAs(mapfiles::Kind kind, const QString& path);   // false when the user cancels
    void rememberRecentFile(const RecentFile& file);
    void showRecentFiles();
    void showUnsavedState();
    // Corners typed in the toolbox and not applied yet go into the map before a save.
    void applyTypedCorners();

    // The game's rules
    void createDocks();
    void createMapMenu();
    void createEditCommands();
    QPoint mapMenuPixel;
    RoomKey mapMenuRoom = 0;
    void chooseRoom(RoomKey key);   // a room chosen in a dock
    void showGameErrorsOfSave(const QString& path);
    // The status line a save left, with its count of errors, while it may still be shown.
    struct ErrorsOfSave {
        QString fileName;
        int errors = 0;
        QString line;    // as the save wrote it
        QString shown;   // as it stands now
    } errorsOfSave;
    void followErrorsOfSave();

    // Doors picked on the map
    void createDoorPicking();
    QAction* cancelDoor = nullptr;   // Esc while a door waits
    QString doorWaitingLine;         // the status line that says so
    // The pair of a shared edge clicked last and the status line about their door, which
    // follows the door while it is shown.
    std::pair<RoomKey, RoomKey> edgePair{0, 0};
    QString edgePairLine;
    void showEdgePair();
    // Runs a save dialog offering a name from the map's files.
    std::optional<QString> chooseSaveFile(QFileDialog* dialog, mapfiles::Kind kind);
};
