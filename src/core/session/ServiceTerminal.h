// The service terminal's conversation: the transmitter's raw readings, the input converter read
// under a configuration word, a single cell read or written by its number, and the output
// converter driven to a code and released. Widget-free: the service panel and an automated
// bench run the same exchanges.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "core/link/Link.h"

namespace vl48 {

// The readings of a refresh, in the order they are asked.
enum class TerminalValue { SensorTemp, SecondTemp, Ain1, Ain2, Ain3, MilliVolt, Measured };
// What a refresh got; a reading the transmitter did not answer is missing.
struct TerminalReadings {
    std::optional<int> sensorTemp;  // terminal sensor (250), tenths of a degree
    std::optional<int> secondTemp;  // the second reading (245), tenths of a degree
    std::optional<uint16_t> ain1;
    std::optional<uint16_t> ain2;
    std::optional<uint16_t> ain3;
    std::optional<int32_t> milliVolt;  // the millivolt reading (249) as the transmitter sends it
    std::optional<int32_t> measured;   // see LiveMeasureFaultFrom
};
// Told each reading as soon as its exchange is over, with everything read so far.
using TerminalHook = std::function<void(TerminalValue which, const TerminalReadings& soFar)>;
// The seven readings, each asked whatever became of the one before: an older unit without one
// of them still answers the others.
TerminalReadings readTerminal(Link& link, const TerminalHook& onValue = {});

// The input converter measured under a configuration word (command 246): its unsigned result,
// or nothing when the transmitter did not answer.
std::optional<uint16_t> readInputConverter(Link& link, uint16_t word);

// A cell by its number. The read sends the whole number as the request's 24-bit data (256
// reaches the transmitter as 256); the write's address travels in one byte.
std::optional<uint16_t> readAddress(Link& link, uint32_t number);
bool writeAddress(Link& link, uint8_t address, uint16_t word);
// The terminal sensor's stored offset (EETermOffset), signed, in tenths of a degree.
std::optional<int16_t> readTerminalOffset(Link& link);

// The output converter driven to a code, and released back to the measured value. Neither has a
// reply; the release then waits `settleMs`, so that the output has settled before anything else
// goes out.
void driveOutputCode(Link& link, uint16_t code);
void releaseOutputCode(Link& link, int settleMs);

}  // namespace vl48
