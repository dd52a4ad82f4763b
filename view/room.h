#pragma once

#include "core/common/documentvalue.h"
#include "core/model/document.h"

#include <QColor>
#include <QGraphicsObject>
#include <QString>
#include <memory>
#include <vector>

class MetaroomEditor;
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

// One room of the document (one RoomKey) as an item of the map scene (Panel). It holds no
// map state: corners, type, music and doors are read from the document, and every change
// it makes is a call of the map's editor. Corners are in picture pixels.
//
// It draws its outline through the centres of its corner pixels, one screen pixel wide;
// when selected, fuchsia, and when it is the current room as well, with six handle boxes
// of 5 x 5 screen pixels, the one under the mouse lime. While the scene shows room types it fills the room with its type's colour,
// under the outline. The scene keeps it in step with the document and hands it the mouse.
class TRoom : public QGraphicsObject {
    Q_OBJECT
    int roomtypeValue() const;
    void setRoomtypeValue(const int& value);
    QString musicValue() const;
    void setMusicValue(const QString& value);
    int idValue() const;

public:
    enum { Type = UserType + 2 };

    TRoom(MetaroomEditor* editor, RoomKey key);
    ~TRoom() override;

    // Handle codes: what the mouse is over, and what a drag changes.
    enum Handle {
        NoHandle = roompart::None,
        TopLeft = int(Corner::TopLeft),           // ytl
        LeftWall = int(Corner::LeftWall),         // xl
        BottomLeft = int(Corner::BottomLeft),     // ybl
        TopRight = int(Corner::TopRight),         // ytr
        RightWall = int(Corner::RightWall),       // xr
        BottomRight = int(Corner::BottomRight),   // ybr
        Body = roompart::Body,                    // the room as a whole
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

    TfrmMainForm* parentForm = nullptr;   // the window that selects rooms, when there is one
    bool fixed = true;
    int doorCount() const;
    // The room's position in the document, always current.
    DocumentReading<TRoom, int, &TRoom::idValue> id{this};
    DocumentValue<TRoom, QString, &TRoom::musicValue, &TRoom::setMusicValue> music{this};
    DocumentValue<TRoom, int, &TRoom::roomtypeValue, &TRoom::setRoomtypeValue> roomtype{this};

    int type() const override { return Type; }
    RoomKey key() const { return roomKey; }
    TMetaroomDocument* document() const { return doc; }
    // The shape as the document holds it.
    const RoomShape& roomShape() const;

    // Makes the room the selected one: a window that selects rooms (parentForm) hears
    // its map scene's roomSelectRequested and decides (a pending door may take the click);
    // without one the document selects it.
    void Select();

    // Doors, both ways at once: SetDoor links the two rooms (or sets the permeability of
    // their link), RemoveDoor unlinks them. Each is one undo step when it changes anything.
    void SetDoor(TRoom* target, int perm);
    void RemoveDoor(TRoom* target);
    TDoor* DoorAt(int index) const;       // raises "List index out of bounds"
    TDoor* DoorTo(TRoom* target) const;   // nullptr when there is none

    // The box of the handles around the corners at 100 %: (xl - 2, min(ytl, ytr) - 2).
    // Setting one moves the room: one undo step, no selection.
    int left() const;
    int top() const;
    void setLeft(int value);
    void setTop(int value);

    // The part under the mouse: a handle (1 to 6), the body (10) or none (0). Only the
    // selected room shows it, as the lime box.
    int hoveredHandle() const { return hovered; }
    void setHoveredHandle(int part);
    // The part of the room at a screen pixel seen through toDevice: a handle (only while
    // selected), the body, or none.
    int partAt(QPoint pixel, const QTransform& toDevice) const;
    // Screen pixels per picture pixel where the room is shown: the selected room's bounds
    // reach around it as far as its handle boxes do.
    void setScreenScale(qreal scale);

    QColor outlineColor() const;
    // The current room of the selection: the one that shows its handles while selected.
    bool isCurrent() const { return current; }
    void setCurrent(bool on);

    // What the scene calls as the document changes.
    void followShape();                 // the shape changed: new bounds, repaint
    void followDoors() { doorsStale = true; }

    QRectF boundingRect() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

protected:
    QVariant itemChange(GraphicsItemChange change, const QVariant& value) override;

private:
    void changeShape(const RoomShape& shape, const QString& text);
    void setCorner(Corner corner, int value, const char* text);
    bool handlesShown() const { return current && isSelected(); }
    qreal reach() const;   // picture units that hold the handle boxes around the corners
    void updateHandle(int part);
    void refreshDoors() const;

    TMetaroomDocument* doc;
    MetaroomEditor* edits;
    RoomKey roomKey;
    RoomShape shapeNow;   // what the item's bounds were last made from
    int hovered = NoHandle;
    qreal screenScale = 1;
    bool current = false;

    mutable std::vector<std::unique_ptr<TDoor>> doors;   // the document's doors, made when asked for
    mutable bool doorsStale = true;
};
