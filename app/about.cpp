#include "app/about.h"

#include "app/main.h"
#include "app/pictures.h"
#include "core/common/product.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

const char* const aboutText =
    "The Palisandre is an editor for the rooms and backgrounds of Creatures 3 metarooms.\n\n"
    "Thanks to the modders who tried the early builds and told us what was wrong.\n\n"
    "Terms of use: the Palisandre is free to use and to pass on. It comes with no warranty "
    "of any kind; keep copies of your work. The files you make with it are yours.";

} // namespace

TfrmAbout::TfrmAbout(QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About PLSD"));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(549, 300);

    lblHeading = new QLabel(product::heading, this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    QFont headingFont = font();
    headingFont.setPixelSize(19);
    headingFont.setBold(true);
    lblHeading->setFont(headingFont);
    lblHeading->setGeometry(8, 8, 530, 26);

    imgPicture = new QLabel(this);
    imgPicture->setObjectName(QStringLiteral("imgPicture"));
    imgPicture->setPixmap(QPixmap::fromImage(drawAboutPicture()));
    imgPicture->setGeometry(8, 40, 153, 185);

    Memo1 = new QPlainTextEdit(QString::fromLatin1(aboutText), this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setReadOnly(true);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setGeometry(164, 40, 377, 185);
    Memo1->installEventFilter(this);

    lblVersion = new QLabel(product::versionLine, this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setGeometry(8, 236, 300, 16);

    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(466, 236, 75, 25);
    connect(btnClose, &QPushButton::clicked, this, &QDialog::accept);

    FormCreate();
}

void TfrmAbout::FormCreate()
{
    centreOnScreen(this);
}

bool TfrmAbout::eventFilter(QObject* watched, QEvent* event)
{
    // Memo1KeyPress: typed characters are discarded.
    if (watched == Memo1 && event->type() == QEvent::KeyPress
        && !static_cast<QKeyEvent*>(event)->text().isEmpty())
        return true;
    return QDialog::eventFilter(watched, event);
}
