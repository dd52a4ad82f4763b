#pragma once

#include <QList>
#include <QMainWindow>
#include <QPoint>
#include <QSize>
#include <memory>
#include <vector>

class QAction;
class QByteArray;
class QFileDialog;
class QMenu;
class QMenuBar;
class QScrollArea;
class QWidget;
class TStatusBar;
class TfrmToolbox;
class TfrmAbout;
class TRoom;
class TGraphicBlock;

using TBlockList = std::vector<std::unique_ptr<TGraphicBlock>>;

// Top-left corner that centres a window of the given outer size on a screen,
// with division truncating toward zero.
QPoint centredTopLeft(QSize screen, QSize window);
// Moves a top-level window to the centre of the primary screen.
void centreOnScreen(QWidget* window);

// The main window: menu, status bar, the scrolling picture surface, and the editing
// state of the whole run (the tile grid and the room list).
class TfrmMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmMainForm(QWidget* parent = nullptr);
    ~TfrmMainForm() override;

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
    QAction* None1 = nullptr;
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
    QScrollArea* scbImage = nullptr;
    QWidget* Panel = nullptr;

    // Editing state
    TRoom* SelectedRoom = nullptr;
    std::unique_ptr<TBlockList> Blocks;   // absent until the first load or import
    QList<TRoom*> Rooms;                  // not owning: rooms belong to Panel
    int BlockRows = 0;
    int BlockColumns = 0;

    // Windows it works with; set by start-up (or by the toolbox's constructor).
    TfrmToolbox* frmToolbox = nullptr;
    TfrmAbout* frmAbout = nullptr;

    // Shell handlers
    void FormCreate();
    void Toolbox1Click();
    void N3Click();
    void About1Click();
    void Webbasedhelp1Click();

    // File commands: each runs its dialog, then the operation below.
    void Open1Click();
    void Save1Click();
    void ImportBitmap1Click();
    void ExportBitmap1Click();
    void LoadRoomDefs1Click();
    void SaveRoomDefs1Click();

    // Background files
    void LoadBackground(const QString& path);
    void SaveBackground(const QString& path);
    // Bitmap import and export
    void ImportBitmap(const QString& path);
    void ExportBitmap(const QString& path);
    // Room definition scripts
    void LoadRoomDefs(const QString& path);
    // What LoadRoomDefs does with the file's bytes once they are read.
    void LoadRoomDefsText(const QByteArray& text);
    void SaveRoomDefs(const QString& path);

    // Room collection
    void AddRoom();
    void DeleteRoom();
    void SelectRoom(TRoom* room);
    TRoom* RoomByIndex(int index) const;

signals:
    void closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void createMenu();
    void createFileDialogs();
    void createPictureSurface();
};
