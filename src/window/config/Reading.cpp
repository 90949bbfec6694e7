// Reading the transmitter's configuration into the window: the selection codes into the record,
// the values into their fields, then the note. The caller draws the radio buttons afterwards.
#include <QDate>
#include <QLineEdit>
#include <QProgressBar>
#include <optional>

#include "core/device/Cp1250.h"
#include "core/device/MemoryMap.h"
#include "core/device/NumberTexts.h"
#include "core/session/ConfigReading.h"
#include "window/FrmMain.h"
#include "window/Widgets.h"

namespace vl48 {

void TFrmMain::showLoadStep(int step) {
    PrgBarLoadEE->setValue(step * (PrgBarLoadEE->maximum() / 20));
    // Painted now, while the request is on the line: the event loop does not run until the
    // whole reading is over.
    if (PrgBarLoadEE->isVisible()) PrgBarLoadEE->repaint();
}

void TFrmMain::LoadEE() {
    PrgBarLoadEE->setVisible(true);
    Updating = true;
    // The connection sequence has taken the bar to steps 1..3; the cells take steps 4..20. Each
    // value is shown as soon as it came. A failed read is silent: the field keeps what it
    // showed, and the technician still gets every cell that did answer.
    std::optional<uint16_t> dayMonth;
    const auto show = [this, &dayMonth](Cell cell, std::optional<uint16_t> word) {
        if (cell == EEYear) return showDateOfSetting(dayMonth, word);
        if (!word) return;
        switch (cell) {
            case EERangeBegin:
                return MskEdtTempBegin->setMaskedText(rangeText(rangeValue(*word)));
            case EERangeEnd:
                return MskEdtTempEnd->setMaskedText(rangeText(rangeValue(*word)));
            case EECompTemp:
                return MskEdtTcldEnd->setMaskedText(compTempText(compTempValue(*word)));
            case EELineRes:
                return MskEdtResComp->setMaskedText(lineResText(lineResValue(*word)));
            case EEDayMonth:
                dayMonth = word;
                return;
            case EEAOIZero:
                return showOutputCode(SpnEdtAOIZero, SpnEdtAOIZeroDACorr, *word);
            case EEAOIEnd:
                return showOutputCode(SpnEdtAOIEnd, SpnEdtAOIEndDACorr, *word);
            case EEAOUZero:
                return showOutputCode(SpnEdtAOUZero, SpnEdtAOUZeroDACorr, *word);
            case EEAOUEnd:
                return showOutputCode(SpnEdtAOUEnd, SpnEdtAOUEndDACorr, *word);
            default:
                recordField(cell) = *word;  // the seven selection codes
        }
    };
    readConfiguration(
        *link, [this](int step) { showLoadStep(step); }, false, show);

    LoadNote();
    // The bar stays: it lies on the connection panel, which is hidden once the form is shown.
    Updating = false;
}

void TFrmMain::showOutputCode(TSpinEdit* service, TSpinEdit* correction, uint16_t word) {
    service->showValue(outputCodeValue(word));
    correction->showValue(outputCodeValue(word));
}

void TFrmMain::showDateOfSetting(std::optional<uint16_t> dayMonth, std::optional<uint16_t> year) {
    // A date the picker cannot show would be moved silently to its nearest limit.
    const auto date = dayMonth && year ? dateOfSetting(*dayMonth, *year, DtTmPicker->minimumDate(),
                                                       DtTmPicker->maximumDate())
                                       : std::nullopt;
    if (date) {
        DtTmPicker->setDateQuietly(*date);
        return;
    }
    // Showing some other date without a word would let it be written back as if it were the
    // transmitter's.
    showMessage(MsgKind::Error, MsgInvalidDate);
    DtTmPicker->setDateQuietly(QDate::currentDate());
}

void TFrmMain::LoadNote() {
    Updating = true;
    const NoteReading note = readNote(*link);
    switch (note.outcome) {
        case NoteRead::Read:
        case NoteRead::LengthUnanswered:
            NoteBytesRead = note.bytes;
            EdtNote->setText(fromCp1250(note.bytes));
            break;
        case NoteRead::NoNote:
            break;
        case NoteRead::PortFailed:
            // This fails only when the port itself failed (the device vanished, or the bytes
            // stopped coming), not on one wrong answer as a cell read can: the link is gone.
            showMessage(MsgKind::Error, MsgConnectionLost);
            ShowConnect();
            break;
    }
    Updating = false;
}

}  // namespace vl48
