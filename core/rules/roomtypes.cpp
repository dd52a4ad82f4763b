#include "core/rules/roomtypes.h"

#include <array>

namespace {

constexpr int NamedTypes = 11;

constexpr std::array<const char*, NamedTypes> Names = {
    "atmosphere",     "wooden walkway", "concrete walkway", "indoor concrete", "outdoor concrete", "normal soil",
    "boggy soil",     "drained soil",   "fresh water",      "salt water",      "ettin home",
};

// Hues far apart, and where it helps a hint of the material: wood orange, soils brown to
// olive, waters blue and teal.
constexpr std::array<QRgb, RoomTypeCount> Colours = {
    0x4FC3F7,   // 0 atmosphere: sky blue
    0xFF8F00,   // 1 wooden walkway: orange
    0xE0E0E0,   // 2 concrete walkway: light grey
    0x8E44AD,   // 3 indoor concrete: violet
    0xF06292,   // 4 outdoor concrete: pink
    0x8B5A2B,   // 5 normal soil: brown
    0x9AAE00,   // 6 boggy soil: olive
    0xFFF176,   // 7 drained soil: pale yellow
    0x1E5BD8,   // 8 fresh water: blue
    0x00BFA5,   // 9 salt water: teal
    0xD50000,   // 10 ettin home: red
    0x76FF03,   // 11: lime
    0xFF00E6,   // 12: magenta
    0x455A64,   // 13: slate
    0xA5D6A7,   // 14: mint
    0x880E4F,   // 15: maroon
};

constexpr int FillAlpha = 140;

} // namespace

bool IsGameRoomType(int roomtype)
{
    return roomtype >= 0 && roomtype < RoomTypeCount;
}

QString RoomTypeName(int roomtype)
{
    if (roomtype >= 0 && roomtype < NamedTypes)
        return QString::fromLatin1(Names[size_t(roomtype)]);
    return QStringLiteral("type %1").arg(roomtype);
}

QString RoomTypeLabel(int roomtype)
{
    if (roomtype >= 0 && roomtype < NamedTypes)
        return QStringLiteral("%1 %2").arg(roomtype).arg(RoomTypeName(roomtype));
    return RoomTypeName(roomtype);
}

QColor RoomTypeColour(int roomtype)
{
    QColor colour = IsGameRoomType(roomtype) ? QColor(Colours[size_t(roomtype)]) : QColor(Qt::black);
    colour.setAlpha(FillAlpha);
    return colour;
}
