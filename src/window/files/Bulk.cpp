// Bulk configuration: programming the configuration held on the bulk tab into one transmitter
// after another, plus the basic tab's erase and reload buttons that go with that work.
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

#include "core/device/Cp1250.h"
#include "core/device/MemoryMap.h"
#include "core/device/NumberTexts.h"
#include "core/records/ProductionLog.h"
#include "core/session/Upload.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

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

// What the read-back after an upload found: the log's result, the box that tells it, and the
// transmitter's values when every read answered.
struct UploadCheck {
    QString result;
    MsgKind kind;
    QString text;
    std::optional<ConfigFileValues> found;
};
UploadCheck checkUpload(Link& link, const ConfigFileValues& values) {
    const Comparison check = compareWithTransmitter(link, values);
    if (!check.complete)
        return {resultVerifyFailed(),
                MsgKind::Error,
                QCoreApplication::translate("vl48::TFrmMain",
                                            "Ověření po nahrání se nezdařilo: převodník "
                                            "neodpověděl na čtení."),
                {}};
    if (!check.differences.empty())
        return {resultVerifyMismatch(check.cellNames()), MsgKind::Error,
                (QCoreApplication::translate("vl48::TFrmMain",
                                             "Ověření po nahrání selhalo: převodník drží jiné "
                                             "hodnoty v buňkách %1."))
                    .arg(check.cellNames()),
                check.found};
    return {resultOk(), MsgKind::Information,
            QCoreApplication::translate("vl48::TFrmMain",
                                        "Ověření po nahrání: převodník obsahuje nahranou "
                                        "konfiguraci."),
            check.found};
}

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
    for (const FieldDef& def : ConfigFields) {
        QWidget* control = bulkRow(def.field).control;
        switch (def.kind) {
            case FieldKind::List:
                values.*def.code = static_cast<QComboBox*>(control)->currentIndex();
                break;
            case FieldKind::Number:
                values.*def.text = static_cast<TMaskEdit*>(control)->maskedText();
                break;
            case FieldKind::Date:
                values.date = DtPckrConf->date();
                break;
            case FieldKind::Note:
                values.note = EdtNoteConf->text();
                values.noteBytes = BulkNoteBytesRead;
                break;
        }
    }
    return values;
}

// The basic tab follows each write the transmitter acknowledged: the record takes the codes, the
// fields the bulk tab's texts as shown.
void TFrmMain::showStoredStep(const UploadStep& step, const ConfigFileValues& values) {
    switch (fieldDef(step.field).kind) {
        case FieldKind::List:
            recordField(step.cell) = step.word;
            return;
        case FieldKind::Number:
            return basicNumberField(step.field)
                ->setMaskedText(
                    static_cast<TMaskEdit*>(bulkRow(step.field).control)->displayText());
        case FieldKind::Date:
            if (step.cell == EEYear) DtTmPicker->setDateQuietly(values.date);
            return;
        case FieldKind::Note:
            EdtNote->setText(values.note);
            NoteBytesRead = toCp1250Keeping(values.note, values.noteBytes);
            return;
    }
}

void TFrmMain::BtnUploadConfClick() {
    guarded([&] {
        const ConfigFileValues values = bulkValues();
        // A unit that would go unrecorded, in the log or in the database, is not programmed at all.
        if (!productionLogReady(values)) return;
        // Every attempt from here on leaves its line in the log, one that ends in a port error
        // too: the steps written by then are the ones done.
        const std::optional<ConnectedUnit> unit = m_unit;  // a failed write ends the connection
        // The line is written as soon as the outcome is known, before any box about it: a box
        // left open (or a program killed while it is) must not leave the unit unrecorded.
        int stepsDone = 0;
        bool uploaded = false;
        bool logged = false;
        const auto record = [&](const QString& result, int failedStep = 0,
                                const std::optional<ConfigFileValues>& readBack = std::nullopt) {
            if (logged) return;
            logged = true;
            logUpload(values, unit, result, failedStep, readBack);
        };
        const auto unrecorded = qScopeGuard([&] {
            if (uploaded) return record(resultVerifyFailed());
            record(resultFailedAtStep(stepsDone + 1), stepsDone + 1);
        });

        if (const auto refusal = uploadRefusal(values)) {
            record(resultRefused());
            showMessage(MsgKind::Error,
                        refusal->reason == UploadRefusal::Reason::NoListEntry
                            ? QCoreApplication::translate(
                                  "TFrmMain",
                                  "Konfiguraci nelze nahrát: položka „%1“ nemá vybranou hodnotu "
                                  "ze seznamu.")
                                  .arg(captionOf(bulkRow(refusal->field).caption))
                            : QCoreApplication::translate(
                                  "TFrmMain",
                                  "Konfiguraci nelze nahrát: datum nastavení je před 1. 1. 2000."));
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

        const auto stored = [&](const UploadStep& step) {
            stepsDone = step.number;
            showStoredStep(step, values);
        };
        if (const int failed = runUpload(*link, uploadSteps(values), stored)) {
            record(resultFailedAtStep(failed), failed);
            writeFailed();
            return;
        }
        uploaded = true;
        DrawForm();
        Updating = false;

        if (!ChckBxVerify->isChecked()) return record(resultOk());
        const UploadCheck check = checkUpload(*link, values);
        record(check.result, 0, check.found);
        showMessage(check.kind, check.text);
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
