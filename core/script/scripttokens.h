#pragma once

#include <QByteArray>
#include <QList>

// A room definition script as the game's lexer reads it: its lines, the tokens of a line,
// and quoted texts written so that they read back. Text is single-byte and kept as bytes.

// One line of a script, without its end, and its number counted from 1.
struct ScriptLine {
    int number = 0;
    QByteArray text;

    bool operator==(const ScriptLine&) const = default;
};

// Every line of a script, empty ones included. A line ends at CR (a LF right after it
// belongs to the line end) or at a lone LF; text after the last line end is a line too.
QList<ScriptLine> ScriptLines(const QByteArray& text);

// A line whose first character other than white space is "*" is a comment.
bool IsCommentLine(const QByteArray& line);

// A word, or a quoted text with its quotes taken off and its escapes resolved.
struct ScriptToken {
    QByteArray text;
    bool quoted = false;

    bool operator==(const ScriptToken&) const = default;
};

// The tokens of one line, in order.
// - Space, tab, vertical tab and form feed separate tokens.
// - A double quote starts a quoted text, wherever it stands; it runs to the next double
//   quote that is not escaped. The escapes are \\ \" \' \n \r \t \0.
// - A word runs to the next white space or double quote.
// Throws FormatError, its message the problem without the line, for a quoted text that
// holds a control character or an unknown escape or that is not closed in the line: the
// game refuses the whole script for any of these.
QList<ScriptToken> LineTokens(const QByteArray& line);

// text between double quotes, a backslash written \\ and a double quote \", so that
// LineTokens gives text back.
QByteArray QuotedText(const QByteArray& text);
