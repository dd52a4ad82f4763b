#pragma once

#include "core/script/roomdefs.h"

class TfrmMainForm;
class TfrmToolbox;

// The main window's rooms and doors and the toolbox's metaroom values, as the script
// writer takes them.
RoomDefs collectRoomDefs(const TfrmMainForm& form, const TfrmToolbox& tool);
