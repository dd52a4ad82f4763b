#include "app/toolbox.h"

#include "app/fieldstyle.h"

#include "app/application.h"
#include "app/roomtypepicker.h"
#include "core/common/intconv.h"
#include "app/main.h"
#include "view/mapscene.h"
#include "view/room.h"
#include "core/model/editor.h"
#include "core/model/neighbours.h"
#include "core/rules/refusedvalues.h"
#include "core/rules/roomtypes.h"

#include <QUndoStack>

#include <QAction>
#include <QCloseEvent>
#include <QComboBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QTabWidget>
#include <algorithm>
#include <limits>

namespace {

QLabel* label(QWidget* parent, const char* name, const char* caption, int left, int top)
{
    auto* l = new QLabel(QString::fromLatin1(caption), parent);
    l->setObjectName(QString::fromLatin1(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

QLineEdit* edit(QWidget* parent, const char* name, const char* text, int left, int top, int width)
{
    auto* e = new QLineEdit(QString::fromLatin1(text), parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setGeometry(left, top, width, 21);
    return e;
}

QPushButton* button(QWidget* parent, const char* name, const char* caption, int left, int top, int width, int height)
{
    auto* b = new QPushButton(QString::fromLatin1(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setGeometry(left, top, width, height);
    return b;
}

// Room a label has on its row: up to the nearest control to its right, or any width.
int roomOf(const QLabel* label, int lineHeight)
{
    int room = std::numeric_limits<int>::max();
    const QWidget* owner = label->parentWidget();
    for (const QObject* child : owner->children()) {
        const auto* sibling = qobject_cast<const QWidget*>(child);
        if (!sibling || sibling == label || sibling->x() <= label->x())
            continue;
        const bool sameRow = sibling->y() < label->y() + lineHeight && label->y() < sibling->y() + sibling->height();
        if (sameRow)
            room = std::min(room, sibling->x() - label->x());
    }
    return room;
}

bool labelsFit(const QList<QLabel*>& labels, const QFont& font)
{
    const QFontMetrics metrics(font);
    for (const QLabel* label : labels) {
        if (label->wordWrap()) {
            // The one word-wrapped label takes two lines in its width.
            const QRect wrapped = metrics.boundingRect(QRect(0, 0, label->width(), 1000), Qt::TextWordWrap, label->text());
            if (wrapped.width() > label->width() || wrapped.height() > 2 * metrics.lineSpacing())
                return false;
        } else if (metrics.horizontalAdvance(label->text()) >= roomOf(label, metrics.height())) {
            return false;
        }
    }
    return true;
}

// The places of the toolbox's controls were made for a narrow 11-pixel face. With a wider
// one, labels would run under the edits beside them, so the font is condensed just as far
// as every label needs.
void condenseToFit(QWidget* window)
{
    const QList<QLabel*> labels = window->findChildren<QLabel*>();
    QFont font = window->font();
    for (int stretch = 100; stretch >= 70; stretch -= 2) {
        font.setStretch(stretch);
        if (labelsFit(labels, font))
            break;
    }
    window->setFont(font);
    for (QLabel* label : labels)
        label->adjustSize();
}

// Whether a widget shares pixels with another shown one of the same parent, which may
// paint over its corners or under them.
bool overlapsASibling(const QWidget* widget)
{
    const QList<QWidget*> siblings = widget->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    return std::any_of(siblings.begin(), siblings.end(), [widget](const QWidget* sibling) {
        return sibling != widget && !sibling->isHidden() && sibling->geometry().intersects(widget->geometry());
    });
}

} // namespace

// The fields draw their panels from pictures over what lies behind them, so that they
// cover their place and repaint alone instead of with the page, box and dock beneath.
void TfrmToolbox::useFieldStyle()
{
    auto* fieldStyle = new TFieldStyle;
    fieldStyle->setParent(this);
    const int shown = PageControl1->currentIndex();
    for (int tab = 0; tab < PageControl1->count(); ++tab) {
        QList<QLineEdit*> fields;
        for (QLineEdit* field : PageControl1->widget(tab)->findChildren<QLineEdit*>()) {
            if (!field->isHidden() && !qobject_cast<QComboBox*>(field->parentWidget()))
                fields.append(field);
        }
        PageControl1->setCurrentIndex(tab);
        for (QLineEdit* field : fields)
            field->hide();
        const QImage behind = PageControl1->grab().toImage();
        for (QLineEdit* field : fields) {
            field->show();
            field->setStyle(fieldStyle);
            const QRect place(field->mapTo(PageControl1, QPoint(0, 0)), field->size());
            if (behind.rect().contains(place) && behind.devicePixelRatio() == 1 && !overlapsASibling(field)) {
                TFieldStyle::setBackdrop(field, behind.copy(place));
                field->setAttribute(Qt::WA_OpaquePaintEvent);
            }
        }
    }
    PageControl1->setCurrentIndex(shown);
}

TfrmToolbox::TfrmToolbox(TfrmMainForm* mainForm)
    : QDockWidget(QStringLiteral("Toolbox"), mainForm)
    , frmMainForm(mainForm)
{
    // The name under which the main window keeps the dock's place.
    setObjectName(QStringLiteral("frmToolbox"));
    setFeatures(DockWidgetClosable | DockWidgetMovable | DockWidgetFloatable);
    setAllowedAreas(Qt::LeftDockWidgetArea | Qt::RightDockWidgetArea);
    neighboursTimer.setSingleShot(true);
    neighboursTimer.setInterval(0);
    connect(&neighboursTimer, &QTimer::timeout, this, &TfrmToolbox::refreshNeighbours);
    QFont small = font();
    small.setPixelSize(11);
    setFont(small);

    auto* pages = new QWidget(this);
    pages->setObjectName(QStringLiteral("ToolboxPages"));
    pages->setFixedSize(PagesSize);
    PageControl1 = new QTabWidget(pages);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(0, 0, PagesSize.width() + 1, PagesSize.height());
    createMetaRoomPage();
    createSubRoomPage();
    PageControl1->setCurrentWidget(TabSheet1);
    setTabOrders();
    setWidget(pages);
    useFieldStyle();

    condenseToFit(this);

    if (frmMainForm) {
        frmMainForm->frmToolbox = this;
        frmMainForm->addDockWidget(Qt::RightDockWidgetArea, this);
        // Above the Rooms list on that side.
        if (QDockWidget* rooms = frmMainForm->findChild<QDockWidget*>(QStringLiteral("dockRooms")))
            frmMainForm->splitDockWidget(this, rooms, Qt::Vertical);
        connect(this, &TfrmToolbox::doorPendingChanged, frmMainForm, &TfrmMainForm::followDoorPending);
        if (frmMainForm->Panel) {
            // The values of a drag in progress; none when it ends.
            connect(frmMainForm->Panel, &TMapScene::dragValuesChanged, this,
                    [this](const QString& values) { followDrag(!values.isEmpty()); });
        }
    }
    followDocument();
    FormCreate();
}

TfrmToolbox::~TfrmToolbox()
{
    if (frmMainForm && frmMainForm->frmToolbox == this)
        frmMainForm->frmToolbox = nullptr;
}

void TfrmToolbox::createMetaRoomPage()
{
    TabSheet1 = new QWidget;
    TabSheet1->setObjectName(QStringLiteral("TabSheet1"));
    PageControl1->addTab(TabSheet1, QStringLiteral("Meta room"));
    QWidget* p = TabSheet1;

    Label1 = label(p, "Label1", "Room offset:", 0, 8);
    edtOffsetX = edit(p, "edtOffsetX", "0", 64, 8, 73);
    edtOffsetY = edit(p, "edtOffsetY", "0", 144, 8, 73);
    Label10 = label(p, "Label10", "ID:", 0, 32);
    edtMetaRoomID = edit(p, "edtMetaRoomID", "0", 16, 32, 65);
    Label11 = label(p, "Label11", "Sub room start ID:", 88, 32);
    Label11->setWordWrap(true);
    Label11->setFixedWidth(49);
    Label11->adjustSize();
    edtSubRoomStartID = edit(p, "edtSubRoomStartID", "0", 144, 32, 73);
    Label16 = label(p, "Label16", "Metaroom Music:", 0, 80);
    edtMetaroomMusic = edit(p, "edtMetaroomMusic", "", 96, 80, 121);
    Label15 = label(p, "Label15", "Default Room Type:", 0, 104);
    edtDefaultRoomType = edit(p, "edtDefaultRoomType", "0", 96, 104, 73);
    Label17 = label(p, "Label17", "Metaroom Filename:", 0, 128);
    edtFilename = edit(p, "edtFilename", "", 96, 128, 121);
    btnAddRoom = button(p, "btnAddRoom", "Add Room", 0, 164, 75, 25);
    btnDelRoom = button(p, "btnDelRoom", "Delete Room", 80, 164, 75, 25);

    using plsd::connectHandler;
    connectHandler(edtOffsetX, &QLineEdit::textChanged, this, &TfrmToolbox::edtOffsetXChange);
    connectHandler(edtOffsetY, &QLineEdit::textChanged, this, &TfrmToolbox::edtOffsetYChange);
    connectHandler(edtMetaRoomID, &QLineEdit::textChanged, this, &TfrmToolbox::edtMetaRoomIDChange);
    connectHandler(edtSubRoomStartID, &QLineEdit::textChanged, this, &TfrmToolbox::edtSubRoomStartIDChange);
    connectHandler(edtMetaroomMusic, &QLineEdit::textChanged, this, &TfrmToolbox::edtMetaroomMusicChange);
    connectHandler(edtDefaultRoomType, &QLineEdit::textChanged, this, &TfrmToolbox::edtDefaultRoomTypeChange);
    connectHandler(edtFilename, &QLineEdit::textChanged, this, &TfrmToolbox::edtFilenameChange);
    connectHandler(btnAddRoom, &QPushButton::clicked, this, &TfrmToolbox::btnAddRoomClick);
    for (QLineEdit* typedIn : {edtOffsetX, edtOffsetY, edtMetaRoomID, edtSubRoomStartID, edtMetaroomMusic,
                               edtDefaultRoomType, edtFilename})
        typedIn->installEventFilter(this);
    connectHandler(btnDelRoom, &QPushButton::clicked, this, &TfrmToolbox::btnDelRoomClick);
}

void TfrmToolbox::createSubRoomPage()
{
    TabSheet2 = new QWidget;
    TabSheet2->setObjectName(QStringLiteral("TabSheet2"));
    PageControl1->addTab(TabSheet2, QStringLiteral("Sub room"));
    QWidget* p = TabSheet2;

    GroupBox1 = new QGroupBox(QStringLiteral("Room position"), p);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(0, 4, 217, 93);
    QWidget* g = GroupBox1;
    Label4 = label(g, "Label4", "TL", 8, 16);
    edtytl = edit(g, "edtytl", "0", 32, 16, 73);
    Label5 = label(g, "Label5", "L", 8, 40);
    edtxl = edit(g, "edtxl", "0", 32, 40, 73);
    Label6 = label(g, "Label6", "BL", 8, 64);
    edtybl = edit(g, "edtybl", "0", 32, 64, 73);
    Label7 = label(g, "Label7", "TR", 112, 16);
    edtytr = edit(g, "edtytr", "0", 136, 16, 73);
    Label8 = label(g, "Label8", "R", 112, 40);
    edtxr = edit(g, "edtxr", "0", 136, 40, 73);
    Label9 = label(g, "Label9", "BR", 112, 64);
    edtybr = edit(g, "edtybr", "0", 136, 64, 73);

    Label2 = label(p, "Label2", "Doors to:", 0, 104);
    cbxDoorList = new QComboBox(p);
    cbxDoorList->setObjectName(QStringLiteral("cbxDoorList"));
    cbxDoorList->setEditable(true);
    cbxDoorList->setInsertPolicy(QComboBox::NoInsert);
    cbxDoorList->setGeometry(0, 120, 65, 21);
    cbxDoorList->lineEdit()->setContextMenuPolicy(Qt::NoContextMenu);
    cbxDoorList->lineEdit()->installEventFilter(this);
    Label12 = label(p, "Label12", "Perm:", 64, 104);
    edtPerm = edit(p, "edtPerm", "0", 64, 120, 49);
    btnAddDoor = button(p, "btnAddDoor", "Add", 112, 120, 25, 21);
    btnDeleteDoor = button(p, "btnDeleteDoor", "Delete", 136, 120, 41, 21);
    btnUpdateDoor = button(p, "btnUpdateDoor", "Update", 176, 120, 41, 21);
    Label14 = label(p, "Label14", "Music:", 0, 144);
    edtMusic = edit(p, "edtMusic", "", 48, 144, 169);
    Label3 = label(p, "Label3", "Room ID:", 0, 168);
    edtSubRoomID = edit(p, "edtSubRoomID", "0", 48, 168, 49);
    edtSubRoomID->setEnabled(false);
    Label13 = label(p, "Label13", "Room type:", 104, 168);
    edtRoomType = edit(p, "edtRoomType", "0", 160, 168, 57);
    RoomTypes = new RoomTypePicker(edtRoomType);
    btnAddRoom2 = button(p, "btnAddRoom2", "Add Room", 0, 194, 75, 25);

    for (const auto& [position, corner] : cornerEdits()) {
        position->installEventFilter(this);
        connect(position, &QLineEdit::textChanged, this, [this, position = position] {
            if (!showingPosition)
                typedCorners.insert(position);
        });
        connect(position, &QLineEdit::returnPressed, this, [this, position = position] {
            plsd::runGuarded([this, position] { applyCorners(position); });
        });
    }
    connect(edtPerm, &QLineEdit::returnPressed, this, [this] { plsd::runGuarded([this] { edtPermReturn(); }); });
    for (QLineEdit* typedIn : {edtMusic, edtRoomType})
        typedIn->installEventFilter(this);

    using plsd::connectHandler;
    connectHandler(edtMusic, &QLineEdit::textChanged, this, &TfrmToolbox::edtMusicChange);
    connectHandler(edtRoomType, &QLineEdit::textChanged, this, &TfrmToolbox::edtRoomTypeChange);
    connectHandler(btnAddRoom2, &QPushButton::clicked, this, &TfrmToolbox::btnAddRoomClick);
    connectHandler(btnAddDoor, &QPushButton::clicked, this, &TfrmToolbox::btnAddDoorClick);
    connectHandler(btnDeleteDoor, &QPushButton::clicked, this, &TfrmToolbox::btnDeleteDoorClick);
    connectHandler(btnUpdateDoor, &QPushButton::clicked, this, &TfrmToolbox::btnUpdateDoorClick);
    connect(cbxDoorList, &QComboBox::activated, this, [this](int index) {
        if (index == doorListIndex)
            return;
        doorListIndex = index;
        plsd::runGuarded([this] { cbxDoorListChange(); });
    });
}

void TfrmToolbox::setTabOrders()
{
    auto chain = [](std::initializer_list<QWidget*> widgets) {
        QWidget* previous = nullptr;
        for (QWidget* w : widgets) {
            if (previous)
                QWidget::setTabOrder(previous, w);
            previous = w;
        }
    };
    chain({edtOffsetX, edtOffsetY, btnAddRoom, btnDelRoom, edtMetaRoomID, edtSubRoomStartID, edtDefaultRoomType,
           edtMetaroomMusic, edtFilename});
    chain({edtytl, edtxl, edtybl, edtytr, edtxr, edtybr, edtSubRoomID, cbxDoorList, edtPerm, btnAddDoor,
           btnDeleteDoor, btnUpdateDoor, edtMusic, edtRoomType, btnAddRoom2});
}

void TfrmToolbox::FormCreate()
{
    ShownRoom = nullptr;
    shownKey = 0;
    DoorPending = false;
}

TMetaroomDocument* TfrmToolbox::document() const
{
    return frmMainForm ? frmMainForm->Document : nullptr;
}

void TfrmToolbox::followDocument()
{
    TMetaroomDocument* doc = document();
    if (!doc)
        return;
    connect(doc, &TMetaroomDocument::selectionChanged, this, [this](RoomKey now) { followSelection(now); });
    connect(doc, &TMetaroomDocument::roomChanged, this, &TfrmToolbox::followRoomChanged);
    connect(doc, &TMetaroomDocument::doorsChanged, this, &TfrmToolbox::followDoors);
    connect(doc, &TMetaroomDocument::roomInserted, this, [this](int, RoomKey key) {
        followNeighbour(key);
        followNumbers();
    });
    connect(doc, &TMetaroomDocument::roomRemoved, this, [this](int, RoomKey key) {
        if (key == shownKey) {
            // The page keeps its texts, with no room behind them.
            ShownRoom = nullptr;
            shownKey = 0;
            typedCorners.clear();
            neighbours.clear();
        }
        neighbours.removeOne(key);
        followNumbers();
    });
    connect(doc, &TMetaroomDocument::metaroomChanged, this, &TfrmToolbox::followMetaroom);
}

// Metaroom values

std::int32_t TfrmToolbox::metaRoomIDValue() const { return document() ? document()->metaroom().metaRoomID : 0; }
std::int32_t TfrmToolbox::subRoomStartIDValue() const { return document() ? document()->metaroom().subRoomStartID : 0; }
std::int32_t TfrmToolbox::defaultRoomTypeValue() const { return document() ? document()->metaroom().defaultRoomType : 0; }
QString TfrmToolbox::metaroomMusicValue() const { return document() ? document()->metaroom().music : QString(); }
QString TfrmToolbox::metaroomFilenameValue() const { return document() ? document()->metaroom().filename : QString(); }

void TfrmToolbox::setMetaRoomIDValue(const std::int32_t& value)
{
    changeMetaroom([value](MetaroomValues& m) { m.metaRoomID = value; }, "Change Metaroom ID", nullptr);
}

void TfrmToolbox::setSubRoomStartIDValue(const std::int32_t& value)
{
    changeMetaroom([value](MetaroomValues& m) { m.subRoomStartID = value; }, "Change Sub Room Start ID", nullptr);
}

void TfrmToolbox::setDefaultRoomTypeValue(const std::int32_t& value)
{
    changeMetaroom([value](MetaroomValues& m) { m.defaultRoomType = value; }, "Change Default Room Type", nullptr);
}

void TfrmToolbox::setMetaroomMusicValue(const QString& value)
{
    changeMetaroom([&value](MetaroomValues& m) { m.music = value; }, "Change Metaroom Music", nullptr);
}

void TfrmToolbox::setMetaroomFilenameValue(const QString& value)
{
    changeMetaroom([&value](MetaroomValues& m) { m.filename = value; }, "Change Metaroom Filename", nullptr);
}

int TfrmToolbox::mergeKeyOf(QLineEdit* typedIn)
{
    return typedIn ? frmMainForm->Editor->mergeKeyFor(typing[typedIn]) : 0;
}

void TfrmToolbox::typed(QLineEdit* typedIn)
{
    if (typedIn)
        frmMainForm->Editor->continueRun(typing[typedIn]);
}

// One undo step, merged with the steps typed into the same field just before.
void TfrmToolbox::changeMetaroom(const std::function<void(MetaroomValues&)>& change, const char* text,
                                 QLineEdit* typedIn)
{
    TMetaroomDocument* doc = document();
    if (!doc)
        return;
    MetaroomValues values = doc->metaroom();
    change(values);
    if (values == doc->metaroom())
        return;
    frmMainForm->Editor->setMetaroom(values, QString::fromLatin1(text), mergeKeyOf(typedIn));
    typed(typedIn);
}

// An edit shows a value unless its text already stands for it.
static void showNumber(QLineEdit* edit, std::int32_t value)
{
    if (tryStrToInt(edit->text()) != value)
        edit->setText(IntToStr(value));
}

static void showText(QLineEdit* edit, const QString& value)
{
    if (edit->text() != value)
        edit->setText(value);
}

void TfrmToolbox::followMetaroom()
{
    const MetaroomValues& m = document()->metaroom();
    showNumber(edtOffsetX, m.offsetX);
    showNumber(edtOffsetY, m.offsetY);
    showNumber(edtMetaRoomID, m.metaRoomID);
    showNumber(edtSubRoomStartID, m.subRoomStartID);
    showText(edtMetaroomMusic, m.music);
    showNumber(edtDefaultRoomType, m.defaultRoomType);
    showText(edtFilename, m.filename);
}

std::int32_t TfrmToolbox::GetOffsetX() const
{
    const TMetaroomDocument* doc = document();
    return doc ? doc->metaroom().offsetX : 0;
}

std::int32_t TfrmToolbox::GetOffsetY() const
{
    const TMetaroomDocument* doc = document();
    return doc ? doc->metaroom().offsetY : 0;
}

void TfrmToolbox::SetOffsetX(std::int32_t value)
{
    edtOffsetX->setText(IntToStr(value));
}

void TfrmToolbox::SetOffsetY(std::int32_t value)
{
    edtOffsetY->setText(IntToStr(value));
}

void TfrmToolbox::ShowMetaroomValues()
{
    edtFilename->setText(MetaroomFilename);
    edtMetaRoomID->setText(IntToStr(MetaRoomID));
    edtSubRoomStartID->setText(IntToStr(SubRoomStartID));
    edtMetaroomMusic->setText(MetaroomMusic);
    edtDefaultRoomType->setText(IntToStr(DefaultRoomType));
}

// The room page

void TfrmToolbox::ShowRoom(TRoom* room)
{
    if (CompletePendingDoor(room))
        return;
    showRoomPage(room);
}

std::optional<TfrmToolbox::PendingDoor> TfrmToolbox::pendingDoor() const
{
    if (!DoorPending || !ShownRoom || !document() || !document()->contains(shownKey))
        return std::nullopt;
    return PendingDoor{shownKey, typedPerm()};
}

bool TfrmToolbox::CompletePendingDoor(TRoom* room)
{
    if (!DoorPending || !room || room == ShownRoom)
        return false;
    const std::optional<PendingDoor> door = pendingDoor();
    if (!door)
        return false;
    TRoom* first = ShownRoom;
    first->SetDoor(room, door->perm);
    // The first room stays selected and is shown again, its new door listed.
    showRoomPage(first);
    return true;
}

void TfrmToolbox::followSelection(RoomKey now)
{
    showRoomPage(frmMainForm->roomOf(now));
}

void TfrmToolbox::showRoomPage(TRoom* room)
{
    // Corners typed for the room shown so far are applied before the page changes.
    if (!typedCorners.isEmpty() && ShownRoom && document()->contains(shownKey))
        plsd::runGuarded([this] { applyCorners(nullptr); });
    QScopedValueRollback<bool> showing(showingValues, true);
    if (!room) {
        ShownRoom = nullptr;
        shownKey = 0;
    } else {
        ShownRoom = room;
        shownKey = room->key();
        neighbours = EdgeNeighbours(*document(), shownKey);
        neighboursStale = false;
        ShowRoomPosition(room);
        edtSubRoomID->setText(IntToStr(room->id));
        fillDoorList(room);
        edtMusic->setText(room->music);
        edtRoomType->setText(IntToStr(room->roomtype));
        showSelectedDoorPerm();
    }
    DoorPending = false;
}

void TfrmToolbox::followRoomChanged(RoomKey key, TMetaroomDocument::RoomChanges changes)
{
    if (!ShownRoom)
        return;
    if (changes.testFlag(TMetaroomDocument::ShapeChanged))
        neighboursMayHaveChanged();
    if (key != shownKey)
        return;
    QScopedValueRollback<bool> showing(showingValues, true);
    const RoomRecord& record = document()->room(key);
    if (changes.testFlag(TMetaroomDocument::ShapeChanged)) {
        // A new shape refreshes the page, which ends a pending door.
        DoorPending = false;
        if (dragging) {
            positionStale = true;
            paced.changed();
        } else {
            ShowRoomPosition(ShownRoom);
        }
    }
    if (changes.testFlag(TMetaroomDocument::TypeChanged))
        showNumber(edtRoomType, record.roomtype);
    if (changes.testFlag(TMetaroomDocument::MusicChanged))
        showText(edtMusic, record.music);
}

void TfrmToolbox::followDoors(RoomKey a, RoomKey b)
{
    if (!ShownRoom || (a != shownKey && b != shownKey))
        return;
    followNumbers();
}

// Room ids are positions: rooms added or removed before them, and doors made or removed,
// change the numbers the page shows.
void TfrmToolbox::followNumbers()
{
    if (!ShownRoom)
        return;
    const QString id = IntToStr(ShownRoom->id);
    if (edtSubRoomID->text() != id)
        edtSubRoomID->setText(id);
    QStringList listed;
    for (int i = 0; i < cbxDoorList->count(); ++i)
        listed.append(cbxDoorList->itemText(i));
    if (listed != doorEntries(ShownRoom)) {
        fillDoorList(ShownRoom);
        showSelectedDoorPerm();
    }
}

// The shown room's neighbours are looked up again once the changes of this turn of the
// event loop are done: typing corners or dragging rooms changes shapes many times. A timer
// of no wait, unlike a posted call, does not wake the event loop at every change.
void TfrmToolbox::neighboursMayHaveChanged()
{
    if (neighboursStale)
        return;
    neighboursStale = true;
    if (dragging)
        paced.changed();
    else
        neighboursTimer.start();
}

// A drag on the map changes shapes at every move of the mouse: meanwhile the shown room's
// corners and neighbours show at most once a frame, and at once when it ends.
void TfrmToolbox::followDrag(bool inProgress)
{
    if (inProgress == dragging)
        return;
    dragging = inProgress;
    if (!dragging)
        paced.showPending();
}

void TfrmToolbox::showPaced()
{
    if (positionStale && ShownRoom)
        ShowRoomPosition(ShownRoom);
    refreshNeighbours();
}

void TfrmToolbox::refreshNeighbours()
{
    if (!neighboursStale)
        return;
    neighboursStale = false;
    if (!ShownRoom)
        return;
    neighbours = EdgeNeighbours(*document(), shownKey);
    followNumbers();
}

// A room that shares an edge with the shown room, or no longer does.
void TfrmToolbox::followNeighbour(RoomKey key)
{
    if (!ShownRoom || key == shownKey)
        return;
    const bool shares = SharesEdge(*document(), shownKey, key);
    if (shares && !neighbours.contains(key))
        neighbours.append(key);
    else if (!shares)
        neighbours.removeOne(key);
}

QStringList TfrmToolbox::doorEntries(const TRoom* room) const
{
    const TMetaroomDocument* doc = document();
    QStringList entries;
    for (const RoomDoor& d : doc->room(room->key()).doors)
        entries.append(IntToStr(doc->positionOf(d.target)));
    // Sorted as text, as the list keeps them: "10" comes before "2".
    std::sort(entries.begin(), entries.end());
    // Then the shown room's neighbours without a door line yet, sorted the same way.
    QStringList offered;
    if (room->key() == shownKey) {
        for (const RoomKey key : neighbours) {
            if (doc->contains(key) && doc->doorIndex(shownKey, key) < 0)
                offered.append(IntToStr(doc->positionOf(key)) + NeighbourMark);
        }
    }
    std::sort(offered.begin(), offered.end());
    return entries + offered;
}

TRoom* TfrmToolbox::entryRoom(const QString& entry) const
{
    QString number = entry;
    if (number.endsWith(NeighbourMark))
        number.chop(NeighbourMark.size());
    return frmMainForm->RoomByIndex(StrToInt(number));
}

bool TfrmToolbox::neighbourPicked() const
{
    return cbxDoorList->currentIndex() >= 0 && cbxDoorList->currentText().endsWith(NeighbourMark);
}

void TfrmToolbox::ShowDoorTo(RoomKey other)
{
    refreshNeighbours();
    if (!ShownRoom || !document()->contains(other))
        return;
    const QString number = IntToStr(document()->positionOf(other));
    for (int i = 0; i < cbxDoorList->count(); ++i) {
        if (cbxDoorList->itemText(i) == number || cbxDoorList->itemText(i) == number + NeighbourMark) {
            cbxDoorList->setCurrentIndex(i);
            doorListIndex = i;
            cbxDoorListChange();
            return;
        }
    }
}

void TfrmToolbox::ShowRoomPosition(TRoom* room)
{
    // Fields already showing their value are left alone: a drag changes one or two.
    showingPosition = true;
    showText(edtxl, IntToStr(room->xl()));
    showText(edtxr, IntToStr(room->xr()));
    showText(edtytl, IntToStr(room->ytl()));
    showText(edtybl, IntToStr(room->ybl()));
    showText(edtytr, IntToStr(room->ytr()));
    showText(edtybr, IntToStr(room->ybr()));
    showingPosition = false;
    typedCorners.clear();
    positionStale = false;
}

void TfrmToolbox::fillDoorList(TRoom* room)
{
    const QStringList entries = doorEntries(room);
    // The first door is picked; a neighbour only when the user picks it.
    const int picked = !entries.isEmpty() && !entries.first().endsWith(NeighbourMark) ? 0 : -1;
    // The entries after those that stay are replaced, which leaves the list as it shows
    // when the picked entry is among those that stay (as when a drag changes the
    // neighbours offered); otherwise, or while the field holds other text, the list is
    // filled anew.
    qsizetype kept = 0;
    while (kept < entries.size() && kept < cbxDoorList->count() && cbxDoorList->itemText(int(kept)) == entries[kept])
        ++kept;
    const int current = cbxDoorList->currentIndex();
    const QString shownText = current >= 0 ? cbxDoorList->itemText(current) : QString();
    if (current == picked && current < kept && cbxDoorList->currentText() == shownText) {
        for (int i = cbxDoorList->count() - 1; i >= kept; --i)
            cbxDoorList->removeItem(i);
        cbxDoorList->insertItems(int(kept), entries.mid(kept));
    } else {
        cbxDoorList->clear();
        cbxDoorList->clearEditText();
        cbxDoorList->addItems(entries);   // in one insertion, announced once
    }
    cbxDoorList->setCurrentIndex(picked);
    doorListIndex = cbxDoorList->currentIndex();
}

// "Perm:" shows the permeability of the door that the list has selected. This is done for
// a single entry too: otherwise the field would show a number of no door of this room,
// which "Update" would then write into its door.
void TfrmToolbox::showSelectedDoorPerm()
{
    if (cbxDoorList->count() < 1 || cbxDoorList->itemText(0).endsWith(NeighbourMark))
        return;
    TRoom* target = frmMainForm->RoomByIndex(StrToInt(cbxDoorList->itemText(0)));
    if (TDoor* door = ShownRoom->DoorTo(target))
        edtPerm->setText(IntToStr(door->perm));
}

void TfrmToolbox::btnAddRoomClick()
{
    frmMainForm->AddRoom();
}

void TfrmToolbox::btnDelRoomClick()
{
    if (ShownRoom)
        frmMainForm->DeleteRoom();
}

QList<std::pair<QLineEdit*, Corner>> TfrmToolbox::cornerEdits() const
{
    return {{edtytl, Corner::TopLeft},  {edtxl, Corner::LeftWall},  {edtybl, Corner::BottomLeft},
            {edtytr, Corner::TopRight}, {edtxr, Corner::RightWall}, {edtybr, Corner::BottomRight}};
}

// The corners typed since the room was shown, and the one just left (written whether or not
// its text changed), make one shape: checked for the minimum size once, in a fixed order of
// corners, and set as one step. A text that does not convert is refused and changes
// nothing; it stays until the next refresh, and the other typed corners still wait.
void TfrmToolbox::ApplyTypedCorners()
{
    if (!typedCorners.isEmpty())
        applyCorners(nullptr);
}

void TfrmToolbox::applyCorners(QLineEdit* left)
{
    if (!ShownRoom || !document()->contains(shownKey))
        return;
    if (left)
        typedCorners.insert(left);
    RoomShape shape = document()->room(shownKey).shape;
    QList<Corner> moved;
    for (const auto& [edit, corner] : cornerEdits()) {
        if (!typedCorners.contains(edit))
            continue;
        if (!tryStrToInt(edit->text()))
            typedCorners.remove(edit);
        shape = WithCorner(shape, corner, StrToInt(edit->text()));
        moved.append(corner);
    }
    typedCorners.clear();
    if (moved.isEmpty())
        return;
    if (ShownRoom->fixed) {
        for (const Corner corner : moved)
            shape = AdjustedShape(shape, corner, ShownRoom->HandleWidth, ShownRoom->HandleHeight);
    }
    static const char* const texts[] = {"", "Change Top Left", "Change Left Wall", "Change Bottom Left",
                                        "Change Top Right", "Change Right Wall", "Change Bottom Right"};
    const QString text = moved.size() == 1 ? QString::fromLatin1(texts[int(moved[0])])
                                           : QStringLiteral("Change Room Corners");
    const RoomKey key = shownKey;
    frmMainForm->Editor->setRoomShape(key, shape, text);
    // A write from a field left makes the room the selected one, as a click does.
    if (left && ShownRoom && ShownRoom->fixed && document()->selection() != key)
        document()->select(key);
    // Shown again even when the room did not change, so the fields hold what it took.
    if (ShownRoom && shownKey == key)
        ShowRoomPosition(ShownRoom);
}

void TfrmToolbox::edtytlExit()
{
    applyCorners(edtytl);
}

void TfrmToolbox::edtxlExit()
{
    applyCorners(edtxl);
}

void TfrmToolbox::edtyblExit()
{
    applyCorners(edtybl);
}

void TfrmToolbox::edtytrExit()
{
    applyCorners(edtytr);
}

void TfrmToolbox::edtxrExit()
{
    applyCorners(edtxr);
}

void TfrmToolbox::edtybrExit()
{
    applyCorners(edtybr);
}

QList<RoomKey> TfrmToolbox::roomsToChange() const
{
    TMetaroomDocument* doc = document();
    return doc->isSelected(shownKey) ? doc->selectedRooms() : QList<RoomKey>{shownKey};
}

// Type and music go to every selected room.
void TfrmToolbox::edtMusicChange()
{
    if (!ShownRoom || showingValues)
        return;
    if (frmMainForm->Editor->setRoomsMusic(roomsToChange(), edtMusic->text(), mergeKeyOf(edtMusic)))
        typed(edtMusic);
}

void TfrmToolbox::edtRoomTypeChange()
{
    if (!ShownRoom)
        return;
    // A new type the game would not take is refused. The type in force is not: showing a
    // room read from a script writes its type here. Every prefix of a type the game takes
    // is one too ("1" on the way to "12"), so no number still being typed is refused.
    const std::int32_t type = StrToInt(edtRoomType->text());
    if (type != document()->room(shownKey).roomtype)
        RefuseNonGameRoomType(type);
    if (!showingValues && frmMainForm->Editor->setRoomsType(roomsToChange(), type, mergeKeyOf(edtRoomType)))
        typed(edtRoomType);
}

// An offset that is no number is refused as it is typed and changes nothing.
void TfrmToolbox::edtOffsetXChange()
{
    const std::int32_t value = StrToInt(edtOffsetX->text());
    changeMetaroom([value](MetaroomValues& m) { m.offsetX = value; }, "Change Offset X", edtOffsetX);
}

void TfrmToolbox::edtOffsetYChange()
{
    const std::int32_t value = StrToInt(edtOffsetY->text());
    changeMetaroom([value](MetaroomValues& m) { m.offsetY = value; }, "Change Offset Y", edtOffsetY);
}

void TfrmToolbox::edtMetaRoomIDChange()
{
    const std::int32_t value = StrToInt(edtMetaRoomID->text());
    changeMetaroom([value](MetaroomValues& m) { m.metaRoomID = value; }, "Change Metaroom ID", edtMetaRoomID);
}

void TfrmToolbox::edtSubRoomStartIDChange()
{
    const std::int32_t value = StrToInt(edtSubRoomStartID->text());
    changeMetaroom([value](MetaroomValues& m) { m.subRoomStartID = value; }, "Change Sub Room Start ID",
                   edtSubRoomStartID);
}

void TfrmToolbox::edtDefaultRoomTypeChange()
{
    const std::int32_t value = StrToInt(edtDefaultRoomType->text());
    changeMetaroom([value](MetaroomValues& m) { m.defaultRoomType = value; }, "Change Default Room Type",
                   edtDefaultRoomType);
}

void TfrmToolbox::edtMetaroomMusicChange()
{
    const QString music = edtMetaroomMusic->text();
    changeMetaroom([&music](MetaroomValues& m) { m.music = music; }, "Change Metaroom Music", edtMetaroomMusic);
}

void TfrmToolbox::edtFilenameChange()
{
    const QString name = edtFilename->text();
    changeMetaroom([&name](MetaroomValues& m) { m.filename = name; }, "Change Metaroom Filename", edtFilename);
}

// The permeability typed in "Perm:", refused when it does not convert or the game would
// not take it.
int TfrmToolbox::typedPerm() const
{
    const std::int32_t perm = StrToInt(edtPerm->text());
    RefuseNonGamePermeability(perm);
    return perm;
}

void TfrmToolbox::btnAddDoorClick()
{
    if (!ShownRoom)
        return;
    // A neighbour picked in the list gets its door at once, as one step.
    if (neighbourPicked()) {
        TRoom* target = entryRoom(cbxDoorList->currentText());
        frmMainForm->Editor->setDoor(shownKey, target->key(), typedPerm());
        return;
    }
    // A number the game refuses is refused at once; text that is no number is reported
    // when the door is made.
    if (const auto perm = tryStrToInt(edtPerm->text()))
        RefuseNonGamePermeability(*perm);
    DoorPending = true;
}

// Return in "Perm:" gives the door picked in the list that permeability, making its door
// line when there is none.
void TfrmToolbox::edtPermReturn()
{
    if (cbxDoorList->currentIndex() >= 0)
        btnUpdateDoorClick();
}

void TfrmToolbox::cbxDoorListKeyPress(QKeyEvent* event)
{
    // Typed characters are discarded: an entry can only be picked from the list.
    event->accept();
}

void TfrmToolbox::cbxDoorListChange()
{
    if (!ShownRoom)
        return;
    TRoom* target = entryRoom(cbxDoorList->currentText());
    if (TDoor* door = ShownRoom->DoorTo(target))
        edtPerm->setText(IntToStr(door->perm));
}

void TfrmToolbox::btnUpdateDoorClick()
{
    if (!ShownRoom || cbxDoorList->currentText().isEmpty())
        return;
    TRoom* target = entryRoom(cbxDoorList->currentText());
    ShownRoom->SetDoor(target, typedPerm());
}

void TfrmToolbox::btnDeleteDoorClick()
{
    if (!ShownRoom || cbxDoorList->currentText().isEmpty())
        return;
    TRoom* target = entryRoom(cbxDoorList->currentText());
    ShownRoom->RemoveDoor(target);
    fillDoorList(ShownRoom);
    showSelectedDoorPerm();
}

void TfrmToolbox::closeEvent(QCloseEvent* event)
{
    // Window managers that give the toolbox a close button all the same: it hides the
    // toolbox as View > Toolbox does, so the check mark follows.
    if (frmMainForm && frmMainForm->Toolbox1->isChecked()) {
        event->ignore();
        frmMainForm->Toolbox1Click();
        return;
    }
    QDockWidget::closeEvent(event);
}

bool TfrmToolbox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == cbxDoorList->lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->text().isEmpty()) {
            cbxDoorListKeyPress(key);
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::FocusIn) {
        if (auto* edit = qobject_cast<QLineEdit*>(watched))
            typing[edit] = {};
    }
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        // Leaving for another control, not for another window or a menu; moving from one
        // corner to another keeps the typed corners waiting for one shape.
        if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason)
            return false;
        const QWidget* next = QApplication::focusWidget();
        const QList<std::pair<QLineEdit*, Corner>> corners = cornerEdits();
        const bool toCorner =
            std::any_of(corners.begin(), corners.end(), [next](const auto& c) { return c.first == next; });
        const std::pair<QLineEdit*, void (TfrmToolbox::*)()> exits[] = {
            {edtytl, &TfrmToolbox::edtytlExit}, {edtxl, &TfrmToolbox::edtxlExit}, {edtybl, &TfrmToolbox::edtyblExit},
            {edtytr, &TfrmToolbox::edtytrExit}, {edtxr, &TfrmToolbox::edtxrExit}, {edtybr, &TfrmToolbox::edtybrExit},
        };
        for (const auto& [editField, handler] : exits) {
            if (watched == editField && !toCorner)
                plsd::runGuarded([this, handler = handler] { (this->*handler)(); });
        }
    }
    return QDockWidget::eventFilter(watched, event);
}
