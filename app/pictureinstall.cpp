#include "app/pictureinstall.h"

#include "app/main.h"
#include "core/model/editor.h"
#include "core/model/snapshot.h"

namespace tilegrid {

void InstallGrid(TfrmMainForm& form, const PictureGrid& grid, const QString& text)
{
    form.Editor->installPicture(grid, PictureSize(grid), text);
}

void InstallGrid(TfrmMainForm& form, std::unique_ptr<TBlockList> blocks, int columns, int rows, const QString& text)
{
    InstallGrid(form, PictureGrid{std::shared_ptr<TBlockList>(std::move(blocks)), columns, rows}, text);
}

} // namespace tilegrid
