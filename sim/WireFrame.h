// The 7-byte frame on the wire: its CRC, and what the unit sends back to one request.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vl48sim {

constexpr size_t kFrameSize = 7;

// Bytes 5..6 of a frame: CRC-16/ARC of bytes 0..4, complemented, low byte first.
uint16_t frameCrc(const uint8_t* frame);
bool frameCrcOk(const uint8_t* frame);
void sealFrame(uint8_t* frame);

struct Answer {
    enum class Kind {
        None,   // the unit stays silent
        Frame,  // a 7-byte reply frame
        Raw,    // bytes as they are (the note), no framing
    };
    Kind kind = Kind::None;
    std::vector<uint8_t> bytes;
};

// Reply frames: the command code echoed in byte 0, then R1..R4, sealed.
Answer replyFrame(uint8_t cmd, uint8_t r1, uint8_t r2, uint8_t r3, uint8_t r4);
Answer reply16(uint8_t cmd, uint16_t value);  // in R3..R4, R1 = R2 = 0
Answer reply32(uint8_t cmd, int32_t value);   // in R1..R4, most significant byte first

}  // namespace vl48sim
