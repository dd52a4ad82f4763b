#pragma once

#include "app/documentvalue.h"
#include "core/model/document.h"

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class TfrmMainForm;
class TRoom;

// A door of a room as the document holds it: the room it leads to and its permeability.
// Writing perm sets the permeability of the pair (one undo step). A door object lasts
// until the doors of its room change.
class TDoor {
    int permValue() const;
    void setPermValue(const int& value);

public:
    TDoor(TRoom* from, TRoom* target);
    TDoor(const TDoor&) = delete;
    TDoor& operator=(const TDoor&) = delete;

    DocumentValue<TDoor, int, &TDoor::permValue, &TDoor::setPermValue> perm{this};
    TRoom* const target;

private:
    TRoom* const from;
};

// The widget of one room of the document (one RoomKey): it draws the room on Panel and
// takes the mouse. It holds no map state: corners, type, music and doors are read from the
// document, and every change it makes is an undo step on the main window's UndoStack.
// Corners are in picture coordinates.
//
// The widget covers the part of the room's place that Panel can ever show; for every room
// within reach of a picture the two are the same.
class TRoom : public QWidget {
    Q_OBJECT
    int roomtypeValue() const;
    void setRoomtypeValue(const int& value);
    QString musicValue() const;
    void setMusicValue(const QString& value);
    int idValue() const;

public:
    TRoom(TfrmMainForm* form, RoomKey key);
    ~TRoom() override;

    // Handle codes: what the mouse is over, and what a drag changes.
    enum Handle {
        NoHandle = 0,
        TopLeft = 1,      // ytl
        LeftWall = 2,     // xl
        BottomLeft = 3,   // ybl
        TopRight = 4,     // ytr
        RightWall = 5,    // xr
        BottomRight = 6,  // ybr
        Body = 10,        // the room as a whole
    };

    int HandleWidth = 5;
    int HandleHeight = 5;

    // Corners. A write is one undo step; while `fixed` it keeps the minimum size (holding
    // back only the written corner) and selects the room, otherwise it stores the value as it is.
    int xr() const;
    void setXr(int value);
    int xl() const;
    void setXl(int value);
    int ytl() const;
    void setYtl(int value);
    int ytr() const;
    void setYtr(int value);
    int ybl() const;
    void setYbl(int value);
    int ybr() const;
    void setYbr(int value);

    TfrmMainForm* parentForm = nullptr;   // the window whose document the room shows
    bool fixed = true;
    int doorCount() const;
    // The room's position in Rooms, always current.
    DocumentReading<TRoom, int, &TRoom::idValue> id{this};
    DocumentValue<TRoom, QString, &TRoom::musicValue, &TRoom::setMusicValue> music{this};
    DocumentValue<TRoom, int, &TRoom::roomtypeValue, &TRoom::setRoomtypeValue> roomtype{this};

    RoomKey key() const { return roomKey; }
    const RoomShape& shape() const;

    // Makes the room the selected one (the main window's SelectRoom) and gives it the
    // selected look again when it is.
    void Select();

    // Doors, both ways at once: SetDoor links the two rooms (or sets the permeability of
    // their link), RemoveDoor unlinks them. Each is one undo step when it changes anything.
    void SetDoor(TRoom* target, int perm);
    void RemoveDoor(TRoom* target);
    TDoor* DoorAt(int index) const;       // raises "List index out of bounds"
    TDoor* DoorTo(TRoom* target) const;   // nullptr when there is none

    // The room's place on Panel (xl - 2, min(ytl, ytr) - 2). Setting one moves the room:
    // one undo step, no selection.
    int left() const;
    int top() const;
    void setLeft(int value);
    void setTop(int value);

    // Read-only state
    bool isSelected() const { return selected; }
    int hoveredHandle() const { return hotHandle; }
    int draggedHandle() const { return dragHandle; }
    bool isDragging() const { return dragging; }
    bool holdsCapture() const { return capture; }
    QColor selectedOutlineColor() const { return outlineColor; }

    // What the main window calls as the document changes.
    void followShape();                 // the shape changed: new place, repaint
    void followDoors() { doorsStale = true; }
    void showSelected();                // the room became the selected one
    void Deselect();                    // the room lost the selection

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    // A box in control coordinates; right and bottom are exclusive.
    struct Box {
        qint64 left, top, right, bottom;
    };
    struct Point {
        qint64 x, y;
    };

    TMetaroomDocument* document() const;
    void changeShape(const RoomShape& shape, const QString& text, int mergeKey = 0);
    void setCorner(Corner corner, int value, const char* text);
    Box handleBox(int code) const;
    static Box wallStrip(qint64 x, qint64 y1, qint64 y2);   // a wall three pixels wide, ends included
    int hitTest(Point p) const;
    bool contains(Point p) const;            // within the control's rectangle
    Point controlPoint(const QMouseEvent* event) const;
    bool isTopmostUnder(const QMouseEvent* event) const;
    QRect widgetRect(const Box& box) const;  // a box in widget coordinates, cut to the widget
    void placeWidget();                      // fits the widget to Left, Top, Width, Height
    void setHotHandle(int code);             // repaints the boxes whose colour changes
    void handleMouseMove(const QMouseEvent* event);
    void handleMouseRelease(const QMouseEvent* event);
    void moveWithMouse(const QMouseEvent* event);
    void reshapeWithMouse(const QMouseEvent* event);
    void loseCapture();
    void refreshDoors() const;

    RoomKey roomKey;

    // The control's place on Panel and the handle box edges in control coordinates, as
    // the shape calls for: Left = xl - 2, Top = min(ytl, ytr) - 2, and so on.
    qint64 Left = 0;
    qint64 Top = 0;
    qint64 Width = 100;
    qint64 Height = 100;
    // Widget position minus Left and Top: control coordinates are widget coordinates plus these.
    qint64 shiftX = 0;
    qint64 shiftY = 0;

    qint64 edgeL = 0;
    qint64 edgeR = 100;
    qint64 edgeTL = 0;
    qint64 edgeTR = 0;
    qint64 edgeBL = 100;
    qint64 edgeBR = 100;

    int hotHandle = NoHandle;
    int dragHandle = NoHandle;
    bool dragging = false;
    qint64 grabX = 0;
    qint64 grabY = 0;
    int dragKey = 0;             // merge key of the drag in progress
    QColor outlineColor = Qt::white;
    bool selected = false;
    bool capture = false;        // the room takes the mouse while a button is down
    bool clickPending = false;   // the left button went down on the room

    mutable std::vector<std::unique_ptr<TDoor>> doors;   // the document's doors, made when asked for
    mutable bool doorsStale = true;
};
