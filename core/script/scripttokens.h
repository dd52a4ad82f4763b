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

// One token of a script read as one stream, as the game reads it: a word as written or
// a quoted text resolved, the line it stands on (from 1), its span in the source and
// whether it is the first token of its line.
struct StreamToken {
    QByteArray text;
    bool quoted = false;
    bool atEnd = false;   // past the last token: an empty word
    int line = 0;
    qsizetype begin = 0;
    qsizetype end = 0;
    bool startsLine = false;
};

// The tokens of a whole script, one after another.
// - Any white space separates tokens, line ends included (CR LF, CR or LF end a line).
// - A "*" where a token could start begins a comment that runs to the end of its line.
// - Quoted texts as LineTokens reads them; \0 ends the text there (the rest up to the
//   closing quote is read and dropped).
// - A word runs to the next white space or double quote; a control character or a byte
//   of 128 or more in it is refused, as the game refuses such a script.
// Refusals throw FormatError; line() is then the line of the fault.
class ScriptTokenStream {
public:
    explicit ScriptTokenStream(const QByteArray& source);

    const StreamToken& peek();
    StreamToken take();
    // The line of the token taken or looked at last.
    int line() const { return line_; }
    const QByteArray& source() const { return source_; }

private:
    StreamToken read();
    void skipBlanks();

    QByteArray source_;
    qsizetype pos = 0;
    int line_ = 1;
    int currentLine = 1;
    bool lineStart = true;
    StreamToken ahead;
    bool haveAhead = false;
};

// text between double quotes, a backslash written \\, a double quote \", a tab \t, a
// line feed \n and a carriage return \r, so that LineTokens gives text back.
QByteArray QuotedText(const QByteArray& text);
