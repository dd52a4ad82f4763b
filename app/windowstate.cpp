// The main window as the user left it: its size and place, the zoom of the map and the
// layout of its docks, kept in the user's settings between runs.
#include "app/main.h"

#include "app/recentfiles.h"
#include "view/mapview.h"

#include <QAction>
#include <QDockWidget>
#include <QSettings>

namespace {

const QString GeometryKey = QStringLiteral("Window/geometry");
const QString DocksKey = QStringLiteral("Window/docks");
const QString ZoomKey = QStringLiteral("Window/zoom");
constexpr int DocksVersion = 1;   // raise when the docks change so much that old layouts no longer fit

} // namespace

void TfrmMainForm::SaveWindowState() const
{
    const auto settings = recentfiles::userSettings();
    settings->setValue(GeometryKey, saveGeometry());
    settings->setValue(DocksKey, saveState(DocksVersion));
    settings->setValue(ZoomKey, scbImage->zoom());
}

void TfrmMainForm::RestoreWindowState()
{
    // A first start, or settings from elsewhere that do not fit, keep the window as made.
    const auto settings = recentfiles::userSettings();
    const QByteArray geometry = settings->value(GeometryKey).toByteArray();
    if (!geometry.isEmpty())
        restoreGeometry(geometry);
    const QByteArray docks = settings->value(DocksKey).toByteArray();
    if (!docks.isEmpty() && restoreState(docks, DocksVersion)) {
        // A dock hidden before the window is shown has no hide event to tell its menu item.
        for (QDockWidget* dock : findChildren<QDockWidget*>())
            dock->toggleViewAction()->setChecked(!dock->isHidden());
    }
    bool ok = false;
    const qreal zoom = settings->value(ZoomKey).toDouble(&ok);
    if (ok && zoom > 0)
        scbImage->setZoom(zoom);   // held between the smallest and largest step
}
