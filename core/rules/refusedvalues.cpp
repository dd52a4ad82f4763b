#include "core/rules/refusedvalues.h"

#include "core/common/errors.h"
#include "core/rules/roomtypes.h"

bool IsGamePermeability(int perm)
{
    return perm >= 0 && perm <= 100;
}

void RefuseNonGamePermeability(int perm)
{
    if (!IsGamePermeability(perm))
        throw PlsdError(QStringLiteral("Permeability %1 is outside 0 to 100: the game stops the script at such a "
                                       "door line, and makes none of the doors after it.")
                            .arg(perm));
}

void RefuseNonGameRoomType(int roomtype)
{
    if (!IsGameRoomType(roomtype))
        throw PlsdError(QStringLiteral("Room type %1 is outside 0 to %2: the game reads past its tables for a room "
                                       "of such a type.")
                            .arg(roomtype)
                            .arg(RoomTypeCount - 1));
}
