#include "Simulator.h"

#include <sys/stat.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>

#include "CommandTable.h"
#include "DeviceModel.h"
#include "FaultPlan.h"
#include "PtyHost.h"

namespace vl48sim {

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

// The unit behind the line: device model, faults and the log, all guarded by m, which the host
// takes for its own state too.
struct Simulator::Impl final : PtyHost::Unit {
    using Clock = std::chrono::steady_clock;

    explicit Impl(const Options& options) : host(options, m, *this) {
        device.identity = options.identity;
    }

    std::optional<Fault> received(const uint8_t* frame, bool crcOk) override {
        log.push_back(
            LoggedFrame{std::vector<uint8_t>(frame, frame + kFrameSize), crcOk, Clock::now()});
        cv.notify_all();
        return faults.take(crcOk, frame[0]);
    }

    Answer answer(const uint8_t* frame) override { return execute(device, frame); }

    void replied() override {
        ++replies;
        cv.notify_all();
    }

    void pluggedIn(const std::optional<Identity>& another) override {
        if (another) {
            device.identity = *another;
            device.resetMemory();
        }
    }

    // Without the cable nobody keeps the output at a calibration value.
    void pulledOut() override { device.outputDriven = false; }

    mutable std::mutex m;
    mutable std::condition_variable cv;
    DeviceModel device;
    std::vector<LoggedFrame> log;
    size_t replies = 0;
    FaultPlan faults;
    // Last, so that it goes first: its thread calls into the members above.
    PtyHost host;
};

Simulator::Simulator(Options options) : d(std::make_unique<Impl>(options)) {}

Simulator::~Simulator() { stop(); }

void Simulator::start() { d->host.start(); }

void Simulator::stop() { d->host.stop(); }

const std::string& Simulator::linkPath() const { return d->host.linkPath(); }

std::string Simulator::slavePath() const { return d->host.slavePath(); }

void Simulator::unplug() { d->host.unplug(); }

void Simulator::plug() { d->host.plug(std::nullopt); }

void Simulator::plug(const Identity& another) { d->host.plug(another); }

bool Simulator::plugged() const { return d->host.plugged(); }

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
    d->faults.inject(fault, k);
}

void Simulator::injectFaultOnCommand(uint8_t cmd, const Fault& fault) {
    std::lock_guard lk(d->m);
    d->faults.injectOnCommand(cmd, fault);
}

void Simulator::clearFaults() {
    std::lock_guard lk(d->m);
    d->faults.clear();
}

void Simulator::sendStray(const std::vector<uint8_t>& bytes) { d->host.sendStray(bytes); }

void Simulator::setTurnaround(int ms, int jitterMs) { d->host.setTurnaround(ms, jitterMs); }

void Simulator::setStreaming(bool on) { d->host.setStreaming(on); }

void Simulator::raiseLineError(LineError error, int count) { d->host.raiseLineError(error, count); }

std::string Simulator::lineStatusPath() const { return d->host.lineStatusPath(); }

void Simulator::setWritesStalled(bool stalled) { d->host.setWritesStalled(stalled); }

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
