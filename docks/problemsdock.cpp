#include "docks/problemsdock.h"

#include "core/model/snapshot.h"
#include "docks/problemlistmodel.h"

#include <QHeaderView>
#include <QTableView>

namespace {

// After a check, the next one waits this many times the check's own time.
constexpr qint64 RestPerCheck = 19;

} // namespace

ProblemsDock::ProblemsDock(TMetaroomDocument* document, QWidget* parent)
    : QDockWidget(QStringLiteral("Problems"), parent)
    , document(document)
    , problems(new ProblemListModel(this))
    , tblProblems(new QTableView)
{
    setObjectName(QStringLiteral("dockProblems"));

    tblProblems->setObjectName(QStringLiteral("tblProblems"));
    tblProblems->setModel(problems);
    tblProblems->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblProblems->setSelectionMode(QAbstractItemView::SingleSelection);
    tblProblems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblProblems->setWordWrap(false);
    tblProblems->setTextElideMode(Qt::ElideRight);
    tblProblems->verticalHeader()->hide();
    tblProblems->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    tblProblems->verticalHeader()->setDefaultSectionSize(tblProblems->fontMetrics().height() + 6);
    tblProblems->horizontalHeader()->setStretchLastSection(true);
    tblProblems->horizontalHeader()->setHighlightSections(false);
    const int digit = tblProblems->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    tblProblems->setColumnWidth(ProblemListModel::SeverityColumn, 12 * digit);
    tblProblems->setColumnWidth(ProblemListModel::RoomsColumn, 12 * digit);
    setWidget(tblProblems);

    connect(tblProblems, &QAbstractItemView::clicked, this, [this](const QModelIndex& at) { findingChosen(at.row()); });
    connect(tblProblems, &QAbstractItemView::activated, this, [this](const QModelIndex& at) { findingChosen(at.row()); });

    checkTimer.setSingleShot(true);
    connect(&checkTimer, &QTimer::timeout, this, &ProblemsDock::check);
    connect(document, &TMetaroomDocument::roomInserted, this, &ProblemsDock::scheduleCheck);
    connect(document, &TMetaroomDocument::roomRemoved, this, &ProblemsDock::scheduleCheck);
    connect(document, &TMetaroomDocument::roomChanged, this, &ProblemsDock::scheduleCheck);
    connect(document, &TMetaroomDocument::doorsChanged, this, &ProblemsDock::scheduleCheck);
    connect(document, &TMetaroomDocument::metaroomChanged, this, &ProblemsDock::scheduleCheck);
    connect(document, &TMetaroomDocument::gridReplaced, this, &ProblemsDock::scheduleCheck);
    clock.start();
    check();
}

const QList<Finding>& ProblemsDock::findings() const
{
    return problems->findings();
}

void ProblemsDock::checkNow()
{
    if (checkTimer.isActive())
        check();
}

void ProblemsDock::scheduleCheck()
{
    if (checkTimer.isActive())
        return;
    const qint64 waitNs = restUntilNs - clock.nsecsElapsed();
    checkTimer.start(waitNs > 0 ? int((waitNs + 999'999) / 1'000'000) : 0);
}

void ProblemsDock::check()
{
    checkTimer.stop();
    if (!document)
        return;
    const qint64 start = clock.nsecsElapsed();
    checkedRooms = ToRoomDefs(*document);
    const QList<Finding> findings = CheckGameRules(checkedRooms, PictureSize(document->grid()));
    problems->setFindings(findings, checkedRooms, document->rooms());
    found = CountFindings(findings);
    const qint64 end = clock.nsecsElapsed();
    restUntilNs = end + RestPerCheck * (end - start);
    emit checked(summary());
}

void ProblemsDock::findingChosen(int row)
{
    const QList<RoomKey> rooms = problems->roomsOf(row);
    if (!rooms.isEmpty() && document && document->contains(rooms.first()))
        emit roomActivated(rooms.first());
}
