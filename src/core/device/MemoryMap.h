// The transmitter's configuration memory: cell names and addresses, their encodings, the code
// tables the form, the files and the bulk upload share, and the configuration record.
#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace vl48 {

// Byte addresses of the 16-bit cells the tool touches.
enum Cell : uint8_t {
    EEInputType = 4,
    EEOutputType = 6,
    EEFilter = 8,
    EERangeBegin = 30,
    EERangeEnd = 32,
    EECompMode = 34,
    EECompTemp = 36,
    EELineRes = 38,
    EEWiring = 40,
    EEOutputLimit = 42,
    EESensorFault = 44,
    EEDayMonth = 50,
    EEYear = 52,
    EENoteLength = 88,
    EENoteText = 90,  // first of 15 cells, two characters each
    EEAOIZero = 134,
    EEAOIEnd = 136,
    EEAOUZero = 142,
    EEAOUEnd = 144,
    EEMVCorr = 150,
    EEADCOffset = 152,
    EEPT100Const = 154,
    EEPT1KConst = 156,
    EETermOffset = 158,
    EEDACorrState = 200,
    EEAOIZeroBackup = 202,
    EEAOIEndBackup = 204,
    EEAOUZeroBackup = 206,
    EEAOUEndBackup = 208,
    EEWriteTest = 252,
};

struct CellInfo {
    Cell cell;
    const char* name;
    bool isSigned;
};
// Every named cell, in address order.
extern const std::array<CellInfo, 30> Cells;
const CellInfo& cellInfo(Cell cell);

// A cell's word read as the number it holds (two's complement for the signed cells).
int cellValue(Cell cell, uint16_t word);
// The 16-bit word for a number: its low 16 bits, so -50 travels as 65486.
inline uint16_t cellWord(int value) { return static_cast<uint16_t>(value); }

// Date of setting: day in the high byte, month in the low byte.
inline uint16_t encodeDayMonth(int day, int month) {
    return static_cast<uint16_t>(((day & 0xFF) << 8) | (month & 0xFF));
}
inline int dayOf(uint16_t dayMonth) { return dayMonth >> 8; }
inline int monthOf(uint16_t dayMonth) { return dayMonth & 0xFF; }

// The note: at most 30 single-byte characters, length in cell 88, pairs from cell 90 with the
// earlier character high; an odd length pads the last low byte with "0".
constexpr int NoteMaxLength = 30;
struct CellWrite {
    uint8_t address;
    uint16_t value;
    bool operator==(const CellWrite&) const = default;
};
// The writes that store a note, in order: the length first. Longer texts are cut to 30.
std::vector<CellWrite> noteCells(const QByteArray& text);

// Code tables. `control` is the object name of the control that stands for the code.
struct Code {
    int code;
    const char* control;
};
extern const std::array<Code, 20> InputTypeCodes;
extern const std::array<Code, 3> OutputTypeCodes;
extern const std::array<Code, 5> FilterCodes;
extern const std::array<Code, 3> SensorFaultCodes;
extern const std::array<Code, 3> CompModeCodes;
extern const std::array<Code, 2> OutputLimitCodes;
extern const std::array<Code, 2> WiringCodes;
// The output converter is 14 bits wide: codes 0..16383.
constexpr int OutputCodeMax = 16383;

constexpr int InputTypeOhmMeter = 18;
constexpr int InputTypeNi891 = 19;
constexpr int FirstResistanceInputType = 8;  // codes below are the eight thermocouples

// The control standing for a code, or nullptr for a code the table does not have.
template <size_t N>
const char* controlForCode(const std::array<Code, N>& table, int code) {
    for (const Code& c : table)
        if (c.code == code) return c.control;
    return nullptr;
}

// What a never-written cell reads, and what the record holds for a cell not read yet: no table
// has this code.
constexpr int32_t UnknownCode = 0xFFFF;

// The in-memory copy of the seven selection cells, as read or as last chosen. A code outside
// the tables (65535 from a never-written cell) is kept as it is.
struct ConfigRecord {
    int32_t EEInputType = 0;
    int32_t EEOutputType = 0;
    int32_t EEFilter = 0;
    int32_t EESensorFault = 0;
    int32_t EECompMode = 0;
    int32_t EEOutputLimit = 0;
    int32_t EEWiring = 0;
    bool operator==(const ConfigRecord&) const = default;
};

}  // namespace vl48
