// The sender operations: one request frame out, one verified reply back, over the port object.
// Widget-free, so a production-line programmer can drive a transmitter with the same code.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <functional>
#include <random>

#include "ComPort.h"
#include "Frame.h"

namespace vl48 {

class Link {
public:
    static constexpr int NotePauseMs = 500;
    // After an exchange without a good reply, how long the next one waits behind the frame it
    // has read for another one (a frame and a transmitter's turnaround at 4800 baud).
    static constexpr int TrailingReplyGapMs = 50;

    explicit Link(TComPort& port);

    TComPort& port() { return m_port; }

    // The tag carried in byte 1 of every request, drawn anew at every connection attempt.
    uint8_t FrameTag() const { return m_frameTag; }
    void drawFrameTag();
    void setFrameTag(uint8_t tag) { m_frameTag = tag; }

    // Request with 24-bit data and a verified 7-byte reply. False when the transmitter did not
    // answer correctly; `reply` is meaningful only on true. A port error while waiting for the
    // request to go out (a closed port) is raised to the caller.
    bool Send(uint8_t command, uint32_t data, Frame& reply);
    bool Send(uint8_t command, uint32_t data);
    // Request with a cell address and a 16-bit value; same exchange as Send.
    bool SendEE(uint8_t command, uint8_t address, uint16_t value, Frame& reply);
    bool SendEE(uint8_t command, uint8_t address, uint16_t value);
    // Stores a note of single-byte characters: its length, then the characters two per cell.
    // Stops at the first failed write.
    bool SendText(const QByteArray& text);
    // A request that gets no reply (output drive and release). Never fails visibly: a drive that
    // cannot be sent, on a closed port or a vanished device, is not reported.
    void DA(uint8_t command, uint32_t data);
    // The note read: the request, a pause while the transmitter prepares the text, then exactly
    // n raw bytes (no echo, no CRC). False on a port error.
    bool ReadNote(int n, QByteArray& text);

    // Told the elapsed time of every exchange that reads a reply, failed or not.
    std::function<void(qint64 ms)> onExchangeTime;

private:
    bool exchange(const Frame& request, Frame& reply);
    void reportTime(qint64 ms);

    TComPort& m_port;
    uint8_t m_frameTag = 1;
    bool m_replyMayTrail = false;  // the last exchange got no good reply: it may still come
    std::mt19937 m_random;
};

}  // namespace vl48
