#include "Link.h"

#include <QElapsedTimer>
#include <QThread>
#include <chrono>

#include "config/MemoryMap.h"

namespace vl48 {

Link::Link(TComPort& port)
    : m_port(port),
      m_random(static_cast<std::mt19937::result_type>(
          std::chrono::system_clock::now().time_since_epoch().count())) {}

void Link::drawFrameTag() {
    std::uniform_int_distribution<int> tag(0, 253);
    m_frameTag = static_cast<uint8_t>(tag(m_random) + 1);
}

void Link::reportTime(qint64 ms) {
    if (onExchangeTime) onExchangeTime(ms);
}

bool Link::exchange(const Frame& request, Frame& reply) {
    QElapsedTimer clock;
    clock.start();
    bool failed = false;
    // A late reply of an earlier exchange would pass every check of this one (same echo, good
    // CRC) and shift every value after it: whatever waits now is stale.
    m_port.PortDiscardInput();
    try {
        m_port.PortWrite(request.data(), FrameSize);
    } catch (const EComError&) {
        failed = true;
    }
    m_port.PortWaitWrite();  // a closed port is the caller's problem, not a failed exchange
    reply.fill(0);
    try {
        m_port.PortRead(reply.data(), FrameSize);
    } catch (const EComError&) {
        failed = true;
    }
    // A reply that missed its own exchange may still come, and arriving now it passes every
    // check of this one (the same echo for the same command, a good CRC) with the previous
    // request's value. The transmitter answers in turn, so a frame right behind the one read
    // is the answer to this request: the last frame counts.
    if (!failed && m_replyMayTrail) {
        try {
            while (m_port.PortWaitInput(TrailingReplyGapMs))
                m_port.PortRead(reply.data(), FrameSize);
        } catch (const EComError&) {
            failed = true;
        }
    }
    reportTime(clock.elapsed());
    const bool good = !failed && replyIsValid(reply, request[0]);
    m_replyMayTrail = !good;
    return good;
}

bool Link::Send(uint8_t command, uint32_t data, Frame& reply) {
    return exchange(buildSendRequest(command, m_frameTag, data), reply);
}

bool Link::Send(uint8_t command, uint32_t data) {
    Frame reply;
    return Send(command, data, reply);
}

bool Link::SendEE(uint8_t command, uint8_t address, uint16_t value, Frame& reply) {
    return exchange(buildSendEERequest(command, m_frameTag, address, value), reply);
}

bool Link::SendEE(uint8_t command, uint8_t address, uint16_t value) {
    Frame reply;
    return SendEE(command, address, value, reply);
}

bool Link::SendText(const QByteArray& text) {
    for (const CellWrite& write : noteCells(text)) {
        if (!SendEE(CmdWriteCell, write.address, write.value)) return false;
    }
    return true;
}

void Link::DA(uint8_t command, uint32_t data) {
    if (!m_port.Active()) return;
    const Frame request = buildSendRequest(command, m_frameTag, data);
    try {
        m_port.PortWrite(request.data(), FrameSize);
        m_port.PortWaitWrite();
    } catch (const EComError&) {
    }
}

bool Link::ReadNote(int n, QByteArray& text) {
    QElapsedTimer clock;
    clock.start();
    bool failed = false;
    m_port.PortDiscardInput();
    const Frame request = buildSendRequest(CmdReadNote, m_frameTag, 0);
    try {
        m_port.PortWrite(request.data(), FrameSize);
    } catch (const EComError&) {
        failed = true;
    }
    m_port.PortWaitWrite();
    QThread::msleep(NotePauseMs);
    QByteArray bytes(qMax(n, 0), '\0');
    try {
        m_port.PortRead(reinterpret_cast<uint8_t*>(bytes.data()), int(bytes.size()));
    } catch (const EComError&) {
        failed = true;
    }
    reportTime(clock.elapsed());
    if (!failed) text = bytes;
    return !failed;
}

}  // namespace vl48
