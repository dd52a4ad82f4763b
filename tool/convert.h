#pragma once

// The `convert` subcommand: a background file to a picture, or a picture to a background
// file, through the same core code as the editor's import, export, open and save.

#include <QString>

class ProgressLine;

struct ConvertRequest {
    QString in;
    QString out;
    bool credit = false;   // stamp the editor's credit line on a picture made into blocks
};

// Runs the conversion that the names' extensions ask for. OUT is replaced only when the
// whole file is written; raises PlsdError (UsageError for names it cannot take).
void convert(const ConvertRequest& request, ProgressLine& progress);
