// The output correction's conversation: the write test that proves the memory takes writes (the
// J1 jumper), the correction state, the calibration copy of the four output converter codes, and
// the writes of Enable and Undo. Widget-free: the correction tab and an automated bench run the
// same exchanges.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

#include "core/device/MemoryMap.h"
#include "core/link/Link.h"

namespace vl48 {

// Values of EEDACorrState.
constexpr uint16_t CorrectionEnabled = 0;
constexpr uint16_t CorrectionByUser = 1;
constexpr uint16_t CorrectionNeverEnabled = 0xFFFF;

// The four output converter codes (current zero and end, voltage zero and end), and the cells
// of their calibration copy, in that order.
using OutputCodes = std::array<uint16_t, 4>;
constexpr std::array<Cell, 4> OutputCodeCells = {EEAOIZero, EEAOIEnd, EEAOUZero, EEAOUEnd};
constexpr std::array<Cell, 4> CopyCells = {EEAOIZeroBackup, EEAOIEndBackup, EEAOUZeroBackup,
                                           EEAOUEndBackup};

enum class UnlockOutcome {
    Unlocked,
    // The write was acknowledged but the memory kept its word: the jumper is not fitted.
    MemoryKept,
    NoReply,  // an exchange failed
};
struct CorrectionUnlock {
    UnlockOutcome outcome = UnlockOutcome::NoReply;
    uint16_t state = 0;  // EEDACorrState, when unlocked
};
// A word for the write test, drawn anew each time so that a word left by an earlier test proves
// nothing: below 0x7FFF, never what a blank cell reads.
uint16_t drawWriteTestWord();
// `testWord` written to EEWriteTest and read back, then the correction state read; nothing after
// the first exchange that failed, and no state read when the word did not hold.
CorrectionUnlock unlockCorrection(Link& link, uint16_t testWord);

// The calibration copy, cell after cell; `onCell` is told each code (its index in OutputCodes)
// as soon as it is read. Nothing when a read failed, and no read after it.
std::optional<OutputCodes> readCalibrationCopy(
    Link& link, const std::function<void(size_t index, uint16_t code)>& onCell = {});

// Enable: the state written as enabled, then `codes` as the calibration copy. Undo: the state
// written as enabled, then the copy back into the output converter's cells. Both false at the
// first write that failed, and nothing after it is sent.
bool enableCorrection(Link& link, const OutputCodes& codes);
bool undoCorrection(Link& link, const OutputCodes& copy);
// The transmitter told that its output codes have left the calibration copy.
bool markCorrectedByUser(Link& link);

}  // namespace vl48
