#pragma once

#include "core/common/documentvalue.h"
#include "core/model/editor.h"
#include "core/model/document.h"
#include "core/model/roomshape.h"
#include "app/framepacer.h"

#include <QDockWidget>
#include <QHash>
#include <QSet>
#include <QSize>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <optional>

class QComboBox;
class QGroupBox;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class RoomTypePicker;
class TfrmMainForm;
class TRoom;

// A flag that tells when it turns on or off.
class PendingFlag {
public:
    explicit PendingFlag(std::function<void(bool)> changed)
        : changed(std::move(changed))
    {
    }
    PendingFlag& operator=(bool on)
    {
        if (on != value) {
            value = on;
            changed(on);
        }
        return *this;
    }
    explicit operator bool() const { return value; }

private:
    bool value = false;
    std::function<void(bool)> changed;
};

// The toolbox: a dock of the main window, on its right side at start, that can float. Its
// "Meta room" page holds the metaroom-wide values; its "Sub room" page shows the selected
// room's corners, type, music and doors and edits them.
class TfrmToolbox : public QDockWidget {
    Q_OBJECT
    std::int32_t metaRoomIDValue() const;
    void setMetaRoomIDValue(const std::int32_t& value);
    std::int32_t subRoomStartIDValue() const;
    void setSubRoomStartIDValue(const std::int32_t& value);
    std::int32_t defaultRoomTypeValue() const;
    void setDefaultRoomTypeValue(const std::int32_t& value);
    QString metaroomMusicValue() const;
    void setMetaroomMusicValue(const QString& value);
    QString metaroomFilenameValue() const;
    void setMetaroomFilenameValue(const QString& value);

public:
    // The pages' size, fixed: the controls stand at fixed places.
    static constexpr QSize PagesSize{226, 247};

    // Sets frmMainForm and the main window's frmToolbox, and docks on its right side.
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
    QPushButton* btnAddRoom2 = nullptr;   // "Add Room" on the Sub room page

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
    RoomTypePicker* RoomTypes = nullptr;   // the game's type names beside edtRoomType

    // The room the Sub room page shows: the selected room, following the document.
    TRoom* ShownRoom = nullptr;
    // A door waiting for its second room; doorPendingChanged tells when it turns on or off.
    PendingFlag DoorPending{[this](bool on) { emit doorPendingChanged(on); }};

    // The metaroom values of the document, read each time; a write is one undo step and
    // the edits follow it at once.
    DocumentValue<TfrmToolbox, std::int32_t, &TfrmToolbox::defaultRoomTypeValue, &TfrmToolbox::setDefaultRoomTypeValue>
        DefaultRoomType{this};
    DocumentValue<TfrmToolbox, QString, &TfrmToolbox::metaroomMusicValue, &TfrmToolbox::setMetaroomMusicValue>
        MetaroomMusic{this};
    DocumentValue<TfrmToolbox, QString, &TfrmToolbox::metaroomFilenameValue, &TfrmToolbox::setMetaroomFilenameValue>
        MetaroomFilename{this};
    DocumentValue<TfrmToolbox, std::int32_t, &TfrmToolbox::metaRoomIDValue, &TfrmToolbox::setMetaRoomIDValue>
        MetaRoomID{this};
    DocumentValue<TfrmToolbox, std::int32_t, &TfrmToolbox::subRoomStartIDValue, &TfrmToolbox::setSubRoomStartIDValue>
        SubRoomStartID{this};

    // The permeability typed for new doors; raises the conversion's or the game's refusal.
    int typedPerm() const;

    std::int32_t GetOffsetX() const;
    std::int32_t GetOffsetY() const;
    void SetOffsetX(std::int32_t value);
    void SetOffsetY(std::int32_t value);
    void ShowMetaroomValues();

    // Shows the room on the Sub room page, or completes a pending door with it.
    void ShowRoom(TRoom* room);

    // A door waiting for its second room: the shown room and the permeability typed for it
    // (raises the conversion error for a bad one). None while no door is pending.
    struct PendingDoor {
        RoomKey from = 0;
        int perm = 0;
    };
    std::optional<PendingDoor> pendingDoor() const;
    // While a door is pending and room is another room, links the two (one undo step),
    // shows the first room again and returns true; otherwise returns false. A permeability
    // that does not convert raises before anything changes.
    bool CompletePendingDoor(TRoom* room);

    // Picks the entry of a room in the door list, a door or a neighbour, and shows its
    // door's permeability; nothing when the room is not listed.
    void ShowDoorTo(RoomKey other);

    // Applies the corners typed and not applied yet, as Return would (a save comes first).
    void ApplyTypedCorners();

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
    void edtOffsetXChange();
    void edtOffsetYChange();
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
    void edtPermReturn();

signals:
    void doorPendingChanged(bool pending);

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createMetaRoomPage();
    void createSubRoomPage();
    void setTabOrders();
    void useFieldStyle();
    TMetaroomDocument* document() const;
    void followDocument();
    void followSelection(RoomKey now);
    void followRoomChanged(RoomKey key, TMetaroomDocument::RoomChanges changes);
    void followDoors(RoomKey a, RoomKey b);
    void followNumbers();
    void followMetaroom();
    void showRoomPage(TRoom* room);
    void changeMetaroom(const std::function<void(MetaroomValues&)>& change, const char* text, QLineEdit* typedIn);
    int mergeKeyOf(QLineEdit* typedIn);
    void typed(QLineEdit* typedIn);
    QStringList doorEntries(const TRoom* room) const;
    void followNeighbour(RoomKey key);
    void neighboursMayHaveChanged();
    void refreshNeighbours();
    void followDrag(bool inProgress);
    void showPaced();
    TRoom* entryRoom(const QString& entry) const;
    bool neighbourPicked() const;
    QList<std::pair<QLineEdit*, Corner>> cornerEdits() const;
    void applyCorners(QLineEdit* left);
    void ShowRoomPosition(TRoom* room);
    void fillDoorList(TRoom* room);
    void showSelectedDoorPerm();

    int doorListIndex = -1;   // the entry picked last, to tell a different pick
    QList<RoomKey> roomsToChange() const;   // the selected rooms, when the shown one is among them
    bool showingValues = false;   // the fields are being set to the shown room's values
    RoomKey shownKey = 0;     // ShownRoom's key: its widget may be gone before the toolbox hears
    QHash<QLineEdit*, MetaroomEditor::EditRun> typing;   // a run of typing into one field is one undo step
    // A neighbour's entry in the door list: its number and this.
    static inline const QString NeighbourMark = QStringLiteral(" new");
    QList<RoomKey> neighbours;          // the rooms that share an edge with the shown room
    bool neighboursStale = false;       // a room changed shape; looked up again once the events are done
    QTimer neighboursTimer;             // that look-up
    bool dragging = false;              // the mouse drags rooms on the map
    bool positionStale = false;         // the shown room's corners changed in a drag, not yet shown
    FramePacer paced{[this] { showPaced(); }, FramePacer::First::AfterTheTurn};   // shows those and the neighbours
    QSet<QLineEdit*> typedCorners;      // corner fields typed since the room was shown
    bool showingPosition = false;       // the page writes the corners, nobody types them
};
