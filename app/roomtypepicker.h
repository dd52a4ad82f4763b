#pragma once

#include <QObject>

class QAction;
class QLineEdit;
class QMenu;

// The game's room types beside a field where a type is typed: an arrow in the field opens
// the list of types by name, and picking one types its number; the field's tip names the
// type its text stands for ("5 normal soil").
class RoomTypePicker : public QObject {
    Q_OBJECT
public:
    explicit RoomTypePicker(QLineEdit* field);

    QMenu* list() const { return types; }
    QAction* arrow() const { return opener; }

    void showList();

private:
    void nameTypedType();
    void markTypedType();

    QLineEdit* field;
    QMenu* types;
    QAction* opener;
};
