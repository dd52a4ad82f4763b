// File > Open and File > Save: background files into and out of the tile grid.
#include "app/main.h"
#include "app/toolbox.h"

#include "core/common/errors.h"
#include "app/statusbar.h"
#include "core/background/blkfile.h"
#include "core/background/blkformat.h"
#include "core/files/readfile.h"
#include "core/files/savefile.h"
#include "app/pictureinstall.h"

#include <QFile>
#include <QUndoStack>
#include <new>

namespace {

// Puts the status bar's line back when a command fails part-way.
class StatusRestorer {
public:
    explicit StatusRestorer(TStatusBar* bar)
        : bar(bar)
        , previous(bar->text())
    {
    }
    ~StatusRestorer()
    {
        if (!done)
            bar->setText(previous);
    }
    void keep() { done = true; }

private:
    TStatusBar* bar;
    QString previous;
    bool done = false;
};

// "Loading image: 38% complete". A repaint costs far more than a block's pixels, so the
// line is only set again when its text changes.
void showProgress(TStatusBar* bar, const char* verb, int percent)
{
    const QString text = QStringLiteral("%1 image: %2% complete").arg(QLatin1String(verb)).arg(percent);
    if (bar->text() != text)
        bar->setText(text);
}

// The line after a load; it says when the offsets disagree with the file's layout.
QString loadedText(blk::BlockPlacement placement)
{
    if (placement == blk::BlockPlacement::OffsetsDisagree)
        return QStringLiteral("Image loaded: ") + QLatin1String(blk::OffsetsDisagreeNote);
    return QStringLiteral("Image loaded");
}

} // namespace

void TfrmMainForm::LoadBackground(const QString& path)
{
    installBackground(ReadBackground(path), path, false);
}

void TfrmMainForm::installBackground(const BackgroundRead& read, const QString& path, bool setFilename)
{
    // The picture, and the file name when it is set, are one undo step, which leaves a
    // saved room script saved.
    keepScriptSavedThrough([&] {
        UndoStack->beginMacro(QStringLiteral("Open"));
        tilegrid::InstallGrid(*this, read.grid, QStringLiteral("Open"));
        if (setFilename && frmToolbox)
            frmToolbox->MetaroomFilename = path;
        UndoStack->endMacro();
    });
    StatusBar->setText(read.loadedLine);
    BackgroundFileRead(path);
}

TfrmMainForm::BackgroundRead TfrmMainForm::ReadBackground(const QString& path)
{
    // Header and index are read and checked against the file's size before anything
    // changes; the blocks are decoded in full before they replace the grid.
    QFile file;
    files::openForReading(file, path, QIODevice::ReadOnly | QIODevice::Unbuffered);
    const blk::Layout layout = blk::readLayout(file, path);

    StatusRestorer status(StatusBar);
    auto blocks = std::make_unique<TBlockList>();
    try {
        *blocks = blk::readBlocks(file, layout, path, [this](qint64 done, qint64 total) {
            showProgress(StatusBar, "Loading", blk::roundedPercent(done, total));
        });
    } catch (const std::bad_alloc&) {
        throw PlsdError(QStringLiteral("Not enough memory to load %1").arg(path));
    }
    file.close();
    status.keep();
    return {PictureGrid{std::move(blocks), layout.columns, layout.rows}, loadedText(layout.placement)};
}

void TfrmMainForm::SaveBackground(const QString& path)
{
    blk::checkWritable(Blocks.get(), BlockColumns, BlockRows);
    StatusRestorer status(StatusBar);
    files::saveFile(path, [this, &path](QIODevice& file) {
        blk::writeBackground(file, *Blocks, BlockColumns, BlockRows, path, [this](int done, int total) {
            showProgress(StatusBar, "Saveing", blk::roundedPercent(done, total));
        });
    });
    blk::takeSavedOffsets(*Blocks);
    StatusBar->setText(QStringLiteral("Image saved"));
    status.keep();
    BackgroundFileWritten(path);
}
