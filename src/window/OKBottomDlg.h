// The small dialog shown while the tool waits for a transmitter to come back after the cable was
// pulled with automatic reconnection on. Its texts are Czech only.
#pragma once

#include <QDialog>
#include <functional>

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

    // The window's handlers: FormActivate when the dialog comes up, CancelBtnClick for Cancel,
    // Escape and the window's close button alike.
    std::function<void()> FormActivate;
    std::function<void()> CancelBtnClick;

    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
};

}  // namespace vl48
