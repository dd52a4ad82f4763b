#include "background/tilegrid.h"

#include "app/main.h"
#include "core/model/editor.h"

namespace tilegrid {

QSize PictureArea(const PictureGrid& grid)
{
    return QSize(CellSize * grid.columns, CellSize * grid.rows);
}

void InstallGrid(TfrmMainForm& form, const PictureGrid& grid, const QString& text)
{
    form.Editor->installPicture(grid, PictureArea(grid), text);
}

void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows, const QString& text)
{
    InstallGrid(form, PictureGrid{std::shared_ptr<TBlockList>(std::move(blocks)), columns, rows}, text);
}

} // namespace tilegrid
