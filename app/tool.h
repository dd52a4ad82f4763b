#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

class TfrmMainForm;
class TRoom;

// The toolbox: a small tool window that stays on top beside the main window and holds
// the metaroom-wide values and the selected room's values.
class TfrmToolbox : public QWidget {
    Q_OBJECT
public:
    // Sets frmMainForm and the main window's frmToolbox, and places itself beside it.
    explicit TfrmToolbox(TfrmMainForm* mainForm);
    ~TfrmToolbox() override;

    TfrmMainForm* frmMainForm = nullptr;

    TRoom* ShownRoom = nullptr;
    bool DoorPending = false;

    // Stored members of the metaroom settings.
    std::int32_t DefaultRoomType = 0;
    QString MetaroomMusic;
    QString MetaroomFilename;
    std::int32_t MetaRoomID = 0;
    std::int32_t SubRoomStartID = 0;

    void FormCreate();
    void ShowRoom(TRoom* room);
};
