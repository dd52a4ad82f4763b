#pragma once

#include <QColor>
#include <QList>
#include <QString>
#include <QWidget>
#include <memory>
#include <vector>

class TfrmMainForm;
class TRoom;

// A one-way door record, held by the room it starts from.
class TDoor {
public:
    int perm = 0;
    TRoom* target = nullptr;
};

// One room of the metaroom, and the windowless control that draws it on Panel and
// takes the mouse. Corners are in picture coordinates.
//
// The shape is kept as the control's place on Panel (Left, Top, Width, Height) and six
// edges in control coordinates, all in 64 bits so that any 32-bit corner a user types
// is held exactly. The widget itself covers the part of that place that Panel can ever
// show; for every room within reach of a picture the two are the same.
class TRoom : public QWidget {
    Q_OBJECT
public:
    explicit TRoom(QWidget* owner);
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

    TfrmMainForm* parentForm = nullptr;   // the window whose SelectRoom the room calls
    bool fixed = true;
    int doorCount() const;
    int id = 0;
    QString music;
    int roomtype = 0;

    void Select();
    void Deselect();
    void AdjustShape();
    void FitBounds();

    // Doors
    void SetDoor(TRoom* target, int perm);
    void RemoveDoor(TRoom* target);
    TDoor* DoorAt(int index) const;       // raises "List index out of bounds"
    TDoor* DoorTo(TRoom* target) const;   // nullptr when there is none

    // The control's place on Panel. Moving it keeps the shape and announces nothing.
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

    Box handleBox(int code) const;
    static Box wallStrip(qint64 x, qint64 y1, qint64 y2);   // a wall three pixels wide, ends included
    int hitTest(Point p) const;
    bool contains(Point p) const;            // within the control's rectangle
    Point controlPoint(const QMouseEvent* event) const;
    bool isTopmostUnder(const QMouseEvent* event) const;
    QRect widgetRect(const Box& box) const;  // a box in widget coordinates, cut to the widget
    void placeWidget();                      // fits the widget to Left, Top, Width, Height
    void setHotHandle(int code);             // repaints the boxes whose colour changes
    void setCorner(qint64& edge, qint64 value, Handle code);
    void handleMouseMove(const QMouseEvent* event);
    void handleMouseRelease(const QMouseEvent* event);
    void moveWithMouse(const QMouseEvent* event);
    void reshapeWithMouse(Point p);
    void loseCapture();
    void forgetDoorTo(TRoom* target);
    qsizetype indexOfDoorTo(const TRoom* target) const;

    // The control's place on Panel.
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
    QColor outlineColor = Qt::white;
    bool selected = false;
    bool capture = false;        // the room takes the mouse while a button is down
    bool clickPending = false;   // the left button went down on the room

    std::vector<std::unique_ptr<TDoor>> doors;   // in the order each was first made
    QList<TRoom*> doorsIn;                       // rooms holding a door to this one
};
