#include "WireFrame.h"

#include "Simulator.h"

namespace vl48sim {

uint16_t crc16Arc(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : (crc >> 1);
        }
    }
    return crc;
}

uint16_t frameCrc(const uint8_t* frame) { return static_cast<uint16_t>(~crc16Arc(frame, 5)); }

bool frameCrcOk(const uint8_t* frame) { return (frame[5] | (frame[6] << 8)) == frameCrc(frame); }

void sealFrame(uint8_t* frame) {
    const uint16_t crc = frameCrc(frame);
    frame[5] = static_cast<uint8_t>(crc & 0xFF);
    frame[6] = static_cast<uint8_t>(crc >> 8);
}

Answer replyFrame(uint8_t cmd, uint8_t r1, uint8_t r2, uint8_t r3, uint8_t r4) {
    Answer a;
    a.kind = Answer::Kind::Frame;
    a.bytes = {cmd, r1, r2, r3, r4, 0, 0};
    sealFrame(a.bytes.data());
    return a;
}

Answer reply16(uint8_t cmd, uint16_t value) {
    return replyFrame(cmd, 0, 0, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value));
}

Answer reply32(uint8_t cmd, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    return replyFrame(cmd, static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16),
                      static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u));
}

}  // namespace vl48sim
