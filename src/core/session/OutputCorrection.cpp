#include "core/session/OutputCorrection.h"

#include <QRandomGenerator>

#include "core/session/Cells.h"

namespace vl48 {

namespace {

// The state written as enabled, then the four codes into `cells`.
bool writeEnabledWith(Link& link, const std::array<Cell, 4>& cells, const OutputCodes& codes) {
    if (!writeCell(link, EEDACorrState, CorrectionEnabled)) return false;
    for (size_t i = 0; i < cells.size(); ++i)
        if (!writeCell(link, cells[i], codes[i])) return false;
    return true;
}

}  // namespace

uint16_t drawWriteTestWord() { return uint16_t(QRandomGenerator::global()->bounded(0x7FFF)); }

CorrectionUnlock unlockCorrection(Link& link, uint16_t testWord) {
    CorrectionUnlock unlock;
    if (!writeCell(link, EEWriteTest, testWord)) return unlock;
    const std::optional<uint16_t> kept = readCell(link, EEWriteTest);
    if (!kept) return unlock;
    if (*kept != testWord) {
        unlock.outcome = UnlockOutcome::MemoryKept;
        return unlock;
    }
    const std::optional<uint16_t> state = readCell(link, EEDACorrState);
    if (!state) return unlock;
    unlock.outcome = UnlockOutcome::Unlocked;
    unlock.state = *state;
    return unlock;
}

std::optional<OutputCodes> readCalibrationCopy(
    Link& link, const std::function<void(size_t index, uint16_t code)>& onCell) {
    OutputCodes copy{};
    for (size_t i = 0; i < CopyCells.size(); ++i) {
        const std::optional<uint16_t> code = readCell(link, CopyCells[i]);
        if (!code) return std::nullopt;
        copy[i] = *code;
        if (onCell) onCell(i, *code);
    }
    return copy;
}

bool enableCorrection(Link& link, const OutputCodes& codes) {
    return writeEnabledWith(link, CopyCells, codes);
}

bool undoCorrection(Link& link, const OutputCodes& copy) {
    return writeEnabledWith(link, OutputCodeCells, copy);
}

bool markCorrectedByUser(Link& link) { return writeCell(link, EEDACorrState, CorrectionByUser); }

}  // namespace vl48
