// The window as a technician first meets it: the start-up state, every control under its name
// and kind, masks and limits, the demo view, and texts that fit their controls.
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

using namespace vl48;

namespace {

class Startup : public vl48test::WindowTest {};

// Every named control, by kind.
const std::map<std::string, std::string> ControlsByKind = {
    {"QRadioButton",
     "RdBtnTermJ RdBtnTermK RdBtnTermS RdBtnTermB RdBtnTermE RdBtnTermR RdBtnTermN RdBtnTermT "
     "RdBtnPT100 RdBtnPT1000 RdBtnOhmMeter RdBtnNi1K5 RdBtnNi1K6 RdBtnNi891 RdBtnKTY110 "
     "RdBtnKTY210 RdBtnKTY121 RdBtnKTY122 RdBtnKTY221 RdBtnKTY222 RdBtn2_4wires RdBtn3wire "
     "RdBtnNoComp RdBtnMeasTerm RdBtnTempSet RdBtnAO0_20 RdBtnAO4_20 RdBtnAO0_10 RdBtnNoMsg "
     "RdBtnPuls RdBtn2mADrop RdBtnFilt0 RdBtnFilt1 RdBtnFilt2 RdBtnFilt3 RdBtnFilt4 RdBtnGain4 "
     "RdBtnGain32"},
    {"QCheckBox",
     "ChckBxDaRest ChckBxAutoCon CheckBox1 CheckBox2 CheckBox3 CheckBox4 CheckBox5 CheckBox6 "
     "CheckBox7 CheckBox8 CheckBox9 CheckBox10 CheckBox11 CheckBox12 CheckBox13 CheckBox14 "
     "CheckBox15 CheckBox16"},
    {"QPushButton",
     "BtnConnect SpdBtnDemo BtnSaveNote BtnRefreshDate BtnMeasTemp BtnConfSave SpdBtnEraseForm "
     "SpdBtnLoadData BtnConfLoad BtnConf1Save BtnEdtConf BtnUploadConf BtnCalPT100Begin "
     "BtnCalPT100End BtnPT100Save BtnCalPT1k0Begin BtnCalPT1k0End BtnPT1KSave BtnOffset "
     "BtnCorrMV BtnRefresh BtnReadAD BtnCommand BtnADT75Off SpdBtnEnableDACorr SpdBtnUndoDACorr"},
    {"QComboBox",
     "CmbBxPort CmbInputSignal CmbSensorWire CmbCompTerm CmbOutputSignal CmbOutputLimit "
     "CmbSensorErr CmbFiltration CmbBxCommand"},
    {"vl48::TMaskEdit",
     "MskEdtResComp MskEdtTcldEnd MskEdtTempBegin MskEdtTempEnd MskEdtCompRes MskEdtSetTemp "
     "MskEdtMinTemp MskEdtMaxTemp MskEdtPwd MskEdtPwd1 MskEdtPT100Min MskEdtPT100Max "
     "MskEdtPT1k0Min MskEdtPT1k0Max MskEdtTrueMV MskEdtADT75"},
    {"vl48::TSpinEdit",
     "SpnEdtAOIZero SpnEdtAOIEnd SpnEdtAOUZero SpnEdtAOUEnd SpnEdtDA SpnEdtCommand "
     "SpnEdtAOIZeroDACorr SpnEdtAOIEndDACorr SpnEdtAOUZeroDACorr SpnEdtAOUEndDACorr"},
    {"vl48::TDatePicker", "DtTmPicker DtPckrConf"},
    {"QLineEdit",
     "EdtNote EdtNoteConf EdtPT100Const EdtPT1KConst EdtOffset EdtAIN1 EdtAIN2 EdtAIN3 "
     "EdtTempSen EdtMV EdtMeasTemp EdtADData EdtCommand"},
    {"QProgressBar",
     "PrgBarLoadEE PrgBrAOIZero PrgBrAOIEnd PrgBrAOUZero PrgBrAOUEnd PrgBrAOIZeroDACorr "
     "PrgBrAOIEndDACorr PrgBrAOUZeroDACorr PrgBrAOUEndDACorr"},
    {"QGroupBox",
     "GrpBxConnection GrpBxInput GrpBxWire GrpBxComp GrpBxOutput GrpBxTemp GrpBxErr GrpBxFilter "
     "GrpBxInfo GrpBxConf GroupBox1 GrpBxInputCal GrpBxCalPT100 GrpBxCalPT1k0 "
     "GrpBxThermocouples GrpBxAO GrpBxService GroupBox3 GrpBxDACorr"},
    {"QLabel",
     "LblComPort LblVersion LblNotice LblEdtNoteCH LblTextLength LblDate LblDtTmPickerCH "
     "LblStripTemp LblMeasTE LblMeasTemp LblMeasIN LblSaveX1 LblSaveX LblThermo Label6 LblNickel "
     "Label8 LblCompRes Label25 LblMskEdtResCompCH Label4 LblMskEdtTcldEndCH LblOUTBegin "
     "LblMskEdtTempBeginCH LblOUTEnd LblMskEdtTempEndCH LblSType LblInfoType LblSFirmware "
     "LblInfoFW LblSDate LblInfoDate LblSIden LblInfoSN LblSTemp LblInfoTemp Label20 Label21 "
     "Label22 Label36 Label19 Label31 Label37 Label23 Label24 Label27 Label34 Label28 Label35 "
     "Label29 Label30 Label33 Label32 LblAINA100 LblAINB100 LblCalInfo100 LblAINA1k0 LblAINB1k0 "
     "LblCalInfo1k0 Label66 LblMeasMV Label64 Label65 LblHEX LblADT75Real LblADT75Off"},
    {"QWidget",
     "PanelConnect PanelSettings TabBasicSet TabAdvanceFunc TabService TabDACorr PanelPwd "
     "PanelService PanelPwd1 PanelDACorr"},
};

QStringList names(const std::string& list) {
    return QString::fromStdString(list).split(QLatin1Char(' '), Qt::SkipEmptyParts);
}

}  // namespace

TEST_F(Startup, EveryNamedControlExistsWithItsKind) {
    int count = 0;
    for (const auto& [kind, list] : ControlsByKind) {
        for (const QString& name : names(list)) {
            const auto found = window->findChildren<QWidget*>(name);
            ASSERT_EQ(found.size(), 1) << name.toStdString() << " must exist exactly once";
            EXPECT_TRUE(found[0]->inherits(kind.c_str()))
                << name.toStdString() << " is a " << found[0]->metaObject()->className()
                << ", not a " << kind;
            ++count;
        }
    }
    EXPECT_GT(count, 230);
    for (const char* name : {"MenuFile", "MenuComm", "MenuSettings", "MSettingsLanguage"})
        EXPECT_NE(window->findChild<QMenu*>(name), nullptr) << name;
    for (const char* name : {"MenuCommEnd", "MSLanguageCZ", "MSLanguageEN", "MSettingsService",
                             "MSettingsDACorr", "MenuHelp"})
        EXPECT_NE(window->findChild<QAction*>(name), nullptr) << name;
    EXPECT_EQ(window->TmrReConn->interval(), 1000);
    EXPECT_FALSE(window->TmrReConn->isActive());
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_EQ(window->ComPort->DeviceName(), "COM1");
}

TEST_F(Startup, ConnectionViewWithTheCzechPrompt) {
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_FALSE(window->PanelSettings->isVisible());
    EXPECT_EQ(window->panel(0),
              QStringLiteral("Vyberte příslušný COM port, na kterém je připojen převodník VL48X"));
    for (int i = 1; i < 4; ++i) EXPECT_TRUE(window->panel(i).isEmpty()) << i;
    EXPECT_EQ(window->StatusPanels[0]->width(), 600);
    EXPECT_EQ(window->StatusPanels[1]->width(), 50);
    EXPECT_EQ(window->StatusPanels[2]->width(), 50);
    EXPECT_GE(window->StatusPanels[3]->width(), 44);
    EXPECT_FALSE(window->tabShown(window->TabService));
    EXPECT_FALSE(window->tabShown(window->TabDACorr));
    EXPECT_TRUE(window->tabShown(window->TabBasicSet));
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabBasicSet);
    EXPECT_TRUE(window->MSLanguageCZ->isChecked());
    EXPECT_FALSE(window->MSLanguageEN->isChecked());
    EXPECT_EQ(window->windowTitle(),
              QStringLiteral("Nastavovací program pro převodník VL48 - KOLTAR®"));
    EXPECT_EQ(QGuiApplication::applicationDisplayName(),
              QStringLiteral("Nastavovací program ZK40_S"));
    // Fixed client area of 750 x 574 below the menu.
    EXPECT_EQ(window->width(), 750);
    EXPECT_EQ(window->centralWidget()->height() + window->StatusBar->height(), 574);
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_EQ(window->font().pointSize(), 8);
}

TEST_F(Startup, HiddenDisabledAndEmptyAsListed) {
    const auto hidden = {window->LblSaveX,
                         window->LblSaveX1,
                         window->LblEdtNoteCH,
                         window->LblDtTmPickerCH,
                         window->LblMskEdtResCompCH,
                         window->LblMskEdtTcldEndCH,
                         window->LblMskEdtTempBeginCH,
                         window->LblMskEdtTempEndCH};
    for (QLabel* mark : hidden) EXPECT_TRUE(mark->isHidden()) << mark->objectName().toStdString();
    EXPECT_TRUE(window->PrgBarLoadEE->isHidden());
    EXPECT_EQ(window->PrgBarLoadEE->value(), 0);
    EXPECT_EQ(window->PrgBarLoadEE->maximum(), 200);
    EXPECT_TRUE(window->RdBtnNi891->isHidden());
    EXPECT_TRUE(window->PanelService->isHidden());
    EXPECT_FALSE(window->PanelPwd->isHidden());
    EXPECT_TRUE(window->PanelDACorr->isHidden());
    EXPECT_FALSE(window->PanelPwd1->isHidden());
    EXPECT_TRUE(window->GrpBxDACorr->isHidden());
    EXPECT_EQ(window->LblVersion->text(), "ZK40_S ver. 1.0.0.13");
    // No radio button of the basic tab is checked.
    for (QRadioButton* r : window->TabBasicSet->findChildren<QRadioButton*>())
        EXPECT_FALSE(r->isChecked()) << r->objectName().toStdString();
    EXPECT_TRUE(window->RdBtnGain4->isChecked());
    // The bulk tab's thirteen entries are disabled, lists without a selection, fields blank.
    for (QWidget* w : window->GrpBxConf->findChildren<QWidget*>()) {
        if (qobject_cast<QLabel*>(w) || w->parentWidget() != window->GrpBxConf) continue;
        EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    }
    for (QComboBox* c : window->GrpBxConf->findChildren<QComboBox*>()) {
        EXPECT_EQ(c->currentIndex(), -1) << c->objectName().toStdString();
        EXPECT_TRUE(c->currentText().isEmpty()) << c->objectName().toStdString();
    }
    EXPECT_EQ(window->CmbBxCommand->currentIndex(), -1);
    EXPECT_EQ(window->DtPckrConf->date(), QDate(2010, 10, 6));
    EXPECT_EQ(window->DtTmPicker->date(), QDate::currentDate());
    for (const char* box : {"CheckBox10", "CheckBox11", "CheckBox13"})
        EXPECT_FALSE(window->findChild<QCheckBox*>(box)->isEnabled()) << box;
    EXPECT_TRUE(window->findChild<QCheckBox*>("CheckBox12")->isEnabled());
    EXPECT_EQ(window->CheckBoxes[0]->text(), "BIAS0");
    EXPECT_EQ(window->CheckBoxes[15]->text(), "CH0");
    EXPECT_FALSE(window->ChckBxAutoCon->isChecked());
}

TEST_F(Startup, MasksAndLimits) {
    // Masked fields read every blank position as 0 and keep positions as typed.
    window->MskEdtResComp->setMaskedText(" 1,50");
    EXPECT_EQ(window->MskEdtResComp->maskedText(), "01,50");
    window->MskEdtTempBegin->setMaskedText("-050");
    EXPECT_EQ(window->MskEdtTempBegin->maskedText(), "-050");
    window->MskEdtTempBegin->clear();
    EXPECT_EQ(window->MskEdtTempBegin->maskedText(), "0000");
    window->MskEdtTcldEnd->setMaskedText("-05");
    EXPECT_EQ(window->MskEdtTcldEnd->maskedText(), "-05");
    window->MskEdtPT1k0Min->clear();
    EXPECT_EQ(window->MskEdtPT1k0Min->maskedText(), "0000,000");
    EXPECT_EQ(window->MskEdtPT100Max->maskedText(), "000,000");
    EXPECT_EQ(window->MskEdtTrueMV->maskedText(), "00,000");
    EXPECT_EQ(window->MskEdtADT75->maskedText(), "00,0");
    // Access codes take letters and digits, show unfilled positions as "*".
    window->MskEdtPwd->setFocus();
    QTest::keyClicks(window->MskEdtPwd, "K527D4");
    EXPECT_EQ(window->MskEdtPwd->text(), "K527D4");
    window->MskEdtPwd1->clear();
    EXPECT_EQ(window->MskEdtPwd1->displayText(), "******");
    // Length limits.
    EXPECT_EQ(window->EdtNote->maxLength(), 30);
    EXPECT_EQ(window->EdtNoteConf->maxLength(), 30);
    EXPECT_EQ(window->EdtCommand->maxLength(), 8);
    // Spin edits: a person can type beyond 16383 (the handlers limit it), the command address
    // goes to 256.
    EXPECT_GE(window->SpnEdtAOIZero->maximum(), 20000);
    EXPECT_GE(window->SpnEdtAOUEndDACorr->maximum(), 20000);
    EXPECT_GE(window->SpnEdtDA->maximum(), 16383);
    EXPECT_EQ(window->SpnEdtCommand->minimum(), 0);
    EXPECT_EQ(window->SpnEdtCommand->maximum(), 256);
    EXPECT_EQ(window->PrgBrAOIZero->maximum(), 200);
    EXPECT_EQ(window->DtTmPicker->minimumDate(), QDate(2000, 1, 1));
    EXPECT_LT(window->DtPckrConf->minimumDate(), QDate(1900, 1, 1));
    EXPECT_EQ(window->CmbInputSignal->count(), 19);
    EXPECT_EQ(window->CmbInputSignal->itemText(10), "Ni 1000 (5000ppm/K)");
    EXPECT_EQ(window->CmbInputSignal->itemText(18), "Ohm Meter 0 Ohm - 5000 Ohm");
    EXPECT_EQ(window->CmbFiltration->count(), 3);
    EXPECT_EQ(window->CmbSensorErr->itemText(1), "Pulsace 50%/100%");
    EXPECT_EQ(window->CmbBxPort->insertPolicy(), QComboBox::NoInsert);
    EXPECT_TRUE(window->CmbBxPort->isEditable());
}

TEST_F(Startup, PortBoxOffersPublishedSimulators) {
    vl48sim::Simulator published;
    published.start();
    vl48::TFrmMain second;
    ASSERT_TRUE(vl48test::waitUntil([&] { return second.CmbBxPort->count() > 0; }));
    bool found = false;
    for (int i = 0; i < second.CmbBxPort->count(); ++i)
        found |= second.CmbBxPort->itemText(i) == QString::fromStdString(published.linkPath());
    EXPECT_TRUE(found);
}

TEST_F(Startup, ServiceTabsFollowTheirMenuItems) {
    window->MSettingsService->trigger();
    EXPECT_TRUE(window->tabShown(window->TabService));
    window->MSettingsDACorr->trigger();
    EXPECT_TRUE(window->tabShown(window->TabDACorr));
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabBasicSet);
    window->MSettingsService->trigger();
    EXPECT_FALSE(window->tabShown(window->TabService));
    window->MSettingsDACorr->trigger();
    EXPECT_FALSE(window->tabShown(window->TabDACorr));
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabBasicSet);
    EXPECT_TRUE(window->MenuFile->actions().isEmpty());
    window->MenuHelp->trigger();  // does nothing
    EXPECT_TRUE(messages.empty());
}

TEST_F(Startup, DemoViewAndBack) {
    QTest::mouseClick(window->SpdBtnDemo, Qt::LeftButton);
    EXPECT_TRUE(window->PanelSettings->isVisible());
    EXPECT_FALSE(window->PanelConnect->isVisible());
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabBasicSet);
    for (QWidget* tab : {window->TabBasicSet, window->TabAdvanceFunc})
        for (QWidget* w : tab->findChildren<QWidget*>())
            EXPECT_FALSE(w->isEnabled()) << w->objectName().toStdString();
    QTest::mouseClick(window->RdBtnTermK, Qt::LeftButton);
    EXPECT_FALSE(window->RdBtnTermK->isChecked());
    EXPECT_FALSE(window->ComPort->Active());
    window->MenuCommEnd->trigger();
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_FALSE(window->PanelSettings->isVisible());
    EXPECT_TRUE(window->TabBasicSet->isEnabled());
    EXPECT_TRUE(window->TabAdvanceFunc->isEnabled());
    EXPECT_TRUE(window->BtnConnect->isEnabled());
    EXPECT_EQ(window->panel(0), window->MsgSelectPort);
    EXPECT_TRUE(sim->requests().empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Startup, UncaughtPortErrorIsShownAndTheLoopGoesOn) {
    // A handler that runs into a closed port: its error reaches the general handler.
    QTimer::singleShot(0, window.get(), [this] { window->link->Send(CmdIdentify, 0); });
    ASSERT_TRUE(vl48test::waitUntil([&] { return !messages.empty(); }));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_EQ(messages[0].text, "Can't perform this operation on a closed port");
    // The window still answers.
    QTest::mouseClick(window->SpdBtnDemo, Qt::LeftButton);
    EXPECT_TRUE(window->PanelSettings->isVisible());
}

TEST_F(Startup, ReconnectionDialogIsReadyAndHidden) {
    TOKBottomDlg* dlg = window->OKBottomDlg;
    ASSERT_NE(dlg, nullptr);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->windowTitle(), "Převodník VL48 byl odpojen");
    EXPECT_EQ(dlg->Label1->text(),
              "Aplikace se nyní pokusí automaticky připojit k převodníku, jakmile to bude možné.");
    EXPECT_EQ(dlg->Label2->text(),
              "Pokud chcete automatické připojení zrušit, klikněte na tlačítko ukončit.");
    EXPECT_EQ(dlg->CancelBtn->text(), "Cancel");
    EXPECT_EQ(dlg->Tag, 0);
}
