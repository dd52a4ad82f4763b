#pragma once

// Values the game refuses, refused where they are typed. Each check raises a PlsdError
// whose message says what the game would do with the value.

bool IsGamePermeability(int perm);   // 0 to 100

void RefuseNonGamePermeability(int perm);
void RefuseNonGameRoomType(int roomtype);
