#pragma once

// The colours a map is drawn in, kept in one place so that every drawing of a map
// (the tool's render, the editor's map) marks rooms and doors alike.

#include <QColor>

namespace mapcolours {

// A room's outline, as the editor draws rooms that are not selected.
inline QColor roomOutline() { return QColor(255, 255, 255); }
// The thin dark band around an outline, so that it shows on light pictures.
inline QColor outlineHalo() { return QColor(0, 0, 0, 150); }
// An edge two rooms share: the game makes a door there.
inline QColor sharedEdge() { return QColor(255, 190, 0); }
// A door line between rooms that share no edge: the game refuses it.
inline QColor doorWithoutEdge() { return QColor(255, 0, 0); }
// The surface where there is no picture.
inline QColor noPicture() { return QColor(64, 64, 64); }

} // namespace mapcolours
