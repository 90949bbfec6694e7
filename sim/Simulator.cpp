#include "Simulator.h"

#include <sys/stat.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <random>

#include "CommandTable.h"
#include "DeviceModel.h"
#include "FaultPlan.h"
#include "Meter.h"
#include "MeterHost.h"
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

namespace {

// A sequence of its own, so that measuring does not shift the turnarounds drawn after it.
uint32_t meterSeed(const Options& options) {
    return options.seed ? *options.seed ^ 0x85EBCA6Bu : std::random_device{}();
}

}  // namespace

// The unit behind the line and the meter on its output: device model, faults and the logs, all
// guarded by m, which the hosts take for their own state too.
struct Simulator::Impl final : PtyHost::Unit, MeterHost::Instrument {
    using Clock = std::chrono::steady_clock;

    explicit Impl(const Options& options)
        : meter(meterSeed(options)), host(options, m, *this), meterHost(options, m, *this) {
        device.identity = options.identity;
        device.outputGainPercent = options.outputGainPercent;
        device.outputOffsetPercent = options.outputOffsetPercent;
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

    MeterHost::Reply request(const std::string& line) override {
        return meter.answer(line, device);
    }

    mutable std::mutex m;
    mutable std::condition_variable cv;
    DeviceModel device;
    std::vector<LoggedFrame> log;
    size_t replies = 0;
    FaultPlan faults;
    MeterInstrument meter;
    // Last, so that they go first: their threads call into the members above.
    PtyHost host;
    MeterHost meterHost;
};

Simulator::Simulator(Options options) : d(std::make_unique<Impl>(options)) {}

Simulator::~Simulator() { stop(); }

void Simulator::start() {
    d->host.start();
    try {
        d->meterHost.start();
    } catch (...) {
        d->host.stop();  // half a bench is no bench
        throw;
    }
}

void Simulator::stop() {
    d->meterHost.stop();
    d->host.stop();
}

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

void Simulator::setTurnaround(int ms, int jitterMs) {
    d->host.setTurnaround(ms, jitterMs);
    d->meterHost.setTurnaround(ms);
}

void Simulator::setStreaming(bool on) { d->host.setStreaming(on); }

void Simulator::raiseLineError(LineError error, int count) { d->host.raiseLineError(error, count); }

std::string Simulator::lineStatusPath() const { return d->host.lineStatusPath(); }

void Simulator::setWritesStalled(bool stalled) { d->host.setWritesStalled(stalled); }

void Simulator::setOutputError(double gainPercent, double offsetPercent) {
    std::lock_guard lk(d->m);
    d->device.outputGainPercent = gainPercent;
    d->device.outputOffsetPercent = offsetPercent;
}

double Simulator::outputCurrentmA(uint16_t code) const {
    std::lock_guard lk(d->m);
    return d->device.outputCurrentmA(code);
}

double Simulator::outputVolts(uint16_t code) const {
    std::lock_guard lk(d->m);
    return d->device.outputVolts(code);
}

const std::string& Simulator::meterLinkPath() const { return d->meterHost.linkPath(); }

void Simulator::meterFault(MeterFault fault) {
    std::lock_guard lk(d->m);
    d->meter.arm(fault);
}

void Simulator::meterPlug() { d->meterHost.plug(); }

bool Simulator::meterPlugged() const { return d->meterHost.plugged(); }

std::vector<std::string> Simulator::meterRequests() const {
    std::lock_guard lk(d->m);
    return d->meter.log();
}

void Simulator::clearMeterLog() {
    std::lock_guard lk(d->m);
    d->meter.clearLog();
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
