#include "core/script/scriptreader.h"

#include "core/common/intconv.h"
#include "core/script/int32wrap.h"
#include "core/script/scripttokens.h"

#include <algorithm>

namespace {

void skip(QByteArray& rest)
{
    NextToken(rest);
}

int takeNumber(QByteArray& rest)
{
    return StrToInt(QString::fromLatin1(NextToken(rest)));
}

QString takeText(QByteArray& rest)
{
    return QString::fromLatin1(NextToken(rest));
}

} // namespace

RoomDefsReader::RoomDefsReader(ScriptSink& sink, int offsetX, int offsetY, int panelWidth, int panelHeight)
    : sink(sink)
    , offsetX_(offsetX)
    , offsetY_(offsetY)
    , panelWidth_(panelWidth)
    , panelHeight_(panelHeight)
{
}

void RoomDefsReader::read(const QList<QByteArray>& lines)
{
    for (QByteArray rest : lines) {
        while (!rest.isEmpty())
            runToken(NextToken(rest), rest);
    }
}

void RoomDefsReader::runToken(const QByteArray& token, QByteArray& rest)
{
    if (token == "addr")
        addRoom(rest);
    else if (token == "rtyp")
        roomType(rest);
    else if (token == "rmsc")
        roomMusic(rest);
    else if (token == "door")
        door(rest);
    else if (token == "addm")
        metaroom(rest);
    else if (token == "mmsc")
        metaroomMusic(rest);
    else if (token == "brmi")
        roomNumbering(rest);
}

void RoomDefsReader::addRoom(QByteArray& rest)
{
    skip(rest);
    const int xl = takeNumber(rest);
    const int xr = takeNumber(rest);
    const int ytl = takeNumber(rest);
    const int ytr = takeNumber(rest);
    const int ybl = takeNumber(rest);
    const int ybr = takeNumber(rest);

    panelWidth_ = std::max(panelWidth_, xr);
    panelHeight_ = std::max({panelHeight_, ybl, ybr});

    RoomCorners corners;
    corners.xl = wrappingSub(xl, offsetX_);
    corners.xr = wrappingSub(xr, offsetX_);
    corners.ytl = wrappingSub(ytl, offsetY_);
    corners.ytr = wrappingSub(ytr, offsetY_);
    corners.ybl = wrappingSub(ybl, offsetY_);
    corners.ybr = wrappingSub(ybr, offsetY_);
    sink.addRoom(corners);
    roomMade = true;
}

// Type and music lines before the first room line of this load have no room to go to:
// their arguments are taken as usual and nothing is set.
void RoomDefsReader::roomType(QByteArray& rest)
{
    skip(rest);
    const int roomtype = takeNumber(rest);
    if (roomMade)
        sink.setRoomType(roomtype);
}

void RoomDefsReader::roomMusic(QByteArray& rest)
{
    skip(rest);
    skip(rest);
    const QString music = takeText(rest);
    if (roomMade)
        sink.setRoomMusic(music);
}

void RoomDefsReader::door(QByteArray& rest)
{
    const int a = takeNumber(rest);
    const int b = takeNumber(rest);
    const int perm = takeNumber(rest);
    sink.linkRooms(a, b, perm);
}

void RoomDefsReader::metaroom(QByteArray& rest)
{
    const int x = takeNumber(rest);
    const int y = takeNumber(rest);
    skip(rest);
    skip(rest);
    const QString name = takeText(rest);
    offsetX_ = x;
    offsetY_ = y;
    sink.setMetaroom(x, y, name);
}

void RoomDefsReader::metaroomMusic(QByteArray& rest)
{
    skip(rest);
    skip(rest);
    sink.setMetaroomMusic(takeText(rest));
}

void RoomDefsReader::roomNumbering(QByteArray& rest)
{
    const int metaRoomID = takeNumber(rest);
    const int subRoomStartID = takeNumber(rest);
    sink.setRoomNumbering(metaRoomID, subRoomStartID);
}
