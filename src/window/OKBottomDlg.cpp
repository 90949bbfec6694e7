#include "window/OKBottomDlg.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "ui_OKBottomDlg.h"

namespace vl48 {

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
    Ui::OKBottomDlg form;
    form.setupUi(this);
    Label1 = form.Label1;
    Label2 = form.Label2;
    CancelBtn = form.CancelBtn;
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    // Escape and the close button reject a QDialog, which is what Cancel does.
    connect(CancelBtn, &QPushButton::clicked, this, &TOKBottomDlg::reject);
}

void TOKBottomDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the screen, not on the window.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    if (FormActivate) FormActivate();
}

void TOKBottomDlg::reject() {
    if (CancelBtnClick) CancelBtnClick();
    QDialog::reject();
}

}  // namespace vl48
