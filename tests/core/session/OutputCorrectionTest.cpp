// The output correction's exchanges against the simulated transmitter: each outcome of the write
// test with the frames it leaves on the line, and the calibration copy read cell by cell up to a
// failure.
#include <utility>

#include "SimFixture.h"
#include "core/link/Link.h"
#include "core/session/OutputCorrection.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;
using Frames = std::vector<std::string>;

namespace {

constexpr uint8_t Tag = 0x21;

std::string readOf(uint8_t cell) { return vl48test::requestHex(CmdReadCell, Tag, 0, 0, cell); }
std::string writeOf(uint8_t cell, uint16_t value) {
    return vl48test::requestHex(CmdWriteCell, Tag, cell, uint8_t(value >> 8),
                                uint8_t(value & 0xFF));
}
Frames firstOf(const Frames& frames, size_t n) {
    return Frames(frames.begin(), frames.begin() + n);
}

class CorrectionSequences : public vl48test::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        port.setDeviceName(QString::fromStdString(portPath()));
        port.setActive(true);
        link.setFrameTag(Tag);
    }
    TComPort port;
    Link link{port};
};

}  // namespace

TEST_F(CorrectionSequences, UnlockStopsAtTheFirstFailureAndReadsTheStateOnlyWhenTheWordHeld) {
    constexpr uint16_t Word = 0x1234;
    const Frames all = {writeOf(EEWriteTest, Word), readOf(EEWriteTest), readOf(EEDACorrState)};
    struct Case {
        const char* name;
        bool jumper;
        int unanswered;  // the exchange that gets no reply, or -1
        UnlockOutcome outcome;
        size_t frames;
    };
    const Case cases[] = {
        {"held", true, -1, UnlockOutcome::Unlocked, 3},
        {"kept", false, -1, UnlockOutcome::MemoryKept, 2},
        {"write unanswered", true, 0, UnlockOutcome::NoReply, 1},
        {"read-back unanswered", true, 1, UnlockOutcome::NoReply, 2},
        {"state unanswered", true, 2, UnlockOutcome::NoReply, 3},
    };
    for (const Case& c : cases) {
        sim->setCell(EEWriteTest, 0xFFFF);
        sim->setCell(EEDACorrState, CorrectionByUser);
        sim->setWriteEnabled(c.jumper);
        sim->clearLog();
        if (c.unanswered >= 0) sim->injectFault({Kind::NoReply}, c.unanswered);
        const CorrectionUnlock unlock = unlockCorrection(link, Word);
        EXPECT_EQ(unlock.outcome, c.outcome) << c.name;
        if (c.outcome == UnlockOutcome::Unlocked) {
            EXPECT_EQ(unlock.state, CorrectionByUser) << c.name;
        }
        EXPECT_EQ(requestsHex(), firstOf(all, c.frames)) << c.name;
    }
}

TEST_F(CorrectionSequences, CopyIsToldCellByCellAndNothingIsReadAfterAFailure) {
    const OutputCodes codes = {1600, 16370, 20, 15800};
    for (size_t i = 0; i < codes.size(); ++i) sim->setCell(CopyCells[i], codes[i]);
    const Frames reads = {readOf(EEAOIZeroBackup), readOf(EEAOIEndBackup), readOf(EEAOUZeroBackup),
                          readOf(EEAOUEndBackup)};
    for (const int unanswered : {-1, 0, 2, 3}) {
        sim->clearLog();
        if (unanswered >= 0) sim->injectFault({Kind::NoReply}, unanswered);
        std::vector<std::pair<size_t, uint16_t>> told;
        const auto copy =
            readCalibrationCopy(link, [&](size_t i, uint16_t code) { told.emplace_back(i, code); });
        const size_t read = unanswered < 0 ? codes.size() : size_t(unanswered);
        EXPECT_EQ(copy, unanswered < 0 ? std::optional(codes) : std::nullopt) << unanswered;
        ASSERT_EQ(told.size(), read) << unanswered;
        for (size_t i = 0; i < read; ++i) EXPECT_EQ(told[i], std::pair(i, codes[i]));
        EXPECT_EQ(requestsHex(), firstOf(reads, unanswered < 0 ? codes.size() : read + 1));
    }
}
