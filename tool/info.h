#pragma once

// The `info` subcommand.

#include <QString>
#include <QStringList>

// The lines `info` prints for one file, whose kind its name's extension tells; raises
// PlsdError when it cannot be read.
QString describeFile(const QString& path);

// Prints each file's lines on standard output and a line on standard error for each file
// that cannot be read; the exit status (0, or 2 when a file could not be read).
int runInfo(const QStringList& files);
