// Reading the transmitter's configuration into the window: the selection codes into the record,
// the values into their fields, then the note. The caller draws the radio buttons afterwards.
#include <QDate>
#include <QLineEdit>
#include <QProgressBar>
#include <algorithm>
#include <optional>

#include "config/Cp1250.h"
#include "config/MemoryMap.h"
#include "config/NumberTexts.h"
#include "ui/FrmMain.h"
#include "ui/Widgets.h"

namespace vl48 {

namespace {

// A signed cell as its field can show it: the fixed-width fields have no room for more.
int clampedCell(Cell cell, uint16_t word, int low, int high) {
    return std::clamp(cellValue(cell, word), low, high);
}

void showOutputCode(TSpinEdit* service, TSpinEdit* correction, uint16_t word) {
    const int code = std::min<int>(word, OutputCodeMax);
    service->setValue(code);
    correction->setValue(code);
}

// The stored date of setting, or nothing when it is no calendar date or lies outside what the
// picker can show (a picker would silently move such a date to its nearest limit).
std::optional<QDate> storedDate(std::optional<uint16_t> dayMonth, std::optional<uint16_t> year,
                                const TDatePicker& picker) {
    if (!dayMonth || !year) return std::nullopt;
    const QDate date(int(*year), monthOf(*dayMonth), dayOf(*dayMonth));
    if (!date.isValid() || date < picker.minimumDate() || date > picker.maximumDate())
        return std::nullopt;
    return date;
}

}  // namespace

void TFrmMain::LoadEE() {
    PrgBarLoadEE->setVisible(true);
    Updating = true;
    // The connection sequence has taken the bar to steps 1..3; the cells take steps 4..20.
    const int step = PrgBarLoadEE->maximum() / 20;

    // A failed read is silent here: the field keeps what it showed, and the technician still
    // gets every cell that did answer.
    const auto read = [this, step](int k, Cell cell) -> std::optional<uint16_t> {
        PrgBarLoadEE->setValue(step * k);
        Frame reply;
        if (!Send(CmdReadCell, cell, reply)) return std::nullopt;
        return replyWord(reply);
    };

    if (const auto v = read(4, EEInputType)) Config.EEInputType = *v;
    if (const auto v = read(5, EEOutputType)) Config.EEOutputType = *v;
    if (const auto v = read(6, EESensorFault)) Config.EESensorFault = *v;
    if (const auto v = read(7, EERangeBegin))
        MskEdtTempBegin->setMaskedText(rangeText(clampedCell(EERangeBegin, *v, -999, 9999)));
    if (const auto v = read(8, EERangeEnd))
        MskEdtTempEnd->setMaskedText(rangeText(clampedCell(EERangeEnd, *v, -999, 9999)));
    if (const auto v = read(9, EEFilter)) Config.EEFilter = *v;
    if (const auto v = read(10, EECompMode)) Config.EECompMode = *v;
    if (const auto v = read(11, EECompTemp))
        MskEdtTcldEnd->setMaskedText(compTempText(clampedCell(EECompTemp, *v, -99, 999)));
    if (const auto v = read(12, EEOutputLimit)) Config.EEOutputLimit = *v;
    if (const auto v = read(13, EEWiring)) Config.EEWiring = *v;

    const auto dayMonth = read(14, EEDayMonth);
    const auto year = read(15, EEYear);
    if (const auto date = storedDate(dayMonth, year, *DtTmPicker)) {
        DtTmPicker->setDateQuietly(*date);
    } else {
        // Showing some other date without a word would let it be written back as if it were
        // the transmitter's.
        showMessage(MsgKind::Error, MsgInvalidDate);
        DtTmPicker->setDateQuietly(QDate::currentDate());
    }

    if (const auto v = read(16, EELineRes))
        MskEdtResComp->setMaskedText(lineResText(clampedCell(EELineRes, *v, -999, 9999)));
    if (const auto v = read(17, EEAOIZero)) showOutputCode(SpnEdtAOIZero, SpnEdtAOIZeroDACorr, *v);
    if (const auto v = read(18, EEAOIEnd)) showOutputCode(SpnEdtAOIEnd, SpnEdtAOIEndDACorr, *v);
    if (const auto v = read(19, EEAOUZero)) showOutputCode(SpnEdtAOUZero, SpnEdtAOUZeroDACorr, *v);
    if (const auto v = read(20, EEAOUEnd)) showOutputCode(SpnEdtAOUEnd, SpnEdtAOUEndDACorr, *v);

    LoadNote();
    // The bar stays: it lies on the connection panel, which is hidden once the form is shown.
    Updating = false;
}

void TFrmMain::LoadNote() {
    Updating = true;
    int n = 0;
    Frame reply;
    if (Send(CmdReadCell, EENoteLength, reply)) {
        n = replyWord(reply);
        // A length the note cannot have (65535 from a never-written memory): there is no note,
        // and reading one would only wait for bytes that never come.
        if (n > NoteMaxLength) return;
    }
    QByteArray bytes;
    if (!link->ReadNote(n, bytes)) {
        // This fails only when the port itself failed (the device vanished, or the bytes
        // stopped coming), not on one wrong answer as a cell read can: the link is gone.
        showMessage(MsgKind::Error, MsgConnectionLost);
        ShowConnect();
    } else {
        NoteBytesRead = bytes;
        EdtNote->setText(fromCp1250(bytes));
    }
    Updating = false;
}

}  // namespace vl48
