#pragma once

#include <QString>

// The longest text the game copies safely into its 512-byte string buffer.
inline constexpr qsizetype GameTextMaxBytes = 511;

// Why the game would refuse or overflow this text as a quoted string of a room
// definition script ("a tab character", "1000 bytes, more than the game's 511"), or an
// empty string when the game takes it. Escapable characters (backslash, double quote)
// are fine; a character that single-byte text cannot hold is not.
QString GameTextFault(const QString& text);
