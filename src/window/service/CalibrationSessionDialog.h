// A calibration session of the connected unit, from the service panel: who calibrates, at what
// ambient temperature and with which of the lab's instruments; the input (and the output) checked
// as found; the adjustments, made with the service panel's input calibration or the output trim
// here; the checks as left, the verdict, and the certificate of the record. The dialog does not
// block the window, so that the service panel's procedures stay at hand between the checks.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>

#include "core/records/RecordStore.h"
#include "core/session/CalibrationSession.h"

class QCheckBox;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTableWidget;

namespace vl48 {

class ScpiMeter;
class TFrmMain;

class TCalibrationSessionDlg : public QDialog {
    Q_OBJECT
public:
    explicit TCalibrationSessionDlg(TFrmMain& window);

    // The stages, as their buttons run them.
    void asFound();
    void trimOutput();
    void asLeft();
    void certificate();
    bool running() const { return m_running; }
    const std::optional<CalibrationRecord>& record() const { return m_record; }
    // How often an input check reads while it waits for a stable reading.
    int readEveryMs = InputCheckSettings().readEveryMs;

    QLabel* LblUnit = nullptr;
    QLineEdit* EdtTechnician = nullptr;
    QLineEdit* EdtAmbient = nullptr;
    QListWidget* LstInstruments = nullptr;
    QCheckBox* ChckBxOverrideDue = nullptr;
    QLabel* LblRecordsNote = nullptr;
    QLineEdit* EdtInputPoints = nullptr;
    QDoubleSpinBox* SpnInputTolerance = nullptr;
    QComboBox* CmbOutput = nullptr;
    QComboBox* CmbMeterPort = nullptr;  // empty: the person types the meter's readings
    QDoubleSpinBox* SpnOutputTolerance = nullptr;
    QPushButton* BtnAsFound = nullptr;
    QPushButton* BtnInputCal = nullptr;
    QPushButton* BtnTrimOutput = nullptr;
    QPushButton* BtnAsLeft = nullptr;
    QPushButton* BtnCertificate = nullptr;
    QPushButton* BtnClose = nullptr;
    QTableWidget* TblAsFound = nullptr;
    QLabel* LblAdjustments = nullptr;
    QTableWidget* TblAsLeft = nullptr;
    QLabel* LblVerdict = nullptr;

public slots:
    // Refused while a stage runs; a session left before its check as left is recorded as not
    // finished.
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void fillInstruments();
    void enableStages();
    // A stage is over: the buttons for the next ones, and what it found.
    void stageDone();
    void showChecks(QTableWidget* table, const SessionChecks& checks);
    void showState();
    // Runs the checks of a stage; nothing when a check could not begin (said).
    std::optional<SessionChecks> runChecks();
    // The check as found, into the record begun for it.
    void checkAsFound();
    // Whether the unit on the line is the session's (said when it is not).
    bool sameUnit();
    // The input check's points as typed (empty: the range's); nothing (said) when one is no number.
    std::optional<std::vector<double>> inputPoints();
    // The record as it stands, into the database; false (said) when it could not be stored.
    bool store(bool complete);
    std::optional<OutputKind> outputKind() const;
    // The SCPI meter when a port is named; false (said) when it cannot be opened.
    bool openMeter(std::unique_ptr<ScpiMeter>& meter);
    // Readings of `meter`, or typed by the person when there is none.
    MeterRead meterRead(ScpiMeter* meter, OutputKind kind);
    bool withMeter() const;

    TFrmMain& m_window;
    RecordStore* m_store = nullptr;  // the window's, when the bulk tab's box is checked
    bool m_running = false;
    std::optional<CalibrationRecord> m_record;  // begun with the check as found
    CellValues m_before;
    SessionChecks m_found, m_left;
    std::function<QString()> m_trimText;  // what the output trim did, as it is shown
    QList<QLabel*> m_captions;
};

}  // namespace vl48
