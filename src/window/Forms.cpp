// The window's forms: FrmMain.ui (menu, views, tabs, status bar) and one form for each view and
// tab, compiled by uic. What a form cannot hold is set here, right after the forms are set up:
// the buttons' pictures from the platform's style, the room hidden markers keep, the bulk lists'
// rule for typed text, and the window's control members pointed at the forms' widgets.
#include "window/Forms.h"

#include <QApplication>
#include <QLineEdit>

#include "window/Widgets.h"

namespace vl48 {

namespace {

// Hidden markers, hints and groups keep their room, so showing them never shifts their
// neighbours.
void keepRoomWhenHidden(std::initializer_list<QWidget*> widgets) {
    for (QWidget* widget : widgets) {
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    }
}

// The bulk tab's lists hold fixed Czech entries in both languages; an entry's position is the
// code written into the transmitter. Leaving a typed text behind, a list holds the entry it
// names or none at all, never the entry selected before: that one would be uploaded and saved
// under a text that says otherwise. Matched as Qt matches a typed text, whole and regardless of
// case.
void holdOnlyListedEntries(QComboBox* list) {
    QObject::connect(list->lineEdit(), &QLineEdit::editingFinished, list, [list] {
        const int index = list->findText(list->currentText(), Qt::MatchFixedString);
        list->setCurrentIndex(index);
        if (index < 0)
            list->clearEditText();
        else
            list->setEditText(list->itemText(index));
    });
}

// The window's control members pointed at the widgets of each form.
void takeFrameControls(TFrmMainControls& w, const Ui::FrmMain& frame) {
    w.MenuFile = frame.MenuFile;
    w.MenuComm = frame.MenuComm;
    w.MenuCommEnd = frame.MenuCommEnd;
    w.MenuSettings = frame.MenuSettings;
    w.MSettingsLanguage = frame.MSettingsLanguage;
    w.MSLanguageCZ = frame.MSLanguageCZ;
    w.MSLanguageEN = frame.MSLanguageEN;
    w.MSettingsService = frame.MSettingsService;
    w.MSettingsDACorr = frame.MSettingsDACorr;
    w.MenuRecords = frame.MenuRecords;
    w.MRecordsShow = frame.MRecordsShow;
    w.MenuHelp = frame.MenuHelp;
    w.PanelConnect = frame.PanelConnect;
    w.PanelSettings = frame.PanelSettings;
    w.PageControl1 = frame.PageControl1;
    w.TabBasicSet = frame.TabBasicSet;
    w.TabAdvanceFunc = frame.TabAdvanceFunc;
    w.TabService = frame.TabService;
    w.TabDACorr = frame.TabDACorr;
    w.StatusBar = frame.StatusBar;
}

void takeConnectControls(TFrmMainControls& w, const Ui::ConnectView& connect) {
    w.GrpBxConnection = connect.GrpBxConnection;
    w.LblComPort = connect.LblComPort;
    w.CmbBxPort = connect.CmbBxPort;
    w.BtnConnect = connect.BtnConnect;
    w.PrgBarLoadEE = connect.PrgBarLoadEE;
    w.SpdBtnDemo = connect.SpdBtnDemo;
    w.LblVersion = connect.LblVersion;
}

void takeBasicInputControls(TFrmMainControls& w, const Ui::BasicTab& basic) {
    w.GrpBxInput = basic.GrpBxInput;
    w.LblThermo = basic.LblThermo;
    w.RdBtnTermJ = basic.RdBtnTermJ;
    w.RdBtnTermE = basic.RdBtnTermE;
    w.RdBtnTermK = basic.RdBtnTermK;
    w.RdBtnTermR = basic.RdBtnTermR;
    w.RdBtnTermS = basic.RdBtnTermS;
    w.RdBtnTermN = basic.RdBtnTermN;
    w.RdBtnTermB = basic.RdBtnTermB;
    w.RdBtnTermT = basic.RdBtnTermT;
    w.Label6 = basic.Label6;
    w.LblNickel = basic.LblNickel;
    w.RdBtnPT100 = basic.RdBtnPT100;
    w.RdBtnPT1000 = basic.RdBtnPT1000;
    w.RdBtnOhmMeter = basic.RdBtnOhmMeter;
    w.RdBtnNi1K5 = basic.RdBtnNi1K5;
    w.RdBtnNi1K6 = basic.RdBtnNi1K6;
    w.RdBtnNi891 = basic.RdBtnNi891;
    w.Label8 = basic.Label8;
    w.RdBtnKTY110 = basic.RdBtnKTY110;
    w.RdBtnKTY210 = basic.RdBtnKTY210;
    w.RdBtnKTY121 = basic.RdBtnKTY121;
    w.RdBtnKTY122 = basic.RdBtnKTY122;
    w.RdBtnKTY221 = basic.RdBtnKTY221;
    w.RdBtnKTY222 = basic.RdBtnKTY222;
    w.GrpBxWire = basic.GrpBxWire;
    w.RdBtn2_4wires = basic.RdBtn2_4wires;
    w.RdBtn3wire = basic.RdBtn3wire;
    w.LblCompRes = basic.LblCompRes;
    w.MskEdtResComp = basic.MskEdtResComp;
    w.Label25 = basic.Label25;
    w.LblMskEdtResCompCH = basic.LblMskEdtResCompCH;
    w.LblNotice = basic.LblNotice;
    w.EdtNote = basic.EdtNote;
    w.LblEdtNoteCH = basic.LblEdtNoteCH;
    w.BtnSaveNote = basic.BtnSaveNote;
    w.LblTextLength = basic.LblTextLength;
    w.LblDate = basic.LblDate;
    w.DtTmPicker = basic.DtTmPicker;
    w.LblDtTmPickerCH = basic.LblDtTmPickerCH;
}

void takeBasicOtherControls(TFrmMainControls& w, const Ui::BasicTab& basic) {
    w.BtnRefreshDate = basic.BtnRefreshDate;
    w.GrpBxComp = basic.GrpBxComp;
    w.RdBtnNoComp = basic.RdBtnNoComp;
    w.RdBtnMeasTerm = basic.RdBtnMeasTerm;
    w.RdBtnTempSet = basic.RdBtnTempSet;
    w.MskEdtTcldEnd = basic.MskEdtTcldEnd;
    w.Label4 = basic.Label4;
    w.LblMskEdtTcldEndCH = basic.LblMskEdtTcldEndCH;
    w.GrpBxOutput = basic.GrpBxOutput;
    w.RdBtnAO0_20 = basic.RdBtnAO0_20;
    w.RdBtnAO4_20 = basic.RdBtnAO4_20;
    w.RdBtnAO0_10 = basic.RdBtnAO0_10;
    w.ChckBxDaRest = basic.ChckBxDaRest;
    w.GrpBxTemp = basic.GrpBxTemp;
    w.LblOUTBegin = basic.LblOUTBegin;
    w.MskEdtTempBegin = basic.MskEdtTempBegin;
    w.LblMskEdtTempBeginCH = basic.LblMskEdtTempBeginCH;
    w.LblOUTEnd = basic.LblOUTEnd;
    w.MskEdtTempEnd = basic.MskEdtTempEnd;
    w.LblMskEdtTempEndCH = basic.LblMskEdtTempEndCH;
    w.GrpBxErr = basic.GrpBxErr;
    w.RdBtnNoMsg = basic.RdBtnNoMsg;
    w.RdBtnPuls = basic.RdBtnPuls;
    w.RdBtn2mADrop = basic.RdBtn2mADrop;
    w.GrpBxFilter = basic.GrpBxFilter;
    w.RdBtnFilt0 = basic.RdBtnFilt0;
    w.RdBtnFilt1 = basic.RdBtnFilt1;
    w.RdBtnFilt2 = basic.RdBtnFilt2;
    w.RdBtnFilt3 = basic.RdBtnFilt3;
    w.RdBtnFilt4 = basic.RdBtnFilt4;
    w.LblStripTemp = basic.LblStripTemp;
    w.LblMeasTE = basic.LblMeasTE;
    w.LblMeasTemp = basic.LblMeasTemp;
    w.LblMeasIN = basic.LblMeasIN;
    w.LblSaveX1 = basic.LblSaveX1;
    w.LblSaveX = basic.LblSaveX;
    w.BtnConfSave = basic.BtnConfSave;
    w.SpdBtnEraseForm = basic.SpdBtnEraseForm;
    w.SpdBtnLoadData = basic.SpdBtnLoadData;
    w.BtnMeasTemp = basic.BtnMeasTemp;
}

void takeBulkControls(TFrmMainControls& w, const Ui::BulkTab& bulk) {
    w.GrpBxInfo = bulk.GrpBxInfo;
    w.LblSType = bulk.LblSType;
    w.LblInfoType = bulk.LblInfoType;
    w.LblSFirmware = bulk.LblSFirmware;
    w.LblInfoFW = bulk.LblInfoFW;
    w.LblSDate = bulk.LblSDate;
    w.LblInfoDate = bulk.LblInfoDate;
    w.LblSIden = bulk.LblSIden;
    w.LblInfoSN = bulk.LblInfoSN;
    w.LblSTemp = bulk.LblSTemp;
    w.LblInfoTemp = bulk.LblInfoTemp;
    w.BtnConfLoad = bulk.BtnConfLoad;
    w.BtnConf1Save = bulk.BtnConf1Save;
    w.BtnEdtConf = bulk.BtnEdtConf;
    w.BtnCompareConf = bulk.BtnCompareConf;
    w.BtnUploadConf = bulk.BtnUploadConf;
    w.ChckBxVerify = bulk.ChckBxVerify;
    w.GrpBxConf = bulk.GrpBxConf;
    w.Label20 = bulk.Label20;
    w.CmbInputSignal = bulk.CmbInputSignal;
    w.LblCmpInputSignal = bulk.LblCmpInputSignal;
    w.Label21 = bulk.Label21;
    w.CmbSensorWire = bulk.CmbSensorWire;
    w.LblCmpSensorWire = bulk.LblCmpSensorWire;
    w.Label22 = bulk.Label22;
    w.MskEdtCompRes = bulk.MskEdtCompRes;
    w.Label36 = bulk.Label36;
    w.LblCmpCompRes = bulk.LblCmpCompRes;
    w.Label19 = bulk.Label19;
    w.CmbCompTerm = bulk.CmbCompTerm;
    w.LblCmpCompTerm = bulk.LblCmpCompTerm;
    w.Label31 = bulk.Label31;
    w.MskEdtSetTemp = bulk.MskEdtSetTemp;
    w.Label37 = bulk.Label37;
    w.LblCmpSetTemp = bulk.LblCmpSetTemp;
    w.Label23 = bulk.Label23;
    w.CmbOutputSignal = bulk.CmbOutputSignal;
    w.LblCmpOutputSignal = bulk.LblCmpOutputSignal;
    w.Label24 = bulk.Label24;
    w.CmbOutputLimit = bulk.CmbOutputLimit;
    w.LblCmpOutputLimit = bulk.LblCmpOutputLimit;
    w.Label27 = bulk.Label27;
    w.MskEdtMinTemp = bulk.MskEdtMinTemp;
    w.Label34 = bulk.Label34;
    w.LblCmpMinTemp = bulk.LblCmpMinTemp;
    w.Label28 = bulk.Label28;
    w.MskEdtMaxTemp = bulk.MskEdtMaxTemp;
    w.Label35 = bulk.Label35;
    w.LblCmpMaxTemp = bulk.LblCmpMaxTemp;
    w.Label29 = bulk.Label29;
    w.CmbSensorErr = bulk.CmbSensorErr;
    w.LblCmpSensorErr = bulk.LblCmpSensorErr;
    w.Label30 = bulk.Label30;
    w.CmbFiltration = bulk.CmbFiltration;
    w.LblCmpFiltration = bulk.LblCmpFiltration;
    w.Label33 = bulk.Label33;
    w.DtPckrConf = bulk.DtPckrConf;
    w.LblCmpDate = bulk.LblCmpDate;
    w.Label32 = bulk.Label32;
    w.EdtNoteConf = bulk.EdtNoteConf;
    w.LblCmpNote = bulk.LblCmpNote;
    w.ChckBxAutoCon = bulk.ChckBxAutoCon;
    w.ChckBxLog = bulk.ChckBxLog;
    w.LblLogFile = bulk.LblLogFile;
    w.LblLogNote = bulk.LblLogNote;
    w.EdtLogNote = bulk.EdtLogNote;
    w.ChckBxDb = bulk.ChckBxDb;
    w.LblDbName = bulk.LblDbName;
}

void takeServiceControls(TFrmMainControls& w, const Ui::ServiceTab& service) {
    w.PanelPwd = service.PanelPwd;
    w.GroupBox1 = service.GroupBox1;
    w.MskEdtPwd = service.MskEdtPwd;
    w.PanelService = service.PanelService;
    w.GrpBxInputCal = service.GrpBxInputCal;
    w.GrpBxCalPT100 = service.GrpBxCalPT100;
    w.MskEdtPT100Min = service.MskEdtPT100Min;
    w.BtnCalPT100Begin = service.BtnCalPT100Begin;
    w.LblAINA100 = service.LblAINA100;
    w.MskEdtPT100Max = service.MskEdtPT100Max;
    w.BtnCalPT100End = service.BtnCalPT100End;
    w.LblAINB100 = service.LblAINB100;
    w.EdtPT100Const = service.EdtPT100Const;
    w.BtnPT100Save = service.BtnPT100Save;
    w.LblCalInfo100 = service.LblCalInfo100;
    w.GrpBxCalPT1k0 = service.GrpBxCalPT1k0;
    w.MskEdtPT1k0Min = service.MskEdtPT1k0Min;
    w.BtnCalPT1k0Begin = service.BtnCalPT1k0Begin;
    w.LblAINA1k0 = service.LblAINA1k0;
    w.MskEdtPT1k0Max = service.MskEdtPT1k0Max;
    w.BtnCalPT1k0End = service.BtnCalPT1k0End;
    w.LblAINB1k0 = service.LblAINB1k0;
    w.EdtPT1KConst = service.EdtPT1KConst;
    w.BtnPT1KSave = service.BtnPT1KSave;
    w.LblCalInfo1k0 = service.LblCalInfo1k0;
    w.GrpBxThermocouples = service.GrpBxThermocouples;
    w.RdBtnGain4 = service.RdBtnGain4;
    w.RdBtnGain32 = service.RdBtnGain32;
    w.EdtOffset = service.EdtOffset;
    w.BtnOffset = service.BtnOffset;
    w.Label66 = service.Label66;
    w.LblMeasMV = service.LblMeasMV;
    w.Label64 = service.Label64;
    w.MskEdtTrueMV = service.MskEdtTrueMV;
    w.Label65 = service.Label65;
    w.BtnCorrMV = service.BtnCorrMV;
    w.MskEdtADT75 = service.MskEdtADT75;
    w.Label1 = service.Label1;
    w.BtnADT75Off = service.BtnADT75Off;
    w.LblADT75Real = service.LblADT75Real;
    w.LblADT75Off = service.LblADT75Off;
    w.GrpBxService = service.GrpBxService;
    w.EdtAIN1 = service.EdtAIN1;
    w.EdtAIN2 = service.EdtAIN2;
    w.EdtAIN3 = service.EdtAIN3;
    w.EdtTempSen = service.EdtTempSen;
    w.EdtMV = service.EdtMV;
    w.EdtMeasTemp = service.EdtMeasTemp;
    w.SpnEdtDA = service.SpnEdtDA;
    w.BtnRefresh = service.BtnRefresh;
    w.EdtADData = service.EdtADData;
    w.LblHEX = service.LblHEX;
    w.BtnReadAD = service.BtnReadAD;
    w.CmbBxCommand = service.CmbBxCommand;
    w.SpnEdtCommand = service.SpnEdtCommand;
    w.EdtCommand = service.EdtCommand;
    w.BtnCommand = service.BtnCommand;
    w.GrpBxAO = service.GrpBxAO;
    w.SpnEdtAOIZero = service.SpnEdtAOIZero;
    w.PrgBrAOIZero = service.PrgBrAOIZero;
    w.SpnEdtAOIEnd = service.SpnEdtAOIEnd;
    w.PrgBrAOIEnd = service.PrgBrAOIEnd;
    w.SpnEdtAOUZero = service.SpnEdtAOUZero;
    w.PrgBrAOUZero = service.PrgBrAOUZero;
    w.SpnEdtAOUEnd = service.SpnEdtAOUEnd;
    w.PrgBrAOUEnd = service.PrgBrAOUEnd;
    w.BtnCalibrateAO = service.BtnCalibrateAO;
    w.BtnCalibrationSession = service.BtnCalibrationSession;
    w.CheckBoxes = {service.CheckBox1,  service.CheckBox2,  service.CheckBox3,  service.CheckBox4,
                    service.CheckBox5,  service.CheckBox6,  service.CheckBox7,  service.CheckBox8,
                    service.CheckBox9,  service.CheckBox10, service.CheckBox11, service.CheckBox12,
                    service.CheckBox13, service.CheckBox14, service.CheckBox15, service.CheckBox16};
}

void takeDACorrControls(TFrmMainControls& w, const Ui::DACorrTab& daCorr) {
    w.PanelPwd1 = daCorr.PanelPwd1;
    w.GroupBox3 = daCorr.GroupBox3;
    w.MskEdtPwd1 = daCorr.MskEdtPwd1;
    w.PanelDACorr = daCorr.PanelDACorr;
    w.SpdBtnEnableDACorr = daCorr.SpdBtnEnableDACorr;
    w.GrpBxDACorr = daCorr.GrpBxDACorr;
    w.SpnEdtAOIZeroDACorr = daCorr.SpnEdtAOIZeroDACorr;
    w.PrgBrAOIZeroDACorr = daCorr.PrgBrAOIZeroDACorr;
    w.SpnEdtAOIEndDACorr = daCorr.SpnEdtAOIEndDACorr;
    w.PrgBrAOIEndDACorr = daCorr.PrgBrAOIEndDACorr;
    w.SpnEdtAOUZeroDACorr = daCorr.SpnEdtAOUZeroDACorr;
    w.PrgBrAOUZeroDACorr = daCorr.PrgBrAOUZeroDACorr;
    w.SpnEdtAOUEndDACorr = daCorr.SpnEdtAOUEndDACorr;
    w.PrgBrAOUEndDACorr = daCorr.PrgBrAOUEndDACorr;
    w.SpdBtnUndoDACorr = daCorr.SpdBtnUndoDACorr;
    w.BtnCalibrateAODACorr = daCorr.BtnCalibrateAODACorr;
}

}  // namespace

void TFrmMain::setUpForms() {
    m_forms = std::make_shared<Forms>();
    auto& [frame, connect, basic, bulk, service, daCorr] = *m_forms;
    frame.setupUi(this);
    connect.setupUi(frame.PanelConnect);
    basic.setupUi(frame.TabBasicSet);
    bulk.setupUi(frame.TabAdvanceFunc);
    service.setupUi(frame.TabService);
    daCorr.setupUi(frame.TabDACorr);

    takeFrameControls(*this, frame);
    takeConnectControls(*this, connect);
    takeBasicInputControls(*this, basic);
    takeBasicOtherControls(*this, basic);
    takeBulkControls(*this, bulk);
    takeServiceControls(*this, service);
    takeDACorrControls(*this, daCorr);

    const std::pair<QPushButton*, QStyle::StandardPixmap> pictures[] = {
        {BtnConnect, QStyle::SP_DialogApplyButton},
        {SpdBtnDemo, QStyle::SP_ComputerIcon},
        {BtnSaveNote, QStyle::SP_DialogSaveButton},
        {BtnRefreshDate, QStyle::SP_BrowserReload},
        {BtnConfSave, QStyle::SP_DialogSaveButton},
        {SpdBtnEraseForm, QStyle::SP_DialogResetButton},
        {SpdBtnLoadData, QStyle::SP_BrowserReload},
        {BtnMeasTemp, QStyle::SP_MediaPlay},
        {BtnConfLoad, QStyle::SP_DialogOpenButton},
        {BtnConf1Save, QStyle::SP_DialogSaveButton},
        {BtnEdtConf, QStyle::SP_FileDialogDetailedView},
        {BtnCompareConf, QStyle::SP_FileDialogContentsView},
        {BtnUploadConf, QStyle::SP_ArrowDown},
    };
    for (const auto& [button, picture] : pictures)
        button->setIcon(QApplication::style()->standardIcon(picture));

    // The progress bar's row, the change markers, the ENTER reminder and the correction group.
    keepRoomWhenHidden({PrgBarLoadEE, LblEdtNoteCH, LblDtTmPickerCH, LblMskEdtResCompCH,
                        LblMskEdtTcldEndCH, LblMskEdtTempBeginCH, LblMskEdtTempEndCH, LblSaveX1,
                        LblSaveX, GrpBxDACorr});

    for (QComboBox* list : {CmbInputSignal, CmbSensorWire, CmbCompTerm, CmbOutputSignal,
                            CmbOutputLimit, CmbSensorErr, CmbFiltration})
        holdOnlyListedEntries(list);

    // The value fields show each blank position as the 0 it is written as. The basic tab's hold
    // no value until a unit is read; the bulk tab's show the 0 that an upload of an untouched
    // field writes.
    for (TMaskEdit* field : {MskEdtMinTemp, MskEdtMaxTemp, MskEdtSetTemp, MskEdtCompRes})
        field->setNumberField(true);
    for (TMaskEdit* field : {MskEdtTempBegin, MskEdtTempEnd, MskEdtTcldEnd, MskEdtResComp}) {
        field->setNumberField(true);
        field->clearValue();
    }
}

}  // namespace vl48
