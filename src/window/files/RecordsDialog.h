// The records of the database in use, as the menu's "Records…" shows them: a selection by
// identifier and dates, one row per attempt, oldest first, and a unit's history from its row;
// below, the calibrations of the same selection, each with its certificate.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "core/records/RecordStore.h"

class QCheckBox;
class QDateEdit;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace vl48 {

class TRecordsDlg : public QDialog {
    Q_OBJECT
public:
    // The store is the window's for the run and outlives the dialog.
    TRecordsDlg(RecordStore& store, QWidget* parent);

    // The columns before the thirteen values.
    enum Column { ColTime, ColBench, ColPort, ColIdentifier, ColResult, ColFile, ColValues };

    // Lists what the filter fields select; a database that cannot be read says why below.
    void search();
    // The selected row's unit, every attempt at any date.
    void showHistory();

    QLineEdit* EdtIdentifier = nullptr;
    QCheckBox* ChckBxSince = nullptr;
    QDateEdit* DtSince = nullptr;
    QCheckBox* ChckBxUntil = nullptr;
    QDateEdit* DtUntil = nullptr;
    QPushButton* BtnSearch = nullptr;
    QTableWidget* TblRecords = nullptr;
    QLabel* LblRecordsStatus = nullptr;
    QPushButton* BtnHistory = nullptr;
    QTableWidget* TblCalibrations = nullptr;
    QPushButton* BtnCertificate = nullptr;
    QPushButton* BtnClose = nullptr;
    // Makes the certificate of the selected calibration (the window asks where).
    std::function<void(const CalibrationRecord&)> onCertificate;

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void showStatus();
    QLabel* m_identifierCaption = nullptr;
    RecordStore& m_store;
    std::vector<UnitRecord> m_shown;
    std::vector<CalibrationRecord> m_calibrations;
    QString m_problem;  // why the last search found nothing to show, empty when it could read
};

}  // namespace vl48
