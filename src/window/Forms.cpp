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

    MenuFile = frame.MenuFile;
    MenuComm = frame.MenuComm;
    MenuCommEnd = frame.MenuCommEnd;
    MenuSettings = frame.MenuSettings;
    MSettingsLanguage = frame.MSettingsLanguage;
    MSLanguageCZ = frame.MSLanguageCZ;
    MSLanguageEN = frame.MSLanguageEN;
    MSettingsService = frame.MSettingsService;
    MSettingsDACorr = frame.MSettingsDACorr;
    MenuHelp = frame.MenuHelp;
    PanelConnect = frame.PanelConnect;
    PanelSettings = frame.PanelSettings;
    PageControl1 = frame.PageControl1;
    TabBasicSet = frame.TabBasicSet;
    TabAdvanceFunc = frame.TabAdvanceFunc;
    TabService = frame.TabService;
    TabDACorr = frame.TabDACorr;
    StatusBar = frame.StatusBar;

    GrpBxConnection = connect.GrpBxConnection;
    LblComPort = connect.LblComPort;
    CmbBxPort = connect.CmbBxPort;
    BtnConnect = connect.BtnConnect;
    PrgBarLoadEE = connect.PrgBarLoadEE;
    SpdBtnDemo = connect.SpdBtnDemo;
    LblVersion = connect.LblVersion;

    GrpBxInput = basic.GrpBxInput;
    LblThermo = basic.LblThermo;
    RdBtnTermJ = basic.RdBtnTermJ;
    RdBtnTermE = basic.RdBtnTermE;
    RdBtnTermK = basic.RdBtnTermK;
    RdBtnTermR = basic.RdBtnTermR;
    RdBtnTermS = basic.RdBtnTermS;
    RdBtnTermN = basic.RdBtnTermN;
    RdBtnTermB = basic.RdBtnTermB;
    RdBtnTermT = basic.RdBtnTermT;
    Label6 = basic.Label6;
    LblNickel = basic.LblNickel;
    RdBtnPT100 = basic.RdBtnPT100;
    RdBtnPT1000 = basic.RdBtnPT1000;
    RdBtnOhmMeter = basic.RdBtnOhmMeter;
    RdBtnNi1K5 = basic.RdBtnNi1K5;
    RdBtnNi1K6 = basic.RdBtnNi1K6;
    RdBtnNi891 = basic.RdBtnNi891;
    Label8 = basic.Label8;
    RdBtnKTY110 = basic.RdBtnKTY110;
    RdBtnKTY210 = basic.RdBtnKTY210;
    RdBtnKTY121 = basic.RdBtnKTY121;
    RdBtnKTY122 = basic.RdBtnKTY122;
    RdBtnKTY221 = basic.RdBtnKTY221;
    RdBtnKTY222 = basic.RdBtnKTY222;
    GrpBxWire = basic.GrpBxWire;
    RdBtn2_4wires = basic.RdBtn2_4wires;
    RdBtn3wire = basic.RdBtn3wire;
    LblCompRes = basic.LblCompRes;
    MskEdtResComp = basic.MskEdtResComp;
    Label25 = basic.Label25;
    LblMskEdtResCompCH = basic.LblMskEdtResCompCH;
    LblNotice = basic.LblNotice;
    EdtNote = basic.EdtNote;
    LblEdtNoteCH = basic.LblEdtNoteCH;
    BtnSaveNote = basic.BtnSaveNote;
    LblTextLength = basic.LblTextLength;
    LblDate = basic.LblDate;
    DtTmPicker = basic.DtTmPicker;
    LblDtTmPickerCH = basic.LblDtTmPickerCH;
    BtnRefreshDate = basic.BtnRefreshDate;
    GrpBxComp = basic.GrpBxComp;
    RdBtnNoComp = basic.RdBtnNoComp;
    RdBtnMeasTerm = basic.RdBtnMeasTerm;
    RdBtnTempSet = basic.RdBtnTempSet;
    MskEdtTcldEnd = basic.MskEdtTcldEnd;
    Label4 = basic.Label4;
    LblMskEdtTcldEndCH = basic.LblMskEdtTcldEndCH;
    GrpBxOutput = basic.GrpBxOutput;
    RdBtnAO0_20 = basic.RdBtnAO0_20;
    RdBtnAO4_20 = basic.RdBtnAO4_20;
    RdBtnAO0_10 = basic.RdBtnAO0_10;
    ChckBxDaRest = basic.ChckBxDaRest;
    GrpBxTemp = basic.GrpBxTemp;
    LblOUTBegin = basic.LblOUTBegin;
    MskEdtTempBegin = basic.MskEdtTempBegin;
    LblMskEdtTempBeginCH = basic.LblMskEdtTempBeginCH;
    LblOUTEnd = basic.LblOUTEnd;
    MskEdtTempEnd = basic.MskEdtTempEnd;
    LblMskEdtTempEndCH = basic.LblMskEdtTempEndCH;
    GrpBxErr = basic.GrpBxErr;
    RdBtnNoMsg = basic.RdBtnNoMsg;
    RdBtnPuls = basic.RdBtnPuls;
    RdBtn2mADrop = basic.RdBtn2mADrop;
    GrpBxFilter = basic.GrpBxFilter;
    RdBtnFilt0 = basic.RdBtnFilt0;
    RdBtnFilt1 = basic.RdBtnFilt1;
    RdBtnFilt2 = basic.RdBtnFilt2;
    RdBtnFilt3 = basic.RdBtnFilt3;
    RdBtnFilt4 = basic.RdBtnFilt4;
    LblStripTemp = basic.LblStripTemp;
    LblMeasTE = basic.LblMeasTE;
    LblMeasTemp = basic.LblMeasTemp;
    LblMeasIN = basic.LblMeasIN;
    LblSaveX1 = basic.LblSaveX1;
    LblSaveX = basic.LblSaveX;
    BtnConfSave = basic.BtnConfSave;
    SpdBtnEraseForm = basic.SpdBtnEraseForm;
    SpdBtnLoadData = basic.SpdBtnLoadData;
    BtnMeasTemp = basic.BtnMeasTemp;

    GrpBxInfo = bulk.GrpBxInfo;
    LblSType = bulk.LblSType;
    LblInfoType = bulk.LblInfoType;
    LblSFirmware = bulk.LblSFirmware;
    LblInfoFW = bulk.LblInfoFW;
    LblSDate = bulk.LblSDate;
    LblInfoDate = bulk.LblInfoDate;
    LblSIden = bulk.LblSIden;
    LblInfoSN = bulk.LblInfoSN;
    LblSTemp = bulk.LblSTemp;
    LblInfoTemp = bulk.LblInfoTemp;
    BtnConfLoad = bulk.BtnConfLoad;
    BtnConf1Save = bulk.BtnConf1Save;
    BtnEdtConf = bulk.BtnEdtConf;
    BtnCompareConf = bulk.BtnCompareConf;
    BtnUploadConf = bulk.BtnUploadConf;
    ChckBxVerify = bulk.ChckBxVerify;
    GrpBxConf = bulk.GrpBxConf;
    Label20 = bulk.Label20;
    CmbInputSignal = bulk.CmbInputSignal;
    LblCmpInputSignal = bulk.LblCmpInputSignal;
    Label21 = bulk.Label21;
    CmbSensorWire = bulk.CmbSensorWire;
    LblCmpSensorWire = bulk.LblCmpSensorWire;
    Label22 = bulk.Label22;
    MskEdtCompRes = bulk.MskEdtCompRes;
    Label36 = bulk.Label36;
    LblCmpCompRes = bulk.LblCmpCompRes;
    Label19 = bulk.Label19;
    CmbCompTerm = bulk.CmbCompTerm;
    LblCmpCompTerm = bulk.LblCmpCompTerm;
    Label31 = bulk.Label31;
    MskEdtSetTemp = bulk.MskEdtSetTemp;
    Label37 = bulk.Label37;
    LblCmpSetTemp = bulk.LblCmpSetTemp;
    Label23 = bulk.Label23;
    CmbOutputSignal = bulk.CmbOutputSignal;
    LblCmpOutputSignal = bulk.LblCmpOutputSignal;
    Label24 = bulk.Label24;
    CmbOutputLimit = bulk.CmbOutputLimit;
    LblCmpOutputLimit = bulk.LblCmpOutputLimit;
    Label27 = bulk.Label27;
    MskEdtMinTemp = bulk.MskEdtMinTemp;
    Label34 = bulk.Label34;
    LblCmpMinTemp = bulk.LblCmpMinTemp;
    Label28 = bulk.Label28;
    MskEdtMaxTemp = bulk.MskEdtMaxTemp;
    Label35 = bulk.Label35;
    LblCmpMaxTemp = bulk.LblCmpMaxTemp;
    Label29 = bulk.Label29;
    CmbSensorErr = bulk.CmbSensorErr;
    LblCmpSensorErr = bulk.LblCmpSensorErr;
    Label30 = bulk.Label30;
    CmbFiltration = bulk.CmbFiltration;
    LblCmpFiltration = bulk.LblCmpFiltration;
    Label33 = bulk.Label33;
    DtPckrConf = bulk.DtPckrConf;
    LblCmpDate = bulk.LblCmpDate;
    Label32 = bulk.Label32;
    EdtNoteConf = bulk.EdtNoteConf;
    LblCmpNote = bulk.LblCmpNote;
    ChckBxAutoCon = bulk.ChckBxAutoCon;
    ChckBxLog = bulk.ChckBxLog;
    LblLogFile = bulk.LblLogFile;
    LblLogNote = bulk.LblLogNote;
    EdtLogNote = bulk.EdtLogNote;

    PanelPwd = service.PanelPwd;
    GroupBox1 = service.GroupBox1;
    MskEdtPwd = service.MskEdtPwd;
    PanelService = service.PanelService;
    GrpBxInputCal = service.GrpBxInputCal;
    GrpBxCalPT100 = service.GrpBxCalPT100;
    MskEdtPT100Min = service.MskEdtPT100Min;
    BtnCalPT100Begin = service.BtnCalPT100Begin;
    LblAINA100 = service.LblAINA100;
    MskEdtPT100Max = service.MskEdtPT100Max;
    BtnCalPT100End = service.BtnCalPT100End;
    LblAINB100 = service.LblAINB100;
    EdtPT100Const = service.EdtPT100Const;
    BtnPT100Save = service.BtnPT100Save;
    LblCalInfo100 = service.LblCalInfo100;
    GrpBxCalPT1k0 = service.GrpBxCalPT1k0;
    MskEdtPT1k0Min = service.MskEdtPT1k0Min;
    BtnCalPT1k0Begin = service.BtnCalPT1k0Begin;
    LblAINA1k0 = service.LblAINA1k0;
    MskEdtPT1k0Max = service.MskEdtPT1k0Max;
    BtnCalPT1k0End = service.BtnCalPT1k0End;
    LblAINB1k0 = service.LblAINB1k0;
    EdtPT1KConst = service.EdtPT1KConst;
    BtnPT1KSave = service.BtnPT1KSave;
    LblCalInfo1k0 = service.LblCalInfo1k0;
    GrpBxThermocouples = service.GrpBxThermocouples;
    RdBtnGain4 = service.RdBtnGain4;
    RdBtnGain32 = service.RdBtnGain32;
    EdtOffset = service.EdtOffset;
    BtnOffset = service.BtnOffset;
    Label66 = service.Label66;
    LblMeasMV = service.LblMeasMV;
    Label64 = service.Label64;
    MskEdtTrueMV = service.MskEdtTrueMV;
    Label65 = service.Label65;
    BtnCorrMV = service.BtnCorrMV;
    MskEdtADT75 = service.MskEdtADT75;
    Label1 = service.Label1;
    BtnADT75Off = service.BtnADT75Off;
    LblADT75Real = service.LblADT75Real;
    LblADT75Off = service.LblADT75Off;
    GrpBxService = service.GrpBxService;
    EdtAIN1 = service.EdtAIN1;
    EdtAIN2 = service.EdtAIN2;
    EdtAIN3 = service.EdtAIN3;
    EdtTempSen = service.EdtTempSen;
    EdtMV = service.EdtMV;
    EdtMeasTemp = service.EdtMeasTemp;
    SpnEdtDA = service.SpnEdtDA;
    BtnRefresh = service.BtnRefresh;
    EdtADData = service.EdtADData;
    LblHEX = service.LblHEX;
    BtnReadAD = service.BtnReadAD;
    CmbBxCommand = service.CmbBxCommand;
    SpnEdtCommand = service.SpnEdtCommand;
    EdtCommand = service.EdtCommand;
    BtnCommand = service.BtnCommand;
    GrpBxAO = service.GrpBxAO;
    SpnEdtAOIZero = service.SpnEdtAOIZero;
    PrgBrAOIZero = service.PrgBrAOIZero;
    SpnEdtAOIEnd = service.SpnEdtAOIEnd;
    PrgBrAOIEnd = service.PrgBrAOIEnd;
    SpnEdtAOUZero = service.SpnEdtAOUZero;
    PrgBrAOUZero = service.PrgBrAOUZero;
    SpnEdtAOUEnd = service.SpnEdtAOUEnd;
    PrgBrAOUEnd = service.PrgBrAOUEnd;

    PanelPwd1 = daCorr.PanelPwd1;
    GroupBox3 = daCorr.GroupBox3;
    MskEdtPwd1 = daCorr.MskEdtPwd1;
    PanelDACorr = daCorr.PanelDACorr;
    SpdBtnEnableDACorr = daCorr.SpdBtnEnableDACorr;
    GrpBxDACorr = daCorr.GrpBxDACorr;
    SpnEdtAOIZeroDACorr = daCorr.SpnEdtAOIZeroDACorr;
    PrgBrAOIZeroDACorr = daCorr.PrgBrAOIZeroDACorr;
    SpnEdtAOIEndDACorr = daCorr.SpnEdtAOIEndDACorr;
    PrgBrAOIEndDACorr = daCorr.PrgBrAOIEndDACorr;
    SpnEdtAOUZeroDACorr = daCorr.SpnEdtAOUZeroDACorr;
    PrgBrAOUZeroDACorr = daCorr.PrgBrAOUZeroDACorr;
    SpnEdtAOUEndDACorr = daCorr.SpnEdtAOUEndDACorr;
    PrgBrAOUEndDACorr = daCorr.PrgBrAOUEndDACorr;
    SpdBtnUndoDACorr = daCorr.SpdBtnUndoDACorr;
    CheckBoxes = {service.CheckBox1,  service.CheckBox2,  service.CheckBox3,  service.CheckBox4,
                  service.CheckBox5,  service.CheckBox6,  service.CheckBox7,  service.CheckBox8,
                  service.CheckBox9,  service.CheckBox10, service.CheckBox11, service.CheckBox12,
                  service.CheckBox13, service.CheckBox14, service.CheckBox15, service.CheckBox16};

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
