#pragma once

// The main window's tile grid steps, shared by the background file load and the bitmap
// import: the picture area's size and installing the picture as one undo step. Panel shows
// the document's grid by itself.

#include "core/background/graphicblock.h"
#include "core/model/document.h"

#include <QString>
#include <memory>

class TfrmMainForm;

namespace tilegrid {

// Every block picture stands in a cell of this size, whatever its block's size.
constexpr int CellSize = 128;

// The size of Panel, and so the scroll ranges of scbImage at 100 %, for a grid: its cells.
QSize PictureArea(const PictureGrid& grid);

// Replaces the grid whole with blocks in column-major order, and Panel's size with the
// grid's area, as one undo step with this text.
void InstallGrid(TfrmMainForm& form, const PictureGrid& grid, const QString& text);
void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows,
                 const QString& text = QStringLiteral("Open"));

} // namespace tilegrid
