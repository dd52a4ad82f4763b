#pragma once

#include "script/roomdefs.h"
#include "script/scriptreader.h"

class TfrmMainForm;
class TfrmToolbox;

// The main window's rooms and doors and the toolbox's metaroom values, as the script
// writer takes them.
RoomDefs collectRoomDefs(const TfrmMainForm& form, const TfrmToolbox& tool);

// The editor as a load starts from it. Throws ConversionError when an offset field of the
// toolbox holds no integer.
ScriptStart scriptStart(const TfrmMainForm& form, const TfrmToolbox& tool);

// Puts what a script read from scriptStart(form, tool) says into the editor: its rooms at
// the end of Rooms, each selected in turn, with their types and music; its doors; its
// metaroom values into the toolbox, shown there; Panel at the size read.
void applyScript(TfrmMainForm& form, TfrmToolbox& tool, const ScriptContent& content);
