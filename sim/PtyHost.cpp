#include "PtyHost.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <future>
#include <memory>
#include <system_error>

#include "FaultPlan.h"
#include "Simulator.h"

namespace vl48sim {

using Clock = PtyHost::Clock;
using TimePoint = PtyHost::TimePoint;

namespace {

// 4800 baud, 8N1: ten bit times per byte.
constexpr auto kByteTime = std::chrono::nanoseconds(10'000'000'000LL / 4800);
// A pause this long inside a frame means the bytes so far were not the start of a frame.
constexpr auto kInterByteTimeout = std::chrono::milliseconds(30);
// How long a write may wait for room in the terminal before the bytes are dropped, as they would
// be on a wire nobody listens to.
constexpr auto kWriteTimeout = std::chrono::seconds(1);
// How long a reply cut short by the cable waits for the tool to read what got through: a hang-up
// discards whatever the tool has not read yet.
constexpr auto kHandOverTimeout = std::chrono::seconds(1);
// Bytes pass the terminal's flip buffer on a work queue before the tool's side counts them as
// unread; if none ever show up as unread in this time, the tool has already taken them.
constexpr auto kFlipGrace = std::chrono::milliseconds(50);
// A streaming peer that fell behind its schedule by more than this (the thread was busy with a
// request, or the machine is slow) starts afresh instead of catching up in one burst.
constexpr auto kStreamCatchUp = std::chrono::milliseconds(10);

timespec toTimespec(Clock::duration d) {
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(d).count();
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(ns / 1'000'000'000);
    ts.tv_nsec = static_cast<long>(ns % 1'000'000'000);
    return ts;
}

std::atomic<unsigned> instanceCounter{0};

std::string linkFor(const Options& options) {
    if (!options.linkPath.empty()) {
        return options.linkPath;
    }
    return publishedDir() + "/vl48-" + std::to_string(getpid()) + "-" +
           std::to_string(instanceCounter.fetch_add(1));
}

}  // namespace

PtyHost::PtyHost(const Options& options, std::mutex& state, Unit& unit)
    : pace_(options.pace),
      link_(linkFor(options)),
      unit_(unit),
      state_(state),
      turnaroundMs_(std::max(options.turnaroundMs, 0)),
      turnaroundJitterMs_(std::max(options.turnaroundJitterMs, 0)),
      lineStatus_(link_ + ".linestatus") {
    const uint32_t seed = options.seed ? *options.seed : std::random_device{}();
    jitterRng_.seed(seed);
    // Its own sequence, so that streaming does not shift the turnarounds drawn after it.
    fillerRng_.seed(seed ^ 0x9E3779B9u);
    int fds[2];
    if (::pipe(fds) < 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    for (int fd : fds) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    wakeRead_ = fds[0];
    wakeWrite_ = fds[1];
}

PtyHost::~PtyHost() {
    stop();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

// ---------------------------------------------------------------------------------------------
// Control from other threads.

void PtyHost::start() {
    std::lock_guard c(control_);
    if (thread_.joinable()) {
        return;
    }
    if (!pty_.isOpen()) {
        doPlug(std::nullopt);
    }
    {
        std::lock_guard lk(state_);
        stopRequested_ = false;
        serving_ = true;
    }
    thread_ = std::thread([this] { serve(); });
}

void PtyHost::stop() {
    std::lock_guard c(control_);
    if (thread_.joinable()) {
        {
            std::lock_guard lk(state_);
            stopRequested_ = true;
        }
        wake();
        thread_.join();
    }
    if (pty_.isOpen()) {
        doUnplug();
    }
}

void PtyHost::plug(const std::optional<Identity>& another) {
    std::lock_guard c(control_);
    if (!another && plugged()) {
        return;
    }
    runOnServer([this, another] { doPlug(another); });
}

void PtyHost::unplug() {
    std::lock_guard c(control_);
    if (!plugged()) {
        return;
    }
    runOnServer([this] { doUnplug(); });
}

std::string PtyHost::slavePath() const {
    std::lock_guard lk(state_);
    return slave_;
}

bool PtyHost::plugged() const {
    std::lock_guard lk(state_);
    return plugged_;
}

void PtyHost::setTurnaround(int ms, int jitterMs) {
    std::lock_guard lk(state_);
    turnaroundMs_ = std::max(ms, 0);
    turnaroundJitterMs_ = std::max(jitterMs, 0);
}

void PtyHost::setStreaming(bool on) {
    {
        std::lock_guard lk(state_);
        streaming_ = on;
    }
    wake();
    // The serving thread writes filler only while holding io and seeing the flag on: once io is
    // ours, the last of it is out.
    std::lock_guard lk(io_);
}

void PtyHost::raiseLineError(LineError error, int count) {
    std::lock_guard lk(state_);
    if (!plugged_ || count <= 0) {
        return;
    }
    lineStatus_.count(error, static_cast<uint64_t>(count));
}

void PtyHost::setWritesStalled(bool stalled) {
    std::lock_guard lk(io_);
    if (pty_.isOpen() && !pty_.suspendSlaveOutput(stalled)) {
        throw std::system_error(errno, std::generic_category(), "tcflow");
    }
}

void PtyHost::sendStray(const std::vector<uint8_t>& bytes) {
    if (!bytes.empty()) {
        writeOut(bytes.data(), bytes.size(), false);
    }
}

// ---------------------------------------------------------------------------------------------
// Handing work to the serving thread.

void PtyHost::wake() {
    const char c = 1;
    // A full pipe already guarantees a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &c, 1);
}

void PtyHost::drainWake() {
    char buf[64];
    while (::read(wakeRead_, buf, sizeof buf) > 0) {
    }
}

// Whether the serving thread has to drop what it is doing: the cable is about to change or the
// simulator stops.
bool PtyHost::interrupted() const {
    std::lock_guard lk(state_);
    return stopRequested_ || !tasks_.empty();
}

// The serving thread owns the terminal, so changes to it run there; the caller waits for the
// outcome (and gets its exception). Without a thread the caller does the work itself.
void PtyHost::runOnServer(std::function<void()> fn) {
    std::unique_lock lk(state_);
    if (!serving_) {
        lk.unlock();
        fn();
        return;
    }
    auto task = std::make_shared<std::packaged_task<void()>>(std::move(fn));
    auto done = task->get_future();
    tasks_.push_back([task] { (*task)(); });
    lk.unlock();
    wake();
    done.get();
}

void PtyHost::runTasks() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lk(state_);
            if (tasks_.empty()) {
                return;
            }
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

// ---------------------------------------------------------------------------------------------
// The cable.

void PtyHost::doPlug(const std::optional<Identity>& another) {
    if (pty_.isOpen()) {
        doUnplug();
    }
    {
        std::lock_guard lk(state_);
        unit_.pluggedIn(another);
        // Before the link appears: whoever finds the port finds its counters too.
        lineStatus_.reset();
    }
    try {
        std::lock_guard lk(io_);
        pty_.open(link_);
    } catch (...) {
        lineStatus_.remove();
        throw;
    }
    rx_.clear();
    masterDead_ = false;
    streamRunning_ = false;
    std::lock_guard lk(state_);
    plugged_ = true;
    slave_ = pty_.slavePath();
}

void PtyHost::doUnplug() {
    // The state flips first, so whoever notices the hang-up already finds the unit unplugged.
    {
        std::lock_guard lk(state_);
        plugged_ = false;
        slave_.clear();
        unit_.pulledOut();
    }
    {
        std::lock_guard lk(io_);
        pty_.close();
    }
    // Not before the link is gone, so that an open port always has its counters. Nothing
    // re-creates the file: raiseLineError already finds the unit unplugged.
    lineStatus_.remove();
    rx_.clear();
}

// ---------------------------------------------------------------------------------------------
// The serving thread.

void PtyHost::serve() {
#ifdef __linux__
    // Paced replies go out on a sub-millisecond schedule; the default 50 us slack adds up.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    for (;;) {
        runTasks();
        bool streamOn = false;
        {
            std::lock_guard lk(state_);
            if (stopRequested_) {
                break;
            }
            streamOn = streaming_;
        }
        if (rx_.size() >= kFrameSize && pty_.isOpen()) {
            processRx();
            continue;
        }
        const bool lineUp = pty_.isOpen() && !masterDead_;
        // While streaming, the wait lasts until the next filler byte is due.
        std::optional<timespec> timeout;
        if (streamOn && lineUp) {
            timeout = toTimespec(std::max(streamFiller() - Clock::now(), Clock::duration::zero()));
        } else {
            streamRunning_ = false;
        }
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {pty_.master(), POLLIN, 0}};
        const nfds_t count = lineUp ? 2 : 1;
        if (::ppoll(fds, count, timeout ? &*timeout : nullptr, nullptr) < 0) {
            continue;  // EINTR; nothing else can go wrong with two valid descriptors
        }
        if (fds[0].revents) {
            drainWake();
        }
        if (count == 2 && fds[1].revents) {
            readMaster();
            processRx();
        }
    }
    {
        std::lock_guard lk(state_);
        serving_ = false;
    }
    runTasks();
}

// Puts the filler bytes that are due on the line, one per byte time on a fixed schedule, and
// returns when the next one is due.
TimePoint PtyHost::streamFiller() {
    const TimePoint now = Clock::now();
    if (!streamRunning_ || now - streamNext_ > kStreamCatchUp) {
        streamRunning_ = true;
        streamNext_ = now;
    }
    uint8_t filler[64];
    size_t n = 0;
    while (streamNext_ <= now && n < sizeof filler) {
        filler[n++] = static_cast<uint8_t>(fillerRng_());
        streamNext_ += kByteTime;
    }
    if (n == 0) {
        return streamNext_;
    }
    // The flag is looked at again under io, so that once setStreaming(false) has taken io no
    // more filler goes out.
    std::lock_guard lk(io_);
    bool on = false;
    {
        std::lock_guard state(state_);
        on = streaming_;
    }
    if (on && pty_.master() >= 0) {
        // Bytes that find the terminal full are lost, as on a wire nobody listens to.
        [[maybe_unused]] const ssize_t w = ::write(pty_.master(), filler, n);
    }
    return streamNext_;
}

void PtyHost::readMaster() {
    uint8_t buf[512];
    const ssize_t n = ::read(pty_.master(), buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
        // Cannot happen while the slave is held open; stop polling a dead end rather than spin.
        masterDead_ = true;
        return;
    }
    const TimePoint now = Clock::now();
    // A pause inside a frame: what came before was noise, start over with these bytes.
    if (!rx_.empty() && now - rxLast_ > kInterByteTimeout) {
        rx_.clear();
    }
    if (rx_.empty()) {
        rxFirst_ = now;
    }
    rx_.insert(rx_.end(), buf, buf + n);
    rxLast_ = now;
    rxChunkAt_ = now;
}

void PtyHost::processRx() {
    bool handled = false;
    while (rx_.size() >= kFrameSize && pty_.isOpen() && !interrupted()) {
        uint8_t frame[kFrameSize];
        std::copy_n(rx_.begin(), kFrameSize, frame);
        rx_.erase(rx_.begin(), rx_.begin() + kFrameSize);
        // On the wire a request takes seven byte times, and cannot start before the previous one
        // has ended even when the terminal delivered both at once.
        const TimePoint receivedAt = std::max(rxFirst_, lineFreeAt_) + 7 * kByteTime;
        lineFreeAt_ = receivedAt;
        rxFirst_ = rxChunkAt_;
        handleFrame(frame, receivedAt);
        handled = true;
    }
    // Time spent answering is no pause on the line: bytes that queued up meanwhile still belong
    // to the frame they started.
    if (handled && !rx_.empty()) {
        rxLast_ = Clock::now();
    }
}

void PtyHost::handleFrame(const uint8_t* frame, TimePoint receivedAt) {
    Exchange x = decide(frame);
    if (x.otherDevice) {
        return;
    }
    if (isFault(x.fault, Fault::Kind::Unplug)) {
        doUnplug();
        return;
    }
    // The cable goes even when the unit had nothing to say.
    const bool pullMidway = isFault(x.fault, Fault::Kind::UnplugMidReply);
    if (x.answer.kind == Answer::Kind::None && !pullMidway) {
        return;
    }
    std::vector<uint8_t> out = std::move(x.answer.bytes);
    if (x.fault) {
        shapeReply(*x.fault, x.answer.kind == Answer::Kind::Frame, out, x.delay);
    }
    if (!transmit(out, receivedAt, x.delay)) {
        return;
    }
    if (pullMidway) {
        // Interrupted: the cable is changing or the simulator stops, which settles it anyway.
        if (out.empty() || waitUntilTaken()) {
            doUnplug();
        }
        return;
    }
    std::lock_guard lk(state_);
    unit_.replied();
}

PtyHost::Exchange PtyHost::decide(const uint8_t* frame) {
    const bool crcOk = frameCrcOk(frame);
    Exchange x;
    std::lock_guard lk(state_);
    x.fault = unit_.received(frame, crcOk);
    if (isFault(x.fault, Fault::Kind::Stream)) {
        streaming_ = true;
    }
    if (isFault(x.fault, Fault::Kind::FramingError) && plugged_) {
        lineStatus_.count(LineError::Frame, 1);
    }
    // The streaming peer is not the transmitter: the request never reaches the unit.
    x.otherDevice = streaming_;
    if (crcOk && !swallowsRequest(x.fault) && !x.otherDevice) {
        x.answer = unit_.answer(frame);
    }
    x.delay = drawTurnaround();
    return x;
}

// The pause before a reply: the turnaround plus a fresh draw of the jitter. Caller holds state_.
Clock::duration PtyHost::drawTurnaround() {
    Clock::duration delay = std::chrono::milliseconds(turnaroundMs_);
    if (turnaroundJitterMs_ > 0) {
        std::uniform_int_distribution<int64_t> jitter(0, turnaroundJitterMs_ * int64_t{1000});
        delay += std::chrono::microseconds(jitter(jitterRng_));
    }
    return delay;
}

// Puts a reply on the line after its pause; false if it did not get out whole (the cable changes,
// the simulator stops, or the terminal stays full).
bool PtyHost::transmit(const std::vector<uint8_t>& out, TimePoint receivedAt,
                       Clock::duration delay) {
    if (!pace_) {
        return sleepUntil(Clock::now() + delay) &&
               (out.empty() || writeOut(out.data(), out.size(), true));
    }
    // A byte has arrived at the other end once its stop bit is over, so byte i is handed to the
    // terminal one byte time after the previous one, on a fixed schedule that cannot drift.
    const TimePoint start = receivedAt + delay;
    for (size_t i = 0; i < out.size(); ++i) {
        const auto due = start + static_cast<long>(i + 1) * kByteTime;
        if (!sleepUntil(due) || !writeOut(&out[i], 1, true)) {
            return false;
        }
    }
    return !out.empty() || sleepUntil(start);
}

// Waits for an absolute deadline; false if the cable changes or the simulator stops meanwhile.
bool PtyHost::sleepUntil(TimePoint deadline) {
    for (;;) {
        if (interrupted()) {
            return false;
        }
        const TimePoint now = Clock::now();
        if (now >= deadline) {
            return true;
        }
        pollfd p{wakeRead_, POLLIN, 0};
        const timespec ts = toTimespec(deadline - now);
        if (::ppoll(&p, 1, &ts, nullptr) > 0) {
            drainWake();
        }
    }
}

// Waits, within kHandOverTimeout, until the tool has read everything sent; false if the cable
// changes or the simulator stops meanwhile.
bool PtyHost::waitUntilTaken() {
    const TimePoint start = Clock::now();
    bool arrived = false;
    for (;;) {
        const int unread = pty_.unreadBySlave();
        arrived = arrived || unread > 0;
        const auto waited = Clock::now() - start;
        if ((unread == 0 && (arrived || waited >= kFlipGrace)) || waited >= kHandOverTimeout) {
            return true;
        }
        if (!sleepUntil(Clock::now() + std::chrono::milliseconds(1))) {
            return false;
        }
    }
}

bool PtyHost::writeOut(const uint8_t* data, size_t n, bool fromServer) {
    std::lock_guard lk(io_);
    const TimePoint deadline = Clock::now() + kWriteTimeout;
    size_t done = 0;
    while (done < n) {
        const int fd = pty_.master();
        if (fd < 0) {
            return false;
        }
        const ssize_t w = ::write(fd, data + done, n - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) {
            return false;
        }
        // The terminal's buffer is full (the tool is not reading): wait for room.
        const TimePoint now = Clock::now();
        if (now >= deadline) {
            return false;
        }
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeRead_, POLLIN, 0}};
        const timespec ts = toTimespec(deadline - now);
        if (::ppoll(fds, fromServer ? 2 : 1, &ts, nullptr) > 0 && fromServer &&
            (fds[1].revents & POLLIN)) {
            drainWake();
            if (interrupted()) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace vl48sim
