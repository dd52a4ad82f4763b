#include "core/script/scripttokens.h"

#include "core/common/errors.h"
#include "core/script/gametext.h"

#include <QString>

#include <array>

namespace {

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

// The character an escape stands for, given the one after the backslash; -1 for none.
int escaped(char c)
{
    switch (c) {
    case '\\': return '\\';
    case '"': return '"';
    case '\'': return '\'';
    case 'n': return '\n';
    case 'r': return '\r';
    case 't': return '\t';
    case '0': return '\0';
    default: return -1;
    }
}

// Why the game refuses this byte raw in a quoted text, or an empty string; worked out
// once for every byte.
const QString& rawFault(char c)
{
    static const std::array<QString, 256> faults = [] {
        std::array<QString, 256> all;
        for (int b = 0; b < 256; ++b)
            all[b] = GameTextFault(QString(QChar::fromLatin1(char(b))));
        // Written raw, these are refused; as escapes they are read.
        all['\t'] = QStringLiteral("a tab character");
        all['\r'] = all['\n'] = QStringLiteral("a line break");
        return all;
    }();
    return faults[static_cast<unsigned char>(c)];
}

[[noreturn]] void refuse(const QString& problem)
{
    throw FormatError(problem);
}

// Reads the quoted text that starts at line[pos], a double quote; pos ends after its
// closing quote. With stopAtNul, \0 ends the text (the rest is read and dropped).
QByteArray quotedText(const QByteArray& line, qsizetype& pos, bool stopAtNul = false)
{
    QByteArray text;
    bool ended = false;
    ++pos;
    while (pos < line.size()) {
        const char c = line[pos++];
        if (c == '"')
            return text;
        if (c == '\r' || c == '\n')
            break;
        if (const QString& fault = rawFault(c); !fault.isEmpty())
            refuse(QStringLiteral("a quoted text holds %1").arg(fault));
        if (c != '\\') {
            if (!ended)
                text += c;
            continue;
        }
        if (pos == line.size())
            break;
        const int meant = escaped(line[pos]);
        if (meant < 0)
            refuse(QStringLiteral("a quoted text holds the escape \\%1, which the game does not know "
                                  "(it knows \\\\ \\\" \\' \\n \\r \\t \\0)")
                       .arg(QString::fromLatin1(line.mid(pos, 1))));
        if (stopAtNul && meant == 0)
            ended = true;
        if (!ended)
            text += char(meant);
        ++pos;
    }
    refuse(QStringLiteral("a quoted text is not closed before the end of the line"));
}

} // namespace

QList<ScriptLine> ScriptLines(const QByteArray& text)
{
    QList<ScriptLine> lines;
    const char* data = text.constData();
    const qsizetype size = text.size();
    qsizetype pos = 0;
    int number = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        lines.append({++number, text.mid(pos, end - pos)});

        pos = end;
        if (pos < size && data[pos] == '\r') {
            ++pos;
            if (pos < size && data[pos] == '\n')
                ++pos;
        } else if (pos < size) {
            ++pos;
        }
    }
    return lines;
}

bool IsCommentLine(const QByteArray& line)
{
    for (const char c : line) {
        if (!isSpace(c))
            return c == '*';
    }
    return false;
}

QList<ScriptToken> LineTokens(const QByteArray& line)
{
    QList<ScriptToken> tokens;
    qsizetype pos = 0;
    while (pos < line.size()) {
        if (isSpace(line[pos])) {
            ++pos;
        } else if (line[pos] == '"') {
            tokens.append({quotedText(line, pos), true});
        } else {
            const qsizetype start = pos;
            while (pos < line.size() && !isSpace(line[pos]) && line[pos] != '"')
                ++pos;
            tokens.append({line.mid(start, pos - start), false});
        }
    }
    return tokens;
}

QByteArray QuotedText(const QByteArray& text)
{
    QByteArray quoted;
    quoted.reserve(text.size() + 2);
    quoted += '"';
    for (const char c : text) {
        switch (c) {
        case '\\': quoted += "\\\\"; break;
        case '"': quoted += "\\\""; break;
        case '\t': quoted += "\\t"; break;
        case '\n': quoted += "\\n"; break;
        case '\r': quoted += "\\r"; break;
        default: quoted += c;
        }
    }
    quoted += '"';
    return quoted;
}

// --- The stream -------------------------------------------------------------------

namespace {

bool isStreamSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == '\r' || c == '\n';
}

bool refusedInWord(char c)
{
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b >= 0x7F;
}

} // namespace

ScriptTokenStream::ScriptTokenStream(const QByteArray& source)
    : source_(source)
{
}

const StreamToken& ScriptTokenStream::peek()
{
    if (!haveAhead) {
        ahead = read();
        haveAhead = true;
    }
    line_ = ahead.line;
    return ahead;
}

StreamToken ScriptTokenStream::take()
{
    peek();
    haveAhead = false;
    return std::move(ahead);
}

void ScriptTokenStream::skipBlanks()
{
    const char* data = source_.constData();
    const qsizetype size = source_.size();
    while (pos < size) {
        const char c = data[pos];
        if (c == '\r' || c == '\n') {
            ++pos;
            if (c == '\r' && pos < size && data[pos] == '\n')
                ++pos;
            ++currentLine;
            lineStart = true;
        } else if (isStreamSpace(c)) {
            ++pos;
        } else if (c == '*') {
            while (pos < size && data[pos] != '\r' && data[pos] != '\n')
                ++pos;
        } else {
            return;
        }
    }
}

StreamToken ScriptTokenStream::read()
{
    skipBlanks();
    StreamToken token;
    token.line = currentLine;
    line_ = currentLine;
    token.begin = pos;
    token.startsLine = lineStart;
    if (pos >= source_.size()) {
        // The end of the script lies on its last line, not after its last line end.
        if (lineStart && currentLine > 1)
            token.line = line_ = currentLine - 1;
        token.atEnd = true;
        token.end = pos;
        return token;
    }
    lineStart = false;
    const char* data = source_.constData();
    if (data[pos] == '"') {
        token.text = quotedText(source_, pos, true);
        token.quoted = true;
    } else {
        const qsizetype start = pos;
        while (pos < source_.size() && !isStreamSpace(data[pos]) && data[pos] != '"') {
            if (refusedInWord(data[pos]))
                refuse(QStringLiteral("the script holds the byte %1 outside a quoted text, which the game refuses")
                           .arg(QStringLiteral("0x%1").arg(static_cast<unsigned char>(data[pos]), 2, 16, QLatin1Char('0'))));
            ++pos;
        }
        token.text = QByteArray(data + start, pos - start);
    }
    token.end = pos;
    return token;
}
