#pragma once

// Edit > Settings: what the editor keeps in the user's settings besides its recent files.

#include <QDialog>

class QCheckBox;
class QSettings;
class QSpinBox;

namespace editorsettings {

// The memory budget for reading a picture or background file, in bytes; the default when
// the settings hold none or one that is no use.
qint64 memoryLimit(QSettings& settings);
void setMemoryLimit(QSettings& settings, qint64 bytes);

// Gives the process the budget the user's settings hold.
void applyMemoryLimit();

// Whether Import Bitmap stamps the credit line on the picture; yes unless the user said no.
bool stampCredit(QSettings& settings);
void setStampCredit(QSettings& settings, bool stamp);

} // namespace editorsettings

// The settings window: the memory limit, in megabytes, and whether imported pictures get
// the credit line.
class TfrmSettings : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSettings(QWidget* parent = nullptr);

    QSpinBox* spnMemoryLimit = nullptr;   // megabytes
    QCheckBox* chkStampCredit = nullptr;

    // Shows the user's settings, runs the window, and on OK keeps what it holds.
    // True when it was kept.
    bool edit();
};
