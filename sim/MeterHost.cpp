#include "MeterHost.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

namespace vl48sim {

namespace {

// What a bench meter takes to answer when the transmitter's turnaround gives no better figure.
constexpr int kDefaultTurnaroundMs = 5;
// No request is this long: bytes without a line end are noise, and are dropped rather than kept.
constexpr size_t kMaxLine = 4096;
// How long an answer may wait for room in the terminal before it is dropped, as it would be on
// a line nobody reads.
constexpr auto kWriteTimeout = std::chrono::seconds(1);

int millisecondsLeft(MeterHost::Clock::time_point deadline) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline - MeterHost::Clock::now());
    return static_cast<int>(std::max<long long>(left.count(), 0));
}

}  // namespace

MeterHost::MeterHost(const Options& options, std::mutex& state, Instrument& instrument)
    : link_(options.meterLinkPath),
      instrument_(instrument),
      state_(state),
      turnaroundMs_(std::max(options.turnaroundMs, 0)) {
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

MeterHost::~MeterHost() {
    stop();
    ::close(wakeRead_);
    ::close(wakeWrite_);
}

void MeterHost::start() {
    if (link_.empty()) {
        return;
    }
    std::lock_guard c(control_);
    if (thread_.joinable()) {
        return;
    }
    {
        std::lock_guard lk(io_);
        if (!pty_.isOpen()) {
            pty_.open(link_);
        }
    }
    {
        std::lock_guard lk(state_);
        stopRequested_ = false;
    }
    pending_.clear();
    thread_ = std::thread([this] { serve(); });
}

void MeterHost::stop() {
    std::lock_guard c(control_);
    if (thread_.joinable()) {
        {
            std::lock_guard lk(state_);
            stopRequested_ = true;
        }
        wake();
        thread_.join();
    }
    std::lock_guard lk(io_);
    pty_.close();
}

void MeterHost::plug() {
    if (link_.empty()) {
        return;
    }
    std::lock_guard c(control_);
    {
        std::lock_guard lk(io_);
        if (pty_.isOpen()) {
            return;
        }
        pty_.open(link_);
    }
    wake();  // the thread waits without a terminal until told
}

bool MeterHost::plugged() const {
    std::lock_guard lk(io_);
    return pty_.isOpen();
}

void MeterHost::setTurnaround(int ms) {
    std::lock_guard lk(state_);
    turnaroundMs_ = std::max(ms, 0);
}

void MeterHost::wake() {
    const char c = 1;
    // A full pipe already guarantees a wake-up.
    [[maybe_unused]] const ssize_t n = ::write(wakeWrite_, &c, 1);
}

void MeterHost::drainWake() {
    char buf[64];
    while (::read(wakeRead_, buf, sizeof buf) > 0) {
    }
}

bool MeterHost::stopping() const {
    std::lock_guard lk(state_);
    return stopRequested_;
}

void MeterHost::serve() {
    while (!stopping()) {
        int fd = -1;
        {
            std::lock_guard lk(io_);
            fd = pty_.master();
        }
        pollfd fds[2] = {{wakeRead_, POLLIN, 0}, {fd, POLLIN, 0}};
        const nfds_t count = fd >= 0 ? 2 : 1;
        if (::poll(fds, count, -1) < 0) {
            continue;  // EINTR
        }
        if (fds[0].revents) {
            drainWake();
        }
        if (count < 2 || !fds[1].revents) {
            continue;
        }
        char buf[512];
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n > 0) {
            take(buf, static_cast<size_t>(n));
        } else if (n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
            // Cannot happen while the slave is held open; should it, the meter is as good as
            // unplugged, and polling the dead end would only spin.
            pullOut();
        }
    }
}

void MeterHost::take(const char* data, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        const char c = data[i];
        if (c == '\r') {
            continue;  // CR LF line ends as well as bare LF
        }
        if (c != '\n') {
            pending_ += c;
            if (pending_.size() > kMaxLine) {
                pending_.clear();
            }
            continue;
        }
        const std::string line = std::move(pending_);
        pending_.clear();
        if (line.find_first_not_of(" \t") == std::string::npos) {
            continue;
        }
        handle(line);
        if (!plugged()) {
            return;  // what followed went with the cable
        }
    }
}

void MeterHost::handle(const std::string& line) {
    Reply reply;
    int turnaroundMs = 0;
    {
        std::lock_guard lk(state_);
        reply = instrument_.request(line);
        turnaroundMs = turnaroundMs_ > 0 ? turnaroundMs_ : kDefaultTurnaroundMs;
    }
    if (reply.unplug) {
        pullOut();
        return;
    }
    if (reply.text && sleepFor(std::chrono::milliseconds(turnaroundMs))) {
        writeLine(*reply.text + "\n");
    }
}

// False if the simulator stops meanwhile.
bool MeterHost::sleepFor(Clock::duration pause) {
    const auto deadline = Clock::now() + pause;
    for (;;) {
        if (stopping()) {
            return false;
        }
        if (Clock::now() >= deadline) {
            return true;
        }
        pollfd p{wakeRead_, POLLIN, 0};
        if (::poll(&p, 1, millisecondsLeft(deadline)) > 0) {
            drainWake();
        }
    }
}

void MeterHost::writeLine(const std::string& text) {
    int fd = -1;
    {
        std::lock_guard lk(io_);
        fd = pty_.master();
    }
    const auto deadline = Clock::now() + kWriteTimeout;
    size_t done = 0;
    while (fd >= 0 && done < text.size()) {
        const ssize_t w = ::write(fd, text.data() + done, text.size() - done);
        if (w > 0) {
            done += static_cast<size_t>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) {
            continue;
        }
        // The tool is not reading and the terminal is full: wait for room, within reason.
        if ((w < 0 && errno != EAGAIN && errno != EWOULDBLOCK) || Clock::now() >= deadline) {
            return;
        }
        pollfd p{fd, POLLOUT, 0};
        ::poll(&p, 1, millisecondsLeft(deadline));
    }
}

void MeterHost::pullOut() {
    std::lock_guard lk(io_);
    pty_.close();
    pending_.clear();
}

}  // namespace vl48sim
