#include "script/scripttokens.h"

namespace {

void dropLeadingSpaces(QByteArray& text)
{
    qsizetype spaces = 0;
    while (spaces < text.size() && text[spaces] == ' ')
        ++spaces;
    text.remove(0, spaces);
}

} // namespace

QByteArray NextToken(QByteArray& rest)
{
    qsizetype end = 0;
    bool quoting = false;
    while (end < rest.size() && (rest[end] != ' ' || quoting)) {
        if (rest[end] == '"')
            quoting = !quoting;
        ++end;
    }

    QByteArray token = rest.left(end);
    if (end == rest.size()) {
        rest.clear();
    } else {
        const qsizetype keptFrom = end == 0 ? 0 : end + 1;
        rest = rest.mid(keptFrom, KeptAfterToken);
        dropLeadingSpaces(rest);
    }

    if (token.startsWith('"'))
        token = token.size() < 2 ? QByteArray() : token.mid(1, token.size() - 2);
    return token;
}

QList<QByteArray> ScriptLines(const QByteArray& text)
{
    QList<QByteArray> lines;
    const qsizetype size = text.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && text[end] != '\r' && text[end] != '\n')
            ++end;
        if (end == pos)
            break;
        lines.append(text.mid(pos, end - pos));

        pos = end;
        if (pos < size && text[pos] == '\r') {
            ++pos;
            if (pos < size && text[pos] == '\n')
                ++pos;
        } else if (pos < size) {
            ++pos;
        }
    }
    return lines;
}
