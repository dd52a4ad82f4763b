#pragma once

// What `info` says about a room script: what the editor's script reader takes from it.

#include <QByteArray>
#include <QString>

// The lines `info` prints for the script text of the file at path. Raises what the
// editor's load raises on the same text.
QString describeScript(const QString& path, const QByteArray& text);
