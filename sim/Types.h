// The simulator's small value types: who the unit is, what it reads, how it misbehaves, what it
// logged and how it is set up. The device model and the simulator share them; users get them
// through "Simulator.h".
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vl48sim {

// Who the transmitter says it is. Re-plugging "another transmitter" swaps this (and the memory).
struct Identity {
    int deviceType = 11;            // reply byte 4 of command 255: 10 VL48X, 11 VL48, 12 display
    int32_t firmware = 1310250312;  // command 254, printed as VVVVDDMMYY
    uint16_t serial = 42;           // command 247
};

// Live readings the transmitter reports. Values are raw, as they travel in the reply.
struct Readings {
    int16_t terminalTemp = 235;  // command 250, 0.1 degC
    int16_t secondTemp = 231;    // command 245, 0.1 degC
    // command 248, x100 (degC, or ohm for the ohm meter); unset = derived from the input type
    std::optional<int32_t> measured;
    // command 249: thousandths of a millivolt for the thermocouple inputs (codes 0-7; the tool's
    // millivolt correction takes it so, and a unit in calibration yields its nominal 11700),
    // hundredths of an ohm for the resistance inputs. Unset: derived from the input type.
    std::optional<int32_t> milliVolt;
    uint16_t ain1 = 12000, ain2 = 23000, ain3 = 34000;  // commands 251..253
    // command 246: result for a converter configuration word; words not listed get a value
    // derived from the word so that different words give different, repeatable results
    std::map<uint16_t, uint16_t> adc;
};

// One injected misbehaviour, applied to one request as it is answered.
struct Fault {
    enum class Kind {
        NoReply,         // swallow the request: it is not carried out and nothing is answered
        BadCrc,          // answer with a corrupted CRC (a raw note reply goes out unchanged)
        WrongEcho,       // answer with another command code in byte 0 (CRC made to match; a raw
                         // note reply goes out unchanged)
        ShortReply,      // send only the first `count` bytes of the reply (default 5)
        LateReply,       // send the reply after `delayMs` milliseconds
        StrayBytes,      // send `bytes` just before the (otherwise correct) reply
        Unplug,          // pull the cable instead of answering (the request is still logged)
        UnplugMidReply,  // send the first `count` bytes of the reply (if any), then pull the
                         // cable once the tool has read them
        Stream,          // another device takes over the line: streaming starts instead of the
                         // answer, and goes on until setStreaming(false)
        FramingError,    // the line counts a framing error, then the answer goes out as usual
    };
    Fault() = default;
    Fault(Kind k) : kind(k) {}  // implicit, so that injectFault({Kind::NoReply}) reads well

    Kind kind = Kind::NoReply;
    int count = 5;               // ShortReply, UnplugMidReply: bytes sent
    int delayMs = 1000;          // LateReply
    std::vector<uint8_t> bytes;  // StrayBytes
};

// A request as the simulator received it.
struct LoggedFrame {
    std::vector<uint8_t> bytes;  // always 7
    bool crcOk = false;
    std::chrono::steady_clock::time_point at;
    uint8_t cmd() const { return bytes[0]; }
};

struct Options {
    // Path of the stable link to the current pseudo-terminal slave. Empty: a fresh name in the
    // published folder (see publishedDir()).
    std::string linkPath;
    Identity identity;
    // Real line timing: bytes take 10 bit times at 4800 baud each way, plus a turnaround.
    bool pace = false;
    int turnaroundMs = 0;        // pause before every reply, applied with or without pace
    int turnaroundJitterMs = 0;  // plus a uniform random 0..jitter ms, drawn for every reply
    // Seed of the turnaround jitter, the streaming filler and the meter's noise; unset: different
    // every run.
    std::optional<uint32_t> seed;
    // The unit's own output error, so that the factory codes need trimming: gain in percent of
    // the ideal output, offset in percent of full scale (20 mA, 10 V). 0 and 0: an ideal unit.
    double outputGainPercent = 0.3;
    double outputOffsetPercent = -0.2;
    // Path of the stable link to the reference multimeter's pseudo-terminal. Empty: no meter.
    std::string meterLinkPath;
};

// Line-status conditions a real serial driver counts. A pseudo-terminal has no such counters, so
// the simulator keeps them in a side file (see Simulator::lineStatusPath()).
enum class LineError { Frame, Overrun, Parity, Break, BufferOverrun };

// How the reference multimeter misbehaves on the next query (a request line with '?').
enum class MeterFault {
    NoReply,  // the query goes unanswered
    Garbage,  // "#?!garbage" instead of the answer
    Unplug,   // its cable goes instead of the answer: the tool sees the meter's device vanish
};

}  // namespace vl48sim
