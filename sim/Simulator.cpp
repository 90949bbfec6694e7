#include "Simulator.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdlib>
#include <deque>
#include <future>
#include <mutex>
#include <random>
#include <system_error>
#include <thread>

#include "DeviceModel.h"
#include "PtyPort.h"

namespace vl48sim {

using Clock = std::chrono::steady_clock;
using TimePoint = Clock::time_point;

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

}  // namespace

std::string publishedDir() {
    const char* tmp = std::getenv("TMPDIR");
    std::string dir = (tmp && *tmp) ? std::string(tmp) : std::string("/tmp");
    while (!dir.empty() && dir.back() == '/') {
        dir.pop_back();
    }
    dir += "/vl48-sim";
    ::mkdir(dir.c_str(), 0755);  // already there is fine; anything worse shows up at symlink()
    return dir;
}

struct Simulator::Impl {
    explicit Impl(Options o);
    ~Impl();

    // Fixed at construction.
    const Options options;
    std::string link;
    std::string lineStatus;  // link + ".linestatus"

    // From here down to `control`, guarded by m.
    mutable std::mutex m;
    mutable std::condition_variable cv;
    DeviceModel device;
    std::vector<LoggedFrame> log;
    size_t replies = 0;
    uint64_t requestCount = 0;  // never reset: fault positions count from here
    std::map<uint64_t, Fault> faultsAt;
    std::deque<std::pair<uint8_t, Fault>> faultsOn;
    bool serving = false;  // the thread runs and takes tasks
    bool stopRequested = false;
    std::deque<std::function<void()>> tasks;
    bool isPlugged = false;
    std::string slave;
    int turnaroundMs = 0;
    int turnaroundJitterMs = 0;
    bool streaming = false;
    std::array<uint64_t, 5> lineErrors{};  // in LineError order

    std::mutex control;  // start, stop, plug and unplug one at a time
    std::mutex io;       // writes to the master, and replacing the terminal under them
    // Changed only by the serving thread, or by the caller while no thread runs.
    PtyPort pty;
    int wakeRead = -1;
    int wakeWrite = -1;
    std::thread thread;

    // Serving thread only.
    std::vector<uint8_t> rx;  // bytes received but not yet taken as a frame
    TimePoint rxFirst{};      // arrival of rx's first byte
    TimePoint rxLast{};       // last time rx grew (or the thread was last busy with a frame)
    TimePoint rxChunkAt{};    // arrival of the latest chunk read
    TimePoint lineFreeAt{};   // when the previous request finished arriving, as the line sees it
    bool masterDead = false;
    std::mt19937 jitterRng;
    std::mt19937 fillerRng;
    bool streamRunning = false;
    TimePoint streamNext{};  // when the next filler byte is due

    void wake();
    void drainWake();
    bool interrupted() const;
    void runOnServer(std::function<void()> fn);
    void runTasks();

    void doPlug(const std::optional<Identity>& another);
    void doUnplug();
    void writeLineStatus();

    void serve();
    void readMaster();
    void processRx();
    void handleFrame(const uint8_t* frame, TimePoint receivedAt);
    std::optional<Fault> takeFault(uint64_t index, bool crcOk, uint8_t cmd);
    bool sleepUntil(TimePoint deadline);
    bool waitUntilTaken();
    TimePoint streamFiller();
    bool writeOut(const uint8_t* data, size_t n, bool fromServer);
};

Simulator::Impl::Impl(Options o) : options(std::move(o)) {
    link = options.linkPath;
    if (link.empty()) {
        link = publishedDir() + "/vl48-" + std::to_string(getpid()) + "-" +
               std::to_string(instanceCounter.fetch_add(1));
    }
    lineStatus = link + ".linestatus";
    device.identity = options.identity;
    turnaroundMs = std::max(options.turnaroundMs, 0);
    turnaroundJitterMs = std::max(options.turnaroundJitterMs, 0);
    const uint32_t seed = options.seed ? *options.seed : std::random_device{}();
    jitterRng.seed(seed);
    // Its own sequence, so that streaming does not shift the turnarounds drawn after it.
    fillerRng.seed(seed ^ 0x9E3779B9u);
    int fds[2];
    if (::pipe(fds) < 0) {
        throw std::system_error(errno, std::generic_category(), "pipe");
    }
    for (int fd : fds) {
        fcntl(fd, F_SETFD, FD_CLOEXEC);
        fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
    }
    wakeRead = fds[0];
    wakeWrite = fds[1];
}

Simulator::Impl::~Impl() {
    ::close(wakeRead);
    ::close(wakeWrite);
}

void Simulator::Impl::wake() {
    const char c = 1;
    // A full pipe already guarantees a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite, &c, 1);
}

void Simulator::Impl::drainWake() {
    char buf[64];
    while (::read(wakeRead, buf, sizeof buf) > 0) {
    }
}

// Whether the serving thread has to drop what it is doing: the cable is about to change or the
// simulator stops.
bool Simulator::Impl::interrupted() const {
    std::lock_guard lk(m);
    return stopRequested || !tasks.empty();
}

// The serving thread owns the terminal, so changes to it run there; the caller waits for the
// outcome (and gets its exception). Without a thread the caller does the work itself.
void Simulator::Impl::runOnServer(std::function<void()> fn) {
    std::unique_lock lk(m);
    if (!serving) {
        lk.unlock();
        fn();
        return;
    }
    auto task = std::make_shared<std::packaged_task<void()>>(std::move(fn));
    auto done = task->get_future();
    tasks.push_back([task] { (*task)(); });
    lk.unlock();
    wake();
    done.get();
}

void Simulator::Impl::runTasks() {
    for (;;) {
        std::function<void()> task;
        {
            std::lock_guard lk(m);
            if (tasks.empty()) {
                return;
            }
            task = std::move(tasks.front());
            tasks.pop_front();
        }
        task();
    }
}

void Simulator::Impl::doPlug(const std::optional<Identity>& another) {
    if (pty.isOpen()) {
        doUnplug();
    }
    {
        std::lock_guard lk(m);
        if (another) {
            device.identity = *another;
            device.resetMemory();
        }
        // Before the link appears: whoever finds the port finds its counters too.
        lineErrors.fill(0);
        writeLineStatus();
    }
    try {
        std::lock_guard lk(io);
        pty.open(link);
    } catch (...) {
        ::unlink(lineStatus.c_str());
        throw;
    }
    rx.clear();
    masterDead = false;
    streamRunning = false;
    std::lock_guard lk(m);
    isPlugged = true;
    slave = pty.slavePath();
    cv.notify_all();
}

void Simulator::Impl::doUnplug() {
    // The state flips first, so whoever notices the hang-up already finds the unit unplugged.
    {
        std::lock_guard lk(m);
        isPlugged = false;
        slave.clear();
        // Without the cable nobody keeps the output at a calibration value.
        device.outputDriven = false;
        cv.notify_all();
    }
    {
        std::lock_guard lk(io);
        pty.close();
    }
    // Not before the link is gone, so that an open port always has its counters. Nothing
    // re-creates the file: raiseLineError already finds the unit unplugged.
    ::unlink(lineStatus.c_str());
    rx.clear();
}

// Replaces the line-status file atomically, so the tool never reads half a line. Caller holds m.
void Simulator::Impl::writeLineStatus() {
    std::string text;
    for (size_t i = 0; i < lineErrors.size(); ++i) {
        if (i > 0) {
            text += ' ';
        }
        text += std::to_string(lineErrors[i]);
    }
    text += '\n';
    static std::atomic<unsigned> counter{0};
    const std::string temporary = lineStatus + ".new-" + std::to_string(getpid()) + "-" +
                                  std::to_string(counter.fetch_add(1));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        throw std::system_error(errno, std::generic_category(), "open " + temporary);
    }
    const ssize_t written = ::write(fd, text.data(), text.size());
    int error = written == static_cast<ssize_t>(text.size()) ? 0 : (written < 0 ? errno : EIO);
    if (::close(fd) < 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && ::rename(temporary.c_str(), lineStatus.c_str()) < 0) {
        error = errno;
    }
    if (error != 0) {
        ::unlink(temporary.c_str());
        throw std::system_error(error, std::generic_category(), "write " + lineStatus);
    }
}

void Simulator::Impl::serve() {
#ifdef __linux__
    // Paced replies go out on a sub-millisecond schedule; the default 50 us slack adds up.
    prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
#endif
    for (;;) {
        runTasks();
        bool streamOn = false;
        {
            std::lock_guard lk(m);
            if (stopRequested) {
                break;
            }
            streamOn = streaming;
        }
        if (rx.size() >= kFrameSize && pty.isOpen()) {
            processRx();
            continue;
        }
        const bool lineUp = pty.isOpen() && !masterDead;
        // While streaming, the wait lasts until the next filler byte is due.
        std::optional<timespec> timeout;
        if (streamOn && lineUp) {
            timeout = toTimespec(std::max(streamFiller() - Clock::now(), Clock::duration::zero()));
        } else {
            streamRunning = false;
        }
        pollfd fds[2] = {{wakeRead, POLLIN, 0}, {pty.master(), POLLIN, 0}};
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
        std::lock_guard lk(m);
        serving = false;
    }
    runTasks();
}

// Puts the filler bytes that are due on the line, one per byte time on a fixed schedule, and
// returns when the next one is due.
TimePoint Simulator::Impl::streamFiller() {
    const TimePoint now = Clock::now();
    if (!streamRunning || now - streamNext > kStreamCatchUp) {
        streamRunning = true;
        streamNext = now;
    }
    uint8_t filler[64];
    size_t n = 0;
    while (streamNext <= now && n < sizeof filler) {
        filler[n++] = static_cast<uint8_t>(fillerRng());
        streamNext += kByteTime;
    }
    if (n == 0) {
        return streamNext;
    }
    // The flag is looked at again under io, so that once setStreaming(false) has taken io no
    // more filler goes out.
    std::lock_guard lk(io);
    bool on = false;
    {
        std::lock_guard state(m);
        on = streaming;
    }
    if (on && pty.master() >= 0) {
        // Bytes that find the terminal full are lost, as on a wire nobody listens to.
        [[maybe_unused]] const ssize_t w = ::write(pty.master(), filler, n);
    }
    return streamNext;
}

void Simulator::Impl::readMaster() {
    uint8_t buf[512];
    const ssize_t n = ::read(pty.master(), buf, sizeof buf);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
        return;
    }
    if (n <= 0) {
        // Cannot happen while the slave is held open; stop polling a dead end rather than spin.
        masterDead = true;
        return;
    }
    const TimePoint now = Clock::now();
    // A pause inside a frame: what came before was noise, start over with these bytes.
    if (!rx.empty() && now - rxLast > kInterByteTimeout) {
        rx.clear();
    }
    if (rx.empty()) {
        rxFirst = now;
    }
    rx.insert(rx.end(), buf, buf + n);
    rxLast = now;
    rxChunkAt = now;
}

void Simulator::Impl::processRx() {
    bool handled = false;
    while (rx.size() >= kFrameSize && pty.isOpen() && !interrupted()) {
        uint8_t frame[kFrameSize];
        std::copy_n(rx.begin(), kFrameSize, frame);
        rx.erase(rx.begin(), rx.begin() + kFrameSize);
        // On the wire a request takes seven byte times, and cannot start before the previous one
        // has ended even when the terminal delivered both at once.
        const TimePoint receivedAt = std::max(rxFirst, lineFreeAt) + 7 * kByteTime;
        lineFreeAt = receivedAt;
        rxFirst = rxChunkAt;
        handleFrame(frame, receivedAt);
        handled = true;
    }
    // Time spent answering is no pause on the line: bytes that queued up meanwhile still belong
    // to the frame they started.
    if (handled && !rx.empty()) {
        rxLast = Clock::now();
    }
}

std::optional<Fault> Simulator::Impl::takeFault(uint64_t index, bool crcOk, uint8_t cmd) {
    std::optional<Fault> fault;
    if (auto it = faultsAt.find(index); it != faultsAt.end()) {
        fault = std::move(it->second);
        faultsAt.erase(it);
        return fault;
    }
    // A frame with a broken CRC carries no trustworthy command code.
    if (crcOk) {
        auto it = std::find_if(faultsOn.begin(), faultsOn.end(),
                               [cmd](const auto& entry) { return entry.first == cmd; });
        if (it != faultsOn.end()) {
            fault = std::move(it->second);
            faultsOn.erase(it);
        }
    }
    return fault;
}

void Simulator::Impl::handleFrame(const uint8_t* frame, TimePoint receivedAt) {
    const bool crcOk = frameCrcOk(frame);
    std::optional<Fault> fault;
    Answer answer;
    bool otherDevice = false;
    Clock::duration delay{};
    {
        std::lock_guard lk(m);
        const uint64_t index = requestCount++;
        log.push_back(
            LoggedFrame{std::vector<uint8_t>(frame, frame + kFrameSize), crcOk, Clock::now()});
        fault = takeFault(index, crcOk, frame[0]);
        if (fault && fault->kind == Fault::Kind::Stream) {
            streaming = true;
        }
        if (fault && fault->kind == Fault::Kind::FramingError && isPlugged) {
            ++lineErrors[static_cast<size_t>(LineError::Frame)];
            writeLineStatus();
        }
        // The streaming peer is not the transmitter: the request never reaches the unit.
        otherDevice = streaming;
        const bool lost =
            fault && (fault->kind == Fault::Kind::NoReply || fault->kind == Fault::Kind::Unplug);
        if (crcOk && !lost && !otherDevice) {
            answer = device.execute(frame);
        }
        delay = std::chrono::milliseconds(turnaroundMs);
        if (turnaroundJitterMs > 0) {
            std::uniform_int_distribution<int64_t> jitter(0, turnaroundJitterMs * int64_t{1000});
            delay += std::chrono::microseconds(jitter(jitterRng));
        }
        cv.notify_all();
    }
    if (otherDevice) {
        return;
    }
    if (fault && fault->kind == Fault::Kind::Unplug) {
        doUnplug();
        return;
    }
    // The cable goes even when the unit had nothing to say.
    const bool pullMidway = fault && fault->kind == Fault::Kind::UnplugMidReply;
    if (answer.kind == Answer::Kind::None && !pullMidway) {
        return;
    }

    std::vector<uint8_t> out = std::move(answer.bytes);
    if (fault) {
        const bool framed = answer.kind == Answer::Kind::Frame;
        switch (fault->kind) {
            case Fault::Kind::BadCrc:
                if (framed) {
                    out[5] ^= 0xFF;
                }
                break;
            case Fault::Kind::WrongEcho:
                if (framed) {
                    out[0] = static_cast<uint8_t>(out[0] == 255 ? 254 : out[0] + 1);
                    sealFrame(out.data());
                }
                break;
            case Fault::Kind::ShortReply:
            case Fault::Kind::UnplugMidReply:
                out.resize(std::min(out.size(), static_cast<size_t>(std::max(fault->count, 0))));
                break;
            case Fault::Kind::LateReply:
                delay += std::chrono::milliseconds(std::max(fault->delayMs, 0));
                break;
            case Fault::Kind::StrayBytes:
                out.insert(out.begin(), fault->bytes.begin(), fault->bytes.end());
                break;
            case Fault::Kind::NoReply:
            case Fault::Kind::Unplug:
            case Fault::Kind::Stream:
            case Fault::Kind::FramingError:
                break;
        }
    }

    if (options.pace) {
        // A byte has arrived at the other end once its stop bit is over, so byte i is handed to
        // the terminal one byte time after the previous one, on a fixed schedule that cannot
        // drift.
        const TimePoint start = receivedAt + delay;
        for (size_t i = 0; i < out.size(); ++i) {
            const auto due = start + static_cast<long>(i + 1) * kByteTime;
            if (!sleepUntil(due) || !writeOut(&out[i], 1, true)) {
                return;
            }
        }
        if (out.empty() && !sleepUntil(start)) {
            return;
        }
    } else {
        if (!sleepUntil(Clock::now() + delay)) {
            return;
        }
        if (!out.empty() && !writeOut(out.data(), out.size(), true)) {
            return;
        }
    }
    if (pullMidway) {
        // Interrupted: the cable is changing or the simulator stops, which settles it anyway.
        if (out.empty() || waitUntilTaken()) {
            doUnplug();
        }
        return;
    }
    std::lock_guard lk(m);
    ++replies;
    cv.notify_all();
}

// Waits for an absolute deadline; false if the cable changes or the simulator stops meanwhile.
bool Simulator::Impl::sleepUntil(TimePoint deadline) {
    for (;;) {
        if (interrupted()) {
            return false;
        }
        const TimePoint now = Clock::now();
        if (now >= deadline) {
            return true;
        }
        pollfd p{wakeRead, POLLIN, 0};
        const timespec ts = toTimespec(deadline - now);
        if (::ppoll(&p, 1, &ts, nullptr) > 0) {
            drainWake();
        }
    }
}

// Waits, within kHandOverTimeout, until the tool has read everything sent; false if the cable
// changes or the simulator stops meanwhile.
bool Simulator::Impl::waitUntilTaken() {
    const TimePoint start = Clock::now();
    bool arrived = false;
    for (;;) {
        const int unread = pty.unreadBySlave();
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

bool Simulator::Impl::writeOut(const uint8_t* data, size_t n, bool fromServer) {
    std::lock_guard lk(io);
    const TimePoint deadline = Clock::now() + kWriteTimeout;
    size_t done = 0;
    while (done < n) {
        const int fd = pty.master();
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
        pollfd fds[2] = {{fd, POLLOUT, 0}, {wakeRead, POLLIN, 0}};
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

// ---------------------------------------------------------------------------------------------

Simulator::Simulator(Options options) : d(std::make_unique<Impl>(std::move(options))) {}

Simulator::~Simulator() { stop(); }

void Simulator::start() {
    std::lock_guard c(d->control);
    if (d->thread.joinable()) {
        return;
    }
    if (!d->pty.isOpen()) {
        d->doPlug(std::nullopt);
    }
    {
        std::lock_guard lk(d->m);
        d->stopRequested = false;
        d->serving = true;
    }
    d->thread = std::thread([this] { d->serve(); });
}

void Simulator::stop() {
    std::lock_guard c(d->control);
    if (d->thread.joinable()) {
        {
            std::lock_guard lk(d->m);
            d->stopRequested = true;
        }
        d->wake();
        d->thread.join();
    }
    if (d->pty.isOpen()) {
        d->doUnplug();
    }
}

const std::string& Simulator::linkPath() const { return d->link; }

std::string Simulator::slavePath() const {
    std::lock_guard lk(d->m);
    return d->slave;
}

void Simulator::unplug() {
    std::lock_guard c(d->control);
    if (!plugged()) {
        return;
    }
    d->runOnServer([this] { d->doUnplug(); });
}

void Simulator::plug() {
    std::lock_guard c(d->control);
    if (plugged()) {
        return;
    }
    d->runOnServer([this] { d->doPlug(std::nullopt); });
}

void Simulator::plug(const Identity& another) {
    std::lock_guard c(d->control);
    d->runOnServer([this, another] { d->doPlug(another); });
}

bool Simulator::plugged() const {
    std::lock_guard lk(d->m);
    return d->isPlugged;
}

uint16_t Simulator::cell(int address) const {
    std::lock_guard lk(d->m);
    return d->device.word(address);
}

void Simulator::setCell(int address, uint16_t value) {
    std::lock_guard lk(d->m);
    d->device.setWord(address, value);
}

void Simulator::setNote(const std::string& cp1250Bytes) {
    std::lock_guard lk(d->m);
    d->device.setNote(cp1250Bytes);
}

void Simulator::setIdentity(const Identity& identity) {
    std::lock_guard lk(d->m);
    d->device.identity = identity;
}

Identity Simulator::identity() const {
    std::lock_guard lk(d->m);
    return d->device.identity;
}

void Simulator::setReadings(const Readings& readings) {
    std::lock_guard lk(d->m);
    d->device.readings = readings;
}

Readings Simulator::readings() const {
    std::lock_guard lk(d->m);
    return d->device.readings;
}

void Simulator::setWriteEnabled(bool jumperFitted) {
    std::lock_guard lk(d->m);
    d->device.writeEnabled = jumperFitted;
}

void Simulator::setUnsupported(uint8_t cmd, bool unsupported) {
    std::lock_guard lk(d->m);
    if (unsupported) {
        d->device.unsupported.insert(cmd);
    } else {
        d->device.unsupported.erase(cmd);
    }
}

void Simulator::resetMemory() {
    std::lock_guard lk(d->m);
    d->device.resetMemory();
}

bool Simulator::outputDriven() const {
    std::lock_guard lk(d->m);
    return d->device.outputDriven;
}

uint16_t Simulator::outputCode() const {
    std::lock_guard lk(d->m);
    return d->device.outputCode;
}

std::vector<uint16_t> Simulator::driveLog() const {
    std::lock_guard lk(d->m);
    return d->device.driveLog;
}

void Simulator::injectFault(const Fault& fault, int k) {
    std::lock_guard lk(d->m);
    d->faultsAt[d->requestCount + static_cast<uint64_t>(std::max(k, 0))] = fault;
}

void Simulator::injectFaultOnCommand(uint8_t cmd, const Fault& fault) {
    std::lock_guard lk(d->m);
    d->faultsOn.emplace_back(cmd, fault);
}

void Simulator::clearFaults() {
    std::lock_guard lk(d->m);
    d->faultsAt.clear();
    d->faultsOn.clear();
}

void Simulator::sendStray(const std::vector<uint8_t>& bytes) {
    if (!bytes.empty()) {
        d->writeOut(bytes.data(), bytes.size(), false);
    }
}

void Simulator::setTurnaround(int ms, int jitterMs) {
    std::lock_guard lk(d->m);
    d->turnaroundMs = std::max(ms, 0);
    d->turnaroundJitterMs = std::max(jitterMs, 0);
}

void Simulator::setStreaming(bool on) {
    {
        std::lock_guard lk(d->m);
        d->streaming = on;
    }
    d->wake();
    // The serving thread writes filler only while holding io and seeing the flag on: once io is
    // ours, the last of it is out.
    std::lock_guard lk(d->io);
}

void Simulator::raiseLineError(LineError error, int count) {
    std::lock_guard lk(d->m);
    if (!d->isPlugged || count <= 0) {
        return;
    }
    d->lineErrors[static_cast<size_t>(error)] += static_cast<uint64_t>(count);
    d->writeLineStatus();
}

std::string Simulator::lineStatusPath() const { return d->lineStatus; }

void Simulator::setWritesStalled(bool stalled) {
    std::lock_guard lk(d->io);
    if (d->pty.isOpen() && !d->pty.suspendSlaveOutput(stalled)) {
        throw std::system_error(errno, std::generic_category(), "tcflow");
    }
}

std::vector<LoggedFrame> Simulator::requests() const {
    std::lock_guard lk(d->m);
    return d->log;
}

void Simulator::clearLog() {
    std::lock_guard lk(d->m);
    d->log.clear();
    d->replies = 0;
}

bool Simulator::waitForRequests(size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lk(d->m);
    return d->cv.wait_for(lk, timeout, [&] { return d->log.size() >= n; });
}

bool Simulator::waitForReplies(size_t n, std::chrono::milliseconds timeout) const {
    std::unique_lock lk(d->m);
    return d->cv.wait_for(lk, timeout, [&] { return d->replies >= n; });
}

size_t Simulator::repliesSent() const {
    std::lock_guard lk(d->m);
    return d->replies;
}

}  // namespace vl48sim
