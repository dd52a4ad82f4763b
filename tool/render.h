#pragma once

// The `render` subcommand: the map of a room script as a picture.

#include "core/render/mappainter.h"

#include <QString>

struct RenderRequest {
    QString script;
    QString picture;   // the background file or picture; empty for none
    QString output;
    MapDrawingOptions drawing;
};

// Draws the map and writes it in the format OUT's extension names; OUT is replaced only
// when all of it is written. Raises PlsdError when a file cannot be read or written or the
// drawing would be too large.
void render(const RenderRequest& request);
