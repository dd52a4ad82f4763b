#include "app/startup.h"

#include "app/about.h"
#include "app/application.h"
#include "app/dialogs.h"
#include "app/main.h"
#include "core/common/product.h"
#include "app/progress.h"
#include "app/splash.h"
#include "app/toolbox.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QTimer>

TWindows createWindows(const std::function<void(const QString&)>& step)
{
    auto say = [&step](const char* what) {
        if (step)
            step(QString::fromLatin1(what));
    };
    TWindows w;
    QApplication::setApplicationName(product::applicationTitle());
    say("title");

    w.frmMainForm = new TfrmMainForm;
    say("frmMainForm");
    w.frmSplash = new TfrmSplash;
    say("frmSplash");
    w.frmAbout = new TfrmAbout;
    w.frmMainForm->frmAbout = w.frmAbout;
    say("frmAbout");

    // The splash shows only its top 238 pixels, so its "Close" button at y = 240 is hidden.
    w.frmSplash->resize(w.frmSplash->width(), 238);
    w.frmSplash->Timer1->start();
    say("splash shown");
    dialogs().runModal(w.frmSplash);
    say("splash closed");

    w.frmToolbox = new TfrmToolbox(w.frmMainForm);
    say("frmToolbox");
    w.frmWaitDlg = new TfrmWaitDlg;
    say("frmWaitDlg");
    return w;
}

void destroyWindows(TWindows& w)
{
    delete w.frmWaitDlg;
    delete w.frmToolbox;
    delete w.frmAbout;
    delete w.frmSplash;
    delete w.frmMainForm;
    w = TWindows{};
}

QStringList filesFromArguments(const QStringList& arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Palisandre, the editor of Creatures 3 metaroom maps."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QStringLiteral("files"),
                                 QStringLiteral("Background files (.blk) or bitmaps (.bmp) to open, then room "
                                                "definition scripts (.cos) to load."),
                                 QStringLiteral("[files...]"));
    parser.process(arguments);
    QStringList files;
    for (const QString& file : parser.positionalArguments())
        files.append(QFileInfo(file).absoluteFilePath());
    return files;
}

namespace {

// --help and --version print and end before any window, so they need no display.
bool onlyPrints(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        const QByteArray argument(argv[i]);
        if (argument == "--")
            return false;
        if (argument == "--help" || argument == "-h" || argument == "--help-all" || argument == "--version"
            || argument == "-v")
            return true;
    }
    return false;
}

} // namespace

int runPalisandre(int argc, char** argv)
{
    QCoreApplication::setApplicationVersion(QStringLiteral(PLSD_VERSION));
    if (onlyPrints(argc, argv)) {
        QCoreApplication app(argc, argv);
        filesFromArguments(QCoreApplication::arguments());   // prints and ends the program
        return 0;
    }
    TApplication app(argc, argv);
    const QStringList files = filesFromArguments(QApplication::arguments());
    QApplication::setQuitOnLastWindowClosed(false);
    TWindows windows = createWindows();
    windows.frmMainForm->RestoreWindowState();   // once every dock is there
    QObject::connect(windows.frmMainForm, &TfrmMainForm::closed, &app, &QApplication::quit, Qt::QueuedConnection);
    windows.frmMainForm->show();
    // Opened once the windows are up, so that any message shows over them.
    if (!files.isEmpty())
        QTimer::singleShot(0, windows.frmMainForm, [main = windows.frmMainForm, files] { main->OpenFiles(files); });
    const int status = app.exec();
    destroyWindows(windows);
    return status;
}
