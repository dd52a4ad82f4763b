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
#include <algorithm>

// A table that tells the rows the user chooses, with the mouse or the keyboard, from the
// changes of its rows that follow the model: one row chosen, or several (Ctrl and Shift),
// told once the user's press, move or key has been handled. A plain press on the current
// row chooses it again.
class RoomTable : public QTableView {
    Q_OBJECT
public:
    using QTableView::QTableView;

signals:
    void rowChosen(int row);
    void rowsChosen(const QList<int>& rows, int current);

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        const int before = currentIndex().row();
        byUser([&] { QTableView::mousePressEvent(event); });
        const QModelIndex at = indexAt(event->position().toPoint());
        const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier));
        if (!changed && plain && event->button() == Qt::LeftButton && at.isValid() && at.row() == before)
            emit rowChosen(at.row());
        tellChoice();
    }
    void mouseMoveEvent(QMouseEvent* event) override
    {
        byUser([&] { QTableView::mouseMoveEvent(event); });
        tellChoice();
    }
    // A press on a row already selected changes the rows at the release.
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        byUser([&] { QTableView::mouseReleaseEvent(event); });
        tellChoice();
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        byUser([&] { QTableView::keyPressEvent(event); });
        tellChoice();
    }
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override
    {
        QTableView::currentChanged(current, previous);
        changed = changed || (user && current.row() != previous.row());
    }
    void selectionChanged(const QItemSelection& selected, const QItemSelection& deselected) override
    {
        QTableView::selectionChanged(selected, deselected);
        changed = changed || user;
    }

private:
    template <typename Handle>
    void byUser(Handle handle)
    {
        QScopedValueRollback<bool> guard(user, true);
        handle();
    }
    // What the user's last event did to the rows, if anything.
    void tellChoice()
    {
        if (!changed)
            return;
        changed = false;
        QList<int> rows;
        for (const QModelIndex& index : selectionModel()->selectedRows())
            rows.append(index.row());
        std::sort(rows.begin(), rows.end());
        if (rows.size() == 1)
            emit rowChosen(rows.first());
        else if (!rows.isEmpty() || currentIndex().isValid())
            emit rowsChosen(rows, currentIndex().row());
    }

    bool user = false;
    bool changed = false;   // by the user, since the rows were last told
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
    tblRooms->setSelectionMode(QAbstractItemView::ExtendedSelection);
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
    connect(tblRooms, &RoomTable::rowsChosen, this, [this](const QList<int>& rows, int current) {
        if (!following)
            rowsChosen(rows, current);
    });
    // Each number typed is asked for as it grows; Enter asks again.
    connect(edtFindRoom, &QLineEdit::textEdited, this, &RoomsDock::findTyped);
    connect(edtFindRoom, &QLineEdit::returnPressed, this, &RoomsDock::findTyped);
    connect(document, &TMetaroomDocument::selectionChanged, this, &RoomsDock::followSelection);
    connect(document, &TMetaroomDocument::selectedRoomsChanged, this, &RoomsDock::followSelection);
    // What the table was last given is not known once anything else changes its selection.
    const auto forgetApplied = [this] {
        if (!following)
            applied = false;
    };
    connect(tblRooms->selectionModel(), &QItemSelectionModel::selectionChanged, this, forgetApplied);
    connect(tblRooms->selectionModel(), &QItemSelectionModel::currentChanged, this, forgetApplied);
    connect(rooms, &QAbstractItemModel::rowsInserted, this, forgetApplied);
    connect(rooms, &QAbstractItemModel::rowsRemoved, this, forgetApplied);
    connect(rooms, &QAbstractItemModel::modelReset, this, forgetApplied);
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

void RoomsDock::rowsChosen(const QList<int>& rows, int current)
{
    QList<RoomKey> keys;
    keys.reserve(rows.size());
    for (const int row : rows)
        keys.append(rooms->keyAt(row));
    emit roomsChosen(keys, rooms->keyAt(current));
    QTimer::singleShot(0, this, &RoomsDock::followSelection);
}

// The selected rows are the selected rooms, the current row the current room.
void RoomsDock::followSelection()
{
    if (!document || rooms->isResetting())
        return;   // the reset's end comes back here
    const int row = rooms->rowOf(document->selection());
    QItemSelectionModel* selection = tblRooms->selectionModel();
    QList<int> wanted;
    wanted.reserve(document->selectedRooms().size());
    for (const RoomKey key : document->selectedRooms()) {
        if (const int r = rooms->rowOf(key); r >= 0)
            wanted.append(r);
    }
    std::sort(wanted.begin(), wanted.end());
    // (QList's own == may hand memcmp a null pointer for empty lists.)
    const auto equal = [](const QList<int>& a, const QList<int>& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end());
    };
    // What the table shows: what it was last given, unless something else has changed it.
    bool shown = false;
    if (applied) {
        shown = row == appliedCurrent && equal(wanted, appliedRows);
    } else {
        QList<int> rowsShown;
        for (const QModelIndex& index : selection->selectedRows())
            rowsShown.append(index.row());
        std::sort(rowsShown.begin(), rowsShown.end());
        shown = row == selection->currentIndex().row() && equal(wanted, rowsShown);
    }
    appliedRows = wanted;
    appliedCurrent = row;
    applied = true;
    if (shown)
        return;
    QScopedValueRollback<bool> guard(following, true);
    if (row < 0 && wanted.isEmpty()) {
        selection->clear();
        return;
    }
    // Runs of neighbouring rows as one range each.
    QItemSelection rows;
    for (int i = 0; i < wanted.size();) {
        int last = i;
        while (last + 1 < wanted.size() && wanted[last + 1] == wanted[last] + 1)
            ++last;
        rows.select(rooms->index(wanted[i], 0), rooms->index(wanted[last], RoomListModel::ColumnCount - 1));
        i = last + 1;
    }
    selection->select(rows, QItemSelectionModel::ClearAndSelect);
    if (row >= 0) {
        const QModelIndex at = rooms->index(row, RoomListModel::NumberColumn);
        selection->setCurrentIndex(at, QItemSelectionModel::NoUpdate);
        tblRooms->scrollTo(at);
    }
}

void RoomsDock::setFindMessage(const QString& message)
{
    lblFindResult->setText(message);
    lblFindResult->setVisible(!message.isEmpty());
}

#include "roomsdock.moc"
