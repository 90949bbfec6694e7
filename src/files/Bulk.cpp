// Bulk configuration: programming the configuration held on the bulk tab into one transmitter
// after another, plus the basic tab's erase and reload buttons that go with that work.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

#include "config/Cp1250.h"
#include "config/MemoryMap.h"
#include "config/NumberTexts.h"
#include "files/ProductionLog.h"
#include "files/Upload.h"
#include "ui/FrmMain.h"
#include "ui/Widgets.h"

namespace vl48 {

namespace {

// A label's caption as the message names it: as shown, without its colon.
QString captionOf(const QLabel* label) {
    QString caption = label->text().trimmed();
    if (caption.endsWith(QLatin1Char(':'))) caption.chop(1);
    return caption.trimmed();
}

// Sets a flag for a scope and puts back what it was, however the scope is left.
class FlagScope {
public:
    explicit FlagScope(bool& flag) : m_flag(flag), m_was(flag) { m_flag = true; }
    ~FlagScope() { m_flag = m_was; }
    FlagScope(const FlagScope&) = delete;
    FlagScope& operator=(const FlagScope&) = delete;

private:
    bool& m_flag;
    bool m_was;
};

}  // namespace

void TFrmMain::BtnEdtConfClick() {
    // Both captions are Czech in either language; the language switch sets only the caption of
    // the not-editing state and leaves the mode alone.
    const bool editing = BtnEdtConfTag != 1;
    for (QWidget* control : std::initializer_list<QWidget*>{
             CmbInputSignal, CmbOutputSignal, CmbSensorErr, MskEdtMinTemp, MskEdtMaxTemp,
             CmbFiltration, CmbCompTerm, MskEdtSetTemp, CmbOutputLimit, CmbSensorWire, DtPckrConf,
             EdtNoteConf, MskEdtCompRes})
        control->setEnabled(editing);
    BtnEdtConf->setText(editing ? QStringLiteral("Ukončit editaci načtené konf.")
                                : QStringLiteral("Editovat načtenou konfiguraci"));
    BtnEdtConfTag = editing ? 1 : 0;
}

ConfigFileValues TFrmMain::bulkValues() const {
    ConfigFileValues values;
    values.inputType = CmbInputSignal->currentIndex();
    values.outputType = CmbOutputSignal->currentIndex();
    values.sensorFault = CmbSensorErr->currentIndex();
    values.rangeBegin = MskEdtMinTemp->maskedText();
    values.rangeEnd = MskEdtMaxTemp->maskedText();
    values.filter = CmbFiltration->currentIndex();
    values.compMode = CmbCompTerm->currentIndex();
    values.compTemp = MskEdtSetTemp->maskedText();
    values.outputLimit = CmbOutputLimit->currentIndex();
    values.wiring = CmbSensorWire->currentIndex();
    values.date = DtPckrConf->date();
    values.note = EdtNoteConf->text();
    values.noteBytes = BulkNoteBytesRead;
    values.lineRes = MskEdtCompRes->maskedText();
    return values;
}

void TFrmMain::BtnUploadConfClick() {
    guarded([&] {
        const bool czech = MSLanguageCZ->isChecked();
        const ConfigFileValues values = bulkValues();
        // A unit that would go unrecorded is not programmed at all.
        if (!productionLogReady(values)) return;
        // Every attempt from here on leaves its line in the log, one that ends in a port error
        // too: the steps written by then are the ones done.
        const std::optional<ConnectedUnit> unit = m_unit;  // a failed write ends the connection
        QString result;
        int stepsDone = 0;
        bool uploaded = false;
        const auto logged = qScopeGuard([&] {
            if (result.isEmpty())
                result = uploaded ? resultVerifyFailed() : resultFailedAtStep(stepsDone + 1);
            logUpload(values, unit, result);
        });
        const auto record = [&result](const QString& text) { result = text; };

        if (const auto refusal = uploadRefusal(values)) {
            QString text;
            if (refusal->reason == UploadRefusal::Reason::NoListEntry)
                text = (czech ? QStringLiteral(
                                    "Konfiguraci nelze nahrát: položka „%1“ nemá vybranou hodnotu "
                                    "ze seznamu.")
                              : QStringLiteral(
                                    "Configuration not transferred: no value is selected from the "
                                    "list for “%1”."))
                           .arg(captionOf(bulkRow(refusal->field).caption));
            else
                text = czech ? QStringLiteral(
                                   "Konfiguraci nelze nahrát: datum nastavení je před 1. 1. 2000.")
                             : QStringLiteral(
                                   "Configuration not transferred: the date of setting "
                                   "is before 1 January 2000.");
            showMessage(MsgKind::Error, text);
            record(resultRefused());
            return;
        }

        // Filling the basic tab below must neither write back nor show change markers. A failed
        // write ends the connection, and the next reading clears the flag; any other way out (an
        // error raised by the port) must clear it here, or later edits would be dropped silently.
        Updating = true;
        struct UpdatingGuard {
            TFrmMain& window;
            ~UpdatingGuard() {
                if (window.ComPort->Active()) window.Updating = false;
            }
        } guard{*this};

        // The basic tab follows each write the transmitter acknowledged: the record takes the
        // codes, the fields the bulk tab's texts as shown.
        const auto stored = [&](const UploadStep& step) {
            stepsDone = step.number;
            switch (step.field) {
                case ConfigField::CompTemp:
                    return MskEdtTcldEnd->setMaskedText(MskEdtSetTemp->displayText());
                case ConfigField::RangeBegin:
                    return MskEdtTempBegin->setMaskedText(MskEdtMinTemp->displayText());
                case ConfigField::RangeEnd:
                    return MskEdtTempEnd->setMaskedText(MskEdtMaxTemp->displayText());
                case ConfigField::Date:
                    if (step.cell == EEYear) DtTmPicker->setDateQuietly(values.date);
                    return;
                case ConfigField::Note:
                    EdtNote->setText(values.note);
                    NoteBytesRead = toCp1250Keeping(values.note, values.noteBytes);
                    return;
                case ConfigField::LineRes:
                    return MskEdtResComp->setMaskedText(MskEdtCompRes->displayText());
                default:
                    recordField(step.cell) = step.word;  // the seven codes
            }
        };
        if (const int failed = runUpload(*link, uploadSteps(values), stored)) {
            record(resultFailedAtStep(failed));
            writeFailed();
            return;
        }
        uploaded = true;
        DrawForm();
        Updating = false;

        if (!ChckBxVerify->isChecked()) return record(resultOk());
        const Comparison check = compareWithTransmitter(*link, values);
        if (!check.complete) {
            record(resultVerifyFailed());
            showMessage(MsgKind::Error,
                        czech ? QStringLiteral("Ověření po nahrání se nezdařilo: převodník "
                                               "neodpověděl na čtení.")
                              : QStringLiteral("Verify after upload could not be done: the "
                                               "transmitter did not answer a read."));
        } else if (!check.differences.empty()) {
            record(resultVerifyMismatch(check.cellNames()));
            showMessage(MsgKind::Error,
                        (czech ? QStringLiteral("Ověření po nahrání selhalo: převodník drží jiné "
                                                "hodnoty v buňkách %1.")
                               : QStringLiteral("Verify after upload failed: the transmitter "
                                                "holds other values in the cells %1."))
                            .arg(check.cellNames()));
        } else {
            record(resultOk());
            showMessage(MsgKind::Information,
                        czech ? QStringLiteral("Ověření po nahrání: převodník obsahuje nahranou "
                                               "konfiguraci.")
                              : QStringLiteral("Verify after upload: the transmitter holds the "
                                               "uploaded configuration."));
        }
    });
}

void TFrmMain::SpdBtnEraseFormClick() {
    // Unchecking the output limit would otherwise write into the transmitter, and emptying the
    // fields would show their markers; the button promises to touch only the window.
    FlagScope updating(Updating);
    uncheckRadioButtons(TabBasicSet);
    for (TMaskEdit* field : {MskEdtResComp, MskEdtTcldEnd, MskEdtTempBegin, MskEdtTempEnd})
        field->clearValue();
    EdtNote->clear();
    ChckBxDaRest->setChecked(false);
    for (QLabel* mark : {LblMskEdtResCompCH, LblEdtNoteCH, LblDtTmPickerCH, LblMskEdtTcldEndCH,
                         LblMskEdtTempBeginCH, LblMskEdtTempEndCH, LblSaveX, LblSaveX1})
        mark->hide();
}

void TFrmMain::SpdBtnLoadDataClick() {
    guarded([&] {
        LoadEE();
        DrawForm();
        // The fields now hold the transmitter's values; their own markers are left as they were.
        LblSaveX->hide();
        LblSaveX1->hide();
    });
}

}  // namespace vl48
