#pragma once

// The `render` subcommand: the map of a room script as a picture.

#include "core/render/mappainter.h"

#include <QString>
#include <optional>

struct RenderRequest {
    QString script;
    QString picture;   // the background file or picture; empty for none
    QString output;
    MapDrawingOptions drawing;
    std::optional<int> metaroom;   // the number of the metaroom to draw; the first when none
};

// Draws the map and writes it in the format OUT's extension names; OUT is replaced only
// when all of it is written. Raises PlsdError when a file cannot be read or written or the
// drawing would be too large.
void render(const RenderRequest& request);
