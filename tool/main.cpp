// palisandre-tool: the editor's conversions, readers, check and map drawing from the
// command line, with no display.

#include "tool/check.h"
#include "tool/commandline.h"
#include "tool/convert.h"
#include "tool/info.h"
#include "tool/progressline.h"
#include "tool/render.h"
#include "tool/thumbnail.h"
#include "tool/toolstatus.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <cstdio>
#include <memory>
#include <new>

namespace {

// Qt's own warnings (a picture plugin's complaint about a file, a missing runtime
// folder) would add lines to the tool's one-line messages; the tool says itself what
// failed. Only a fatal message, which ends the program, is printed.
void dropQtWarnings(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg)
        std::fprintf(stderr, "palisandre-tool: %s\n", qPrintable(message));
}

// Only text needs fonts, and with them a GUI application, and that a platform: the tool
// never opens a window, so it draws on the offscreen platform, with or without a display.
std::unique_ptr<QCoreApplication> makeApplication(bool fonts)
{
    static int argc = 1;
    static char name[] = "palisandre-tool";
    static char* argv[] = {name, nullptr};
    if (!fonts)
        return std::make_unique<QCoreApplication>(argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_QPA_OFFSCREEN_NO_GLX"))
        qputenv("QT_QPA_OFFSCREEN_NO_GLX", "1");
    return std::make_unique<QGuiApplication>(argc, argv);
}

int run(const Invocation& invocation)
{
    switch (invocation.command) {
    case Command::Help:
        printOut(helpText(invocation.helpTopic));
        return ExitSuccess;
    case Command::Version:
        printOut(QStringLiteral("palisandre-tool " PLSD_VERSION "\n"));
        return ExitSuccess;
    case Command::Info:
        return runInfo(invocation.files);
    case Command::Convert: {
        ProgressLine progress;
        convert({invocation.files.value(0), invocation.files.value(1), invocation.credit}, progress);
        return ExitSuccess;
    }
    case Command::Check:
        return runCheck({invocation.files.value(0), invocation.picture, invocation.werror});
    case Command::Render:
        render({invocation.files.value(0), invocation.picture, invocation.output,
                {invocation.scale, invocation.numbers, invocation.types}, invocation.metaroom});
        return ExitSuccess;
    case Command::Thumbnail:
        thumbnail({invocation.files.value(0), invocation.files.value(1), invocation.thumbnailSize});
        return ExitSuccess;
    }
    return ExitFailure;
}

} // namespace

int main(int argc, char** argv)
{
    qInstallMessageHandler(dropQtWarnings);
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    try {
        const Invocation invocation = parseCommandLine(arguments);
        memorybudget::setLimit(invocation.memoryLimit);
        const auto application = makeApplication(needsFonts(invocation));
        return run(invocation);
    } catch (const PlsdError& error) {
        printError(error.message());
    } catch (const std::bad_alloc&) {
        printError(QStringLiteral("not enough memory"));
    }
    return ExitFailure;
}
