#pragma once

#include "core/model/document.h"
#include "core/rules/findingsummary.h"
#include "core/script/roomdefs.h"

#include <QDockWidget>
#include <QElapsedTimer>
#include <QPointer>
#include <QTimer>

class QTableView;
class ProblemListModel;

// The dock "Problems": what the game will make of the document, by the game's rules,
// kept current. Changes are checked together: a burst of them (a whole load, an undo)
// costs one check when the event loop next turns. While changes keep coming (the moves of a
// drag), each check waits until 19 times the last one's own time has passed since it, so
// keeping the list current takes at most about a twentieth of the time. A click on a
// finding asks, with roomActivated, for its first room to be selected and brought into view.
class ProblemsDock : public QDockWidget {
    Q_OBJECT
public:
    explicit ProblemsDock(TMetaroomDocument* document, QWidget* parent = nullptr);

    QTableView* table() const { return tblProblems; }
    ProblemListModel* model() const { return problems; }
    const QList<Finding>& findings() const;
    FindingCounts counts() const { return found; }
    QString summary() const { return FindingsSummary(found); }   // "2 errors, 1 warning"

    // Checks at once when a change waits to be checked (before the summary is shown).
    void checkNow();
    bool checkPending() const { return checkTimer.isActive(); }

signals:
    void roomActivated(RoomKey key);
    // After each check, with its summary.
    void checked(const QString& summary);

private:
    void scheduleCheck();
    void check();
    void findingChosen(int row);

    QPointer<TMetaroomDocument> document;
    ProblemListModel* problems;
    QTableView* tblProblems;
    QTimer checkTimer;
    QElapsedTimer clock;
    qint64 restUntilNs = 0;   // on the clock: no check starts before
    FindingCounts found;
    // The records of the last check, held until the next one replaces them: freed at once,
    // their memory goes back to the system and is faulted in again at the next check.
    RoomDefs checkedRooms;
};
