// Bulk configuration: programming the configuration held on the bulk tab into one transmitter
// after another, plus the basic tab's erase and reload buttons that go with that work.
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "config/Cp1250.h"
#include "config/MemoryMap.h"
#include "config/NumberTexts.h"
#include "ui/FrmMain.h"
#include "ui/Widgets.h"

namespace vl48 {

namespace {

// The basic tab can show no date of setting before this, so a transmitter given one would show
// the technician another date than it holds.
const QDate EarliestDateOfSetting(2000, 1, 1);

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

void TFrmMain::BtnUploadConfClick() {
    guarded([&] {
        const bool czech = MSLanguageCZ->isChecked();

        // Refused before anything is written: a list without an entry would put 65535 into its
        // cell, and an early date would be stored where the basic tab cannot show it.
        const std::pair<QComboBox*, QLabel*> lists[] = {
            {CmbInputSignal, Label20},  {CmbSensorWire, Label21},  {CmbCompTerm, Label19},
            {CmbOutputSignal, Label23}, {CmbOutputLimit, Label24}, {CmbSensorErr, Label29},
            {CmbFiltration, Label30},
        };
        for (const auto& [list, label] : lists) {
            if (list->currentIndex() >= 0) continue;
            const QString text =
                czech ? QStringLiteral(
                            "Konfiguraci nelze nahrát: položka „%1“ nemá vybranou hodnotu ze "
                            "seznamu.")
                      : QStringLiteral(
                            "Configuration not transferred: no value is selected from the list for "
                            "“%1”.");
            showMessage(MsgKind::Error, text.arg(captionOf(label)));
            return;
        }
        if (DtPckrConf->date() < EarliestDateOfSetting) {
            showMessage(
                MsgKind::Error,
                czech ? QStringLiteral(
                            "Konfiguraci nelze nahrát: datum nastavení je před 1. 1. 2000.")
                      : QStringLiteral("Configuration not transferred: the date of setting is "
                                       "before 1 January 2000."));
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

        const auto write = [this](Cell cell, int value) {
            if (SendEE(CmdWriteCell, cell, cellWord(value))) return true;
            writeFailed();
            return false;
        };
        // Steps 1-7: the codes are the lists' indexes; the record follows each stored write.
        const std::pair<Cell, QComboBox*> codes[] = {
            {EEInputType, CmbInputSignal},   {EEWiring, CmbSensorWire},
            {EECompMode, CmbCompTerm},       {EEOutputType, CmbOutputSignal},
            {EEOutputLimit, CmbOutputLimit}, {EESensorFault, CmbSensorErr},
            {EEFilter, CmbFiltration},
        };
        for (const auto& [cell, list] : codes) {
            const int code = list->currentIndex();
            if (!write(cell, code)) return;
            recordField(cell) = code;
        }
        // Steps 8-10: the fields' values as shown, blanks read as zeros; the basic tab shows the
        // same texts.
        struct FieldStep {
            TMaskEdit* source;
            Cell cell;
            TMaskEdit* target;
        };
        const FieldStep fields[] = {
            {MskEdtSetTemp, EECompTemp, MskEdtTcldEnd},
            {MskEdtMinTemp, EERangeBegin, MskEdtTempBegin},
            {MskEdtMaxTemp, EERangeEnd, MskEdtTempEnd},
        };
        for (const FieldStep& step : fields) {
            if (!write(step.cell, maskedInteger(step.source->maskedText()))) return;
            step.target->setMaskedText(step.source->displayText());
        }
        // Steps 11-12: the date of setting.
        const QDate date = DtPckrConf->date();
        if (!write(EEDayMonth, encodeDayMonth(date.day(), date.month()))) return;
        if (!write(EEYear, date.year())) return;
        DtTmPicker->setDateQuietly(date);
        // Step 13: the note, its length and then its characters.
        const QString note = EdtNoteConf->text();
        const QByteArray noteBytes = toCp1250Keeping(note, BulkNoteBytesRead);
        if (!SendText(noteBytes)) {
            writeFailed();
            return;
        }
        EdtNote->setText(note);
        NoteBytesRead = noteBytes;
        // Step 14: the lead resistance, in hundredths of an ohm.
        if (!write(EELineRes, maskedHundredths(MskEdtCompRes->maskedText()))) return;
        MskEdtResComp->setMaskedText(MskEdtCompRes->displayText());

        DrawForm();
        Updating = false;
    });
}

void TFrmMain::SpdBtnEraseFormClick() {
    // Unchecking the output limit would otherwise write into the transmitter, and emptying the
    // fields would show their markers; the button promises to touch only the window.
    FlagScope updating(Updating);
    for (QRadioButton* button : TabBasicSet->findChildren<QRadioButton*>()) {
        // An exclusive group never lets its checked button go; lift that for the moment.
        const bool exclusive = button->autoExclusive();
        button->setAutoExclusive(false);
        button->setChecked(false);
        button->setAutoExclusive(exclusive);
    }
    for (QLineEdit* field : std::initializer_list<QLineEdit*>{MskEdtResComp, EdtNote, MskEdtTcldEnd,
                                                              MskEdtTempBegin, MskEdtTempEnd})
        field->clear();
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
