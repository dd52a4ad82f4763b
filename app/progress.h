#pragma once

#include <QDialog>

class QLabel;
class QProgressBar;

// The progress dialog. No command shows it.
class TfrmWaitDlg : public QDialog {
    Q_OBJECT
public:
    explicit TfrmWaitDlg(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QProgressBar* pgbProgressBar = nullptr;

    void FormShow();

protected:
    void showEvent(QShowEvent* event) override;
};
