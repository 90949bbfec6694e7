#include "core/link/Link.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QScopeGuard>
#include <QThread>
#include <chrono>
#include <utility>

namespace vl48 {

Q_LOGGING_CATEGORY(lcLink, "vl48.link", QtInfoMsg)

namespace {

QString hexOf(const uint8_t* bytes, int n) {
    return QByteArray(reinterpret_cast<const char*>(bytes), n).toHex(' ').toUpper();
}

}  // namespace

Link::Link(TComPort& port)
    : m_port(port),
      m_random(static_cast<std::mt19937::result_type>(
          std::chrono::system_clock::now().time_since_epoch().count())) {}

void Link::drawFrameTag() {
    std::uniform_int_distribution<int> tag(0, 253);
    m_frameTag = static_cast<uint8_t>(tag(m_random) + 1);
}

void Link::runOnLineWork(std::function<void()>& work) {
    if (!work) return;
    const auto once = std::exchange(work, nullptr);
    once();
}

void Link::reportTime(qint64 ms) {
    if (onExchangeTime) onExchangeTime(ms);
}

// Why settling is needed: a reply carries no trace of the request it answers (byte 1 is data, not
// the tag), so a late reply to a cell read passes every check of the next read of the same
// command, and every value after it shifts by one cell. Discarding what waits before a request
// is not enough: a transmitter with a turnaround of its own can deliver the late reply after the
// next request has gone out. Only a request sent once the late reply can no longer come is safe.
// So an exchange that follows one without a good reply first waits out the rest of the
// late-reply window, then for a quiet gap, at most one reply time-out in all. The price is paid
// only after a failure; a healthy line never waits here.
bool Link::settle(int maxWaitMs) {
    if (!m_replyMayTrail) return true;
    QDeadlineTimer bound(qMax(maxWaitMs, 0));
    qint64 drained = 0;
    try {
        for (;;) {
            const qint64 n = m_port.PortDiscardInput();
            if (n > 0) {
                drained += n;
                m_byteSeen.start();
            }
            if (drained > SettleByteCap) return false;
            // The gap counts from the last byte seen by any settling, not from this call: a wait
            // that just gave up on a stream has drained the line a moment ago, and finding it
            // empty now says nothing about quiet.
            const qint64 windowLeft = LateReplyWindowMs - m_missedAt.elapsed();
            const qint64 gapLeft = m_byteSeen.isValid() ? QuietGapMs - m_byteSeen.elapsed() : 0;
            const qint64 wait = qMax(windowLeft, gapLeft);
            if (wait <= 0) break;
            if (bound.hasExpired()) return false;
            m_port.PortWaitInput(int(qMin(wait, bound.remainingTime())));
        }
    } catch (const EComError&) {
        return false;  // a lost device: the port has reported it
    }
    m_replyMayTrail = false;
    return true;
}

void Link::replyMissed() {
    m_replyMayTrail = true;
    m_missedAt.start();
}

bool Link::exchange(const Frame& request, Frame& reply) {
    QElapsedTimer clock;
    clock.start();
    // Taken now, so that work meant for this exchange never runs in a later one; it runs
    // however the exchange ends, a port error that escapes to the caller included.
    auto work = std::exchange(m_onLine, nullptr);
    const auto workDone = qScopeGuard([&work] { runOnLineWork(work); });
    reply.fill(0);
    // An exchange on a closed port is the caller's fault and reaches it as a port error (from
    // the wait for the write, below); one whose port fails underway just fails. A device lost
    // before the exchange began counts as a closed port.
    m_port.PortDiscardInput();
    const bool wasOpen = m_port.Active();
    if (wasOpen && !settle(TComPort::totalTimeoutMs(FrameSize))) {
        runOnLineWork(work);
        reportTime(clock.elapsed());
        if (lcLink().isDebugEnabled()) traceExchange(request, reply, clock.elapsed(), false, {});
        return false;  // nothing was sent, so no new reply can trail
    }
    bool failed = false;
    QString problem;
    writeRequest(request, wasOpen, failed, problem);
    runOnLineWork(work);
    try {
        m_port.PortRead(reply.data(), FrameSize);
    } catch (const EComError& e) {
        failed = true;
        if (problem.isEmpty()) problem = e.text();
    }
    reportTime(clock.elapsed());
    const bool good = !failed && replyIsValid(reply, request[0]);
    if (lcLink().isDebugEnabled()) traceExchange(request, reply, clock.elapsed(), true, problem);
    if (!good) replyMissed();
    return good;
}

void Link::writeRequest(const Frame& request, bool wasOpen, bool& failed, QString& problem) {
    // Whatever waits now is stale: an unasked byte, the tail of a broken reply.
    m_port.PortDiscardInput();
    try {
        m_port.PortWrite(request.data(), FrameSize);
    } catch (const EComError& e) {
        failed = true;
        problem = e.text();
    }
    try {
        m_port.PortWaitWrite();
    } catch (const EComError& e) {
        if (!wasOpen) throw;
        failed = true;
        if (problem.isEmpty()) problem = e.text();
    }
}

void Link::traceExchange(const Frame& request, const Frame& reply, qint64 ms, bool sent,
                         const QString& problem) const {
    QString outcome;
    const int got = m_port.lastReadCount();
    if (!sent)
        outcome = QStringLiteral("not sent: the line did not settle");
    else if (problem == QLatin1String(TComPort::TimeoutText) && got == 0)
        outcome = QStringLiteral("time-out");
    else if (problem == QLatin1String(TComPort::TimeoutText))
        outcome = QStringLiteral("short: %1 of %2 bytes").arg(got).arg(FrameSize);
    else if (!problem.isEmpty())
        outcome = problem;
    else if (reply[0] != request[0])
        outcome = QStringLiteral("wrong echo");
    else if (!replyIsValid(reply, request[0]))
        outcome = QStringLiteral("bad CRC");
    else
        outcome = QStringLiteral("good");
    const QString answer = sent && got > 0 ? hexOf(reply.data(), got) : QStringLiteral("-");
    qCDebug(lcLink).noquote() << hexOf(request.data(), FrameSize) << "->" << answer
                              << QStringLiteral("(%1 ms)").arg(ms) << outcome;
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

void Link::DA(uint8_t command, uint32_t data) {
    if (!m_port.Active()) return;
    const Frame request = buildSendRequest(command, m_frameTag, data);
    try {
        m_port.PortWrite(request.data(), FrameSize);
        // A drive or release gets no reply, so whether the line counted an error meanwhile is
        // known only later; looking now would make the outcome race the driver's counting. The
        // next exchange, or the idle poll, sees it.
        m_port.PortWaitWrite(false);
        qCDebug(lcLink).noquote() << hexOf(request.data(), FrameSize)
                                  << (command == CmdOutputSet ? QStringLiteral("drive %1").arg(data)
                                                              : QStringLiteral("release"));
    } catch (const EComError& e) {
        qCDebug(lcLink).noquote() << hexOf(request.data(), FrameSize) << "not sent:" << e.text();
    }
}

bool Link::ReadNote(int n, QByteArray& text) {
    QElapsedTimer clock;
    clock.start();
    auto work = std::exchange(m_onLine, nullptr);
    const auto workDone = qScopeGuard([&work] { runOnLineWork(work); });
    m_port.PortDiscardInput();
    const bool wasOpen = m_port.Active();
    if (wasOpen && !settle(TComPort::totalTimeoutMs(FrameSize))) {
        runOnLineWork(work);
        reportTime(clock.elapsed());
        qCDebug(lcLink) << "note request not sent: the line did not settle";
        return false;
    }
    bool failed = false;
    QString problem;
    const Frame request = buildSendRequest(CmdReadNote, m_frameTag, 0);
    writeRequest(request, wasOpen, failed, problem);
    // The pause is counted from the request, so the caller's work shortens it, not adds to it.
    QElapsedTimer pause;
    pause.start();
    runOnLineWork(work);
    QThread::msleep(static_cast<unsigned long>(qMax<qint64>(0, NotePauseMs - pause.elapsed())));
    QByteArray bytes(qMax(n, 0), '\0');
    try {
        m_port.PortRead(reinterpret_cast<uint8_t*>(bytes.data()), int(bytes.size()));
    } catch (const EComError&) {
        failed = true;
    }
    reportTime(clock.elapsed());
    qCDebug(lcLink).noquote()
        << hexOf(request.data(), FrameSize) << "->"
        << (n < 0 ? QStringLiteral("note of unknown length, none read (%1 ms)").arg(clock.elapsed())
                  : QStringLiteral("note of %1 bytes: %2 of them came (%3 ms)")
                        .arg(n)
                        .arg(n > 0 ? m_port.lastReadCount() : 0)
                        .arg(clock.elapsed()))
        << (failed ? "failed" : "good");
    // Bytes of a note nobody asked the length of can arrive after the pause and would be taken
    // for the start of the next reply.
    if (failed || n < 0) replyMissed();
    if (failed) return false;
    text = bytes;
    return true;
}

}  // namespace vl48
