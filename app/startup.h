#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class TfrmMainForm;
class TfrmSplash;
class TfrmAbout;
class TfrmToolbox;
class TfrmWaitDlg;

// The program's one instance of each window.
struct TWindows {
    TfrmMainForm* frmMainForm = nullptr;
    TfrmSplash* frmSplash = nullptr;
    TfrmAbout* frmAbout = nullptr;
    TfrmToolbox* frmToolbox = nullptr;
    TfrmWaitDlg* frmWaitDlg = nullptr;
};

// Sets the application title, then creates every window in the start-up order, showing
// the splash modally in between. `step` hears the name of each step as it happens.
TWindows createWindows(const std::function<void(const QString&)>& step = {});
// Frees every window, as the application object does at exit.
void destroyWindows(TWindows& windows);

// The files named on the command line (arguments()[0] is the program), as absolute paths.
// --help answers and ends the program, as does an option it does not know.
QStringList filesFromArguments(const QStringList& arguments);

// The whole program: start-up, then the message loop until the main window closes.
int runPalisandre(int argc, char** argv);
