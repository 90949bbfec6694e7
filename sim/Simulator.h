// The VL48 transmitter simulator: a device model answering the 7-byte frame protocol on the master
// side of a pseudo-terminal, with fault injection and a log of every request it received.
// Tests run it in-process on its own thread; the vl48-sim program wraps it for people and scripts.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Types.h"

namespace vl48sim {

// Folder where simulators publish their port links for the tool's port list:
// $TMPDIR/vl48-sim (or /tmp/vl48-sim).
std::string publishedDir();

class Simulator {
public:
    explicit Simulator(Options options = {});
    ~Simulator();  // stops the thread, closes the pseudo-terminal and removes the link
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;

    // Starts serving: opens the pseudo-terminal, publishes the link, starts the thread.
    void start();
    void stop();

    const std::string& linkPath() const;  // stable path the tool opens
    std::string slavePath() const;        // current /dev/pts/N (changes at every plug)

    // Cable. unplug() closes the master side (the tool sees its device vanish) and removes the
    // link; plug() creates a new pseudo-terminal and re-points the link atomically. With an
    // identity, the unit plugged in is another transmitter: identity and memory are reset.
    // Unplugging also releases the output. plug() while plugged does nothing; plug(identity)
    // while plugged pulls the old unit out first.
    void unplug();
    void plug();
    void plug(const Identity& another);
    bool plugged() const;

    // Device model.
    uint16_t cell(int address) const;  // 16-bit word at an even byte address
    void setCell(int address, uint16_t value);
    void setNote(const std::string& cp1250Bytes);  // length cell 88 and pairs from 90
    void setIdentity(const Identity& identity);
    Identity identity() const;
    void setReadings(const Readings& readings);
    Readings readings() const;
    void setWriteEnabled(bool jumperFitted);  // off: writes are acknowledged but not stored
    // Commands the unit does not answer at all (an older unit without command 247, say).
    void setUnsupported(uint8_t cmd, bool unsupported = true);
    void resetMemory();  // factory defaults

    // Output converter drive (commands 42 and 41).
    bool outputDriven() const;
    uint16_t outputCode() const;
    std::vector<uint16_t> driveLog() const;  // every code driven with 42, in order

    // Faults. injectFault(f, k) applies f to the k-th request received from now on (k = 0: the
    // next one); every complete frame counts, one with a bad CRC too. injectFaultOnCommand
    // applies f to the next request with that command code and a good CRC. A request picked by
    // both gets the positional fault, and the command fault waits for the next match. A fault on
    // a request that is not answered anyway (41, 42, unknown codes) is used up all the same.
    void injectFault(const Fault& fault, int k = 0);
    void injectFaultOnCommand(uint8_t cmd, const Fault& fault);
    void clearFaults();
    void sendStray(const std::vector<uint8_t>& bytes);  // bytes on the line now, unasked

    // Line timing, changeable while serving; applies from the next reply on (the meter's too).
    void setTurnaround(int ms, int jitterMs = 0);

    // Another device talking on the port: while on, filler bytes go out without pause at the
    // line rate, and requests are logged (and count for fault positions, using up faults aimed
    // at them) but neither carried out nor answered. Stays on across unplug and plug.
    void setStreaming(bool on);

    // Line-status counters, cumulative since the unit was plugged in, in the file
    // lineStatusPath(): one line "frame overrun parity brk buf_overrun\n" in decimal, replaced
    // atomically. The file is created with zeros at plug and removed at unplug and stop.
    // raiseLineError while unplugged does nothing: there is no line to go wrong.
    void raiseLineError(LineError error, int count = 1);
    std::string lineStatusPath() const;  // <linkPath>.linestatus

    // Suspends the slave's output: the tool's writes find no room (EAGAIN) and stay pending until
    // released. Unplugging while stalled works; every plug starts unstalled.
    void setWritesStalled(bool stalled);

    // The analogue output, as the reference meter finds it: for a converter code, with the unit's
    // own error (see Options), noise-free. The meter measures it at the driven code, or while
    // released at the zero code in cell 134 (current) or 142 (voltage). A current output
    // cannot go below 0 mA; a voltage output can go negative.
    void setOutputError(double gainPercent, double offsetPercent);
    double outputCurrentmA(uint16_t code) const;
    double outputVolts(uint16_t code) const;

    // The reference multimeter, on a pseudo-terminal of its own (Options::meterLinkPath; empty:
    // no meter, and the calls below change nothing the tool can see). It answers SCPI lines:
    // *IDN?, MEAS:CURR:DC? (amperes) and MEAS:VOLT:DC? (volts), after the turnaround (5 ms
    // while that is 0). meterFault applies to the next query, a line with '?': commands
    // without one have nothing to lose. After MeterFault::Unplug, meterPlug() puts the meter
    // back under the same link; while plugged it does nothing. Unplugging the transmitter
    // leaves the meter alone.
    const std::string& meterLinkPath() const;
    void meterFault(MeterFault fault);
    void meterPlug();
    bool meterPlugged() const;
    // Every request line the meter received, without its line end, in order.
    std::vector<std::string> meterRequests() const;
    void clearMeterLog();

    // Log of every complete 7-byte request received, in order.
    std::vector<LoggedFrame> requests() const;
    void clearLog();
    // Block until at least n requests are logged / n replies fully sent (counted since start or
    // the last clearLog). Return false on time-out. Faulty replies count as sent once their last
    // byte is out; a note reply counts once, even when it has no bytes.
    bool waitForRequests(size_t n, std::chrono::milliseconds timeout) const;
    bool waitForReplies(size_t n, std::chrono::milliseconds timeout) const;
    size_t repliesSent() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

// CRC-16/ARC of the given bytes (bitwise reference; the tool has its own table-driven step).
uint16_t crc16Arc(const uint8_t* data, size_t length);

}  // namespace vl48sim
