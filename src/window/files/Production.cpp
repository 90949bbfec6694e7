// The bulk tab's aids for production work: comparing the connected transmitter with the
// configuration before an upload, and the production log and the records database that record
// every upload attempt.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/records/ProductionLog.h"
#include "core/records/RecordStore.h"
#include "core/session/Upload.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"
#include "window/files/RecordsDialog.h"

namespace vl48 {

BulkRow TFrmMain::bulkRow(ConfigField field) const {
    switch (field) {
        case ConfigField::InputType:
            return {Label20, CmbInputSignal, LblCmpInputSignal};
        case ConfigField::OutputType:
            return {Label23, CmbOutputSignal, LblCmpOutputSignal};
        case ConfigField::SensorFault:
            return {Label29, CmbSensorErr, LblCmpSensorErr};
        case ConfigField::RangeBegin:
            return {Label27, MskEdtMinTemp, LblCmpMinTemp};
        case ConfigField::RangeEnd:
            return {Label28, MskEdtMaxTemp, LblCmpMaxTemp};
        case ConfigField::Filter:
            return {Label30, CmbFiltration, LblCmpFiltration};
        case ConfigField::CompMode:
            return {Label19, CmbCompTerm, LblCmpCompTerm};
        case ConfigField::CompTemp:
            return {Label31, MskEdtSetTemp, LblCmpSetTemp};
        case ConfigField::OutputLimit:
            return {Label24, CmbOutputLimit, LblCmpOutputLimit};
        case ConfigField::Wiring:
            return {Label21, CmbSensorWire, LblCmpSensorWire};
        case ConfigField::Date:
            return {Label33, DtPckrConf, LblCmpDate};
        case ConfigField::Note:
            return {Label32, EdtNoteConf, LblCmpNote};
        case ConfigField::LineRes:
            break;
    }
    return {Label22, MskEdtCompRes, LblCmpCompRes};
}

void TFrmMain::BtnCompareConfClick() {
    guarded([&] {
        clearCompareMarks();
        const Comparison comparison = compareWithTransmitter(*link, bulkValues());
        if (!comparison.complete) {
            showMessage(MsgKind::Error, QCoreApplication::translate(
                                            "TFrmMain",
                                            "Porovnání se nezdařilo: převodník neodpověděl na "
                                            "čtení."));
            return;
        }
        for (const Difference& difference : comparison.differences) {
            const BulkRow row = bulkRow(difference.field);
            QString found = difference.found;
            // A list shows the transmitter's code as its own entry, where it has one.
            if (auto* list = qobject_cast<QComboBox*>(row.control);
                list && difference.foundCode && *difference.foundCode < list->count())
                found = list->itemText(*difference.foundCode);
            row.mark->setToolTip(
                (QCoreApplication::translate("TFrmMain", "V převodníku: %1")).arg(found));
            row.mark->show();
        }
        if (comparison.differences.empty())
            showMessage(MsgKind::Information,
                        QCoreApplication::translate("TFrmMain",
                                                    "Převodník obsahuje načtenou konfiguraci."));
    });
}

void TFrmMain::clearCompareMarks() {
    for (int i = 0; i < ConfigFieldCount; ++i) bulkRow(ConfigField(i)).mark->hide();
}

void TFrmMain::ChckBxLogClick(bool checked) {
    // The file is chosen once per run of the program: the first time the log is turned on.
    if (!checked || !m_logPath.isEmpty()) return;
    const QString path = runFileDialog(FileDialog::Log);
    if (path.isEmpty()) {
        ChckBxLog->setChecked(false);
        return;
    }
    m_logPath = path;
    LblLogFile->setText(QDir::toNativeSeparators(path));
    LblLogFile->setToolTip(QDir::toNativeSeparators(path));
}

void TFrmMain::ChckBxDbClick(bool checked) {
    // Like the log's file, the database is chosen once per run.
    if (checked && !m_records && !chooseDatabase()) ChckBxDb->setChecked(false);
}

QString TFrmMain::runDatabaseDialog() {
    QStringList offered{DatabaseAddress::defaultSQLite().text()};
    const QString fromEnvironment = qEnvironmentVariable("VL48_DB").trimmed();
    if (!fromEnvironment.isEmpty() && !offered.contains(fromEnvironment))
        offered << fromEnvironment;
    // As with the file dialogs, line errors wait until the handler that asked has returned.
    HandlerScope scope(*this);
    if (databaseDialogHook) return databaseDialogHook(offered);
    bool ok = false;
    const QString text = QInputDialog::getItem(
        this, QCoreApplication::translate("TFrmMain", "Databáze záznamů"),
        QCoreApplication::translate("TFrmMain",
                                    "Databáze (sqlite:SOUBOR nebo "
                                    "postgresql://UŽIVATEL@SERVER[:PORT]/DATABÁZE):"),
        offered, 0, true, &ok);
    return ok ? text : QString();
}

bool TFrmMain::chooseDatabase() {
    const QString text = runDatabaseDialog().trimmed();
    if (text.isEmpty()) return false;
    QString problem;
    const std::optional<DatabaseAddress> address = DatabaseAddress::parse(text, &problem);
    std::unique_ptr<RecordStore> store = address ? RecordStore::open(*address, problem) : nullptr;
    if (!store) {
        showMessage(MsgKind::Error,
                    QCoreApplication::translate("TFrmMain", "Databázi %1 nelze použít (%2).")
                        .arg(text, problem));
        return false;
    }
    m_records = std::move(store);
    LblDbName->setText(m_records->address().text());
    LblDbName->setToolTip(m_records->address().text());
    tellRecordsWaiting();
    return true;
}

void TFrmMain::tellRecordsWaiting() {
    const QString problem = m_records->serverProblem();
    if (problem.isEmpty() || m_toldRecordsWaiting) {
        m_toldRecordsWaiting = !problem.isEmpty();
        return;
    }
    // Nothing is lost and programming goes on, so one box per outage is enough.
    m_toldRecordsWaiting = true;
    showMessage(MsgKind::Information,
                QCoreApplication::translate("TFrmMain",
                                            "Server databáze %1 není dostupný (%2). Záznamy "
                                            "čekají na tomto pracovišti a odejdou, jakmile bude "
                                            "server dostupný.")
                    .arg(m_records->address().text(), problem));
}

void TFrmMain::MRecordsShowClick() {
    if (!m_records && !chooseDatabase()) return;
    if (!RecordsDlg) {
        RecordsDlg = new TRecordsDlg(*m_records, this);
        RecordsDlg->onCertificate = [this](const CalibrationRecord& r) { saveCertificate(r); };
    }
    RecordsDlg->search();
    RecordsDlg->show();
    RecordsDlg->raise();
    RecordsDlg->activateWindow();
}

bool TFrmMain::productionLogReady(const ConfigFileValues& values) {
    m_unitRecord.reset();
    if (ChckBxLog->isChecked()) {
        const QString problem = ProductionLog(m_logPath).prepare(uploadRecord(values, m_unit, {}));
        if (!problem.isEmpty()) {
            showMessage(MsgKind::Error,
                        (QCoreApplication::translate(
                             "TFrmMain",
                             "Výrobní protokol %1 nelze zapsat (%2). Konfigurace nebyla "
                             "nahrána."))
                            .arg(QDir::toNativeSeparators(m_logPath), problem));
            return false;
        }
    }
    if (!ChckBxDb->isChecked() || !m_records) return true;
    UnitRecord record;
    record.log = uploadRecord(values, m_unit, {});
    record.written = recordValues(values);
    if (const QString problem = m_records->begin(record); !problem.isEmpty()) {
        showMessage(MsgKind::Error,
                    QCoreApplication::translate("TFrmMain",
                                                "Záznam nelze uložit do databáze %1 (%2). "
                                                "Konfigurace nebyla nahrána.")
                        .arg(m_records->address().text(), problem));
        return false;
    }
    m_unitRecord = std::move(record);
    return true;
}

ProductionRecord TFrmMain::uploadRecord(const ConfigFileValues& values,
                                        const std::optional<ConnectedUnit>& unit,
                                        const QString& result) const {
    ProductionRecord record;
    record.time = QDateTime::currentDateTime();
    if (unit) {
        record.port = unit->port;
        record.deviceType = unit->id.typeLabel.isEmpty()
                                ? QStringLiteral("code %1").arg(unit->id.deviceType)
                                : unit->id.typeLabel;
        record.firmware = unit->id.firmwareText.full;
        record.identifier = unit->identifier;
    }
    // The digest is that of what was programmed; a configuration edited since it was loaded
    // or saved says so beside the file's name.
    if (!m_bulkFileName.isEmpty())
        record.configFile = values == m_bulkFileValues
                                ? m_bulkFileName
                                : m_bulkFileName + QStringLiteral(" (edited)");
    record.configSha256 = configSha256(values);
    record.result = result;
    record.operatorNote = EdtLogNote->text();
    return record;
}

void TFrmMain::logUpload(const ConfigFileValues& values, const std::optional<ConnectedUnit>& unit,
                         const QString& result, int failedStep,
                         const std::optional<ConfigFileValues>& readBack) {
    if (ChckBxLog->isChecked()) {
        const QString problem = ProductionLog(m_logPath).append(uploadRecord(values, unit, result));
        if (!problem.isEmpty())
            showMessage(MsgKind::Error,
                        (QCoreApplication::translate(
                             "TFrmMain", "Nahrání nebylo zapsáno do výrobního protokolu %1 (%2)."))
                            .arg(QDir::toNativeSeparators(m_logPath), problem));
    }
    // The record begun for this upload, and only that one: the box may have been turned off
    // since, but the unit's attempt is in the database and wants its outcome.
    if (!m_unitRecord) return;
    UnitRecord record = std::move(*m_unitRecord);
    m_unitRecord.reset();
    record.log.result = result;
    record.failedStep = failedStep;
    if (readBack) record.readBack = recordValues(*readBack);
    if (const QString problem = m_records->complete(record); !problem.isEmpty())
        showMessage(MsgKind::Error,
                    QCoreApplication::translate("TFrmMain",
                                                "Výsledek nahrání nebyl uložen do databáze %1 "
                                                "(%2).")
                        .arg(m_records->address().text(), problem));
    tellRecordsWaiting();
}

void TFrmMain::bulkFileUsed(const QString& path, const ConfigFileValues& values) {
    m_bulkFileName = QFileInfo(path).fileName();
    m_bulkFileValues = values;
}

void TFrmMain::connectProductionHandlers() {
    connect(BtnCompareConf, &QPushButton::clicked, this, &TFrmMain::BtnCompareConfClick);
    connect(ChckBxLog, &QCheckBox::clicked, this, &TFrmMain::ChckBxLogClick);
    connect(ChckBxDb, &QCheckBox::clicked, this, &TFrmMain::ChckBxDbClick);
    connect(MRecordsShow, &QAction::triggered, this, &TFrmMain::MRecordsShowClick);
    // A mark stands for the value it was made against: any change of that value takes it away.
    const auto clear = [this] { clearCompareMarks(); };
    for (int i = 0; i < ConfigFieldCount; ++i) {
        QWidget* control = bulkRow(ConfigField(i)).control;
        if (auto* list = qobject_cast<QComboBox*>(control)) {
            connect(list, &QComboBox::currentIndexChanged, this, clear);
            connect(list, &QComboBox::editTextChanged, this, clear);
        } else if (auto* picker = qobject_cast<TDatePicker*>(control)) {
            connect(picker, &TDatePicker::dateChanged, this, clear);
        } else if (auto* field = qobject_cast<QLineEdit*>(control)) {
            connect(field, &QLineEdit::textChanged, this, clear);
        }
    }
}

}  // namespace vl48
