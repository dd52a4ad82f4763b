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

// Replaces the grid whole with blocks in column-major order, and Panel's size with the
// grid's picture (PictureSize), as one undo step with this text.
void InstallGrid(TfrmMainForm& form, const PictureGrid& grid, const QString& text);
void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows,
                 const QString& text = QStringLiteral("Open"));

} // namespace tilegrid
