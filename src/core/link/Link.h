// The sender operations: one request frame out, one verified reply back, over the port object.
// Widget-free, so a production-line programmer can drive a transmitter with the same code.
#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <cstdint>
#include <functional>
#include <random>

#include "core/link/ComPort.h"
#include "core/link/Frame.h"

namespace vl48 {

// The conversation with the transmitter: every request and reply as hex with the exchange's
// milliseconds and outcome, the note read, output drives and releases. Off unless enabled:
// QT_LOGGING_RULES="vl48.link.debug=true" (or "vl48.*.debug=true" with the port's trace).
Q_DECLARE_LOGGING_CATEGORY(lcLink)

// Told the progress step of an exchange while its request is on the line (Link::whileOnLine).
using ProgressHook = std::function<void(int step)>;

class Link {
public:
    static constexpr int NotePauseMs = 500;
    // A reply that missed its exchange can still come this long after the exchange gave up: a
    // slow or busy transmitter's answer, up to one more reply time-out.
    static constexpr int LateReplyWindowMs = 800;
    // Silence that ends a burst of bytes: a few byte times at 4800 baud and a USB adapter's
    // latency timer (16 ms), with room for jitter.
    static constexpr int QuietGapMs = 40;
    // A settling wait that drains more than this is listening to a stream, not to a late reply
    // (one reply time-out at 4800 baud carries fewer than 400 bytes).
    static constexpr int SettleByteCap = 4096;

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
    // A request that gets no reply (output drive and release). Never fails visibly: a drive that
    // cannot be sent, on a closed port or a vanished device, is not reported.
    void DA(uint8_t command, uint32_t data);
    // The note read: the request, a pause while the transmitter prepares the text, then exactly
    // n raw bytes (no echo, no CRC). False on a port error. A negative n (the length could not
    // be read) reads nothing; whatever the transmitter sends then may still be on its way, so
    // the next exchange first waits for the line to settle, as after a missed reply.
    bool ReadNote(int n, QByteArray& text);

    // After an exchange without a good reply, waits (at most `maxWaitMs`) until that reply can
    // no longer come: the late-reply window has passed and the line has been quiet for a gap,
    // throwing away whatever arrives meanwhile. True when a request may go out; false when the
    // line would not settle in time (a peer that keeps sending) or the port failed. Every
    // exchange settles by itself; a caller that must not block asks with 0.
    bool settle(int maxWaitMs);
    // The next exchange goes out without settling: for a request whose late answer to the last
    // one is indistinguishable from, and as good as, its own.
    void forgetMissedReply() { m_replyMayTrail = false; }

    // Work for the caller that costs no line time: run once by the next exchange (or note read),
    // after its request has gone out and before its reply is read, or as that exchange ends when
    // it got no request out. The window repaints its progress there instead of in front of a
    // request.
    void whileOnLine(std::function<void()> work) { m_onLine = std::move(work); }

    // Told the elapsed time of every exchange that reads a reply, failed or not.
    std::function<void(qint64 ms)> onExchangeTime;

private:
    bool exchange(const Frame& request, Frame& reply);
    // Puts a request on the line and waits for it to go out. A port error marks the exchange
    // failed (`problem` keeps its text for the trace); on a port that was already closed when
    // the exchange began (`wasOpen` false) it reaches the caller instead.
    void writeRequest(const Frame& request, bool wasOpen, bool& failed, QString& problem);
    // The trace line of an exchange; `problem` is the port error that failed it, if any.
    void traceExchange(const Frame& request, const Frame& reply, qint64 ms, bool sent,
                       const QString& problem) const;
    void reportTime(qint64 ms);
    static void runOnLineWork(std::function<void()>& work);
    void replyMissed();

    TComPort& m_port;
    uint8_t m_frameTag = 1;
    bool m_replyMayTrail = false;  // the last exchange got no good reply: it may still come
    QElapsedTimer m_missedAt;      // when that exchange gave up
    QElapsedTimer m_byteSeen;      // when settling last found a byte on the line
    std::mt19937 m_random;
    std::function<void()> m_onLine;
};

}  // namespace vl48
