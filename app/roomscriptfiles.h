#pragma once

#include "core/script/roomdefs.h"
#include "core/script/scriptreader.h"

#include <QString>
#include <optional>

class QWidget;
class TfrmMainForm;
class TfrmToolbox;

// The map's rooms and doors and the metaroom values, as the script writer takes them.
RoomDefs collectRoomDefs(const TfrmMainForm& form);

// The map as a load starts from it.
ScriptStart scriptStart(const TfrmMainForm& form);

// The editor as a script opened in place of the map's rooms starts from it: as empty, on
// its picture.
ScriptStart emptyMapStart(const TfrmMainForm& form);

// Puts what a script read from scriptStart(form) says into the map as one undo step
// "Load Room Defs": its rooms at the end, with their types and music, the last of them
// selected; its doors; its metaroom values; the surface at the size read. With `replace`
// (read from emptyMapStart(form)), its rooms and values take the place of the map's in
// one step "Open Room Defs".
void applyScript(TfrmMainForm& form, TfrmToolbox& tool, const ScriptContent& content, bool replace = false);

// The status line after rooms were read from a file: opened in place of the map's,
// loaded into an empty map, or added to the rooms there were.
QString RoomsReadStatus(const QString& fileName, int roomsRead, int roomsBefore, bool replaced);

// The status line after a load that kept lines: how many, and their commands; empty when
// none were kept.
QString KeptLinesStatus(const ScriptContent& content);

// Asks which metaroom of a file to open (the list "lstMetarooms" of the dialog
// "dlgChooseMetaroom", run through dialogs()); its place in the file's order, or nothing
// when the user cancels.
std::optional<int> ChooseMetaroom(QWidget* parent, const QString& fileName, const QList<MetaroomSummary>& metarooms);
