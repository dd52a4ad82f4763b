#pragma once

// The tool's exit statuses and its two outputs.

#include <QString>

constexpr int ExitSuccess = 0;
// A bad argument, or a file that could not be read or written.
constexpr int ExitFailure = 2;

// Text on standard output, as it is.
void printOut(const QString& text);
// "palisandre-tool: message" as one line on standard error.
void printError(const QString& message);
// The line as it is on standard error.
void printErrorLine(const QString& line);

// While it lives, what libraries print on standard error themselves goes nowhere: libpng,
// for one, prints its errors before Qt gives up on a file, and the tool's own message
// says what failed.
class LibraryOutputSilenced {
public:
    LibraryOutputSilenced();
    ~LibraryOutputSilenced();
    LibraryOutputSilenced(const LibraryOutputSilenced&) = delete;
    LibraryOutputSilenced& operator=(const LibraryOutputSilenced&) = delete;

private:
    int saved;
};
