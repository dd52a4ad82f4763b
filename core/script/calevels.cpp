#include "core/script/calevels.h"

#include <algorithm>
#include <cmath>

CaLevels WithCaLevel(CaLevels levels, int index, float level)
{
    const auto at = std::lower_bound(levels.begin(), levels.end(), index,
                                     [](const CaLevel& l, int i) { return l.index < i; });
    if (at != levels.end() && at->index == index)
        at->level = level;
    else
        levels.insert(at, {index, level});
    return levels;
}

std::optional<float> CaLevelFromText(const QByteArray& text)
{
    // Digits with at most one point, after an optional sign: no exponent, no words.
    qsizetype digits = 0;
    bool point = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if ((c == '-' || c == '+') && i == 0)
            continue;
        if (c == '.' && !point) {
            point = true;
            continue;
        }
        if (c < '0' || c > '9')
            return std::nullopt;
        ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    bool ok = false;
    const float value = text.toFloat(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

QByteArray CaLevelText(float level)
{
    // The fewest decimals that read back as the same float.
    for (int decimals = 1; decimals < 60; ++decimals) {
        const QByteArray text = QByteArray::number(double(level), 'f', decimals);
        if (CaLevelFromText(text) == level)
            return text;
    }
    return QByteArray::number(double(level), 'f', 60);
}

QString CaLevelsLabel(const CaLevels& levels)
{
    QStringList parts;
    for (const CaLevel& l : levels)
        parts << QStringLiteral("%1: %2").arg(l.index).arg(QString::fromLatin1(CaLevelText(l.level)));
    return parts.join(QStringLiteral(", "));
}
