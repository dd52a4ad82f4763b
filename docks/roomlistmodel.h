#pragma once

#include "core/model/document.h"

#include <QAbstractTableModel>
#include <QList>
#include <QPointer>
#include <QTimer>

// The rooms of a document as a table: game number, type, number of doors, music and CA
// levels, one row per room in the document's order. It follows the document's signals row by row,
// until more than BulkRows rooms come or go in one turn of the event loop (a load, or its
// undo): then it resets once, at the end of that turn, which a view takes far faster than
// thousands of rows one by one. A change of shape alone changes no cell.
class RoomListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { NumberColumn, TypeColumn, DoorsColumn, MusicColumn, LevelsColumn, ColumnCount };
    static constexpr int BulkRows = 64;

    explicit RoomListModel(TMetaroomDocument* document, QObject* parent = nullptr);

    RoomKey keyAt(int row) const;   // 0 outside the rows
    int rowOf(RoomKey key) const;   // -1 when the room has no row

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Between the start of a bulk change and the end of its turn: the rows are current,
    // but views must not be led to them until the reset ends.
    bool isResetting() const { return resetting; }

private:
    void roomInserted(int position, RoomKey key);
    void roomRemoved(int position, RoomKey key);
    void roomChanged(RoomKey key, TMetaroomDocument::RoomChanges changes);
    void doorsChanged(RoomKey a, RoomKey b);
    void metaroomChanged(const MetaroomValues& before);
    void cellsChanged(RoomKey key, Column first, Column last);
    bool countRowChange();
    void endBulkChange();

    QPointer<TMetaroomDocument> document;
    // The rows as the views know them; the document has already changed when it signals.
    QList<RoomKey> rows;
    int rowChanges = 0;        // rooms that came or went in this turn
    bool resetting = false;
    QTimer turnEnd;
};
