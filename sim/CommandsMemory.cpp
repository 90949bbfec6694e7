// The configuration memory: cells read and written one word at a time, and the note read raw.
#include <algorithm>

#include "CommandTable.h"

namespace vl48sim {

namespace {

// A raw note reply never exceeds this, whatever garbage the length cell holds.
constexpr size_t kNoteReplyLimit = 60;

Answer readCell(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, device.word(request.d4));
}

Answer writeCell(DeviceModel& device, const Request& request) {
    // Without the jumper the unit acknowledges the write but its memory stays as it was.
    if (device.writeEnabled) {
        device.setWord(request.d2, request.value16());
    }
    return replyFrame(request.cmd, 0, request.d2, request.d3, request.d4);
}

// The note goes out as it lies in memory, without a frame around it.
Answer readNote(DeviceModel& device, const Request&) {
    Answer a;
    a.kind = Answer::Kind::Raw;
    const size_t length = std::min<size_t>(device.word(kCellNoteLength), kNoteReplyLimit);
    for (size_t i = 0; i < length; ++i) {
        a.bytes.push_back(device.byte(kCellNoteText + static_cast<int>(i)));
    }
    return a;
}

}  // namespace

void addMemoryCommands(CommandTable& table) {
    table[kReadCell] = readCell;
    table[kWriteCell] = writeCell;
    table[kReadNote] = readNote;
}

}  // namespace vl48sim
