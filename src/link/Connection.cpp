// Making and ending the connection: the window's way back to the connection view.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include "ui/FrmMain.h"
#include "ui/Widgets.h"

namespace vl48 {

void TFrmMain::ShowConnect() {
    PanelDACorr->hide();
    RdBtnNi891->hide();
    PanelPwd1->show();
    setTabShown(TabDACorr, false);
    MSettingsDACorr->setChecked(false);

    PanelSettings->hide();
    PanelConnect->show();
    TabBasicSet->setEnabled(true);  // ends the demo view
    TabAdvanceFunc->setEnabled(true);
    if (!MSettingsService->isChecked()) {
        PanelService->hide();
        PanelPwd->show();
    }
    BtnRefresh->setEnabled(true);
    MskEdtPwd->clear();
    BtnConnect->setEnabled(true);
    PrgBarLoadEE->hide();

    setPanel(0, MsgSelectPort);
    for (int i = 1; i < 4; ++i) setPanel(i, QString());
    for (QLabel* mark : {LblMskEdtResCompCH, LblEdtNoteCH, LblDtTmPickerCH, LblMskEdtTcldEndCH,
                         LblMskEdtTempBeginCH, LblMskEdtTempEndCH, LblSaveX, LblSaveX1})
        mark->hide();
    ComPort->setActive(false);
}

void TFrmMain::MenuCommEndClick() { ShowConnect(); }

}  // namespace vl48
