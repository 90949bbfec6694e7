// The reference multimeter on the bench: it answers SCPI request lines with what the simulated
// transmitter's output puts out, plus the noise of a real measurement, and misbehaves on demand.
// No locking here; the Simulator serialises every access, together with the device model's.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "DeviceModel.h"
#include "MeterHost.h"
#include "Types.h"

namespace vl48sim {

// What a request line asks for. Mnemonics are matched case-insensitively in their short or long
// form, node by node (MEAS:CURRENT:DC? too), with SCPI's optional :DC node and leading colon.
enum class MeterRequest {
    Command,  // no '?': nothing to answer
    Identify,
    Current,
    Voltage,
    UnknownQuery,
};
MeterRequest parseMeterRequest(std::string_view line);

// A reading as the meter prints it, "%+.5E" in the C locale whatever the process's is:
// +4.00123E-03.
std::string scpiReal(double value);

class MeterInstrument {
public:
    explicit MeterInstrument(uint32_t seed) : rng_(seed) {}

    // Logs the line and says what goes back, reading the output off the device.
    MeterHost::Reply answer(const std::string& line, const DeviceModel& device);
    // For the next query; commands without '?' have no answer to lose or spoil, so the tool's
    // own set-up lines (*CLS, SYST:REM) leave it armed.
    void arm(MeterFault fault) { armed_ = fault; }

    const std::vector<std::string>& log() const { return log_; }
    void clearLog() { log_.clear(); }

private:
    double noise(double amplitude);

    std::vector<std::string> log_;
    std::optional<MeterFault> armed_;
    std::mt19937 rng_;
};

}  // namespace vl48sim
