#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class TfrmMainForm;
class TRoom;

// The toolbox: a small tool window that stays on top beside the main window. Its
// "Meta room" page holds the metaroom-wide values; its "Sub room" page shows the selected
// room's corners, type, music and doors and edits them.
class TfrmToolbox : public QWidget {
    Q_OBJECT
public:
    // Sets frmMainForm and the main window's frmToolbox, and places itself beside it.
    explicit TfrmToolbox(TfrmMainForm* mainForm);
    ~TfrmToolbox() override;

    TfrmMainForm* frmMainForm = nullptr;

    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;

    // Page "Meta room"
    QLabel* Label1 = nullptr;
    QLineEdit* edtOffsetX = nullptr;
    QLineEdit* edtOffsetY = nullptr;
    QLabel* Label10 = nullptr;
    QLineEdit* edtMetaRoomID = nullptr;
    QLabel* Label11 = nullptr;
    QLineEdit* edtSubRoomStartID = nullptr;
    QLabel* Label16 = nullptr;
    QLineEdit* edtMetaroomMusic = nullptr;
    QLabel* Label15 = nullptr;
    QLineEdit* edtDefaultRoomType = nullptr;
    QLabel* Label17 = nullptr;
    QLineEdit* edtFilename = nullptr;
    QPushButton* btnAddRoom = nullptr;
    QPushButton* btnDelRoom = nullptr;

    // Page "Sub room"
    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* edtytl = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* edtxl = nullptr;
    QLabel* Label6 = nullptr;
    QLineEdit* edtybl = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* edtytr = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* edtxr = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* edtybr = nullptr;
    QLabel* Label2 = nullptr;
    QComboBox* cbxDoorList = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* edtPerm = nullptr;
    QPushButton* btnAddDoor = nullptr;
    QPushButton* btnDeleteDoor = nullptr;
    QPushButton* btnUpdateDoor = nullptr;
    QLabel* Label14 = nullptr;
    QLineEdit* edtMusic = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* edtSubRoomID = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* edtRoomType = nullptr;

    TRoom* ShownRoom = nullptr;
    bool DoorPending = false;

    // Stored members of the metaroom settings; the offsets live in their edits.
    std::int32_t DefaultRoomType = 0;
    QString MetaroomMusic;
    QString MetaroomFilename;
    std::int32_t MetaRoomID = 0;
    std::int32_t SubRoomStartID = 0;

    std::int32_t GetOffsetX() const;
    std::int32_t GetOffsetY() const;
    void SetOffsetX(std::int32_t value);
    void SetOffsetY(std::int32_t value);
    void ShowMetaroomValues();

    void ShowRoom(TRoom* room);

    // Event handlers
    void FormCreate();
    void btnAddRoomClick();
    void btnDelRoomClick();
    void edtytlExit();
    void edtxlExit();
    void edtyblExit();
    void edtytrExit();
    void edtxrExit();
    void edtybrExit();
    void edtMusicChange();
    void edtRoomTypeChange();
    void edtMetaRoomIDChange();
    void edtSubRoomStartIDChange();
    void edtDefaultRoomTypeChange();
    void edtMetaroomMusicChange();
    void edtFilenameChange();
    void btnAddDoorClick();
    void cbxDoorListKeyPress(QKeyEvent* event);
    void cbxDoorListChange();
    void btnUpdateDoorClick();
    void btnDeleteDoorClick();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMetaRoomPage();
    void createSubRoomPage();
    void setTabOrders();
    void placeBesideMainWindow();
    void ShowRoomPosition(TRoom* room);
    void fillDoorList(TRoom* room);
    void showSelectedDoorPerm();
    void addDoorListEntry(const QString& text);
    void writePosition(QLineEdit* edit, void (TRoom::*setter)(int));

    int doorListIndex = -1;   // the entry picked last, to tell a different pick
};
