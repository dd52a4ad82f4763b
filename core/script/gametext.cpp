#include "core/script/gametext.h"

#include <QList>

#include <QList>

QString GameTextFault(const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        if (c == U'\t')
            return QStringLiteral("a tab character");
        if (c == U'\r' || c == U'\n')
            return QStringLiteral("a line break");
        if (c < 0x20 || c == 0x7F)
            return QStringLiteral("the control character %1").arg(int(c));
        if (c > 0xFF)
            return QStringLiteral("the character \"%1\"").arg(QString::fromUcs4(&c, 1));
    }
    // Single-byte text: one byte a character.
    if (text.size() > GameTextMaxBytes)
        return QStringLiteral("%1 bytes, more than the game's %2").arg(text.size()).arg(GameTextMaxBytes);
    return {};
}
