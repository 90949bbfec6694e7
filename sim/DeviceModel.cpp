#include "DeviceModel.h"

#include <algorithm>

namespace vl48sim {

namespace {

// The factory's codes for both ends of each output: where an ideal unit puts out exactly 0 and
// 20 mA, 0 and 10 V.
constexpr double kIdealCurrentZero = 1640, kIdealCurrentEnd = 16380;
constexpr double kIdealVoltageZero = 10, kIdealVoltageEnd = 16000;
constexpr double kCurrentFullScale = 20.0;  // mA
constexpr double kVoltageFullScale = 10.0;  // V

}  // namespace

DeviceModel::DeviceModel() { resetMemory(); }

uint8_t DeviceModel::byte(int address) const { return mem_[static_cast<size_t>(address & 0xFF)]; }

uint16_t DeviceModel::word(int address) const {
    const auto a = static_cast<size_t>(address & 0xFF);
    return static_cast<uint16_t>((mem_[a] << 8) | mem_[(a + 1) & 0xFF]);
}

void DeviceModel::setWord(int address, uint16_t value) {
    const auto a = static_cast<size_t>(address & 0xFF);
    mem_[a] = static_cast<uint8_t>(value >> 8);
    mem_[(a + 1) & 0xFF] = static_cast<uint8_t>(value & 0xFF);
}

void DeviceModel::setNote(const std::string& bytes) {
    const size_t length = std::min(bytes.size(), kNoteCapacity);
    setWord(kCellNoteLength, static_cast<uint16_t>(length));
    for (size_t i = 0; i < length; i += 2) {
        const auto high = static_cast<uint8_t>(bytes[i]);
        // The unit pads an odd-length note with an ASCII zero in the last low byte.
        const auto low = static_cast<uint8_t>(i + 1 < length ? bytes[i + 1] : '0');
        setWord(kCellNoteText + static_cast<int>(i), static_cast<uint16_t>((high << 8) | low));
    }
}

void DeviceModel::resetMemory() {
    // A cell that was never written reads 0xFFFF (erased EEPROM).
    mem_.fill(0xFF);
    setWord(4, 1);                // input type
    setWord(6, 1);                // output type
    setWord(8, 1);                // filter
    setWord(30, 0);               // range begin
    setWord(32, 400);             // range end
    setWord(34, 1);               // cold junction compensation mode
    setWord(36, 25);              // compensation temperature
    setWord(38, 0);               // line resistance
    setWord(40, 0);               // wiring
    setWord(42, 0);               // output limit
    setWord(44, 0);               // sensor fault
    setWord(50, (24 << 8) | 12);  // day / month of calibration
    setWord(52, 2017);            // year
    setNote("VL48 simulator");
    setWord(134, 1640);
    setWord(136, 16380);
    setWord(142, 10);
    setWord(144, 16000);
    setWord(150, 11700);
    setWord(152, 0);
    setWord(154, 0);
    setWord(156, 0);
    setWord(158, 0);
    setWord(252, 0);
}

int32_t DeviceModel::measuredValue() const {
    if (readings.measured) {
        return *readings.measured;
    }
    const uint16_t inputType = word(kCellInputType);
    if (inputType == 18) {
        return 10000;  // ohm meter: 100.00 ohm
    }
    if (inputType <= 19) {
        return 2345;  // every other input shows a temperature: 23.45 degC
    }
    return 0;
}

int32_t DeviceModel::milliVoltValue() const {
    if (readings.milliVolt) {
        return *readings.milliVolt;
    }
    const uint16_t inputType = word(kCellInputType);
    if (inputType < 8) {
        return 946;  // a type K junction at 23.45 degC against 0 degC: 0.946 mV
    }
    if (inputType <= 19) {
        return 10913;  // a PT100 at 23.45 degC: 109.13 ohm
    }
    return 0;
}

double DeviceModel::outputCurrentmA(uint16_t code) const {
    const double ideal =
        kCurrentFullScale * (code - kIdealCurrentZero) / (kIdealCurrentEnd - kIdealCurrentZero);
    const double out =
        ideal * (1 + outputGainPercent / 100) + outputOffsetPercent / 100 * kCurrentFullScale;
    return std::max(out, 0.0);
}

double DeviceModel::outputVolts(uint16_t code) const {
    const double ideal =
        kVoltageFullScale * (code - kIdealVoltageZero) / (kIdealVoltageEnd - kIdealVoltageZero);
    return ideal * (1 + outputGainPercent / 100) + outputOffsetPercent / 100 * kVoltageFullScale;
}

double DeviceModel::outputCurrentmANow() const {
    return outputCurrentmA(outputDriven ? outputCode : word(kCellCurrentZero));
}

double DeviceModel::outputVoltsNow() const {
    return outputVolts(outputDriven ? outputCode : word(kCellVoltageZero));
}

uint16_t DeviceModel::adcValue(uint16_t configuration) const {
    if (auto it = readings.adc.find(configuration); it != readings.adc.end()) {
        return it->second;
    }
    // Every step is a bijection on 16 bits, so different words never give the same result.
    uint16_t x = configuration;
    x = static_cast<uint16_t>(x ^ (x >> 7));
    x = static_cast<uint16_t>(x * 0x2B6Du);
    x = static_cast<uint16_t>(x ^ (x >> 9));
    return x;
}

}  // namespace vl48sim
