#pragma once

// What `info` says about a room script: what the editor's script reader takes from it.

#include <QByteArray>
#include <QString>
#include <optional>

#include "core/script/scriptreader.h"

// The lines `info` prints for the script text of the file at path. Raises what the
// editor's load raises on the same text.
QString describeScript(const QString& path, const QByteArray& text);

// The place, in the order the file adds them, of the metaroom numbered so; the first
// when no number is given. Raises FormatError when no metaroom has the number.
int MetaroomIndexOfNumber(const QList<MetaroomSummary>& metarooms, std::optional<int> number);

// The script at path with the metaroom numbered so opened (the first when none is given).
ScriptContent readScriptMetaroom(const QString& path, std::optional<int> number);
