#pragma once

#include "core/script/int32wrap.h"

#include <QSet>

// Numbers as the game gives them to rooms and to metarooms: the first free number at or
// above the base in force, in the order they are added.
class GameNumbering {
public:
    int next(int base)
    {
        if (base != lastBase) {
            candidate = base;
            lastBase = base;
        }
        while (used.contains(candidate))
            candidate = wrappingAdd(candidate, 1);
        used.insert(candidate);
        return candidate;
    }

private:
    QSet<int> used;
    int lastBase = 0;
    int candidate = 0;
};
