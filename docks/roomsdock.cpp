#include "docks/roomsdock.h"

#include "core/common/intconv.h"
#include "core/rules/gamerules.h"
#include "docks/roomlistmodel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScopedValueRollback>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

// A table that tells the rows the user chooses, with the mouse or the keyboard, from the
// moves of its current row that follow the model; a press on the current row chooses it
// again.
class RoomTable : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

signals:
    void rowChosen(int row);

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const int before = currentIndex().row();
        {
            QScopedValueRollback<bool> user(byUser, true);
            QTableView::mousePressEvent(event);
        }
        const QModelIndex at = indexAt(event->position().toPoint());
        if (event->button() == Qt::LeftButton && at.isValid() && at.row() == before)
            emit rowChosen(at.row());
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        QScopedValueRollback<bool> user(byUser, true);
        QTableView::mouseMoveEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        QScopedValueRollback<bool> user(byUser, true);
        QTableView::keyPressEvent(event);
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTableView::currentChanged(current, previous);
        if (byUser && current.isValid() && current.row() != previous.row())
            emit rowChosen(current.row());
    }

private:
    bool byUser = false;
};

RoomsDock::RoomsDock(TMetaroomDocument* document, QWidget* parent)
    : QDockWidget(QStringLiteral("Rooms"), parent)
    , document(document)
    , rooms(new RoomListModel(document, this))
    , tblRooms(new RoomTable)
    , edtFindRoom(new QLineEdit)
    , lblFindResult(new QLabel)
{
    setObjectName(QStringLiteral("dockRooms"));

    tblRooms->setObjectName(QStringLiteral("tblRooms"));
    tblRooms->setModel(rooms);
    tblRooms->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblRooms->setSelectionMode(QAbstractItemView::SingleSelection);
    tblRooms->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblRooms->setAlternatingRowColors(true);
    tblRooms->setWordWrap(false);
    tblRooms->verticalHeader()->hide();
    // Fixed rows keep a list of thousands of rooms quick to lay out.
    tblRooms->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblRooms->verticalHeader()->setDefaultSectionSize(tblRooms->fontMetrics().height() + 6);
    tblRooms->horizontalHeader()->setStretchLastSection(true);
    tblRooms->horizontalHeader()->setHighlightSections(false);
    const int digit = tblRooms->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    tblRooms->setColumnWidth(RoomListModel::NumberColumn, 7 * digit);
    tblRooms->setColumnWidth(RoomListModel::TypeColumn, 20 * digit);
    tblRooms->setColumnWidth(RoomListModel::DoorsColumn, 7 * digit);
    tblRooms->setMinimumWidth(50 * digit);

    edtFindRoom->setObjectName(QStringLiteral("edtFindRoom"));
    edtFindRoom->setPlaceholderText(QStringLiteral("Find room number"));
    edtFindRoom->setClearButtonEnabled(true);
    lblFindResult->setObjectName(QStringLiteral("lblFindResult"));

    auto* findRow = new QHBoxLayout;
    findRow->addWidget(edtFindRoom, 1);
    findRow->addWidget(lblFindResult);
    auto* body = new QWidget;
    auto* layout = new QVBoxLayout(body);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addLayout(findRow);
    layout->addWidget(tblRooms, 1);
    setWidget(body);

    connect(tblRooms, &RoomTable::rowChosen, this, [this](int row) {
        if (!following)
            rowChosen(row);
    });
    // Each number typed is asked for as it grows; Enter asks again.
    connect(edtFindRoom, &QLineEdit::textEdited, this, &RoomsDock::findTyped);
    connect(edtFindRoom, &QLineEdit::returnPressed, this, &RoomsDock::findTyped);
    connect(document, &TMetaroomDocument::selectionChanged, this, &RoomsDock::followSelection);
    // A room put back or removed moves rows under the current one.
    connect(rooms, &QAbstractItemModel::rowsInserted, this, &RoomsDock::followSelection);
    connect(rooms, &QAbstractItemModel::rowsRemoved, this, &RoomsDock::followSelection);
    connect(rooms, &QAbstractItemModel::modelReset, this, &RoomsDock::followSelection);
    setFindMessage({});
    followSelection();
}

QTableView* RoomsDock::table() const
{
    return tblRooms;
}

bool RoomsDock::findRoom(int number)
{
    if (!document)
        return false;
    const std::optional<int> position =
        PositionOfGameRoomNumber(document->metaroom().subRoomStartID, number, document->roomCount());
    if (!position) {
        setFindMessage(QStringLiteral("No room %1").arg(number));
        return false;
    }
    setFindMessage({});
    emit roomActivated(document->roomAt(*position));
    followSelection();
    return true;
}

void RoomsDock::findTyped()
{
    const QString text = edtFindRoom->text().trimmed();
    if (text.isEmpty()) {
        setFindMessage({});
        return;
    }
    const std::optional<std::int32_t> number = tryStrToInt(text);
    if (number)
        findRoom(*number);
    else
        setFindMessage(QStringLiteral("Not a number"));
}

void RoomsDock::rowChosen(int row)
{
    const RoomKey key = rooms->keyAt(row);
    if (key == 0)
        return;
    emit roomActivated(key);
    // Whoever owns the map may not select it; then the row goes back to the selected room.
    QTimer::singleShot(0, this, &RoomsDock::followSelection);
}

void RoomsDock::followSelection()
{
    if (!document || rooms->isResetting())
        return;   // the reset's end comes back here
    const int row = rooms->rowOf(document->selection());
    QItemSelectionModel* selection = tblRooms->selectionModel();
    if (row == selection->currentIndex().row() && (row < 0 || selection->isRowSelected(row)))
        return;
    QScopedValueRollback<bool> guard(following, true);
    if (row < 0) {
        selection->clear();
        return;
    }
    const QModelIndex at = rooms->index(row, RoomListModel::NumberColumn);
    selection->setCurrentIndex(at, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    tblRooms->scrollTo(at);
}

void RoomsDock::setFindMessage(const QString& message)
{
    lblFindResult->setText(message);
    lblFindResult->setVisible(!message.isEmpty());
}

#include "roomsdock.moc"
