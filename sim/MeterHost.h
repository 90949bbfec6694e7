// The reference multimeter's line: a second pseudo-terminal under a stable link of its own, and a
// thread that takes request lines off it, hands them to the instrument and puts its answers back
// after a short turnaround. Text lines, no pacing: the meter's link is not the transmitter's
// 4800-baud wire.
#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "PtyPort.h"
#include "Types.h"

namespace vl48sim {

class MeterHost {
public:
    using Clock = std::chrono::steady_clock;

    // What goes back for one request line.
    struct Reply {
        std::optional<std::string> text;  // without the line end; nullopt: nothing
        bool unplug = false;              // pull the meter's cable instead of answering
    };

    // The meter behind the line. Called with the state lock held, so that the request is logged
    // and measured in one step with the device model it reads.
    class Instrument {
    public:
        // A request line without its CR and LF, not empty.
        virtual Reply request(const std::string& line) = 0;

    protected:
        ~Instrument() = default;
    };

    // `state` guards the instrument's data as well as the turnaround kept here.
    MeterHost(const Options& options, std::mutex& state, Instrument& instrument);
    ~MeterHost();
    MeterHost(const MeterHost&) = delete;
    MeterHost& operator=(const MeterHost&) = delete;

    // Without a link path there is no meter: these do nothing, and plugged() is false.
    void start();
    void stop();
    void plug();  // a new pseudo-terminal, the link re-pointed atomically; nothing if plugged
    bool plugged() const;
    const std::string& linkPath() const { return link_; }

    // The transmitter's turnaround; the meter answers after it, or after 5 ms when it is 0.
    void setTurnaround(int ms);

private:
    void serve();
    void take(const char* data, size_t n);
    void handle(const std::string& line);
    bool sleepFor(Clock::duration pause);
    void writeLine(const std::string& text);
    void pullOut();
    bool stopping() const;
    void wake();
    void drainWake();

    const std::string link_;
    Instrument& instrument_;

    std::mutex& state_;  // guards the two below
    int turnaroundMs_ = 0;
    bool stopRequested_ = false;

    std::mutex control_;  // start, stop and plug one at a time
    // Guards pty_: plug() opens it from outside while the thread, never using a closed terminal,
    // waits for work; only the thread (or stop(), once it has joined) closes it.
    mutable std::mutex io_;
    PtyPort pty_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;

    std::string pending_;  // serving thread only: the request line so far
};

}  // namespace vl48sim
