#pragma once

#include "core/model/document.h"
#include "core/model/drawnroom.h"

#include <QGraphicsScene>
#include <QHash>
#include <QLineF>
#include <QList>
#include <QTimer>
#include <memory>
#include <optional>

class MetaroomEditor;
class TImage;
class TPictureLevels;
class TPictureOverview;
class TDoorsOverlay;
class TRoom;

// The map as items, following a document: one block item per block of the picture, behind
// every room (far zoomed out, one item of the whole picture is shown instead); one room item
// per room (TRoom), the selected one on top and the one that lost the selection just above
// the picture; the game's doors (TDoorsOverlay) in the foreground; the scene's rectangle is
// the surface. The mouse and the keys edit the rooms through the editor it is given:
// - a click selects the top room under the mouse alone, Alt+click the one under it; a click
//   without a move on the body of the selected room selects the next room beneath it;
//   Ctrl+click adds a room to the selection or takes it out;
// - in the Rooms mode, on the current room a drag from a handle reshapes it; a drag from
//   anywhere else on a selected room moves every selected room, and a drag where there is
//   no room draws a new room on the surface (none below the least size); each drag is one
//   step; what is dragged or drawn snaps to the walls and corners of other rooms within 6
//   screen pixels, with a guide line on what it snapped to, while snapping is on and
//   neither Shift nor Alt is held;
// - in the Rooms mode the arrow keys move the selected rooms by one picture pixel (with
//   Shift, ten), Delete removes them; each press is one step.
// In the None mode the mouse only selects and the keys leave the rooms alone.
class TMapScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit TMapScene(MetaroomEditor* editor, QObject* parent = nullptr);
    ~TMapScene() override;

    TMetaroomDocument* document() const { return doc; }
    MetaroomEditor* editor() const { return edits; }

    // The picture surface's size: the scene's rectangle.
    QSize size() const { return sceneRect().size().toSize(); }
    int width() const { return size().width(); }
    int height() const { return size().height(); }

    TRoom* roomItem(RoomKey key) const { return roomItems.value(key); }
    const QList<TImage*>& blockItems() const { return blocks; }
    // The whole picture in one item, shown instead of the block items far zoomed out.
    TPictureOverview* pictureOverview() const { return overview; }

    // The rooms that a screen pixel seen through toDevice falls on, the top one first.
    QList<TRoom*> roomsAt(QPoint pixel, const QTransform& toDevice) const;

    // Screen pixels per picture pixel in the view (the view sets it as it zooms).
    qreal screenScale() const { return scale; }
    void setScreenScale(qreal screenScale);

    // The game's doors over the rooms; shown at start.
    TDoorsOverlay* doorsOverlay() const { return doors; }
    bool doorsAreShown() const { return doorsShown; }
    void setDoorsShown(bool shown);
    // Rooms filled with their type's colour; not at start.
    bool roomTypesShown() const { return typesShown; }
    void setRoomTypesShown(bool shown);

    // What the mouse and keys may do to the rooms.
    enum class Mode { None, Rooms };
    Mode mode() const { return editMode; }
    void setMode(Mode mode);
    // Drags, handle moves and drawing snap to other rooms; on at start.
    bool snapping() const { return snapOn; }
    void setSnapping(bool on) { snapOn = on; }

    // The room a drag on empty map is drawing, while there is one.
    const std::optional<DrawnRoom>& drawnRoom() const { return sketch; }

    // The mouse drag in progress: the part of the room it holds, or 0 when there is none.
    int draggedPart() const { return drag.part; }
    // What the drag in progress snapped to, in picture coordinates.
    const QList<QLineF>& snapGuides() const { return guides; }

    // Screen pixels within which a drag snaps.
    static constexpr int SnapReach = 6;
    // Screen pixels within which a press picks a shared edge.
    static constexpr int EdgeReach = 3;

signals:
    // A left press on a shared edge drawn on the map (the doors shown), away from the
    // selected room's handles: the edge's rooms, the earlier in the map first.
    void sharedEdgeClicked(RoomKey first, RoomKey second);
    // A left press where there is no room.
    void offRoomsPressed();
    // A room asked to be the selected one (TRoom::Select), for the window to decide.
    void roomSelectRequested(TRoom* room);

signals:
    // The picture pixel under the mouse, at every move over the map.
    void pointerMoved(QPoint picturePixel);
    // The values a drag in progress changes ("xl 10, ytl 20"); empty when it ends.
    void dragValuesChanged(const QString& text);
    // The mouse left the map.
    void pointerLeft();

protected:
    bool event(QEvent* event) override;
    void mousePressEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseMoveEvent(QGraphicsSceneMouseEvent* event) override;
    void mouseReleaseEvent(QGraphicsSceneMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;

private:
    // A press of the left button: the room it was on, and what it drags.
    struct Gesture {
        RoomKey pressed = 0;
        RoomKey key = 0;       // the room dragged: the pressed room when it was selected
        int part = 0;          // the handle or the body it was pressed on
        RoomShape start;       // the room's shape at the press
        QPoint startPixel;     // the picture pixel under the press
        int mergeKey = 0;
        bool pressedSelected = false;   // the pressed room was the selected one
        bool drawing = false;  // pressed where there is no room: draws one
        bool toggles = false;  // a Ctrl+click: the release adds or takes out the room
        bool moved = false;    // the mouse left the screen pixel of the press
        QPoint pressScreenPixel;
        QList<RoomKey> group;  // the rooms a body drag moves when several are selected
    };

    void addRoom(int position, RoomKey key);
    void removeRoom(int position, RoomKey key);
    void changeRoom(RoomKey key);
    void replacePicture();
    void followSelection(RoomKey now, RoomKey before);
    void followSelectedRooms(const QList<RoomKey>& now, const QList<RoomKey>& before);
    void followSurface(QSize size);
    void showPictureForScale();

    void hover(QPoint pixel, const QTransform& toDevice);
    void dragTo(QPoint pixel, const QTransform& toDevice, bool snapping);
    void dragGroup(qint64 dx, qint64 dy, bool snapping);
    void clickRoom(TRoom* room, bool toggles);
    bool snapsTo(RoomKey key) const;
    RoomShape snapped(const RoomShape& shape, int part);
    bool snapsNow(Qt::KeyboardModifiers modifiers) const;
    void startDrawing(QPoint pixel, const QTransform& toDevice);
    QPoint onSurface(QPoint picturePixel) const;
    void drawTo(QPoint pixel, const QTransform& toDevice, bool snapping);
    void finishDrawing();
    void showSketch(const std::optional<DrawnRoom>& drawn);
    QList<RoomShape> roomShapesNear(const QRectF& area) const;
    bool selectBeneath(TRoom* room, QPoint pixel, const QTransform& toDevice);
    void reportDragValues(const RoomShape& shape);
    void updateViews(const QRectF& area);
    void showGuides(const QList<QLineF>& lines);
    QRectF guideBounds() const;
    void nudge(int dx, int dy);
    bool pressOnSharedEdge(QPointF scenePos, TRoom* under, int part);

    TMetaroomDocument* doc;
    MetaroomEditor* edits;
    const QString moveFormat = tr("Move: xl %1, ytl %2");   // a drag's values, at each step
    QHash<RoomKey, TRoom*> roomItems;
    QList<TImage*> blocks;
    TPictureOverview* overview = nullptr;
    std::shared_ptr<TPictureLevels> levels;
    qreal scale = 1;
    qreal topZ = 0;      // the z of the room raised last
    qreal bottomZ = 0;   // the z of the room lowered last
    Gesture drag;
    TDoorsOverlay* doors = nullptr;
    QList<QLineF> guides;
    bool doorsShown = true;
    bool typesShown = false;
    Mode editMode = Mode::Rooms;
    bool snapOn = true;
    std::optional<DrawnRoom> sketch;
    static constexpr int FewRemovals = 64;
    int removedThisTurn = 0;   // rooms removed since the event loop last turned
    QTimer turnEnd;            // ends the count
};
