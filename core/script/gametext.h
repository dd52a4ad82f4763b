#pragma once

#include <QString>

// The longest text the game copies safely into its 512-byte string buffer.
inline constexpr qsizetype GameTextMaxBytes = 511;

// Why the game would refuse or overflow this text as a quoted string of a room
// definition script ("the control character 1", "1000 bytes, more than the game's 511"),
// or an empty string when the game takes it. Escapable characters (backslash, double
// quote, tab, line feed, carriage return) are fine; a NUL, which ends a string, another
// control character, or a character that single-byte text cannot hold is not.
QString GameTextFault(const QString& text);
