// The connection view: the port box, the connect and demo buttons, the reading progress and the
// version label.
#include <QComboBox>
#include <QGridLayout>
#include <QProgressBar>
#include <QVBoxLayout>

#include "Build.h"
#include "FrmMain.h"

namespace vl48 {

using namespace build;

namespace {

// The port box asks the system again each time its list opens: a USB adapter plugged in after
// start-up appears, a pulled one goes, and a simulator started later is offered. The text the
// technician typed stays as it was.
class PortBox : public QComboBox {
public:
    using QComboBox::QComboBox;

    void showPopup() override {
        const QString typed = currentText();
        QStringList ports;
        TComPort::ListPorts(ports);
        QStringList shown;
        for (int i = 0; i < count(); ++i) shown << itemText(i);
        if (ports != shown) {
            clear();
            addItems(ports);
        }
        // The list highlights the typed port when it is one of those present.
        setCurrentIndex(findText(typed));
        setEditText(typed);
        QComboBox::showPopup();
    }
};

}  // namespace

void TFrmMain::buildConnectView() {
    GrpBxConnection = group(PanelConnect, "GrpBxConnection",
                            QStringLiteral(" Připojení k převodníku VL48 "), true);
    LblComPort = label(GrpBxConnection, "LblComPort", QStringLiteral("Vyberte COM port:"));
    CmbBxPort = named(new PortBox(GrpBxConnection), "CmbBxPort");
    CmbBxPort->setEditable(true);
    // Enter connects; it must never add the typed text as a new item.
    CmbBxPort->setInsertPolicy(QComboBox::NoInsert);
    CmbBxPort->setMinimumWidth(220);
    nameField(LblComPort, CmbBxPort);
    BtnConnect = imageButton(GrpBxConnection, "BtnConnect", QStringLiteral("Navázat spojení"),
                             QStyle::SP_DialogApplyButton);
    PrgBarLoadEE = named(new QProgressBar(GrpBxConnection), "PrgBarLoadEE");
    PrgBarLoadEE->setRange(0, 200);
    PrgBarLoadEE->setValue(0);
    PrgBarLoadEE->setTextVisible(false);
    SpdBtnDemo =
        imageButton(GrpBxConnection, "SpdBtnDemo", QStringLiteral("DEMO"), QStyle::SP_ComputerIcon);

    auto* grid = new QGridLayout(GrpBxConnection);
    grid->setContentsMargins(16, 20, 16, 16);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(12);
    grid->addWidget(LblComPort, 0, 0);
    grid->addWidget(CmbBxPort, 0, 1);
    grid->addWidget(BtnConnect, 0, 2);
    grid->addWidget(PrgBarLoadEE, 1, 0, 1, 3);
    grid->addWidget(SpdBtnDemo, 2, 2);
    // The bar is hidden most of the time; its row keeps its place so nothing jumps.
    QSizePolicy keep = PrgBarLoadEE->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    PrgBarLoadEE->setSizePolicy(keep);

    LblVersion = label(PanelConnect, "LblVersion", QStringLiteral("ZK40_S ver. 1.0.0.13"), false,
                       Qt::AlignRight | Qt::AlignVCenter);

    auto* layout = new QVBoxLayout(PanelConnect);
    layout->addStretch(1);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(GrpBxConnection);
    row->addStretch(1);
    layout->addLayout(row);
    layout->addStretch(1);
    layout->addWidget(LblVersion);
}

}  // namespace vl48
