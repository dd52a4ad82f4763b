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
// - a room type: the room's last rtyp line; a room's music: its rmsc line;
// - any other finding with rooms: the addr line of its first room;
// - the metaroom number and room base: the last brmi line; the background name: the last
//   addm line; the metaroom music: the last mmsc line;
// - 1 for the rest, and wherever the line is not known.
QList<int> FindingLines(const QList<Finding>& findings, const ScriptContent& content);

// A finding of the script's own lines, which the map does not show.
struct LineFinding {
    int line = 0;
    Severity severity = Severity::Error;
    QString message;
};

// The rmsc lines whose point no room holds, which the game stops at.
QList<LineFinding> FindingsOfScriptLines(const ScriptContent& content);
