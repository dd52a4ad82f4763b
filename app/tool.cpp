#include "app/tool.h"

#include "app/main.h"

TfrmToolbox::TfrmToolbox(TfrmMainForm* mainForm)
    : QWidget(nullptr, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
    , frmMainForm(mainForm)
{
    setObjectName(QStringLiteral("frmToolbox"));
    setWindowTitle(QStringLiteral("Toolbox"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(226, 217);
    if (frmMainForm)
        frmMainForm->frmToolbox = this;
    show();
    FormCreate();
}

TfrmToolbox::~TfrmToolbox()
{
    if (frmMainForm && frmMainForm->frmToolbox == this)
        frmMainForm->frmToolbox = nullptr;
}

void TfrmToolbox::FormCreate()
{
    ShownRoom = nullptr;
    DoorPending = false;
    DefaultRoomType = 0;
    MetaroomMusic.clear();
    MetaroomFilename.clear();
    MetaRoomID = 0;
    SubRoomStartID = 0;
    // Placed once shown, when the window system knows the outer size.
    if (frmMainForm) {
        const QRect main = frmMainForm->frameGeometry();
        move(main.left() + main.width() - frameGeometry().width(), main.top() + 40);
    }
}

void TfrmToolbox::ShowRoom(TRoom* room)
{
    ShownRoom = room;
    DoorPending = false;
}
