#include "core/session/Calibration.h"

#include "core/link/Frame.h"
#include "core/session/Cells.h"
#include "core/session/ServiceTerminal.h"

namespace vl48 {

namespace {

template <typename Number>
StoreOutcome storeIfHeld(Link& link, Cell cell, Number value, CellRange range) {
    if (!range.holds(value)) return StoreOutcome::OutOfRange;
    return writeCell(link, cell, cellWord(int(value))) ? StoreOutcome::Stored
                                                       : StoreOutcome::WriteFailed;
}

}  // namespace

std::optional<AdcPair> PointReading::pair() const {
    if (!a || !b) return std::nullopt;
    return AdcPair{*a, *b};
}

PointReading measureCalibrationPoint(Link& link, uint16_t wordA,
                                     const std::function<void(uint16_t a)>& aRead) {
    PointReading point;
    point.a = readInputConverter(link, wordA);
    if (!point.a) return point;
    if (aRead) aRead(*point.a);
    point.b = readInputConverter(link, AdcWordB);
    return point;
}

StoreOutcome storeCalibrationValue(Link& link, Cell cell, int64_t value, CellRange range) {
    return storeIfHeld(link, cell, value, range);
}

StoreOutcome storeCalibrationValue(Link& link, Cell cell, double value, CellRange range) {
    return storeIfHeld(link, cell, value, range);
}

TerminalOffsetStore calibrateTerminalOffset(
    Link& link, double trueTemp, const std::function<void(const TerminalOffsetStore&)>& measured) {
    TerminalOffsetStore store;
    Frame reply;
    if (!link.Send(CmdTemp, 0, reply)) return store;
    store.reading = replySignedWord(reply);
    store.offset = terminalOffset(trueTemp, store.reading);
    if (measured) measured(store);
    store.outcome = storeCalibrationValue(link, EETermOffset, store.offset, SignedCell);
    return store;
}

}  // namespace vl48
