// The line side of the simulator: the pseudo-terminal and its serving thread. It gathers requests
// from the bytes the tool writes, hands them to the unit, and puts the replies on the line with
// the turnaround, the pacing of real 4800-baud bytes and the faults that act on the line; it also
// plays the streaming peer, pulls and re-plugs the cable and keeps the line-status file.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LineStatus.h"
#include "PtyPort.h"
#include "Types.h"
#include "WireFrame.h"

namespace vl48sim {

class PtyHost {
public:
    using Clock = std::chrono::steady_clock;
    using TimePoint = Clock::time_point;

    // The transmitter behind the line. Every call comes with the state lock held, so that a
    // request is logged, matched against the faults and carried out in one step with the line's
    // own state (streaming, line errors).
    class Unit {
    public:
        // A complete request arrived: log it and hand out the fault it gets.
        virtual std::optional<Fault> received(const uint8_t* frame, bool crcOk) = 0;
        virtual Answer answer(const uint8_t* frame) = 0;
        virtual void replied() = 0;  // a reply went out whole
        // Plugged in; with `another`, a different unit (identity and memory reset).
        virtual void pluggedIn(const std::optional<Identity>& another) = 0;
        virtual void pulledOut() = 0;

    protected:
        ~Unit() = default;
    };

    // `state` guards the unit's data as well as the line state kept here.
    PtyHost(const Options& options, std::mutex& state, Unit& unit);
    ~PtyHost();
    PtyHost(const PtyHost&) = delete;
    PtyHost& operator=(const PtyHost&) = delete;

    void start();
    void stop();
    void plug(const std::optional<Identity>& another);  // nullopt: the same unit, if unplugged
    void unplug();

    const std::string& linkPath() const { return link_; }
    const std::string& lineStatusPath() const { return lineStatus_.path(); }
    std::string slavePath() const;
    bool plugged() const;

    void setTurnaround(int ms, int jitterMs);
    void setStreaming(bool on);
    void raiseLineError(LineError error, int count);
    void setWritesStalled(bool stalled);
    void sendStray(const std::vector<uint8_t>& bytes);

private:
    // What becomes of one request, settled under the state lock.
    struct Exchange {
        std::optional<Fault> fault;
        Answer answer;
        bool otherDevice = false;  // the streaming peer has the line: nobody answers
        Clock::duration delay{};
    };

    void wake();
    void drainWake();
    bool interrupted() const;
    void runOnServer(std::function<void()> fn);
    void runTasks();

    void doPlug(const std::optional<Identity>& another);
    void doUnplug();

    void serve();
    void readMaster();
    void processRx();
    void handleFrame(const uint8_t* frame, TimePoint receivedAt);
    Exchange decide(const uint8_t* frame);
    Clock::duration drawTurnaround();
    bool transmit(const std::vector<uint8_t>& out, TimePoint receivedAt, Clock::duration delay);
    bool sleepUntil(TimePoint deadline);
    bool waitUntilTaken();
    TimePoint streamFiller();
    bool writeOut(const uint8_t* data, size_t n, bool fromServer);

    // Fixed at construction.
    const bool pace_;
    const std::string link_;
    Unit& unit_;

    // From here down to control_, guarded by state_.
    std::mutex& state_;
    bool serving_ = false;  // the thread runs and takes tasks
    bool stopRequested_ = false;
    std::deque<std::function<void()>> tasks_;
    bool plugged_ = false;
    std::string slave_;
    int turnaroundMs_ = 0;
    int turnaroundJitterMs_ = 0;
    bool streaming_ = false;
    LineStatusFile lineStatus_;

    std::mutex control_;  // start, stop, plug and unplug one at a time
    std::mutex io_;       // writes to the master, and replacing the terminal under them
    // Changed only by the serving thread, or by the caller while no thread runs.
    PtyPort pty_;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::thread thread_;

    // Serving thread only.
    std::vector<uint8_t> rx_;  // bytes received but not yet taken as a frame
    TimePoint rxFirst_{};      // arrival of rx's first byte
    TimePoint rxLast_{};       // last time rx grew (or the thread was last busy with a frame)
    TimePoint rxChunkAt_{};    // arrival of the latest chunk read
    TimePoint lineFreeAt_{};   // when the previous request finished arriving, as the line sees it
    bool masterDead_ = false;
    std::mt19937 jitterRng_;
    std::mt19937 fillerRng_;
    bool streamRunning_ = false;
    TimePoint streamNext_{};  // when the next filler byte is due
};

}  // namespace vl48sim
