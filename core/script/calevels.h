#pragma once

#include "core/script/roomdefs.h"

#include <QByteArray>
#include <QString>
#include <optional>

// levels with index set to level, in index order.
CaLevels WithCaLevel(CaLevels levels, int index, float level);

// A level as a script writes it ("0.5", ".25", "1"): digits with at most one point and an
// optional sign; nothing when the text is no such number.
std::optional<float> CaLevelFromText(const QByteArray& text);

// The shortest decimal text that CaLevelFromText reads back as the same float.
QByteArray CaLevelText(float level);

// "2: 0.5, 7: 1" for the Rooms list.
QString CaLevelsLabel(const CaLevels& levels);
