#include "OKBottomDlg.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "Build.h"

namespace vl48 {

using namespace build;

TOKBottomDlg::TOKBottomDlg(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("OKBottomDlg"));
    setWindowTitle(QStringLiteral("Převodník VL48 byl odpojen"));
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    Label1 = label(this, "Label1",
                   QStringLiteral("Aplikace se nyní pokusí automaticky připojit k převodníku, "
                                  "jakmile to bude možné."),
                   true);
    Label2 = label(this, "Label2",
                   QStringLiteral("Pokud chcete automatické připojení zrušit, klikněte na "
                                  "tlačítko ukončit."),
                   true);
    CancelBtn = button(this, "CancelBtn", QStringLiteral("Cancel"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(Label2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CancelBtn);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
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
