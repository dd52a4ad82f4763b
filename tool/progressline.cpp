#include "tool/progressline.h"

#include <cstdio>
#include <unistd.h>

ProgressLine::ProgressLine()
    : ProgressLine(isatty(STDERR_FILENO) == 1)
{
}

ProgressLine::ProgressLine(bool shown)
    : shown(shown)
{
}

ProgressLine::~ProgressLine()
{
    clear();
}

void ProgressLine::show(const QString& step, int percent)
{
    write(QStringLiteral("%1: %2%").arg(step).arg(percent));
}

void ProgressLine::show(const QString& step)
{
    write(step + QStringLiteral(" ..."));
}

void ProgressLine::clear()
{
    write(QString());
}

void ProgressLine::write(const QString& text)
{
    if (!shown || text == current)
        return;
    // Back to the line's start, the new text, blanks over what is left of the old one.
    const QString padded = text.leftJustified(current.size(), QLatin1Char(' '));
    std::fprintf(stderr, "\r%s\r%s", qPrintable(padded), qPrintable(text));
    std::fflush(stderr);
    current = text;
}
