#include "app/progress.h"

#include "app/main.h"

#include <QLabel>
#include <QProgressBar>

TfrmWaitDlg::TfrmWaitDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint)
{
    setObjectName(QStringLiteral("frmWaitDlg"));
    setWindowTitle(QStringLiteral("Please Wait..."));
    setAttribute(Qt::WA_QuitOnClose, false);
    resize(442, 67);

    Label1 = new QLabel(this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setGeometry(8, 8, 425, 16);

    pgbProgressBar = new QProgressBar(this);
    pgbProgressBar->setObjectName(QStringLiteral("pgbProgressBar"));
    pgbProgressBar->setGeometry(8, 32, 425, 25);
    pgbProgressBar->setRange(0, 100);
    pgbProgressBar->setValue(0);
}

void TfrmWaitDlg::FormShow()
{
    centreOnScreen(this);
}

void TfrmWaitDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    FormShow();
}
