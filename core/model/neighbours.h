#pragma once

#include "core/model/document.h"

#include <QList>

// Whether two shapes share an edge as the game's door making sees it, corners as they show.
bool ShapesShareEdge(const RoomShape& a, const RoomShape& b);
// The same for two rooms of a document.
bool SharesEdge(const TMetaroomDocument& doc, RoomKey a, RoomKey b);

// The rooms that share an edge with a room, in the document's order; rooms whose boxes
// are apart are passed over without a closer look.
QList<RoomKey> EdgeNeighbours(const TMetaroomDocument& doc, RoomKey key);
