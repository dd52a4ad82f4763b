#include "app/splash.h"

#include "app/application.h"
#include "app/main.h"
#include "app/pictures.h"
#include "core/common/product.h"

#include <QDesktopServices>
#include <QLabel>
#include <QMouseEvent>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

TfrmSplash::TfrmSplash(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmSplash"));
    setAttribute(Qt::WA_QuitOnClose, false);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    resize(468, 260);

    lblTitle = new QLabel(product::heading, this);
    lblTitle->setObjectName(QStringLiteral("lblTitle"));
    QFont titleFont(QStringLiteral("Arial"));
    titleFont.setPixelSize(24);
    titleFont.setBold(true);
    lblTitle->setFont(titleFont);
    lblTitle->setAlignment(Qt::AlignHCenter);
    lblTitle->setGeometry(0, 16, 468, 32);

    lblVersion = new QLabel(product::versionLine, this);
    lblVersion->setObjectName(QStringLiteral("lblVersion"));
    lblVersion->setAlignment(Qt::AlignHCenter);
    lblVersion->setGeometry(0, 60, 468, 16);

    lblSponsored = new QLabel(QStringLiteral("The Palisandre is sponsored by:"), this);
    lblSponsored->setObjectName(QStringLiteral("lblSponsored"));
    QFont sponsorFont = font();
    sponsorFont.setPixelSize(19);
    sponsorFont.setBold(true);
    lblSponsored->setFont(sponsorFont);
    lblSponsored->setAlignment(Qt::AlignHCenter);
    lblSponsored->setGeometry(0, 120, 468, 26);

    imgSponsor = new QLabel(this);
    imgSponsor->setObjectName(QStringLiteral("imgSponsor"));
    imgSponsor->setPixmap(QPixmap::fromImage(drawSponsorPicture()));
    imgSponsor->setGeometry(0, 160, 470, 60);
    imgSponsor->setCursor(Qt::PointingHandCursor);
    imgSponsor->installEventFilter(this);

    lblURL = new QLabel(QStringLiteral("Click here to visit the Palisandre web site"), this);
    lblURL->setObjectName(QStringLiteral("lblURL"));
    QPalette blue = lblURL->palette();
    blue.setColor(QPalette::WindowText, Qt::blue);
    lblURL->setPalette(blue);
    QFont linkFont = lblURL->font();
    linkFont.setUnderline(true);
    lblURL->setFont(linkFont);
    lblURL->setAlignment(Qt::AlignHCenter);
    lblURL->setGeometry(0, 222, 468, 16);
    lblURL->setCursor(Qt::PointingHandCursor);
    lblURL->installEventFilter(this);

    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    btnClose->setGeometry(0, 240, 468, 20);
    plsd::connectHandler(btnClose, &QPushButton::clicked, this, &TfrmSplash::btnCloseClick);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(3000);
    Timer1->setSingleShot(true);
    plsd::connectHandler(Timer1, &QTimer::timeout, this, &TfrmSplash::Timer1Timer);

    FormCreate();
}

void TfrmSplash::FormCreate()
{
    centreOnScreen(this);
}

void TfrmSplash::FormShow()
{
}

void TfrmSplash::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}

void TfrmSplash::Timer1Timer()
{
    hide();
    Timer1->stop();
    setResult(6);
    done(6);
}

void TfrmSplash::btnCloseClick()
{
    hide();
}

void TfrmSplash::lblURLClick()
{
    QDesktopServices::openUrl(QUrl(product::webSite));
}

bool TfrmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if ((watched == lblURL || watched == imgSponsor) && event->type() == QEvent::MouseButtonRelease
        && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        lblURLClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}
