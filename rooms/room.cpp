#include "rooms/room.h"

#include "app/application.h"
#include "core/common/errors.h"
#include "app/main.h"
#include "core/model/commands.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

// The widget never reaches further than this from Panel's origin: a picture is at most
// 65535 blocks of 128 pixels across, so Panel lies well inside, and a widget of this
// size stays within Qt's limits.
constexpr qint64 widgetReachLow = -(qint64(1) << 23) + 1;
constexpr qint64 widgetReachHigh = qint64(1) << 23;

// Start and length of the part of [start, start + length) that the widget covers.
std::pair<int, int> widgetSpan(qint64 start, qint64 length)
{
    const qint64 low = std::clamp(start, widgetReachLow, widgetReachHigh);
    const qint64 high = std::clamp(start + std::max<qint64>(length, 0), widgetReachLow, widgetReachHigh);
    return {int(low), int(high - low)};
}

// Cuts the segment a-b to the rectangle; false when nothing of it is inside.
bool clipSegment(QPointF& a, QPointF& b, const QRectF& r)
{
    const double dx = b.x() - a.x();
    const double dy = b.y() - a.y();
    double t0 = 0.0;
    double t1 = 1.0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x() - r.left(), r.right() - a.x(), a.y() - r.top(), r.bottom() - a.y()};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0.0)
            t0 = std::max(t0, t);
        else
            t1 = std::min(t1, t);
    }
    if (t0 > t1)
        return false;
    const QPointF start = a;
    a = start + QPointF(dx, dy) * t0;
    b = start + QPointF(dx, dy) * t1;
    return true;
}

// A line three pixels wide: three one-pixel lines side by side, across the line's main
// direction. Much quicker than a wide pen, which goes through a path fill.
void drawWideLine(QPainter& painter, QPointF from, QPointF to, const QRectF& reach)
{
    if (!clipSegment(from, to, reach))
        return;
    const QPoint a = from.toPoint();
    const QPoint b = to.toPoint();
    const QPoint across = std::abs(b.y() - a.y()) <= std::abs(b.x() - a.x()) ? QPoint(0, 1) : QPoint(1, 0);
    for (int k = -1; k <= 1; ++k)
        painter.drawLine(a + k * across, b + k * across);
}

const QColor fuchsia(255, 0, 255);
const QColor white(255, 255, 255);
const QColor blue(0, 0, 255);
const QColor lime(0, 255, 0);

} // namespace

TDoor::TDoor(TRoom* from, TRoom* target)
    : target(target)
    , from(from)
{
}

int TDoor::permValue() const
{
    return from->parentForm->Document->doorPerm(from->key(), target->key()).value_or(0);
}

void TDoor::setPermValue(const int& value)
{
    from->SetDoor(target, value);
}

TRoom::TRoom(TfrmMainForm* form, RoomKey key)
    : QWidget(form->Panel)
    , parentForm(form)
    , roomKey(key)
{
    setMouseTracking(true);
    followShape();
    setVisible(true);
}

TRoom::~TRoom() = default;

TMetaroomDocument* TRoom::document() const
{
    return parentForm->Document;
}

const RoomShape& TRoom::shape() const
{
    return document()->room(roomKey).shape;
}

// Values of the document

int TRoom::idValue() const { return document()->positionOf(roomKey); }
int TRoom::roomtypeValue() const { return document()->room(roomKey).roomtype; }
QString TRoom::musicValue() const { return document()->room(roomKey).music; }

void TRoom::setRoomtypeValue(const int& value)
{
    RoomRecord record = document()->room(roomKey);
    if (record.roomtype == value)
        return;
    record.roomtype = value;
    parentForm->Push(new ChangeRoomCommand(document(), roomKey, record, QStringLiteral("Change Room Type")));
}

void TRoom::setMusicValue(const QString& value)
{
    RoomRecord record = document()->room(roomKey);
    if (record.music == value)
        return;
    record.music = value;
    parentForm->Push(new ChangeRoomCommand(document(), roomKey, record, QStringLiteral("Change Room Music")));
}

// Corners

int TRoom::xl() const { return SaturatedCorner(shape().xl); }
int TRoom::xr() const { return SaturatedCorner(shape().xr); }
int TRoom::ytl() const { return SaturatedCorner(shape().ytl); }
int TRoom::ytr() const { return SaturatedCorner(shape().ytr); }
int TRoom::ybl() const { return SaturatedCorner(shape().ybl); }
int TRoom::ybr() const { return SaturatedCorner(shape().ybr); }

void TRoom::setXl(int value) { setCorner(Corner::LeftWall, value, "Change Left Wall"); }
void TRoom::setXr(int value) { setCorner(Corner::RightWall, value, "Change Right Wall"); }
void TRoom::setYtl(int value) { setCorner(Corner::TopLeft, value, "Change Top Left"); }
void TRoom::setYtr(int value) { setCorner(Corner::TopRight, value, "Change Top Right"); }
void TRoom::setYbl(int value) { setCorner(Corner::BottomLeft, value, "Change Bottom Left"); }
void TRoom::setYbr(int value) { setCorner(Corner::BottomRight, value, "Change Bottom Right"); }

void TRoom::setCorner(Corner corner, int value, const char* text)
{
    RoomShape s = WithCorner(shape(), corner, value);
    if (fixed)
        s = AdjustedShape(s, corner, HandleWidth, HandleHeight);
    dragHandle = int(corner);
    changeShape(s, QString::fromLatin1(text));
    // A write of a fixed room makes it the selected one, as a click does.
    if (fixed && parentForm->SelectedRoom != this)
        parentForm->Document->select(roomKey);
}

void TRoom::changeShape(const RoomShape& s, const QString& text, int mergeKey)
{
    if (s == shape())
        return;
    RoomRecord record = document()->room(roomKey);
    record.shape = s;
    parentForm->Push(new ChangeRoomCommand(document(), roomKey, record, text, mergeKey));
}

int TRoom::left() const { return SaturatedCorner(Left); }
int TRoom::top() const { return SaturatedCorner(Top); }

void TRoom::setLeft(int value)
{
    changeShape(Moved(shape(), qint64(value) - Left, 0), QStringLiteral("Move Room"));
}

void TRoom::setTop(int value)
{
    changeShape(Moved(shape(), 0, qint64(value) - Top), QStringLiteral("Move Room"));
}

// The place on Panel that the shape calls for: the handle boxes touch the control's bounds.
void TRoom::followShape()
{
    const RoomShape& s = shape();
    Left = s.xl - 2;
    Width = s.xr - s.xl + 5;
    edgeL = 0;
    edgeR = Width;
    Top = std::min(s.ytl, s.ytr) - 2;
    edgeTL = s.ytl - 2 - Top;
    edgeTR = s.ytr - 2 - Top;
    edgeBL = s.ybl + 3 - Top;
    edgeBR = s.ybr + 3 - Top;
    Height = std::max(edgeBL, edgeBR);
    placeWidget();
    if (isVisible())
        update();
}

void TRoom::placeWidget()
{
    const auto [x, w] = widgetSpan(Left, Width);
    const auto [y, h] = widgetSpan(Top, Height);
    shiftX = x - Left;
    shiftY = y - Top;
    setGeometry(x, y, w, h);
}

// Selection

void TRoom::Select()
{
    const bool wasSelected = selected;
    parentForm->SelectRoom(this);
    if (wasSelected && selected)
        showSelected();
}

void TRoom::showSelected()
{
    outlineColor = fuchsia;
    setCursor(Qt::CrossCursor);
    raise();
    hotHandle = Body;
    selected = true;
    repaint();
}

void TRoom::Deselect()
{
    unsetCursor();
    capture = false;
    outlineColor = white;
    hotHandle = NoHandle;
    dragHandle = NoHandle;
    selected = false;
    repaint();
}

// Painting

TRoom::Box TRoom::handleBox(int code) const
{
    const qint64 hw = HandleWidth;
    const qint64 hh = HandleHeight;
    const qint64 midL = edgeTL + (edgeBL - edgeTL) / 2;
    const qint64 midR = edgeTR + (edgeBR - edgeTR) / 2;
    switch (code) {
    case TopLeft: return {edgeL, edgeTL, edgeL + hw, edgeTL + hh};
    case LeftWall: return {edgeL, midL, edgeL + hw, midL + hh};
    case BottomLeft: return {edgeL, edgeBL - hh, edgeL + hw, edgeBL};
    case TopRight: return {edgeR - hw, edgeTR, edgeR, edgeTR + hh};
    case RightWall: return {edgeR - hw, midR, edgeR, midR + hh};
    case BottomRight: return {edgeR - hw, edgeBR - hh, edgeR, edgeBR};
    default: return {0, 0, 0, 0};
    }
}

TRoom::Box TRoom::wallStrip(qint64 x, qint64 y1, qint64 y2)
{
    return {x - 1, std::min(y1, y2) - 1, x + 2, std::max(y1, y2) + 2};
}

QRect TRoom::widgetRect(const Box& box) const
{
    // One pixel of slack around the widget is enough to keep what shows inside it.
    const qint64 l = std::max<qint64>(box.left - shiftX, -1);
    const qint64 t = std::max<qint64>(box.top - shiftY, -1);
    const qint64 r = std::min<qint64>(box.right - shiftX, qint64(width()) + 1);
    const qint64 b = std::min<qint64>(box.bottom - shiftY, qint64(height()) + 1);
    if (l >= r || t >= b)
        return {};
    return QRect(int(l), int(t), int(r - l), int(b - t));
}

void TRoom::paintEvent(QPaintEvent*)
{
    QPainter painter(this);

    // The outline, three pixels wide: the walls as filled strips, which also cover the
    // corners, and the top and bottom lines between them.
    const QColor colour = selected ? outlineColor : white;
    const qint64 leftX = edgeL + 2;
    const qint64 rightX = edgeR - 3;
    painter.fillRect(widgetRect(wallStrip(leftX, edgeTL + 2, edgeBL - 3)), colour);
    painter.fillRect(widgetRect(wallStrip(rightX, edgeTR + 2, edgeBR - 3)), colour);
    painter.setPen(QPen(colour, 0));
    const QRectF reach = QRectF(rect()).adjusted(-3, -3, 3, 3);
    auto at = [this](qint64 x, qint64 y) { return QPointF(double(x - shiftX), double(y - shiftY)); };
    drawWideLine(painter, at(leftX, edgeBL - 3), at(rightX, edgeBR - 3), reach);
    drawWideLine(painter, at(rightX, edgeTR + 2), at(leftX, edgeTL + 2), reach);

    if (!selected)
        return;
    for (int code = TopLeft; code <= BottomRight; ++code)
        painter.fillRect(widgetRect(handleBox(code)), blue);
    if (hotHandle >= TopLeft && hotHandle <= BottomRight)
        painter.fillRect(widgetRect(handleBox(hotHandle)), lime);
}

void TRoom::setHotHandle(int code)
{
    if (code == hotHandle)
        return;
    QRegion changed;
    for (int box : {hotHandle, code}) {
        if (box >= TopLeft && box <= BottomRight)
            changed += widgetRect(handleBox(box));
    }
    hotHandle = code;
    if (!changed.isEmpty())
        repaint(changed);
}

// Mouse

int TRoom::hitTest(Point p) const
{
    for (int code = TopLeft; code <= BottomRight; ++code) {
        const Box box = handleBox(code);
        if (box.left < p.x && p.x < box.right && box.top < p.y && p.y < box.bottom)
            return code;
    }
    return Body;
}

bool TRoom::contains(Point p) const
{
    return p.x >= 0 && p.x < Width && p.y >= 0 && p.y < Height;
}

TRoom::Point TRoom::controlPoint(const QMouseEvent* event) const
{
    const QPoint at = event->position().toPoint();
    return {at.x() + shiftX, at.y() + shiftY};
}

bool TRoom::isTopmostUnder(const QMouseEvent* event) const
{
    const QWidget* owner = parentWidget();
    return owner && owner->childAt(mapToParent(event->position().toPoint())) == this;
}

void TRoom::mousePressEvent(QMouseEvent* event)
{
    capture = true;   // Qt hands every mouse event to this room until the buttons are up
    if (event->button() != Qt::LeftButton)
        return;
    clickPending = true;
    if (selected) {
        const Point p = controlPoint(event);
        grabX = p.x;
        grabY = p.y;
        dragHandle = hotHandle;
        dragging = true;
        dragKey = NewMergeKey();   // every move of this drag is one undo step
    }
}

// The mouse handlers report their errors themselves: an error must not cross Qt's event
// delivery, which would leave its copy of the event and its mouse state half-done.
void TRoom::mouseMoveEvent(QMouseEvent* event)
{
    plsd::runGuarded([&] { handleMouseMove(event); });
}

void TRoom::handleMouseMove(const QMouseEvent* event)
{
    // Once the room has let the mouse go, it hears it again only over itself.
    if (event->buttons() != Qt::NoButton && !capture && !isTopmostUnder(event))
        return;
    const Point p = controlPoint(event);
    // While a box is dragged it stays the hot one, and the reshape repaints the room.
    const bool reshaping = dragging && dragHandle > NoHandle && dragHandle != Body;
    if (selected && !reshaping)
        setHotHandle(hitTest(p));
    if (dragging && dragHandle == Body)
        moveWithMouse(event);
    else if (dragging && dragHandle > NoHandle)
        reshapeWithMouse(event);
    else if (p.x < 0 || p.x > Width || p.y < 0 || p.y > Height)
        loseCapture();
}

void TRoom::moveWithMouse(const QMouseEvent* event)
{
    // The grab point stays under the mouse; nothing keeps the room on the picture.
    const QPoint onPanel = mapToParent(event->position().toPoint());
    const qint64 newLeft = onPanel.x() - grabX;
    const qint64 newTop = onPanel.y() - grabY;
    changeShape(Moved(shape(), newLeft - Left, newTop - Top), QStringLiteral("Move Room"), dragKey);
}

void TRoom::reshapeWithMouse(const QMouseEvent* event)
{
    // The box's outer edge goes to the mouse: in corners, the wall or corner lies 2 pixels
    // inside a left or top edge and 3 inside a right or bottom one.
    const Point p = controlPoint(event);
    hotHandle = dragHandle;
    qint64 value = 0;
    switch (dragHandle) {
    case TopLeft:
    case TopRight: value = Top + p.y + 2; break;
    case LeftWall: value = Left + p.x + 2; break;
    case BottomLeft:
    case BottomRight: value = Top + p.y - 3; break;
    case RightWall: value = Left + p.x - 3; break;
    default: return;
    }
    const Corner corner = Corner(dragHandle);
    RoomShape s = WithCorner(shape(), corner, value);
    if (fixed)
        s = AdjustedShape(s, corner, HandleWidth, HandleHeight);
    changeShape(s, QStringLiteral("Reshape Room"), dragKey);
}

void TRoom::loseCapture()
{
    outlineColor = white;
    hotHandle = NoHandle;
    repaint();
    capture = false;
}

void TRoom::mouseReleaseEvent(QMouseEvent* event)
{
    plsd::runGuarded([&] { handleMouseRelease(event); });
}

void TRoom::handleMouseRelease(const QMouseEvent* event)
{
    const bool overRoom = capture || isTopmostUnder(event);
    const bool click = event->button() == Qt::LeftButton && clickPending && overRoom && contains(controlPoint(event));
    if (event->buttons() == Qt::NoButton)
        capture = false;
    if (event->button() == Qt::LeftButton)
        clickPending = false;
    // The drag ends before the click selects, so an error raised by the selection
    // cannot leave a drag running without a button.
    dragging = false;
    if (click)
        Select();
}

// Doors

int TRoom::doorCount() const
{
    return int(document()->room(roomKey).doors.size());
}

void TRoom::SetDoor(TRoom* target, int perm)
{
    if (!target)
        return;
    const std::optional<int> now = document()->doorPerm(roomKey, target->roomKey);
    if (now == perm)
        return;
    parentForm->Push(new SetDoorCommand(document(), roomKey, target->roomKey, perm,
                                        now ? QStringLiteral("Update Door") : QStringLiteral("Add Door")));
}

void TRoom::RemoveDoor(TRoom* target)
{
    if (!target || document()->doorIndex(roomKey, target->roomKey) < 0)
        return;
    parentForm->Push(new RemoveDoorCommand(document(), roomKey, target->roomKey));
}

void TRoom::refreshDoors() const
{
    if (!doorsStale)
        return;
    doors.clear();
    for (const RoomDoor& d : document()->room(roomKey).doors)
        doors.push_back(std::make_unique<TDoor>(const_cast<TRoom*>(this), parentForm->roomOf(d.target)));
    doorsStale = false;
}

TDoor* TRoom::DoorAt(int index) const
{
    refreshDoors();
    if (index < 0 || index >= int(doors.size()))
        throw ListIndexError();
    return doors[size_t(index)].get();
}

TDoor* TRoom::DoorTo(TRoom* target) const
{
    if (!target)
        return nullptr;
    const int i = document()->doorIndex(roomKey, target->roomKey);
    return i < 0 ? nullptr : DoorAt(i);
}
