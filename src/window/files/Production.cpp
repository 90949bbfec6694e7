// The bulk tab's aids for production work: comparing the connected transmitter with the
// configuration before an upload, and the production log that records every upload attempt.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/records/ProductionLog.h"
#include "core/session/Upload.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

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

bool TFrmMain::productionLogReady(const ConfigFileValues& values) {
    if (!ChckBxLog->isChecked()) return true;
    const QString problem = ProductionLog(m_logPath).prepare(uploadRecord(values, m_unit, {}));
    if (problem.isEmpty()) return true;
    showMessage(MsgKind::Error, (QCoreApplication::translate(
                                     "TFrmMain",
                                     "Výrobní protokol %1 nelze zapsat (%2). Konfigurace nebyla "
                                     "nahrána."))
                                    .arg(QDir::toNativeSeparators(m_logPath), problem));
    return false;
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
                         const QString& result) {
    if (!ChckBxLog->isChecked()) return;
    const QString problem = ProductionLog(m_logPath).append(uploadRecord(values, unit, result));
    if (problem.isEmpty()) return;
    showMessage(MsgKind::Error,
                (QCoreApplication::translate(
                     "TFrmMain", "Nahrání nebylo zapsáno do výrobního protokolu %1 (%2)."))
                    .arg(QDir::toNativeSeparators(m_logPath), problem));
}

void TFrmMain::bulkFileUsed(const QString& path, const ConfigFileValues& values) {
    m_bulkFileName = QFileInfo(path).fileName();
    m_bulkFileValues = values;
}

void TFrmMain::connectProductionHandlers() {
    connect(BtnCompareConf, &QPushButton::clicked, this, &TFrmMain::BtnCompareConfClick);
    connect(ChckBxLog, &QCheckBox::clicked, this, &TFrmMain::ChckBxLogClick);
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
