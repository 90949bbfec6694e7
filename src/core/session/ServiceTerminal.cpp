#include "core/session/ServiceTerminal.h"

#include <QThread>

#include "core/device/MemoryMap.h"
#include "core/link/Frame.h"

namespace vl48 {

TerminalReadings readTerminal(Link& link, const TerminalHook& onValue) {
    TerminalReadings r;
    Frame reply;
    // One exchange; the reading is stored by `take` when it was answered, and the hook is told
    // either way, before the next request goes out.
    const auto ask = [&](uint8_t command, TerminalValue which, const auto& take) {
        if (link.Send(command, 0, reply)) take();
        if (onValue) onValue(which, r);
    };
    ask(CmdTemp, TerminalValue::SensorTemp, [&] { r.sensorTemp = replySignedWord(reply); });
    ask(CmdTempSecond, TerminalValue::SecondTemp, [&] { r.secondTemp = replySignedWord(reply); });
    ask(CmdAin1, TerminalValue::Ain1, [&] { r.ain1 = replyWord(reply); });
    ask(CmdAin2, TerminalValue::Ain2, [&] { r.ain2 = replyWord(reply); });
    ask(CmdAin3, TerminalValue::Ain3, [&] { r.ain3 = replyWord(reply); });
    ask(CmdMilliVolt, TerminalValue::MilliVolt, [&] { r.milliVolt = replyLong(reply); });
    ask(CmdMeasure, TerminalValue::Measured, [&] { r.measured = replyLong(reply); });
    return r;
}

std::optional<uint16_t> readInputConverter(Link& link, uint16_t word) {
    Frame reply;
    if (!link.Send(CmdAdcRead, word, reply)) return std::nullopt;
    return replyWord(reply);
}

std::optional<uint16_t> readAddress(Link& link, uint32_t number) {
    Frame reply;
    if (!link.Send(CmdReadCell, number, reply)) return std::nullopt;
    return replyWord(reply);
}

bool writeAddress(Link& link, uint8_t address, uint16_t word) {
    return link.SendEE(CmdWriteCell, address, word);
}

std::optional<int16_t> readTerminalOffset(Link& link) {
    Frame reply;
    if (!link.Send(CmdReadCell, EETermOffset, reply)) return std::nullopt;
    return replySignedWord(reply);
}

void driveOutputCode(Link& link, uint16_t code) { link.DA(CmdOutputSet, code); }

void releaseOutputCode(Link& link, int settleMs) {
    link.DA(CmdOutputRelease, 0);
    QThread::msleep(settleMs);
}

}  // namespace vl48
