// The tool's one window. It owns every control (its pointers in window/Controls.h), the port
// object, the sender operations, the configuration record and the Updating flag; its handlers live
// in the folder of the subsystem they belong to (window/link/, window/config/, window/files/,
// window/service/), its forms and their set-up in window/.
#pragma once

#include <QMainWindow>
#include <QString>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "core/device/MemoryMap.h"
#include "core/link/ComPort.h"
#include "core/link/Link.h"
#include "core/records/ConfigFile.h"
#include "core/records/ProductionLog.h"
#include "core/records/RecordStore.h"
#include "core/session/Cells.h"
#include "core/session/Identification.h"
#include "core/session/TrendSeries.h"
#include "core/session/Upload.h"
#include "window/Controls.h"

class QAbstractButton;
class QTimer;
class QTranslator;

namespace vl48 {

class TOKBottomDlg;
class TTrendWnd;
class TOutputCalibrationDlg;
class TRecordsDlg;
class TCalibrationSessionDlg;
struct OutputCalibration;
enum class TrimPanel;

// Kinds of message box; every box has a single OK button.
enum class MsgKind { Error, Warning, Information, Plain };

class TFrmMain : public QMainWindow, public TFrmMainControls {
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
    enum class FileDialog { Save, Open, Log, Certificate };
    QString runFileDialog(FileDialog which);
    std::function<QString(QFileDialog*)> fileDialogHook;
    // The records database's address as chosen or typed from those offered (the bench's SQLite
    // file first), or an empty string when the person cancelled.
    QString runDatabaseDialog();
    std::function<QString(const QStringList& offered)> databaseDialogHook;

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

    // A handler that exchanges frames, and its body run inside one (window/HandlerSupport.h).
    class HandlerScope;
    template <typename Body>
    void guarded(Body&& body);
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

    // --- Live trend of the readings (window/config/Trend.cpp): while ChckBxMeasContinuous is
    // ticked and the connection lasts, the measurement of BtnMeasTempClick is repeated and the
    // trend window draws what was read.
    void ChckBxMeasContinuousClick(bool checked);
    void TmrTrendTimer();
    void BtnTrendSaveClick();
    // Seams for tests and the screenshots: the time between repetitions, and the clock that
    // stamps each one (the system's when empty), asked before the repetition's first request.
    int trendIntervalMs = 1000;
    std::function<QDateTime()> trendClock;
    // Made when the box is first ticked.
    QTimer* TmrTrend = nullptr;
    TTrendWnd* FrmTrend = nullptr;

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
    void ChckBxDbClick(bool checked);
    void MRecordsShowClick();
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

    // --- The output calibrated against a reference meter, from either panel
    // (window/service/OutputCalibrationDialog.cpp)
    void BtnCalibrateAOClick(TrimPanel panel);
    // Seams for tests: the reading a person types for a point (nothing when cancelled), and the
    // dialog handed over instead of running its own event loop.
    std::function<std::optional<double>(double target, const QString& unit)> readingHook;
    std::function<void(TOutputCalibrationDlg&)> calibrationDialogHook;
    // What a calibration leaves behind: the codes it stored shown on both panels without driving
    // the output, and its record in the database in use.
    void outputCalibrated(const OutputCalibration& calibration, const QString& reference);
    void showCalibratedOutput(const OutputCalibration& calibration);

    // --- A calibration session of the connected unit (window/service/CalibrationSessionDialog.cpp)
    void BtnCalibrationSessionClick();
    // Seams for tests: the value a person reads off the calibrator for a point of an input check
    // (nothing when cancelled), and the dialog handed over instead of being shown.
    std::function<std::optional<double>(double point, bool ohms)> referenceHook;
    std::function<void(TCalibrationSessionDlg&)> sessionDialogHook;
    // Writes the certificate of a calibration record where the person chooses, in the window's
    // language, as the lab's settings file describes the issuer.
    void saveCertificate(const CalibrationRecord& record);

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
    TRecordsDlg* RecordsDlg = nullptr;  // made when the records are first asked for
    ConfigRecord Config;
    bool Updating = false;

protected:
    void closeEvent(QCloseEvent* event) override;
    // A change of language retranslates the forms and the messages (window/Language.cpp).
    void changeEvent(QEvent* event) override;

private:
    friend class TCalibrationSessionDlg;
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

    // The code tables' buttons, resolved once at start-up (window/config/Form.cpp).
    void resolveCodeButtons();
    QAbstractButton* codeButton(Cell cell, int code) const;

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

    // The bulk tab's row of a value (BulkRow, window/Controls.h), and the basic tab following
    // each step of an upload that the transmitter acknowledged.
    BulkRow bulkRow(ConfigField field) const;
    void showStoredStep(const UploadStep& step, const ConfigFileValues& values);
    void connectProductionHandlers();
    // The production log: the file chosen for this run, whether it has room for this upload's
    // line now (else the technician is told and nothing is programmed), and one attempt's line.
    QString m_logPath;
    bool productionLogReady(const ConfigFileValues& values);
    ProductionRecord uploadRecord(const ConfigFileValues& values,
                                  const std::optional<ConnectedUnit>& unit,
                                  const QString& result) const;
    // The line, and the database's record completed: `failedStep` the step whose write failed
    // (0 for none), `readBack` what a verify that answered found.
    void logUpload(const ConfigFileValues& values, const std::optional<ConnectedUnit>& unit,
                   const QString& result, int failedStep = 0,
                   const std::optional<ConfigFileValues>& readBack = std::nullopt);
    // The records database: chosen once per run, the first time it is asked for (false when the
    // person cancelled or it cannot be used, after saying why), and the record of the upload
    // under way, begun where the log proves its room and completed with the log's line.
    std::unique_ptr<RecordStore> m_records;
    std::optional<UnitRecord> m_unitRecord;
    bool chooseDatabase();
    void recordOutputCalibration(const OutputCalibration& calibration, const QString& reference);
    // Records kept on this bench because the server is away: told once, until it answers again.
    bool m_toldRecordsWaiting = false;
    void tellRecordsWaiting();
    // The file the bulk configuration was last loaded from or saved to, and its values then.
    QString m_bulkFileName;
    ConfigFileValues m_bulkFileValues;
    void bulkFileUsed(const QString& path, const ConfigFileValues& values);

    int m_handlerDepth = 0;
    bool m_lineErrorPending = false;

    // The two readings of one measurement, shown as they come, a failed exchange answered as a
    // failed click is; returns what was read (window/config/Measurement.cpp).
    TrendSample measureNow();
    // Another operation of the window is under way: a handler exchanging frames, the form drawn
    // or written under Updating, a modal dialog, a line error waiting for its handling.
    bool windowBusy() const;
    // The trend's samples since the box was last ticked, and their drawing.
    std::vector<TrendSample> m_trendSamples;
    void showTrend();
};

}  // namespace vl48

#include "window/HandlerSupport.h"
