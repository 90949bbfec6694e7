// The analogue output calibrated against a reference meter from the service panel or the
// correction panel: the output and the meter chosen, then the as-found check, the trim, the store
// and the as-left check run on the window's link, each table shown as it is done, and the verdict
// or the reason the procedure stopped.
#pragma once

#include <QDialog>
#include <optional>

#include "core/session/OutputTrim.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTableWidget;

namespace vl48 {

class TFrmMain;

class TOutputCalibrationDlg : public QDialog {
    Q_OBJECT
public:
    TOutputCalibrationDlg(TFrmMain& window, TrimPanel panel);

    // The procedure with the settings chosen, as the Run button starts it.
    void run();
    bool running() const { return m_running; }

    QRadioButton* RdBtnCurrent = nullptr;
    QRadioButton* RdBtnVoltage = nullptr;
    QRadioButton* RdBtnTyped = nullptr;
    QRadioButton* RdBtnScpi = nullptr;
    QComboBox* CmbMeterPort = nullptr;
    QSpinBox* SpnMeterBaud = nullptr;
    QLineEdit* EdtMeterQuery = nullptr;
    QDoubleSpinBox* SpnTolerance = nullptr;
    QSpinBox* SpnSettle = nullptr;
    QPushButton* BtnRun = nullptr;
    QPushButton* BtnClose = nullptr;
    QTableWidget* TblAsFound = nullptr;
    QLabel* LblTrim = nullptr;
    QTableWidget* TblAsLeft = nullptr;
    QLabel* LblVerdict = nullptr;

public slots:
    // Refused while the procedure runs: it leaves the output driven until it ends by itself.
    void reject() override;

protected:
    void changeEvent(QEvent* event) override;

private:
    OutputKind kind() const;
    void retranslate();
    void showCalibration();
    void showCheck(QTableWidget* table, const CheckResult& check);
    void meterChosen();
    void outputChosen();
    // A reading typed by the person for a point; nothing when cancelled.
    std::optional<double> askReading(double target, uint16_t code);

    TFrmMain& m_window;
    TrimPanel m_panel;
    bool m_running = false;
    bool m_personStopped = false;
    bool m_interrupted = false;                // by a port error, which the window has shown
    std::optional<OutputCalibration> m_shown;  // kept for a change of language
    QString m_meterProblem;                    // the meter that could not be opened
    QList<QLabel*> m_captions;
    QLabel* m_toleranceCaption = nullptr;
};

}  // namespace vl48
