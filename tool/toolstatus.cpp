#include "tool/toolstatus.h"

#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

void printOut(const QString& text)
{
    std::fputs(text.toLocal8Bit().constData(), stdout);
    std::fflush(stdout);
}

void printError(const QString& message)
{
    const QString line = message.simplified();   // one line, whatever the message holds
    std::fprintf(stderr, "palisandre-tool: %s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

void printErrorLine(const QString& line)
{
    std::fprintf(stderr, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stderr);
}

LibraryOutputSilenced::LibraryOutputSilenced()
{
    std::fflush(stderr);
    saved = dup(STDERR_FILENO);
    const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (saved >= 0 && nowhere >= 0)
        dup2(nowhere, STDERR_FILENO);
    if (nowhere >= 0)
        close(nowhere);
}

LibraryOutputSilenced::~LibraryOutputSilenced()
{
    std::fflush(stderr);
    if (saved >= 0) {
        dup2(saved, STDERR_FILENO);
        close(saved);
    }
}
