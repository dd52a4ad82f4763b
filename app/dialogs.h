#pragma once

#include <QString>
#include <optional>

class QDialog;
class QFileDialog;

// The one seam through which the program runs its file dialogs and modal windows,
// so that tests can answer them without a display.
class DialogHost {
public:
    virtual ~DialogHost() = default;
    // The chosen full path, or nothing when the user cancels.
    virtual std::optional<QString> chooseFile(QFileDialog* dialog);
    // Shows the window modally and returns its result.
    virtual int runModal(QDialog* dialog);
};

// The host in use; the default runs the real dialogs.
DialogHost& dialogs();
// Installs another host (not owned); nullptr restores the default.
void setDialogHost(DialogHost* host);
