#include "view/mapscene.h"

#include "core/model/editor.h"
#include "core/model/snapping.h"
#include "view/blockimage.h"
#include "view/blocklevels.h"
#include "view/doorsoverlay.h"
#include "view/pictureoverview.h"
#include "view/roomhandles.h"
#include "view/room.h"

#include <QGraphicsSceneMouseEvent>
#include <QGraphicsView>
#include <QKeyEvent>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>

using namespace roomhandles;

namespace {

// Below every room, however often rooms are lowered.
constexpr qreal pictureZ = -1e15;

// The transform from the scene to the screen pixels of the view an event came through.
QTransform toDeviceOf(const QGraphicsSceneMouseEvent* event)
{
    const QWidget* viewport = event->widget();
    if (const auto* view = viewport ? qobject_cast<const QGraphicsView*>(viewport->parentWidget()) : nullptr)
        return view->viewportTransform();
    return {};
}

qint64 cornerValue(const RoomShape& s, Corner corner)
{
    switch (corner) {
    case Corner::TopLeft: return s.ytl;
    case Corner::LeftWall: return s.xl;
    case Corner::BottomLeft: return s.ybl;
    case Corner::TopRight: return s.ytr;
    case Corner::RightWall: return s.xr;
    case Corner::BottomRight: return s.ybr;
    }
    return 0;
}

// A guide line: one screen pixel, dashed, in a colour no room or door is drawn in.
QPen guidePen()
{
    QPen pen(QColor(0, 230, 255), 1, Qt::DashLine);
    pen.setCosmetic(true);
    return pen;
}

// The shape with one handle moved by the mouse: walls move across, corners up and down,
// held at the least size that the room's handles allow.
RoomShape reshaped(const RoomShape& start, int handle, qint64 dx, qint64 dy)
{
    const auto corner = Corner(handle);
    const bool wall = corner == Corner::LeftWall || corner == Corner::RightWall;
    const RoomShape moved = WithCorner(start, corner, cornerValue(start, corner) + (wall ? dx : dy));
    return AdjustedShape(moved, corner, BoxSize, BoxSize);
}

} // namespace

TMapScene::TMapScene(MetaroomEditor* editor, QObject* parent)
    : QGraphicsScene(parent)
    , doc(editor->document())
    , edits(editor)
{
    turnEnd.setSingleShot(true);
    turnEnd.setInterval(0);
    connect(&turnEnd, &QTimer::timeout, this, [this] { removedThisTurn = 0; });
    connect(doc, &TMetaroomDocument::roomInserted, this, &TMapScene::addRoom);
    connect(doc, &TMetaroomDocument::roomRemoved, this, &TMapScene::removeRoom);
    connect(doc, &TMetaroomDocument::roomChanged, this, [this](RoomKey key, TMetaroomDocument::RoomChanges changes) {
        if (changes & TMetaroomDocument::ShapeChanged)
            changeRoom(key);
        else if (TRoom* room = roomItem(key); room && (changes & TMetaroomDocument::TypeChanged) && typesShown)
            room->update();
    });
    connect(doc, &TMetaroomDocument::doorsChanged, this, [this](RoomKey a, RoomKey b) {
        for (RoomKey key : {a, b}) {
            if (TRoom* room = roomItem(key))
                room->followDoors();
        }
    });
    connect(doc, &TMetaroomDocument::gridReplaced, this, &TMapScene::replacePicture);
    connect(doc, &TMetaroomDocument::surfaceSizeChanged, this, &TMapScene::followSurface);
    connect(doc, &TMetaroomDocument::selectedRoomsChanged, this, &TMapScene::followSelectedRooms);
    connect(doc, &TMetaroomDocument::selectionChanged, this, &TMapScene::followSelection);

    followSurface(doc->surfaceSize());
    replacePicture();
    for (int i = 0; i < doc->roomCount(); ++i)
        addRoom(i, doc->roomAt(i));
    followSelectedRooms(doc->selectedRooms(), {});
    followSelection(doc->selection(), 0);
    doors = new TDoorsOverlay(doc, this);
    connect(doors, &TDoorsOverlay::changed, this, [this](const QRectF& area) {
        if (doorsShown)
            updateViews(area);
    });
}

TMapScene::~TMapScene() = default;

// Following the document

void TMapScene::addRoom(int, RoomKey key)
{
    auto* item = new TRoom(edits, key);
    item->setScreenScale(scale);
    item->setZValue(++topZ);   // a new room comes on top, as the last one made
    roomItems.insert(key, item);
    addItem(item);
}

void TMapScene::setMode(Mode mode)
{
    if (mode == editMode)
        return;
    editMode = mode;
    // A drag in progress stops where it is.
    drag = {};
    showGuides({});
    showSketch(std::nullopt);
    emit dragValuesChanged(QString());
}

void TMapScene::removeRoom(int, RoomKey key)
{
    if (drag.pressed == key || drag.key == key) {
        const bool reported = drag.key != 0;
        drag = {};
        showGuides({});
        if (reported)
            emit dragValuesChanged(QString());
    }
    TRoom* item = roomItems.take(key);
    if (!item)
        return;
    // The first few rooms that go in a turn of the event loop are taken out of the scene
    // before they are deleted: the scene's index then drops each where it lies, where a room
    // deleted in the scene makes the index look over every item at its next use, which an
    // undo's change of selection brings at once. Many rooms that go together are left to
    // that one look.
    if (removedThisTurn++ == 0)
        turnEnd.start();
    if (removedThisTurn <= FewRemovals)
        removeItem(item);
    delete item;
}

void TMapScene::changeRoom(RoomKey key)
{
    if (TRoom* item = roomItem(key))
        item->followShape();
}

void TMapScene::replacePicture()
{
    qDeleteAll(blocks);
    blocks.clear();
    delete overview;
    overview = nullptr;
    const PictureGrid& grid = doc->grid();
    levels = std::make_shared<TPictureLevels>(grid);
    if (!grid.blocks || grid.rows <= 0)
        return;
    const bool blocksShown = scale >= TPictureOverview::ShownBelow;
    const int count = int(grid.blocks->size());
    for (int k = 0; k < count; ++k) {
        const TGraphicBlock& block = *(*grid.blocks)[size_t(k)];
        auto* item = new TImage(levels, k, block.Bitmap.size());
        item->setPos(TImage::CellSize * (k / grid.rows), TImage::CellSize * (k % grid.rows));
        item->setZValue(pictureZ);
        item->setVisible(blocksShown);
        blocks.append(item);
        addItem(item);
    }
    overview = new TPictureOverview(levels);
    overview->setZValue(pictureZ);
    overview->setVisible(!blocksShown);
    addItem(overview);
}

void TMapScene::showPictureForScale()
{
    const bool blocksShown = scale >= TPictureOverview::ShownBelow;
    if (!overview || overview->isVisible() != blocksShown)
        return;
    overview->setVisible(!blocksShown);
    for (TImage* item : std::as_const(blocks))
        item->setVisible(blocksShown);
}

void TMapScene::followSelection(RoomKey now, RoomKey before)
{
    if (TRoom* item = roomItem(before))
        item->setCurrent(false);
    // The current room comes on top.
    if (TRoom* item = roomItem(now)) {
        item->setCurrent(true);
        item->setZValue(++topZ);
    }
}

void TMapScene::followSelectedRooms(const QList<RoomKey>& now, const QList<RoomKey>& before)
{
    // A room that left the selection goes back to just above the picture.
    for (const RoomKey key : before) {
        TRoom* item = roomItem(key);
        if (item && !doc->isSelected(key)) {
            item->setSelected(false);
            item->setZValue(--bottomZ);
        }
    }
    for (const RoomKey key : now) {
        if (TRoom* item = roomItem(key))
            item->setSelected(true);
    }
}

void TMapScene::followSurface(QSize size)
{
    setSceneRect(QRectF(QPointF(0, 0), QSizeF(size)));
}

void TMapScene::setScreenScale(qreal screenScale)
{
    if (screenScale <= 0 || screenScale == scale)
        return;
    scale = screenScale;
    for (TRoom* item : std::as_const(roomItems))
        item->setScreenScale(scale);
    doors->setScreenScale(scale);
    showPictureForScale();
}

void TMapScene::setDoorsShown(bool shown)
{
    if (shown == doorsShown)
        return;
    doorsShown = shown;
    if (shown)
        doors->setFollowing(true);
    if (const QRectF drawn = doors->bounds(); !drawn.isEmpty())
        updateViews(drawn);
    if (!shown)
        doors->setFollowing(false);
}

void TMapScene::drawForeground(QPainter* painter, const QRectF& rect)
{
    if (doorsShown && rect.intersects(doors->bounds()))
        doors->paint(painter, rect);
    if (!guides.isEmpty()) {
        painter->setPen(guidePen());
        for (const QLineF& line : std::as_const(guides))
            painter->drawLine(line.translated(0.5, 0.5));   // through the pixels' centres
    }
    if (sketch) {
        // The room being drawn, where its outline will be: through its corner pixels' centres.
        QPen pen(sketch->bigEnough ? QColor(255, 0, 255) : QColor(160, 160, 160), 1, Qt::DashLine);
        pen.setCosmetic(true);
        painter->setPen(pen);
        painter->setBrush(Qt::NoBrush);
        const RoomShape& s = sketch->shape;
        const QPolygonF outline({QPointF(qreal(s.xl), qreal(s.ytl)), QPointF(qreal(s.xr), qreal(s.ytr)),
                                 QPointF(qreal(s.xr), qreal(s.ybr)), QPointF(qreal(s.xl), qreal(s.ybl))});
        painter->drawPolygon(outline.translated(0.5, 0.5));
    }
}

void TMapScene::setRoomTypesShown(bool shown)
{
    if (shown == typesShown)
        return;
    typesShown = shown;
    for (TRoom* item : std::as_const(roomItems))
        item->update();
}

QList<TRoom*> TMapScene::roomsAt(QPoint pixel, const QTransform& toDevice) const
{
    // The index finds the rooms whose bounds come within reach of the pixel; each then
    // says whether the pixel is on it.
    const QTransform toScene = toDevice.inverted();
    const QRectF around = toScene.mapRect(QRectF(pixel - QPoint(Reach, Reach), QSizeF(2 * Reach + 1, 2 * Reach + 1)));
    QList<TRoom*> found;
    for (QGraphicsItem* item : items(around, Qt::IntersectsItemBoundingRect, Qt::DescendingOrder)) {
        if (item->type() != TRoom::Type)
            continue;
        auto* room = static_cast<TRoom*>(item);
        if (room->partAt(pixel, toDevice) != NoPart)
            found.append(room);
    }
    return found;
}

// Mouse

bool TMapScene::event(QEvent* event)
{
    if (event->type() == QEvent::GraphicsSceneLeave)
        emit pointerLeft();
    return QGraphicsScene::event(event);
}

void TMapScene::mousePressEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QTransform toDevice = toDeviceOf(event);
    const QPoint pixel = screenPixel(toDevice.map(event->scenePos()));
    const QList<TRoom*> under = roomsAt(pixel, toDevice);
    const bool beneath = (event->modifiers() & Qt::AltModifier) && under.size() > 1;
    TRoom* room = under.value(beneath ? 1 : 0);
    drag = {};
    drag.pressScreenPixel = pixel;
    if (pressOnSharedEdge(event->scenePos(), room, room ? room->partAt(pixel, toDevice) : NoPart))
        return;
    if (!room) {
        emit offRoomsPressed();
        startDrawing(pixel, toDevice);
        return;
    }
    drag.pressed = room->key();
    drag.pressedSelected = room->key() == doc->selection();
    drag.part = room->partAt(pixel, toDevice);
    drag.toggles = event->modifiers() & Qt::ControlModifier;
    drag.startPixel = picturePixel(pixel, toDevice);
    if (drag.toggles || !room->isSelected() || editMode != Mode::Rooms)
        return;   // a press on another room only selects it, at the release
    drag.key = room->key();
    drag.start = doc->room(drag.key).shape;
    drag.mergeKey = MetaroomEditor::newMergeKey();
    if (drag.part == BodyPart && doc->selectedRooms().size() > 1)
        drag.group = doc->selectedRooms();
    room->setHoveredHandle(drag.part);
}

// A press within a few screen pixels of a shared edge picks that edge's pair of rooms,
// unless it holds a handle of the selected room.
bool TMapScene::pressOnSharedEdge(QPointF scenePos, TRoom* under, int part)
{
    if (!doorsShown || (under && under->isSelected() && part >= FirstHandle && part <= LastHandle))
        return false;
    const auto pair = doors->edgeAt(scenePos, EdgeReach / scale);
    if (!pair)
        return false;
    emit sharedEdgeClicked(pair->first, pair->second);
    return true;
}

// The second press of a quick pair is a press like any other.
void TMapScene::mouseDoubleClickEvent(QGraphicsSceneMouseEvent* event)
{
    mousePressEvent(event);
}

void TMapScene::mouseMoveEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    const QTransform toDevice = toDeviceOf(event);
    const QPoint pixel = screenPixel(toDevice.map(event->scenePos()));
    if ((event->buttons() & Qt::LeftButton) && pixel != drag.pressScreenPixel)
        drag.moved = true;
    emit pointerMoved(picturePixel(pixel, toDevice));
    if (drag.key)
        dragTo(pixel, toDevice, snapsNow(event->modifiers()));
    else if (drag.drawing)
        drawTo(pixel, toDevice, snapsNow(event->modifiers()));
    else if (event->buttons() == Qt::NoButton)
        hover(pixel, toDevice);
}

// Shift places freely, and so does Alt where the window manager lets it through.
bool TMapScene::snapsNow(Qt::KeyboardModifiers modifiers) const
{
    return snapOn && !(modifiers & (Qt::ShiftModifier | Qt::AltModifier));
}

void TMapScene::mouseReleaseEvent(QGraphicsSceneMouseEvent* event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    const QTransform toDevice = toDeviceOf(event);
    const QPoint pixel = screenPixel(toDevice.map(event->scenePos()));
    const Gesture done = drag;
    drag = {};
    showGuides({});
    if (done.drawing)
        finishDrawing();
    if (done.key || done.drawing)
        emit dragValuesChanged(QString());
    // A release over the room the press was on is a click on it: a click without a move on
    // the body of the current room goes to the room beneath it, and a drag keeps a
    // selection of several rooms.
    if (TRoom* room = roomItem(done.pressed); room && room->partAt(pixel, toDevice) != NoPart) {
        const bool again = done.pressedSelected && !done.moved && !done.toggles && done.part == BodyPart;
        const bool cycled = again && selectBeneath(room, pixel, toDevice);
        if (!cycled && (!done.moved || doc->selectedRooms().size() <= 1))
            clickRoom(room, done.toggles);
    }
    hover(pixel, toDevice);
}

// Selects the next room under the pixel below this one, round to the top; false when no
// other room is there.
bool TMapScene::selectBeneath(TRoom* room, QPoint pixel, const QTransform& toDevice)
{
    const QList<TRoom*> under = roomsAt(pixel, toDevice);
    const qsizetype at = under.indexOf(room);
    if (at < 0 || under.size() < 2)
        return false;
    under[(at + 1) % under.size()]->Select();
    return true;
}

// Drawing a room on empty map

void TMapScene::startDrawing(QPoint pixel, const QTransform& toDevice)
{
    if (editMode != Mode::Rooms || width() <= 0 || height() <= 0)
        return;
    drag.drawing = true;
    drag.startPixel = onSurface(picturePixel(pixel, toDevice));
}

// A drawn room stays on the picture's surface.
QPoint TMapScene::onSurface(QPoint picturePixel) const
{
    return {std::clamp(picturePixel.x(), 0, width() - 1), std::clamp(picturePixel.y(), 0, height() - 1)};
}

void TMapScene::drawTo(QPoint pixel, const QTransform& toDevice, bool snapping)
{
    const QPoint now = onSurface(picturePixel(pixel, toDevice));
    const qint64 reach = qint64(SnapReach / scale);
    const QRectF area = QRectF(QPointF(drag.startPixel), QPointF(now)).normalized().adjusted(-reach - 1, -reach - 1,
                                                                                                reach + 2, reach + 2);
    const DrawnRoom drawn =
        DrawRoom(drag.startPixel, now, roomShapesNear(area), reach, snapping, BoxSize, BoxSize);
    showSketch(drawn);
    showGuides(drawn.guides);
    const RoomShape& s = drawn.shape;
    const QString values = tr("New room: xl %1, xr %2, ytl %3, ybl %4 (%5 x %6)")
                               .arg(s.xl)
                               .arg(s.xr)
                               .arg(s.ytl)
                               .arg(s.ybl)
                               .arg(s.xr - s.xl)
                               .arg(s.ybl - s.ytl);
    emit dragValuesChanged(drawn.bigEnough ? values : values + tr(", too small"));
}

// A rectangle below the least size adds nothing: it was a click or a slip of the hand.
void TMapScene::finishDrawing()
{
    const std::optional<DrawnRoom> drawn = sketch;
    showSketch(std::nullopt);
    if (!drawn || !drawn->bigEnough)
        return;
    RoomRecord record;
    record.shape = drawn->shape;
    edits->addRoom(record);
}

void TMapScene::showSketch(const std::optional<DrawnRoom>& drawn)
{
    const qreal r = 2 / scale + 1;
    if (sketch)
        updateViews(pixelBounds(sketch->shape).adjusted(-r, -r, r, r));
    sketch = drawn;
    if (sketch)
        updateViews(pixelBounds(sketch->shape).adjusted(-r, -r, r, r));
}

// The rooms near an area that what is dragged or drawn snaps to.
QList<RoomShape> TMapScene::roomShapesNear(const QRectF& area) const
{
    QList<RoomShape> found;
    for (QGraphicsItem* item : items(area, Qt::IntersectsItemBoundingRect, Qt::AscendingOrder)) {
        if (item->type() == TRoom::Type && snapsTo(static_cast<TRoom*>(item)->key()))
            found.append(static_cast<TRoom*>(item)->roomShape());
    }
    return found;
}

// A click selects the room alone, a Ctrl+click adds it to the selection or takes it out.
void TMapScene::clickRoom(TRoom* room, bool toggles)
{
    if (toggles)
        doc->toggleSelected(room->key());
    else
        room->Select();
}

void TMapScene::hover(QPoint pixel, const QTransform& toDevice)
{
    // Only the selected room shows what is under the mouse, only where it is on top, and
    // only while it can be dragged.
    TRoom* selected = roomItem(doc->selection());
    if (!selected)
        return;
    const QList<TRoom*> under = roomsAt(pixel, toDevice);
    const bool shown = editMode == Mode::Rooms && under.value(0) == selected;
    selected->setHoveredHandle(shown ? selected->partAt(pixel, toDevice) : NoPart);
}

void TMapScene::dragTo(QPoint pixel, const QTransform& toDevice, bool snapping)
{
    // The pixel the press was on keeps its place under the mouse, in whole picture pixels.
    const QPoint now = picturePixel(pixel, toDevice);
    const qint64 dx = qint64(now.x()) - drag.startPixel.x();
    const qint64 dy = qint64(now.y()) - drag.startPixel.y();
    drag.moved = drag.moved || dx != 0 || dy != 0;
    if (!drag.group.isEmpty()) {
        dragGroup(dx, dy, snapping);
        return;
    }
    const bool moving = drag.part == BodyPart;
    RoomShape shape = moving ? Moved(drag.start, dx, dy) : reshaped(drag.start, drag.part, dx, dy);
    if (snapping)
        shape = snapped(shape, moving ? 0 : drag.part);
    else
        showGuides({});
    edits->setRoomShape(drag.key, shape, moving ? tr("Move Room") : tr("Reshape Room"), drag.mergeKey);
    reportDragValues(shape);
}

// The corners a drag moves: for the whole room its top-left, for a handle its value.
void TMapScene::reportDragValues(const RoomShape& shape)
{
    static const char* const names[] = {"", "ytl", "xl", "ybl", "ytr", "xr", "ybr"};
    if (drag.part == BodyPart)
        emit dragValuesChanged(moveFormat.arg(QString::number(shape.xl), QString::number(shape.ytl)));
    else if (drag.part >= FirstHandle && drag.part <= LastHandle)
        emit dragValuesChanged(QLatin1String(names[drag.part]) + u' ' + QString::number(cornerValue(shape, Corner(drag.part))));
}

// Several selected rooms move as one: the room under the mouse snaps, the others keep
// their places beside it.
void TMapScene::dragGroup(qint64 dx, qint64 dy, bool snapping)
{
    RoomShape shape = Moved(drag.start, dx, dy);
    if (snapping)
        shape = snapped(shape, 0);
    else
        showGuides({});
    const RoomShape& at = doc->room(drag.key).shape;
    edits->moveRooms(drag.group, shape.xl - at.xl, shape.ytl - at.ytl, drag.mergeKey);
    reportDragValues(shape);
}

// What a drag snaps to: every room but those it moves.
bool TMapScene::snapsTo(RoomKey key) const
{
    return key != drag.key && (drag.group.isEmpty() || !doc->isSelected(key));
}

// The shape drawn to the rooms near it, held at the least size that the handles allow;
// the guides show what it met.
RoomShape TMapScene::snapped(const RoomShape& shape, int part)
{
    const qint64 reach = qint64(SnapReach / scale);
    const QRectF near = pixelBounds(shape).adjusted(-reach - 1, -reach - 1, reach + 1, reach + 1);
    const QList<RoomShape> others = roomShapesNear(near);
    Snapped result = SnapShape(shape, part, others, reach);
    if (part != 0) {
        const RoomShape held = AdjustedShape(result.shape, Corner(part), BoxSize, BoxSize);
        if (held != result.shape)   // too small there: no snap
            result = {shape, {}};
    }
    showGuides(result.guides);
    return result.shape;
}

// Repaints part of the scene in the same paint as the items that changed with it: the
// scene's own update() reaches the views by a separate queued call, which costs a second
// paint for every step of a drag.
void TMapScene::updateViews(const QRectF& area)
{
    for (QGraphicsView* view : views())
        view->viewport()->update(view->mapFromScene(area).boundingRect().adjusted(-1, -1, 1, 1));
}

void TMapScene::showGuides(const QList<QLineF>& lines)
{
    if (lines == guides)
        return;
    // An empty rectangle would ask for the whole scene.
    if (const QRectF before = guideBounds(); !before.isEmpty())
        updateViews(before);
    guides = lines;
    if (const QRectF now = guideBounds(); !now.isEmpty())
        updateViews(now);
}

QRectF TMapScene::guideBounds() const
{
    QRectF bounds;
    for (const QLineF& line : guides)
        bounds |= QRectF(line.p1(), line.p2()).normalized();
    const qreal r = 2 / scale + 1;
    return guides.isEmpty() ? QRectF() : bounds.adjusted(-r, -r, r, r);
}

// Keys

void TMapScene::keyPressEvent(QKeyEvent* event)
{
    const RoomKey key = doc->selection();
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    if (!key || editMode != Mode::Rooms || (modifiers != Qt::NoModifier && modifiers != Qt::ShiftModifier)) {
        QGraphicsScene::keyPressEvent(event);
        return;
    }
    const int step = modifiers == Qt::ShiftModifier ? 10 : 1;
    switch (event->key()) {
    case Qt::Key_Left: nudge(-step, 0); break;
    case Qt::Key_Right: nudge(step, 0); break;
    case Qt::Key_Up: nudge(0, -step); break;
    case Qt::Key_Down: nudge(0, step); break;
    case Qt::Key_Delete:
        if (modifiers != Qt::NoModifier) {
            QGraphicsScene::keyPressEvent(event);
            return;
        }
        edits->deleteRooms(doc->selectedRooms());
        break;
    default: QGraphicsScene::keyPressEvent(event); return;
    }
    event->accept();
}

void TMapScene::nudge(int dx, int dy)
{
    edits->moveRooms(doc->selectedRooms(), dx, dy);
}
