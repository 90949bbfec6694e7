// The window's controls: a pointer to each, under the name the forms give it, taken from the
// forms once at start-up (window/Forms.cpp). The window inherits them, so handlers and tests name
// a control as the forms do; a control renamed in a form no longer compiles here.
#pragma once

#include <array>
#include <vector>

#include "core/device/MemoryMap.h"

class QAbstractButton;
class QAction;
class QCheckBox;
class QComboBox;
class QFileDialog;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QTabWidget;
class QWidget;

namespace vl48 {

class TDatePicker;
class TMaskEdit;
class TSpinEdit;

// The button that stands for a code of a selection cell.
struct CodeButton {
    Cell cell;
    int code;
    QAbstractButton* button;
};

// The bulk tab's row of a value: caption, value control and compare mark.
struct BulkRow {
    QLabel* caption;
    QWidget* control;
    QLabel* mark;
};

struct TFrmMainControls {
    // The code tables' buttons (the output limit's one check box stands for both its codes).
    std::vector<CodeButton> m_codeButtons;

    // --- Menu
    QMenu* MenuFile = nullptr;
    QMenu* MenuComm = nullptr;
    QAction* MenuCommEnd = nullptr;
    QMenu* MenuSettings = nullptr;
    QMenu* MSettingsLanguage = nullptr;
    QAction* MSLanguageCZ = nullptr;
    QAction* MSLanguageEN = nullptr;
    QAction* MSettingsService = nullptr;
    QAction* MSettingsDACorr = nullptr;
    QMenu* MenuRecords = nullptr;
    QAction* MRecordsShow = nullptr;
    QAction* MenuHelp = nullptr;

    // --- Window frame
    QWidget* PanelConnect = nullptr;
    QWidget* PanelSettings = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabBasicSet = nullptr;
    QWidget* TabAdvanceFunc = nullptr;
    QWidget* TabService = nullptr;
    QWidget* TabDACorr = nullptr;
    QStatusBar* StatusBar = nullptr;
    std::array<QLabel*, 4> StatusPanels{};

    // --- Connection view
    QGroupBox* GrpBxConnection = nullptr;
    QLabel* LblComPort = nullptr;
    QComboBox* CmbBxPort = nullptr;
    QPushButton* BtnConnect = nullptr;
    QProgressBar* PrgBarLoadEE = nullptr;
    QPushButton* SpdBtnDemo = nullptr;
    QLabel* LblVersion = nullptr;

    // --- Basic tab
    QLabel* LblNotice = nullptr;
    QLineEdit* EdtNote = nullptr;
    QLabel* LblEdtNoteCH = nullptr;
    QPushButton* BtnSaveNote = nullptr;
    QLabel* LblTextLength = nullptr;
    QLabel* LblDate = nullptr;
    TDatePicker* DtTmPicker = nullptr;
    QLabel* LblDtTmPickerCH = nullptr;
    QPushButton* BtnRefreshDate = nullptr;
    QLabel* LblStripTemp = nullptr;
    QLabel* LblMeasTE = nullptr;
    QLabel* LblMeasTemp = nullptr;
    QLabel* LblMeasIN = nullptr;
    QPushButton* BtnMeasTemp = nullptr;
    QPushButton* BtnConfSave = nullptr;
    QPushButton* SpdBtnEraseForm = nullptr;
    QPushButton* SpdBtnLoadData = nullptr;
    QLabel* LblSaveX1 = nullptr;
    QLabel* LblSaveX = nullptr;

    QGroupBox* GrpBxInput = nullptr;
    QLabel* LblThermo = nullptr;
    QRadioButton* RdBtnTermJ = nullptr;
    QRadioButton* RdBtnTermK = nullptr;
    QRadioButton* RdBtnTermS = nullptr;
    QRadioButton* RdBtnTermB = nullptr;
    QRadioButton* RdBtnTermE = nullptr;
    QRadioButton* RdBtnTermR = nullptr;
    QRadioButton* RdBtnTermN = nullptr;
    QRadioButton* RdBtnTermT = nullptr;
    QLabel* Label6 = nullptr;
    QLabel* LblNickel = nullptr;
    QRadioButton* RdBtnPT100 = nullptr;
    QRadioButton* RdBtnPT1000 = nullptr;
    QRadioButton* RdBtnOhmMeter = nullptr;
    QRadioButton* RdBtnNi1K5 = nullptr;
    QRadioButton* RdBtnNi1K6 = nullptr;
    QRadioButton* RdBtnNi891 = nullptr;
    QLabel* Label8 = nullptr;
    QRadioButton* RdBtnKTY110 = nullptr;
    QRadioButton* RdBtnKTY210 = nullptr;
    QRadioButton* RdBtnKTY121 = nullptr;
    QRadioButton* RdBtnKTY122 = nullptr;
    QRadioButton* RdBtnKTY221 = nullptr;
    QRadioButton* RdBtnKTY222 = nullptr;

    QGroupBox* GrpBxWire = nullptr;
    QRadioButton* RdBtn2_4wires = nullptr;
    QRadioButton* RdBtn3wire = nullptr;
    QLabel* LblCompRes = nullptr;
    TMaskEdit* MskEdtResComp = nullptr;
    QLabel* Label25 = nullptr;
    QLabel* LblMskEdtResCompCH = nullptr;

    QGroupBox* GrpBxComp = nullptr;
    QRadioButton* RdBtnNoComp = nullptr;
    QRadioButton* RdBtnMeasTerm = nullptr;
    QRadioButton* RdBtnTempSet = nullptr;
    TMaskEdit* MskEdtTcldEnd = nullptr;
    QLabel* Label4 = nullptr;
    QLabel* LblMskEdtTcldEndCH = nullptr;

    QGroupBox* GrpBxOutput = nullptr;
    QRadioButton* RdBtnAO0_20 = nullptr;
    QRadioButton* RdBtnAO4_20 = nullptr;
    QRadioButton* RdBtnAO0_10 = nullptr;
    QCheckBox* ChckBxDaRest = nullptr;

    QGroupBox* GrpBxTemp = nullptr;
    QLabel* LblOUTBegin = nullptr;
    TMaskEdit* MskEdtTempBegin = nullptr;
    QLabel* LblMskEdtTempBeginCH = nullptr;
    QLabel* LblOUTEnd = nullptr;
    TMaskEdit* MskEdtTempEnd = nullptr;
    QLabel* LblMskEdtTempEndCH = nullptr;

    QGroupBox* GrpBxErr = nullptr;
    QRadioButton* RdBtnNoMsg = nullptr;
    QRadioButton* RdBtnPuls = nullptr;
    QRadioButton* RdBtn2mADrop = nullptr;

    QGroupBox* GrpBxFilter = nullptr;
    QRadioButton* RdBtnFilt0 = nullptr;
    QRadioButton* RdBtnFilt1 = nullptr;
    QRadioButton* RdBtnFilt2 = nullptr;
    QRadioButton* RdBtnFilt3 = nullptr;
    QRadioButton* RdBtnFilt4 = nullptr;

    // --- Bulk configuration tab
    QPushButton* BtnConfLoad = nullptr;
    QPushButton* BtnConf1Save = nullptr;
    QPushButton* BtnEdtConf = nullptr;
    QPushButton* BtnUploadConf = nullptr;
    QCheckBox* ChckBxAutoCon = nullptr;
    int BtnEdtConfTag = 0;  // edit mode: 0 not editing, 1 editing

    QGroupBox* GrpBxInfo = nullptr;
    QLabel* LblSType = nullptr;
    QLabel* LblInfoType = nullptr;
    QLabel* LblSFirmware = nullptr;
    QLabel* LblInfoFW = nullptr;
    QLabel* LblSDate = nullptr;
    QLabel* LblInfoDate = nullptr;
    QLabel* LblSIden = nullptr;
    QLabel* LblInfoSN = nullptr;
    QLabel* LblSTemp = nullptr;
    QLabel* LblInfoTemp = nullptr;

    QGroupBox* GrpBxConf = nullptr;
    QLabel* Label20 = nullptr;
    QComboBox* CmbInputSignal = nullptr;
    QLabel* Label21 = nullptr;
    QComboBox* CmbSensorWire = nullptr;
    QLabel* Label22 = nullptr;
    TMaskEdit* MskEdtCompRes = nullptr;
    QLabel* Label36 = nullptr;
    QLabel* Label19 = nullptr;
    QComboBox* CmbCompTerm = nullptr;
    QLabel* Label31 = nullptr;
    TMaskEdit* MskEdtSetTemp = nullptr;
    QLabel* Label37 = nullptr;
    QLabel* Label23 = nullptr;
    QComboBox* CmbOutputSignal = nullptr;
    QLabel* Label24 = nullptr;
    QComboBox* CmbOutputLimit = nullptr;
    QLabel* Label27 = nullptr;
    TMaskEdit* MskEdtMinTemp = nullptr;
    QLabel* Label34 = nullptr;
    QLabel* Label28 = nullptr;
    TMaskEdit* MskEdtMaxTemp = nullptr;
    QLabel* Label35 = nullptr;
    QLabel* Label29 = nullptr;
    QComboBox* CmbSensorErr = nullptr;
    QLabel* Label30 = nullptr;
    QComboBox* CmbFiltration = nullptr;
    QLabel* Label33 = nullptr;
    TDatePicker* DtPckrConf = nullptr;
    QLabel* Label32 = nullptr;
    QLineEdit* EdtNoteConf = nullptr;
    // Compare marks beside the thirteen values, shown where the transmitter holds another value.
    QLabel* LblCmpInputSignal = nullptr;
    QLabel* LblCmpSensorWire = nullptr;
    QLabel* LblCmpCompRes = nullptr;
    QLabel* LblCmpCompTerm = nullptr;
    QLabel* LblCmpSetTemp = nullptr;
    QLabel* LblCmpOutputSignal = nullptr;
    QLabel* LblCmpOutputLimit = nullptr;
    QLabel* LblCmpMinTemp = nullptr;
    QLabel* LblCmpMaxTemp = nullptr;
    QLabel* LblCmpSensorErr = nullptr;
    QLabel* LblCmpFiltration = nullptr;
    QLabel* LblCmpDate = nullptr;
    QLabel* LblCmpNote = nullptr;

    // Production aids under the configuration.
    QCheckBox* ChckBxVerify = nullptr;
    QPushButton* BtnCompareConf = nullptr;
    QCheckBox* ChckBxLog = nullptr;
    QLabel* LblLogFile = nullptr;
    QLabel* LblLogNote = nullptr;
    QLineEdit* EdtLogNote = nullptr;
    QFileDialog* LogDlg = nullptr;
    QFileDialog* PdfDlg = nullptr;  // a calibration certificate
    QCheckBox* ChckBxDb = nullptr;
    QLabel* LblDbName = nullptr;

    // --- Service tab
    QWidget* PanelPwd = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    TMaskEdit* MskEdtPwd = nullptr;
    QWidget* PanelService = nullptr;

    QGroupBox* GrpBxInputCal = nullptr;
    QGroupBox* GrpBxCalPT100 = nullptr;
    TMaskEdit* MskEdtPT100Min = nullptr;
    TMaskEdit* MskEdtPT100Max = nullptr;
    QPushButton* BtnCalPT100Begin = nullptr;
    QPushButton* BtnCalPT100End = nullptr;
    QLineEdit* EdtPT100Const = nullptr;
    QPushButton* BtnPT100Save = nullptr;
    QLabel* LblAINA100 = nullptr;
    QLabel* LblAINB100 = nullptr;
    QLabel* LblCalInfo100 = nullptr;

    QGroupBox* GrpBxCalPT1k0 = nullptr;
    TMaskEdit* MskEdtPT1k0Min = nullptr;
    TMaskEdit* MskEdtPT1k0Max = nullptr;
    QPushButton* BtnCalPT1k0Begin = nullptr;
    QPushButton* BtnCalPT1k0End = nullptr;
    QLineEdit* EdtPT1KConst = nullptr;
    QPushButton* BtnPT1KSave = nullptr;
    QLabel* LblAINA1k0 = nullptr;
    QLabel* LblAINB1k0 = nullptr;
    QLabel* LblCalInfo1k0 = nullptr;

    QGroupBox* GrpBxThermocouples = nullptr;
    QRadioButton* RdBtnGain4 = nullptr;
    QRadioButton* RdBtnGain32 = nullptr;
    QLineEdit* EdtOffset = nullptr;
    QPushButton* BtnOffset = nullptr;
    QLabel* Label66 = nullptr;
    QLabel* LblMeasMV = nullptr;
    QLabel* Label64 = nullptr;
    TMaskEdit* MskEdtTrueMV = nullptr;
    QLabel* Label65 = nullptr;
    QPushButton* BtnCorrMV = nullptr;

    QGroupBox* GrpBxAO = nullptr;
    TSpinEdit* SpnEdtAOIZero = nullptr;
    TSpinEdit* SpnEdtAOIEnd = nullptr;
    TSpinEdit* SpnEdtAOUZero = nullptr;
    TSpinEdit* SpnEdtAOUEnd = nullptr;
    QProgressBar* PrgBrAOIZero = nullptr;
    QProgressBar* PrgBrAOIEnd = nullptr;
    QProgressBar* PrgBrAOUZero = nullptr;
    QProgressBar* PrgBrAOUEnd = nullptr;
    QPushButton* BtnCalibrateAO = nullptr;
    QPushButton* BtnCalibrationSession = nullptr;

    QGroupBox* GrpBxService = nullptr;
    QLineEdit* EdtAIN1 = nullptr;
    QLineEdit* EdtAIN2 = nullptr;
    QLineEdit* EdtAIN3 = nullptr;
    QLineEdit* EdtTempSen = nullptr;
    QLineEdit* EdtMV = nullptr;
    QLineEdit* EdtMeasTemp = nullptr;
    QPushButton* BtnRefresh = nullptr;
    TSpinEdit* SpnEdtDA = nullptr;
    QLineEdit* EdtADData = nullptr;
    QLabel* LblHEX = nullptr;
    QPushButton* BtnReadAD = nullptr;
    std::array<QCheckBox*, 16> CheckBoxes{};  // CheckBox1..CheckBox16, bit 15 first
    QComboBox* CmbBxCommand = nullptr;
    TSpinEdit* SpnEdtCommand = nullptr;
    QLineEdit* EdtCommand = nullptr;
    QPushButton* BtnCommand = nullptr;

    QPushButton* BtnADT75Off = nullptr;
    TMaskEdit* MskEdtADT75 = nullptr;
    QLabel* LblADT75Real = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* LblADT75Off = nullptr;

    // --- Output-correction tab
    QWidget* PanelPwd1 = nullptr;
    QGroupBox* GroupBox3 = nullptr;
    TMaskEdit* MskEdtPwd1 = nullptr;
    QWidget* PanelDACorr = nullptr;
    QPushButton* SpdBtnEnableDACorr = nullptr;
    QGroupBox* GrpBxDACorr = nullptr;
    TSpinEdit* SpnEdtAOIZeroDACorr = nullptr;
    TSpinEdit* SpnEdtAOIEndDACorr = nullptr;
    TSpinEdit* SpnEdtAOUZeroDACorr = nullptr;
    TSpinEdit* SpnEdtAOUEndDACorr = nullptr;
    QProgressBar* PrgBrAOIZeroDACorr = nullptr;
    QProgressBar* PrgBrAOIEndDACorr = nullptr;
    QProgressBar* PrgBrAOUZeroDACorr = nullptr;
    QProgressBar* PrgBrAOUEndDACorr = nullptr;
    QPushButton* SpdBtnUndoDACorr = nullptr;
    QPushButton* BtnCalibrateAODACorr = nullptr;
};

}  // namespace vl48
