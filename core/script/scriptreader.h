#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// Reading a room definition script: a stream of space-separated tokens in which seven
// keywords, matched byte for byte, act and every other token is passed over.
//   addr <metaroom> <xl> <xr> <ytl> <ytr> <ybl> <ybr>   a new room (game coordinates)
//   rtyp <room> <type>                                  type of the latest room
//   rmsc <x> <y> <music>                                music of the latest room
//   door <a> <b> <perm>                                 links rooms a and b both ways
//   addm <offset X> <offset Y> <w> <h> <file name>      offsets in use and background name
//   mmsc <x> <y> <music>                                metaroom music
//   brmi <metaroom id> <sub room start id>              room numbering
// Arguments named in angle brackets without use here (<metaroom>, <room>, <x>, <y>, <w>,
// <h>) are taken and ignored. Numbers are converted when taken; a token that is no integer
// ends the reading with ConversionError.

// Room corners in picture coordinates.
struct RoomCorners {
    int xl = 0;
    int xr = 0;
    int ytl = 0;
    int ytr = 0;
    int ybl = 0;
    int ybr = 0;
};

// Where the commands of a script go. The reader calls each one only when every argument
// of its line has been taken and converted, so a failing line changes nothing.
class ScriptSink {
public:
    virtual ~ScriptSink() = default;

    // Makes a room with these corners; it becomes the latest room.
    virtual void addRoom(const RoomCorners& corners) = 0;
    // The type and music of the latest room; only called after addRoom.
    virtual void setRoomType(int roomtype) = 0;
    virtual void setRoomMusic(const QString& music) = 0;
    // Links the rooms whose game room numbers are a and b, both ways, with perm. The game
    // room number is SubRoomStartID (as set last) plus the position in the room list;
    // when either is not a room, raises ListIndexError and changes nothing.
    virtual void linkRooms(int a, int b, int perm) = 0;
    // The metaroom's offsets, now in use for later room lines, and its background name.
    virtual void setMetaroom(int offsetX, int offsetY, const QString& backgroundName) = 0;
    virtual void setMetaroomMusic(const QString& music) = 0;
    virtual void setRoomNumbering(int metaRoomID, int subRoomStartID) = 0;
};

// One load of a script. Holds the offsets in use and the running panel size, which starts
// as the panel's size and grows to every xr, ybl and ybr as written in a room line (before
// the offsets are taken off).
class RoomDefsReader {
public:
    RoomDefsReader(ScriptSink& sink, int offsetX, int offsetY, int panelWidth, int panelHeight);

    // Runs the commands of the lines (as ScriptLines gives them) in order.
    void read(const QList<QByteArray>& lines);

    int offsetX() const { return offsetX_; }
    int offsetY() const { return offsetY_; }
    int panelWidth() const { return panelWidth_; }
    int panelHeight() const { return panelHeight_; }

private:
    void runToken(const QByteArray& token, QByteArray& rest);
    void addRoom(QByteArray& rest);
    void roomType(QByteArray& rest);
    void roomMusic(QByteArray& rest);
    void door(QByteArray& rest);
    void metaroom(QByteArray& rest);
    void metaroomMusic(QByteArray& rest);
    void roomNumbering(QByteArray& rest);

    ScriptSink& sink;
    int offsetX_;
    int offsetY_;
    int panelWidth_;
    int panelHeight_;
    bool roomMade = false;   // a room line of this load has been read
};
