// The tool's one window. It owns every control, the port object, the sender operations, the
// configuration record and the Updating flag; its handlers live in the folder of the subsystem
// they belong to (window/link/, window/config/, window/files/, window/service/), its forms and
// their set-up in window/.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "core/device/MemoryMap.h"
#include "core/link/ComPort.h"
#include "core/link/Link.h"
#include "core/records/ConfigFile.h"
#include "core/records/ProductionLog.h"
#include "core/session/Cells.h"
#include "core/session/Identification.h"
#include "core/session/Upload.h"

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
class QTimer;
class QTranslator;

namespace vl48 {

class TDatePicker;
class TMaskEdit;
class TOKBottomDlg;
class TSpinEdit;

// Kinds of message box; every box has a single OK button.
enum class MsgKind { Error, Warning, Information, Plain };

class TFrmMain : public QMainWindow {
    Q_OBJECT
public:
    static constexpr int ClientWidth = 750;
    static constexpr int ClientHeight = 574;
    static const char* const StartupPrompt;  // status panel 0 at start-up, always Czech

    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    // --- Seams: every message box and file dialog goes through these. Tests replace the hooks
    // with recorders that answer at once.
    void showMessage(MsgKind kind, const QString& text);
    std::function<void(MsgKind, const QString&)> messageHook;
    // Returns the chosen path, or an empty string when the person cancelled.
    enum class FileDialog { Save, Open, Log };
    QString runFileDialog(FileDialog which);
    std::function<QString(QFileDialog*)> fileDialogHook;

    // --- Status bar: four panels of 600, 50, 50 and 50 pixels.
    void setPanel(int index, const QString& text);
    QString panel(int index) const;

    // --- Sender operations (the exchange time goes to status panel 2)
    bool Send(uint8_t command, uint32_t data, Frame& reply) {
        return link->Send(command, data, reply);
    }
    bool Send(uint8_t command, uint32_t data) { return link->Send(command, data); }
    bool SendEE(uint8_t command, uint8_t address, uint16_t value) {
        return link->SendEE(command, address, value);
    }
    bool SendText(const QByteArray& text) { return writeNote(*link, text); }
    void DA(uint8_t command, uint32_t data) { link->DA(command, data); }

    // --- Connection lifecycle (window/link/Connection.cpp, window/link/Reconnection.cpp)
    void Connect();
    void BtnConnectClick();
    void CmbBxPortKeyPress(int key);
    void ShowConnect();
    // Puts away everything one transmitter showed or stored (the connection view in front, the
    // Ni 891 choice, the millivolt reading, the output-correction panel with its copy, markers,
    // the service code), so nothing of it is offered to or written into the next. ShowConnect
    // and every connection attempt run it.
    void forgetTransmitter();
    // The settings view as it stands before the first read: the record unknown, no selection
    // checked, the value fields, the note and the output codes holding no value.
    void showNothingRead();
    void MenuCommEndClick();
    void ComPortLineError(TLineErrors errors);
    void TmrReConnTimer();
    void OKBottomDlgFormActivate();
    void OKBottomDlgCancelBtnClick();
    void FormClose();

    // Marks a handler that exchanges frames. A line error noticed meanwhile is handled once the
    // outermost such handler has returned, so no handler ever resumes on a port that was
    // re-opened to another transmitter.
    class HandlerScope {
    public:
        explicit HandlerScope(TFrmMain& window);
        ~HandlerScope();
        HandlerScope(const HandlerScope&) = delete;
        HandlerScope& operator=(const HandlerScope&) = delete;

    private:
        TFrmMain& m_window;
    };
    // Runs a handler's body inside a HandlerScope. A port error (or any other exception) the body
    // does not catch ends the outermost handler here and is shown as the general error handler
    // shows it, so no exception ever travels through Qt's signal dispatch. Inner handlers (one
    // handler calling another) let it through to the outermost, which ends as a whole.
    template <typename Body>
    void guarded(Body&& body) {
        HandlerScope scope(*this);
        if (m_handlerDepth > 1) return body();
        try {
            body();
        } catch (const std::exception& e) {
            uncaught(QString::fromUtf8(e.what()));
        } catch (...) {
            uncaught(QStringLiteral("Unexpected error"));
        }
    }
    void uncaught(const QString& text);

    // --- Editing and writing settings (window/config/Editing.cpp)
    // One handler for all six selection families (RdBtnTermJClick ... RdBtn3wireClick): the
    // button became checked and stands for `code` of `cell`.
    void selectionClick(Cell cell, int code);
    void ChckBxDaRestClick();
    void RdBtn2mADropClick();
    void maskedFieldChange(QLabel* marker);
    void maskedFieldEnter(TMaskEdit* field);
    void EdtNoteChange();
    void EdtNoteKeyUp();
    void BtnSaveNoteClick();
    void DtTmPickerChange();
    void DtTmPickerKeyPress();
    void BtnRefreshDateClick();
    // The record field that holds a selection cell.
    int32_t& recordField(Cell cell);
    // The basic tab's field of a number value (range begin and end, terminal temperature, lead
    // resistance).
    TMaskEdit* basicNumberField(ConfigField field) const;

    // --- Live measurement (window/config/Measurement.cpp)
    void BtnMeasTempClick();

    // --- Configuration files and bulk configuration (window/files/)
    void BtnConfSaveClick();
    void BtnConf1SaveClick();
    void BtnConfLoadClick();
    void BtnEdtConfClick();
    void BtnUploadConfClick();
    void SpdBtnEraseFormClick();
    void SpdBtnLoadDataClick();
    // The bulk tab's configuration as its controls hold it.
    ConfigFileValues bulkValues() const;

    // --- Production aids of the bulk tab (window/files/Production.cpp)
    void BtnCompareConfClick();
    void ChckBxLogClick(bool checked);
    void clearCompareMarks();

    // --- Service access and output correction (window/service/Access.cpp,
    // window/service/OutputCorrection.cpp)
    void MskEdtPwdKeyPress(int key);
    void MskEdtPwd1KeyPress(int key);
    // One set of handlers for the eight output-converter fields (SpnEdtAOIZeroChange ...
    // SpnEdtAOUEndDACorrExit), bound through a table.
    void outputFieldChange(TSpinEdit* field);
    void outputFieldEnter(TSpinEdit* field);
    void outputFieldKeyPress(TSpinEdit* field, int key);
    void outputFieldExit(TSpinEdit* field);
    // The one output, shared by those eight fields and SpnEdtDA: a drive is sent unless the
    // output already stands at that code; a release is followed by the leaving field's pause.
    void driveOutput(int code);
    void releaseOutput(int pauseMs);
    // The notes' bytes as last read (EdtNote from the transmitter, EdtNoteConf from a file), so
    // that what the technician left unchanged is written back byte for byte.
    QByteArray NoteBytesRead;
    QByteArray BulkNoteBytesRead;
    void EEDACorr();
    void SpdBtnEnableDACorrClick();
    void SpdBtnUndoDACorrClick();

    // --- Service terminal and input calibration (window/service/Terminal.cpp,
    // window/service/Calibration.cpp)
    void BtnRefreshClick();
    void BtnReadADClick();
    void BtnCommandClick();
    void SpnEdtDAChange();
    void SpnEdtDAEnter();
    void SpnEdtDAExit();
    void BtnADT75OffClick();
    void BtnCalPT100BeginClick();
    void BtnCalPT100EndClick();
    void BtnCalPT1k0BeginClick();
    void BtnCalPT1k0EndClick();
    void BtnPT100SaveClick();
    void BtnPT1KSaveClick();
    void BtnOffsetClick();
    void BtnCorrMVClick();

    // --- Reading the configuration and drawing the form (window/config/Reading.cpp,
    // window/config/Form.cpp)
    void LoadEE();
    void LoadNote();
    void DrawForm();

    // --- Views and menus (window/)
    void FormCreate();
    void SpdBtnDemoClick();
    void MenuHelpClick();
    void MSettingsServiceClick();
    void MSettingsDACorrClick();
    void SetLang(int index);
    void MSLanguageCZClick();
    void MSLanguageENClick();
    // Shows or hides a tab of PageControl1 without ever changing the tab a person selected.
    void setTabShown(QWidget* tab, bool shown);
    bool tabShown(QWidget* tab) const;

    // Message texts of the current language, filled again at every change of language.
    QString MsgConnectionLost, MsgInvalidPort, MsgCable, MsgWrongDevice, MsgInvalidDate,
        Msg2mADropRefused, MsgSelectPort, MsgDACorrWarning;
    // Second lines of the invalid-port message, naming why the system refused the port.
    QString MsgPortNoAccess, MsgPortInUse;

    // --- Non-visual parts
    TComPort* ComPort = nullptr;
    Link* link = nullptr;
    QTimer* TmrReConn = nullptr;
    // The file dialogs, made when first needed (fileDialog).
    QFileDialog* SvDlg = nullptr;
    QFileDialog* OpDlg = nullptr;
    TOKBottomDlg* OKBottomDlg = nullptr;
    ConfigRecord Config;
    bool Updating = false;

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

protected:
    void closeEvent(QCloseEvent* event) override;
    // A change of language retranslates the forms and the messages (window/Language.cpp).
    void changeEvent(QEvent* event) override;

private:
    // The forms (window/*.ui) and what they cannot hold (window/Forms.cpp); the menu's wiring, the
    // status bar's panels and the file dialogs (window/FrmMain.cpp).
    struct Forms;
    std::shared_ptr<Forms> m_forms;
    void setUpForms();
    void retranslate();
    QTranslator* m_translator = nullptr;  // English, installed while English is chosen
    bool m_translatorInstalled = false;
    void wireMenu();
    void buildStatusBar();
    QFileDialog* fileDialog(FileDialog which);

    // Each subsystem binds its own handlers, in the file of its handlers; the basic tab's focus
    // cues are bound in window/config/Form.cpp.
    void connectFormHandlers();
    void connectConnectionHandlers();
    void connectEditingHandlers();
    void connectFileHandlers();
    void connectServiceAccessHandlers();
    void connectOutputCorrectionHandlers();
    void connectServiceTerminalHandlers();
    void connectCalibrationHandlers();
    // Back to the start-up state of the output correction: bounds 0..16383, the calibration
    // copy forgotten, nothing of one transmitter ever written into the next.
    void resetOutputCorrection();

    // State of the output correction (the transmitter's calibration copy) and of the input
    // calibration (the measured start and end pairs), kept by their own units.
    struct OutputCorrectionState;
    struct CalibrationState;
    std::shared_ptr<OutputCorrectionState> m_outputCorrection;  // made by its unit
    std::shared_ptr<CalibrationState> m_calibration;
    // Shows the connection-lost message and ends the connection: the answer to a failed write.
    void writeFailed();
    // The refusal of a write whose source field holds nothing read from this unit or typed for
    // it: answers true (after saying so) when a field of `fields` is such a field.
    bool refusedForUnreadValue(std::initializer_list<const QWidget*> fields);

    // Reading (window/config/Reading.cpp): a step of the progress bar, painted while its request is
    // on the line, and the values that take more than one line to show.
    void showLoadStep(int step);
    void showOutputCode(TSpinEdit* service, TSpinEdit* correction, uint16_t word);
    void showDateOfSetting(std::optional<uint16_t> dayMonth, std::optional<uint16_t> year);

    // The transmitter connected now, as the production log names it.
    struct ConnectedUnit {
        Identification id;
        QString identifier;  // empty on a unit without one
        QString port;
    };
    std::optional<ConnectedUnit> m_unit;

    // The bulk tab's rows: caption, value control and compare mark of each value.
    struct BulkRow {
        QLabel* caption;
        QWidget* control;
        QLabel* mark;
    };
    BulkRow bulkRow(ConfigField field) const;
    void connectProductionHandlers();
    // The production log: the file chosen for this run, whether it has room for this upload's
    // line now (else the technician is told and nothing is programmed), and one attempt's line.
    QString m_logPath;
    bool productionLogReady(const ConfigFileValues& values);
    ProductionRecord uploadRecord(const ConfigFileValues& values,
                                  const std::optional<ConnectedUnit>& unit,
                                  const QString& result) const;
    void logUpload(const ConfigFileValues& values, const std::optional<ConnectedUnit>& unit,
                   const QString& result);
    // The file the bulk configuration was last loaded from or saved to, and its values then.
    QString m_bulkFileName;
    ConfigFileValues m_bulkFileValues;
    void bulkFileUsed(const QString& path, const ConfigFileValues& values);

    int m_handlerDepth = 0;
    bool m_lineErrorPending = false;
};

}  // namespace vl48
