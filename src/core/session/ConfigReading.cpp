#include "core/session/ConfigReading.h"

#include <algorithm>

#include "core/link/Frame.h"
#include "core/session/Cells.h"

namespace vl48 {

std::optional<uint16_t> TransmitterConfig::word(Cell cell) const {
    const auto it = words.find(cell);
    if (it == words.end()) return std::nullopt;
    return it->second;
}

NoteReading readNote(Link& link) {
    NoteReading note;
    int n = -1;  // not known: nothing is read, but the transmitter may still send a note
    if (const auto length = readCell(link, EENoteLength)) {
        n = *length;
        // 65535 from a never-written memory: there is no note, and reading one would only wait
        // for bytes that never come.
        if (n > NoteMaxLength) {
            note.outcome = NoteRead::NoNote;
            return note;
        }
    }
    if (!link.ReadNote(n, note.bytes))
        note.outcome = NoteRead::PortFailed;
    else if (n < 0)
        note.outcome = NoteRead::LengthUnanswered;
    return note;
}

TransmitterConfig readCells(Link& link, const std::vector<Cell>& cells, bool withNote,
                            const ProgressHook& progress, int firstStep, const CellHook& onCell) {
    TransmitterConfig config;
    int step = firstStep;
    for (Cell cell : cells) {
        if (progress) link.whileOnLine([&progress, step] { progress(step); });
        const auto word = readCell(link, cell);
        if (word) config.words[cell] = *word;
        if (onCell) onCell(cell, word);
        ++step;
    }
    if (withNote) config.note = readNote(link);
    return config;
}

TransmitterConfig readConfiguration(Link& link, const ProgressHook& progress, bool withNote,
                                    const CellHook& onCell) {
    return readCells(link, {ConfigReadCells.begin(), ConfigReadCells.end()}, withNote, progress,
                     ConfigReadFirstStep, onCell);
}

int rangeValue(uint16_t word) { return std::clamp(cellValue(EERangeBegin, word), -999, 9999); }
int compTempValue(uint16_t word) { return std::clamp(cellValue(EECompTemp, word), -99, 999); }
int lineResValue(uint16_t word) { return std::clamp(cellValue(EELineRes, word), -999, 9999); }
int outputCodeValue(uint16_t word) { return std::min<int>(word, OutputCodeMax); }

std::optional<QDate> dateOfSetting(uint16_t dayMonth, uint16_t year, const QDate& earliest,
                                   const QDate& latest) {
    const QDate date(int(year), monthOf(dayMonth), dayOf(dayMonth));
    if (!date.isValid() || date < earliest || date > latest) return std::nullopt;
    return date;
}

}  // namespace vl48
