#pragma once

// The `check` subcommand: a room script against the game's rules, told as compilers tell
// their findings.

#include <QString>

struct CheckRequest {
    QString script;
    QString picture;   // empty: no picture, and no room is outside it
    bool werror = false;
};

// Prints "SCRIPT:LINE: severity: message" for each finding on standard output and a
// summary on standard error; returns 0, or 1 when there is an error (or a warning with
// werror). A script whose content does not read is one error line. Raises PlsdError
// when a file cannot be read.
int runCheck(const CheckRequest& request);
