// File > Save Room Defs and File > Load Room Defs: the script writer and reader applied
// to the document.
#include "app/main.h"

#include "app/toolbox.h"
#include "view/room.h"
#include "app/roomscriptfiles.h"
#include "core/script/scriptreader.h"
#include "core/script/scriptwriter.h"
#include "core/script/textfile.h"
#include "core/common/errors.h"
#include "core/model/editor.h"
#include "core/model/scriptload.h"
#include "core/model/snapshot.h"

#include "app/dialogs.h"
#include "app/statusbar.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>
#include <memory>
#include <optional>

RoomDefs collectRoomDefs(const TfrmMainForm& form)
{
    return ToRoomDefs(*form.Document);
}

ScriptStart scriptStart(const TfrmMainForm& form)
{
    ScriptStart start;
    start.offsetX = form.Document->metaroom().offsetX;
    start.offsetY = form.Document->metaroom().offsetY;
    start.subRoomStartID = form.Document->metaroom().subRoomStartID;
    start.panelWidth = form.Document->surfaceSize().width();
    start.panelHeight = form.Document->surfaceSize().height();
    start.existingRooms = form.Document->roomCount();
    return start;
}


void TfrmMainForm::SaveRoomDefs(const QString& path)
{
    const RoomDefs defs = collectRoomDefs(*this);
    // Over the file the map came from, its other metarooms go back as they were.
    if (!RoomFileRest.metarooms.isEmpty() && RoomFileRest.path == path)
        SaveScriptFile(path, defs, RoomFileRest.metarooms, RoomFileRest.openIndex);
    else
        SaveRoomDefsFile(path, defs);
    RoomFileWritten(path);
}

void applyScript(TfrmMainForm& form, TfrmToolbox& tool, const ScriptContent& content, bool replace)
{
    // A door waiting for its second room is not completed by the first room read.
    tool.DoorPending = false;
    const RoomKey lastRoom = replace ? form.Editor->replaceWithScript(content) : form.Editor->applyScript(content);
    if (lastRoom != 0)
        form.Document->select(lastRoom);
    tool.ShowMetaroomValues();
}

ScriptStart emptyMapStart(const TfrmMainForm& form)
{
    ScriptStart start;
    const QSize picture = PictureSize(form.Document->grid());
    const QSize surface = picture.isEmpty() ? TfrmMainForm::EmptyPanelSize : picture;
    start.panelWidth = surface.width();
    start.panelHeight = surface.height();
    return start;
}

QString RoomsReadStatus(const QString& fileName, int roomsRead, int roomsBefore, bool replaced)
{
    const auto rooms = [](int count) {
        return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? QStringLiteral("room") : QStringLiteral("rooms"));
    };
    if (replaced)
        return QStringLiteral("Opened %1: %2").arg(fileName, rooms(roomsRead));
    if (roomsBefore == 0)
        return QStringLiteral("Loaded %1 from %2").arg(rooms(roomsRead), fileName);
    return QStringLiteral("Added %1 from %2 to the %3 on the map, %4 now")
        .arg(rooms(roomsRead), fileName)
        .arg(roomsBefore)
        .arg(roomsBefore + roomsRead);
}

void TfrmMainForm::LoadRoomDefs(const QString& path)
{
    readRoomDefs(path, false);
}

void TfrmMainForm::OpenRoomDefs(const QString& path)
{
    readRoomDefs(path, true);
}

void TfrmMainForm::readRoomDefs(const QString& path, bool replace)
{
    QString name = QFileInfo(path).fileName();
    if (name.isEmpty())
        name = path;
    const QByteArray bytes = ReadTextFile(path);   // its errors name the file
    const int roomsBefore = replace ? 0 : Document->roomCount();
    ScriptContent content;
    try {
        // Opened, the script's rooms are the map's first, numbered as in an empty map.
        ScriptStart start = replace ? emptyMapStart(*this) : scriptStart(*this);
        content = ReadScript(bytes, start);
        if (content.metarooms.size() > 1) {
            const std::optional<int> chosen = ChooseMetaroom(this, name, content.metarooms);
            if (!chosen)
                return;
            if (*chosen != start.metaroom) {
                start.metaroom = *chosen;
                content = ReadScript(bytes, start);
            }
        }
        applyScript(*this, *frmToolbox, content, replace);
    } catch (const ScriptError& error) {
        throw error.inFile(name);
    }
    const bool intoEmptyMap = roomsBefore == 0;
    RoomFileRead(path, intoEmptyMap);
    if (intoEmptyMap)
        RoomFileRest = {path, content.otherMetarooms, content.openMetaroom};
    QString line = RoomsReadStatus(name, int(content.rooms.size()), roomsBefore, replace);
    if (const QString kept = KeptLinesStatus(content); !kept.isEmpty())
        line += QStringLiteral("; ") + kept;
    StatusBar->setText(line);
}

void TfrmMainForm::LoadRoomDefsText(const QByteArray& text)
{
    applyScript(*this, *frmToolbox, ReadScript(text, scriptStart(*this)));
}

QString KeptLinesStatus(const ScriptContent& content)
{
    const qsizetype count = content.kept.size() + content.mapLines.size();
    if (count == 0)
        return {};
    QStringList commands;
    for (const QList<KeptLine>* lines : {&content.mapLines, &content.kept}) {
        for (const KeptLine& line : *lines) {
            const QString command = QString::fromLatin1(line.command);
            if (!commands.contains(command))
                commands << command;
        }
    }
    return QStringLiteral("%1 %2 the editor does not change kept as they are, to be saved back: %3")
        .arg(count)
        .arg(count == 1 ? QStringLiteral("line") : QStringLiteral("lines"))
        .arg(commands.join(QStringLiteral(", ")));
}

std::optional<int> ChooseMetaroom(QWidget* parent, const QString& fileName, const QList<MetaroomSummary>& metarooms)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("dlgChooseMetaroom"));
    dialog.setWindowTitle(QStringLiteral("Open a metaroom"));
    auto* layout = new QVBoxLayout(&dialog);
    layout->addWidget(new QLabel(QStringLiteral("%1 adds %2 metarooms. Open which one?").arg(fileName).arg(metarooms.size())));
    auto* list = new QListWidget(&dialog);
    list->setObjectName(QStringLiteral("lstMetarooms"));
    for (const MetaroomSummary& m : metarooms)
        list->addItem(QStringLiteral("Metaroom %1: \"%2\" at %3, %4, %5 x %6 pixels, %7 rooms")
                          .arg(m.number)
                          .arg(m.line > 0 ? m.backgroundName : QStringLiteral("(no addm line)"))
                          .arg(m.x)
                          .arg(m.y)
                          .arg(m.width)
                          .arg(m.height)
                          .arg(m.roomCount));
    list->setCurrentRow(0);
    layout->addWidget(list);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Open | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(list, &QListWidget::itemDoubleClicked, &dialog, &QDialog::accept);
    layout->addWidget(buttons);
    if (dialogs().runModal(&dialog) != QDialog::Accepted || list->currentRow() < 0)
        return std::nullopt;
    return list->currentRow();
}
