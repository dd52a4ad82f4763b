#include "core/script/scripttokens.h"

#include <algorithm>

QByteArray NextToken(QByteArray& rest)
{
    const char* text = rest.constData();
    const qsizetype size = rest.size();
    qsizetype end = 0;
    bool quoting = false;
    while (end < size && (text[end] != ' ' || quoting)) {
        if (text[end] == '"')
            quoting = !quoting;
        ++end;
    }

    QByteArray token = rest.left(end);
    if (end == size) {
        rest.clear();
    } else {
        const qsizetype keptFrom = end == 0 ? 0 : end + 1;
        const qsizetype keptEnd = std::min(size, keptFrom + KeptAfterToken);
        qsizetype next = keptFrom;
        while (next < keptEnd && text[next] == ' ')
            ++next;
        rest = rest.mid(next, keptEnd - next);
    }

    if (token.startsWith('"'))
        token = token.size() < 2 ? QByteArray() : token.mid(1, token.size() - 2);
    return token;
}

QList<QByteArray> ScriptLines(const QByteArray& text)
{
    QList<QByteArray> lines;
    const char* data = text.constData();
    const qsizetype size = text.size();
    qsizetype pos = 0;
    while (pos < size) {
        qsizetype end = pos;
        while (end < size && data[end] != '\r' && data[end] != '\n')
            ++end;
        if (end == pos)
            break;
        lines.append(text.mid(pos, end - pos));

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
