#include "docks/problemlistmodel.h"

#include "core/rules/findingsummary.h"

#include <QApplication>
#include <QStringList>
#include <QStyle>

ProblemListModel::ProblemListModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

void ProblemListModel::setFindings(const QList<Finding>& findings, const RoomDefs& defs, const QList<RoomKey>& keys)
{
    QList<QList<RoomKey>> newKeys;
    QStringList newNumbers;
    newKeys.reserve(findings.size());
    newNumbers.reserve(findings.size());
    for (const Finding& f : findings) {
        QList<RoomKey> roomKeys;
        QStringList numbers;
        for (const int position : f.rooms) {
            roomKeys.append(keys.value(position));
            numbers.append(QString::number(GameRoomNumber(defs, position)));
        }
        newKeys.append(roomKeys);
        newNumbers.append(numbers.join(QStringLiteral(", ")));
    }
    // Most checks during a drag find what the last one found: the view keeps its place.
    if (findings == found && newKeys == keysOf && newNumbers == numbersOf)
        return;
    beginResetModel();
    found = findings;
    keysOf = newKeys;
    numbersOf = newNumbers;
    endResetModel();
}

QList<RoomKey> ProblemListModel::roomsOf(int row) const
{
    return keysOf.value(row);
}

int ProblemListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(found.size());
}

int ProblemListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QIcon ProblemListModel::iconOf(Severity severity) const
{
    QStyle* style = QApplication::style();
    switch (severity) {
    case Severity::Error:
        return style->standardIcon(QStyle::SP_MessageBoxCritical);
    case Severity::Warning:
        return style->standardIcon(QStyle::SP_MessageBoxWarning);
    case Severity::Note:
        return style->standardIcon(QStyle::SP_MessageBoxInformation);
    }
    return {};
}

QVariant ProblemListModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= found.size())
        return {};
    const Finding& f = found[index.row()];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case SeverityColumn: {
            QString word = SeverityName(f.severity);
            word[0] = word[0].toUpper();
            return word;
        }
        case RoomsColumn:
            return numbersOf.value(index.row());
        case MessageColumn:
            return f.message;
        }
        break;
    case Qt::DecorationRole:
        if (index.column() == SeverityColumn)
            return iconOf(f.severity);
        break;
    case Qt::ToolTipRole:
        return f.message;
    }
    return {};
}

QVariant ProblemListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case SeverityColumn:
        return QStringLiteral("Severity");
    case RoomsColumn:
        return QStringLiteral("Rooms");
    case MessageColumn:
        return QStringLiteral("Problem");
    }
    return {};
}
