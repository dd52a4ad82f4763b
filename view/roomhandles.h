#pragma once

#include "core/model/roomshape.h"

#include <QPoint>
#include <QPointF>
#include <QRect>
#include <QRectF>
#include <QTransform>

// Where a room's handles and body are on screen. Corners are picture pixels; handle boxes
// and the rim around the body are screen pixels, so they keep their size at every zoom.
// "toDevice" maps picture coordinates to screen coordinates, in which pixel (i, j) covers
// the square from (i, j) to (i + 1, j + 1).
namespace roomhandles {

// The parts of a room under a point: a handle (a Corner's code), the body, or none.
constexpr int NoPart = roompart::None;
constexpr int FirstHandle = roompart::FirstHandle;
constexpr int LastHandle = roompart::LastHandle;
constexpr int BodyPart = roompart::Body;

// A handle box is this many screen pixels square, centred on its corner's pixel.
constexpr int BoxSize = 5;
// The body reaches this many screen pixels around the box of the room's corner pixels.
constexpr int BodyRim = 2;
// Screen pixels around the corner pixels' box that hold every handle box and the rim.
constexpr int Reach = 4;

// The centre of the picture pixel a handle stands on: a corner, or the middle of a wall.
QPointF handleCentre(const RoomShape& shape, int handle);

// The box of the room's corner pixels in picture coordinates: from the left wall's pixels
// to the right wall's, from the higher top to the lower bottom, pixels included.
QRectF pixelBounds(const RoomShape& shape);

// The handle's box in screen pixels: centred on the screen pixel that holds its centre.
QRect handleBox(const RoomShape& shape, int handle, const QTransform& toDevice);

// The screen pixel a point on the screen stands for: the nearest pixel corner, so that a
// point that comes back from picture coordinates a little short still finds its pixel.
QPoint screenPixel(QPointF devicePoint);

// The first handle whose box holds the screen pixel in its inner 4 x 4 pixels (a box's
// left column and top row do not count), or NoPart.
int handleAt(const RoomShape& shape, QPoint pixel, const QTransform& toDevice);

// Whether the screen pixel's centre lies within the rim around the corner pixels' box.
bool bodyContains(const RoomShape& shape, QPoint pixel, const QTransform& toDevice);

// The picture pixel that a screen pixel's top-left corner falls in (a point on a pixel's
// edge belongs to the pixel right of and below it).
QPoint picturePixel(QPoint pixel, const QTransform& toDevice);

} // namespace roomhandles
