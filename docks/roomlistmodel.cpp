#include "docks/roomlistmodel.h"

#include "core/rules/gamerules.h"
#include "core/rules/roomtypes.h"
#include "core/script/calevels.h"

RoomListModel::RoomListModel(TMetaroomDocument* document, QObject* parent)
    : QAbstractTableModel(parent)
    , document(document)
    , rows(document->rooms())
{
    connect(document, &TMetaroomDocument::roomInserted, this, &RoomListModel::roomInserted);
    connect(document, &TMetaroomDocument::roomRemoved, this, &RoomListModel::roomRemoved);
    connect(document, &TMetaroomDocument::roomChanged, this, &RoomListModel::roomChanged);
    connect(document, &TMetaroomDocument::doorsChanged, this, &RoomListModel::doorsChanged);
    connect(document, &TMetaroomDocument::metaroomChanged, this, &RoomListModel::metaroomChanged);
    turnEnd.setSingleShot(true);
    turnEnd.setInterval(0);
    connect(&turnEnd, &QTimer::timeout, this, &RoomListModel::endBulkChange);
}

// Counts a room that came or went; true when the rows are told one by one.
bool RoomListModel::countRowChange()
{
    if (!turnEnd.isActive()) {
        rowChanges = 0;
        turnEnd.start();
    }
    if (!resetting && ++rowChanges > BulkRows) {
        beginResetModel();
        resetting = true;
    }
    return !resetting;
}

void RoomListModel::endBulkChange()
{
    rowChanges = 0;
    if (!resetting)
        return;
    resetting = false;
    endResetModel();
}

RoomKey RoomListModel::keyAt(int row) const
{
    return row >= 0 && row < rows.size() ? rows[row] : 0;
}

int RoomListModel::rowOf(RoomKey key) const
{
    // The document's position is the row whenever the model is between changes.
    const int position = document ? document->positionOf(key) : -1;
    return keyAt(position) == key && key != 0 ? position : -1;
}

int RoomListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(rows.size());
}

int RoomListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant RoomListModel::data(const QModelIndex& index, int role) const
{
    const RoomKey key = keyAt(index.row());
    if (!document || !document->contains(key))
        return {};
    const RoomRecord& room = document->room(key);
    if (role == Qt::DisplayRole) {
        switch (index.column()) {
        case NumberColumn:
            return GameRoomNumber(document->metaroom().subRoomStartID, index.row());
        case TypeColumn:
            return RoomTypeLabel(room.roomtype);
        case MusicColumn:
            return room.music;
        case DoorsColumn:
            return int(room.doors.size());
        case LevelsColumn:
            return CaLevelsLabel(room.levels);
        }
    } else if (role == Qt::DecorationRole && index.column() == TypeColumn) {
        QColor swatch = RoomTypeColour(room.roomtype);
        swatch.setAlpha(255);
        return swatch;
    } else if (role == Qt::TextAlignmentRole && (index.column() == NumberColumn || index.column() == DoorsColumn)) {
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant RoomListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NumberColumn:
        return QStringLiteral("Room");
    case TypeColumn:
        return QStringLiteral("Type");
    case MusicColumn:
        return QStringLiteral("Music");
    case DoorsColumn:
        return QStringLiteral("Doors");
    case LevelsColumn:
        return QStringLiteral("CA levels");
    }
    return {};
}

void RoomListModel::roomInserted(int position, RoomKey key)
{
    if (!countRowChange()) {
        rows.insert(position, key);
        return;
    }
    beginInsertRows({}, position, position);
    rows.insert(position, key);
    endInsertRows();
    // The rooms after it have new numbers.
    if (position + 1 < rows.size())
        emit dataChanged(index(position + 1, NumberColumn), index(int(rows.size()) - 1, NumberColumn));
}

void RoomListModel::roomRemoved(int position, RoomKey)
{
    if (!countRowChange()) {
        rows.removeAt(position);
        return;
    }
    beginRemoveRows({}, position, position);
    rows.removeAt(position);
    endRemoveRows();
    if (position < rows.size())
        emit dataChanged(index(position, NumberColumn), index(int(rows.size()) - 1, NumberColumn));
}

void RoomListModel::roomChanged(RoomKey key, TMetaroomDocument::RoomChanges changes)
{
    if (changes & TMetaroomDocument::TypeChanged)
        cellsChanged(key, TypeColumn, TypeColumn);
    if (changes & TMetaroomDocument::MusicChanged)
        cellsChanged(key, MusicColumn, MusicColumn);
    if (changes & TMetaroomDocument::LevelsChanged)
        cellsChanged(key, LevelsColumn, LevelsColumn);
}

void RoomListModel::doorsChanged(RoomKey a, RoomKey b)
{
    cellsChanged(a, DoorsColumn, DoorsColumn);
    if (b != a)
        cellsChanged(b, DoorsColumn, DoorsColumn);
}

void RoomListModel::metaroomChanged(const MetaroomValues& before)
{
    if (!resetting && document->metaroom().subRoomStartID != before.subRoomStartID && !rows.isEmpty())
        emit dataChanged(index(0, NumberColumn), index(int(rows.size()) - 1, NumberColumn));
}

void RoomListModel::cellsChanged(RoomKey key, Column first, Column last)
{
    const int row = rowOf(key);
    if (row >= 0 && !resetting)
        emit dataChanged(index(row, first), index(row, last));
}
