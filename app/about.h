#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QPushButton;

// The about box.
class TfrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit TfrmAbout(QWidget* parent = nullptr);

    QLabel* lblHeading = nullptr;
    QLabel* imgPicture = nullptr;
    QLabel* lblVersion = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QPushButton* btnClose = nullptr;

    void FormCreate();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
