#pragma once

#include "core/model/document.h"

#include <QDockWidget>
#include <QPointer>

class QLabel;
class QLineEdit;
class QTableView;
class RoomListModel;
class RoomTable;

// The dock "Rooms": every room of the document with its game number, type, music and
// number of doors, and a field that finds a room by its number. Its selected rows are the
// document's selected rooms, its current row the current room. Choosing rooms (a click,
// Ctrl or Shift with it, the keyboard, a number found) does not select them: the dock asks
// whoever owns the map, with roomActivated for one room (to select it and bring it into
// view) and roomsChosen for several.
class RoomsDock : public QDockWidget {
    Q_OBJECT
public:
    explicit RoomsDock(TMetaroomDocument* document, QWidget* parent = nullptr);

    QTableView* table() const;
    RoomListModel* model() const { return rooms; }
    QLineEdit* findField() const { return edtFindRoom; }

    // Asks for the room the game knows by this number; false, with a word beside the
    // field, when no room has it.
    bool findRoom(int number);

signals:
    void roomActivated(RoomKey key);
    void roomsChosen(const QList<RoomKey>& keys, RoomKey current);

private:
    void findTyped();
    void rowChosen(int row);
    void rowsChosen(const QList<int>& rows, int current);
    void followSelection();
    void setFindMessage(const QString& message);

    QPointer<TMetaroomDocument> document;
    RoomListModel* rooms;
    RoomTable* tblRooms;
    QLineEdit* edtFindRoom;
    QLabel* lblFindResult;
    bool following = false;   // the current row is being set to the selection
    // The rows and current row the table shows, as last given or found, while nothing else
    // has changed its selection since: then the table need not be asked.
    QList<int> appliedRows;
    int appliedCurrent = -1;
    bool applied = false;
};
