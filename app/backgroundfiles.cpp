// File > Open and File > Save: background files into and out of the tile grid.
#include "app/main.h"

#include "core/common/errors.h"
#include "app/statusbar.h"
#include "core/files/mapfiles.h"
#include "core/model/editor.h"
#include "core/model/snapshot.h"

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
    Editor->openBackground(read.grid, PictureSize(read.grid), path, setFilename);
    StatusBar->setText(read.loadedLine);
}

TfrmMainForm::BackgroundRead TfrmMainForm::ReadBackground(const QString& path)
{
    // The blocks are decoded in full before they replace the grid.
    StatusRestorer status(StatusBar);
    mapfiles::BackgroundFile read;
    try {
        read = mapfiles::readBackgroundFile(path, [this](int percent) { showProgress(StatusBar, "Loading", percent); });
    } catch (const std::bad_alloc&) {
        throw PlsdError(QStringLiteral("Not enough memory to load %1").arg(path));
    }
    status.keep();
    return {std::move(read.grid), loadedText(read.placement)};
}

void TfrmMainForm::SaveBackground(const QString& path)
{
    StatusRestorer status(StatusBar);
    mapfiles::saveBackgroundFile(path, Blocks.get(), BlockColumns, BlockRows,
                                 [this](int percent) { showProgress(StatusBar, "Saveing", percent); });
    Editor->backgroundSaved(path);
    StatusBar->setText(QStringLiteral("Image saved"));
    status.keep();
}
