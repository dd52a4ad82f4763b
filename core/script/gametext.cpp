#include "core/script/gametext.h"

#include <QList>

QString GameTextFault(const QString& text)
{
    for (const char32_t c : text.toUcs4()) {
        // A tab and line ends are written as escapes.
        if (c == U'\t' || c == U'\r' || c == U'\n')
            continue;
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
