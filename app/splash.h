#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTimer;

// The start-up splash: borderless and white; its one-shot timer ends the modal wait.
class TfrmSplash : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSplash(QWidget* parent = nullptr);

    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblSponsored = nullptr;
    QLabel* imgSponsor = nullptr;
    QLabel* lblURL = nullptr;
    QPushButton* btnClose = nullptr;
    QTimer* Timer1 = nullptr;

    void FormCreate();
    void FormShow();
    void Timer1Timer();
    void btnCloseClick();
    void lblURLClick();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};
