#include "DeviceModel.h"

#include <algorithm>

namespace vl48sim {

uint16_t crc16Arc(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) {
            crc = (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : (crc >> 1);
        }
    }
    return crc;
}

uint16_t frameCrc(const uint8_t* frame) { return static_cast<uint16_t>(~crc16Arc(frame, 5)); }

bool frameCrcOk(const uint8_t* frame) { return (frame[5] | (frame[6] << 8)) == frameCrc(frame); }

void sealFrame(uint8_t* frame) {
    const uint16_t crc = frameCrc(frame);
    frame[5] = static_cast<uint8_t>(crc & 0xFF);
    frame[6] = static_cast<uint8_t>(crc >> 8);
}

namespace {

Answer frameWith(uint8_t cmd, uint8_t r1, uint8_t r2, uint8_t r3, uint8_t r4) {
    Answer a;
    a.kind = Answer::Kind::Frame;
    a.bytes = {cmd, r1, r2, r3, r4, 0, 0};
    sealFrame(a.bytes.data());
    return a;
}

Answer frame16(uint8_t cmd, uint16_t value) {
    return frameWith(cmd, 0, 0, static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value));
}

Answer frame32(uint8_t cmd, int32_t value) {
    const auto u = static_cast<uint32_t>(value);
    return frameWith(cmd, static_cast<uint8_t>(u >> 24), static_cast<uint8_t>(u >> 16),
                     static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u));
}

}  // namespace

DeviceModel::DeviceModel() { resetMemory(); }

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

Answer DeviceModel::execute(const uint8_t* request) {
    const uint8_t cmd = request[0];
    if (unsupported.count(cmd)) {
        return {};
    }
    const uint8_t d2 = request[2], d3 = request[3], d4 = request[4];
    const auto value16 = static_cast<uint16_t>((d3 << 8) | d4);

    switch (cmd) {
        case kReadCell:
            return frame16(cmd, word(d4));
        case kReadNote: {
            Answer a;
            a.kind = Answer::Kind::Raw;
            const size_t length = std::min<size_t>(word(kCellNoteLength), kNoteReplyLimit);
            for (size_t i = 0; i < length; ++i) {
                a.bytes.push_back(mem_[(kCellNoteText + i) & 0xFF]);
            }
            return a;
        }
        case kReleaseOutput:
            outputDriven = false;
            return {};
        case kDriveOutput:
            outputDriven = true;
            outputCode = value16;
            driveLog.push_back(value16);
            return {};
        case kWriteCell:
            // Without the jumper the unit acknowledges the write but its memory stays as it was.
            if (writeEnabled) {
                setWord(d2, value16);
            }
            return frameWith(cmd, 0, d2, d3, d4);
        case kSecondTemp:
            return frame16(cmd, static_cast<uint16_t>(readings.secondTemp));
        case kAdc:
            return frame16(cmd, adcValue(value16));
        case kSerial:
            return frame16(cmd, identity.serial);
        case kMeasured:
            return frame32(cmd, measuredValue());
        case kMilliVolt:
            return frame32(cmd, milliVoltValue());
        case kTerminalTemp:
            return frame16(cmd, static_cast<uint16_t>(readings.terminalTemp));
        case kAin1:
            return frame16(cmd, readings.ain1);
        case kAin2:
            return frame16(cmd, readings.ain2);
        case kAin3:
            return frame16(cmd, readings.ain3);
        case kFirmware:
            return frame32(cmd, identity.firmware);
        case kIdentify:
            return frameWith(cmd, 0, 0, 0, static_cast<uint8_t>(identity.deviceType));
        default:
            return {};
    }
}

}  // namespace vl48sim
