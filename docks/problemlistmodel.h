#pragma once

#include "core/model/document.h"
#include "core/rules/gamerules.h"

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>

// Findings of the game's rules as a table: severity, the rooms by game number, and the
// message. Each finding keeps the keys of its rooms as they were when it was found, so a
// finding still names the right room after the rooms before it moved in the list.
class ProblemListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { SeverityColumn, RoomsColumn, MessageColumn, ColumnCount };

    explicit ProblemListModel(QObject* parent = nullptr);

    // Findings over the rooms of `defs`, whose keys are `keys` in the same order.
    void setFindings(const QList<Finding>& findings, const RoomDefs& defs, const QList<RoomKey>& keys);
    const QList<Finding>& findings() const { return found; }
    QList<RoomKey> roomsOf(int row) const;   // empty outside the rows

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QIcon iconOf(Severity severity) const;

    QList<Finding> found;
    QList<QList<RoomKey>> keysOf;   // per finding
    QStringList numbersOf;          // per finding: "12, 13"
};
