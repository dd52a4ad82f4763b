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
// number of doors, and a field that finds a room by its number. Its current row is the
// document's selected room. Choosing a room (a click, the keyboard, a number found) does
// not select it: the dock asks, with roomActivated, whoever owns the map to select it and
// bring it into view.
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

private:
    void findTyped();
    void rowChosen(int row);
    void followSelection();
    void setFindMessage(const QString& message);

    QPointer<TMetaroomDocument> document;
    RoomListModel* rooms;
    RoomTable* tblRooms;
    QLineEdit* edtFindRoom;
    QLabel* lblFindResult;
    bool following = false;   // the current row is being set to the selection
};
