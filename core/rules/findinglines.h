#pragma once

// Where in a room script the findings of its map belong, for messages of the form
// "FILE:LINE: error: ...".

#include "core/rules/gamerules.h"
#include "core/script/scriptreader.h"

#include <QList>

// The line of each finding of CheckGameRules over the map that the script makes when
// loaded into an empty map (room positions are the script's room order):
// - a door finding between two rooms: the door line that linked them (for the
//   permeability, the last such line, whose value the map holds);
// - any other finding with rooms: the line of its first room;
// - the metaroom number and room base: the last brmi line; the background name: the last
//   addm line; the metaroom music: the last mmsc line;
// - 1 for the rest, and wherever the line is not known.
QList<int> FindingLines(const QList<Finding>& findings, const ScriptContent& content);
