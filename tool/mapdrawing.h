#pragma once

// The map of a room script as a picture, as `render` draws it.

#include "core/script/roomdefs.h"

#include <QImage>
#include <QSize>

struct MapDrawingOptions {
    double scale = 1;
    bool numbers = false;   // each room's game number at its centre
    bool types = false;     // rooms filled with their type's colour, and a legend below
};

// The size of the drawing: the map's surface and the background's size, whichever is
// larger each way, times the scale (at least 1 x 1).
QSize MapDrawingSize(const RoomDefs& defs, QSize background, double scale);

// The map over its background (at the top left, scaled; dark grey where there is none):
// every room outlined in one pixel, over a dark halo; the shared edges; each door line's
// permeability at the middle of its rooms' shared edge, or, between rooms that share no
// edge, on a red line between their centres. With types, a band below the map names the
// types' colours. Text needs a GUI application (fonts).
QImage DrawMap(const RoomDefs& defs, const QImage& background, const MapDrawingOptions& options);

// As DrawMap without the legend, onto a drawing of `size` pixels at options.scale, over a
// background already at that scale (drawn at the top left as it is; none when null).
QImage DrawMapOnto(const RoomDefs& defs, const QImage& scaledBackground, QSize size, const MapDrawingOptions& options);
