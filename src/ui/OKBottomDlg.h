// The small dialog shown while the tool waits for a transmitter to come back after the cable was
// pulled with automatic reconnection on. Its texts are Czech only.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

namespace vl48 {

class TOKBottomDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOKBottomDlg(QWidget* parent = nullptr);

    QLabel* Label1 = nullptr;
    QLabel* Label2 = nullptr;
    QPushButton* CancelBtn = nullptr;
    int Tag = 0;  // reconnection pending: 1 while the dialog is up
};

}  // namespace vl48
