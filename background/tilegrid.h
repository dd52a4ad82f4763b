#pragma once

// The main window's tile grid steps, shared by the background file load and the bitmap
// import: the block pictures on Panel, the picture area's size, and putting the picture
// behind the rooms.

#include "core/background/graphicblock.h"
#include "core/model/document.h"

#include <QString>
#include <memory>

class QObject;
class TfrmMainForm;
class TImage;

namespace tilegrid {

// Every block picture stands in a cell of this size, whatever its block's size.
constexpr int CellSize = 128;

// Block pictures are the children of Panel whose class name is "TImage".
bool isBlockPicture(const QObject* child);

// Removes and destroys every block picture on Panel, last child first; every other child
// stays, in its order.
void RemoveBlockPictures(TfrmMainForm& form);
// Puts a picture of the block on Panel as its last child, in its cell, sharing the
// block's bitmap.
TImage* AddBlockPicture(TfrmMainForm& form, const TGraphicBlock& block, int column, int row);
// The size of Panel, and so the scroll ranges of scbImage, for a grid: its cells.
QSize PictureArea(const PictureGrid& grid);
// Every block picture goes behind every other child of Panel; the others keep their order.
void PutBlockPicturesBehind(TfrmMainForm& form);

// Shows the document's grid on Panel: removes the old pictures, adds a picture per block
// and puts the pictures behind the rooms.
void ShowGrid(TfrmMainForm& form);

// Replaces the grid whole with blocks in column-major order, and Panel's size with the
// grid's area, as one undo step with this text; the main window follows with ShowGrid.
void InstallGrid(TfrmMainForm& form, const PictureGrid& grid, const QString& text);
void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows,
                 const QString& text = QStringLiteral("Open"));

} // namespace tilegrid
