#pragma once

#include <QByteArray>
#include <QList>

// Reading a room definition script: its lines and the tokens of a line. Text is
// single-byte and kept as bytes.

// Characters of a line kept after a token that ends at a space.
inline constexpr qsizetype KeptAfterToken = 1000;

// Takes the next token off the front of rest and shortens rest.
// - Tokens are separated by spaces (0x20) only; tabs belong to a token.
// - A double quote switches quoting on and off; a quoted space belongs to the token.
// - The space that ends a token and all spaces right after it are dropped; the rest keeps
//   at most KeptAfterToken characters after that space. A rest that begins with a space
//   gives an empty token and keeps its own first KeptAfterToken characters.
// - A token that begins with a double quote loses its first and last characters.
// - An empty rest gives an empty token.
QByteArray NextToken(QByteArray& rest);

// The lines of a script, without their ends. A line ends at CR (a LF right after it
// belongs to the line end) or at a lone LF. Reading stops at the end of the text or
// at the first empty line, which is not returned.
QList<QByteArray> ScriptLines(const QByteArray& text);
