#include "core/device/MemoryMap.h"

#include <algorithm>

namespace vl48 {

const std::array<CellInfo, 30> Cells = {{
    {EEInputType, "EEInputType", false},
    {EEOutputType, "EEOutputType", false},
    {EEFilter, "EEFilter", false},
    {EERangeBegin, "EERangeBegin", true},
    {EERangeEnd, "EERangeEnd", true},
    {EECompMode, "EECompMode", false},
    {EECompTemp, "EECompTemp", true},
    {EELineRes, "EELineRes", true},
    {EEWiring, "EEWiring", false},
    {EEOutputLimit, "EEOutputLimit", false},
    {EESensorFault, "EESensorFault", false},
    {EEDayMonth, "EEDayMonth", false},
    {EEYear, "EEYear", false},
    {EENoteLength, "EENoteLength", false},
    {EENoteText, "EENoteText", false},
    {EEAOIZero, "EEAOIZero", false},
    {EEAOIEnd, "EEAOIEnd", false},
    {EEAOUZero, "EEAOUZero", false},
    {EEAOUEnd, "EEAOUEnd", false},
    {EEMVCorr, "EEMVCorr", false},
    {EEADCOffset, "EEADCOffset", false},
    {EEPT100Const, "EEPT100Const", true},
    {EEPT1KConst, "EEPT1KConst", true},
    {EETermOffset, "EETermOffset", true},
    {EEDACorrState, "EEDACorrState", false},
    {EEAOIZeroBackup, "EEAOIZeroBackup", false},
    {EEAOIEndBackup, "EEAOIEndBackup", false},
    {EEAOUZeroBackup, "EEAOUZeroBackup", false},
    {EEAOUEndBackup, "EEAOUEndBackup", false},
    {EEWriteTest, "EEWriteTest", false},
}};

const CellInfo& cellInfo(Cell cell) {
    const auto it = std::find_if(Cells.begin(), Cells.end(),
                                 [cell](const CellInfo& info) { return info.cell == cell; });
    return *it;  // every enumerator is in the table (checked by the tests)
}

int cellValue(Cell cell, uint16_t word) {
    return cellInfo(cell).isSigned ? int(int16_t(word)) : int(word);
}

std::vector<CellWrite> noteCells(const QByteArray& text) {
    const QByteArray note = text.left(NoteMaxLength);
    const int length = int(note.size());
    std::vector<CellWrite> writes{{EENoteLength, uint16_t(length)}};
    for (int k = 1; 2 * k - 1 <= length; ++k) {
        const uint8_t high = uint8_t(note[2 * k - 2]);
        const uint8_t low = 2 * k <= length ? uint8_t(note[2 * k - 1]) : uint8_t('0');
        writes.push_back({uint8_t(EENoteLength + 2 * k), uint16_t((high << 8) | low)});
    }
    return writes;
}

const std::array<Code, 20> InputTypeCodes = {{
    {0, "RdBtnTermJ"},   {1, "RdBtnTermK"},   {2, "RdBtnTermS"},     {3, "RdBtnTermB"},
    {4, "RdBtnTermE"},   {5, "RdBtnTermR"},   {6, "RdBtnTermN"},     {7, "RdBtnTermT"},
    {8, "RdBtnPT100"},   {9, "RdBtnPT1000"},  {10, "RdBtnNi1K6"},    {11, "RdBtnNi1K5"},
    {12, "RdBtnKTY110"}, {13, "RdBtnKTY121"}, {14, "RdBtnKTY122"},   {15, "RdBtnKTY210"},
    {16, "RdBtnKTY221"}, {17, "RdBtnKTY222"}, {18, "RdBtnOhmMeter"}, {19, "RdBtnNi891"},
}};
const std::array<Code, 3> OutputTypeCodes = {
    {{0, "RdBtnAO0_20"}, {1, "RdBtnAO4_20"}, {2, "RdBtnAO0_10"}}};
const std::array<Code, 5> FilterCodes = {{{0, "RdBtnFilt0"},
                                          {1, "RdBtnFilt1"},
                                          {2, "RdBtnFilt2"},
                                          {3, "RdBtnFilt3"},
                                          {4, "RdBtnFilt4"}}};
const std::array<Code, 3> SensorFaultCodes = {
    {{0, "RdBtnNoMsg"}, {1, "RdBtnPuls"}, {2, "RdBtn2mADrop"}}};
const std::array<Code, 3> CompModeCodes = {
    {{0, "RdBtnNoComp"}, {1, "RdBtnMeasTerm"}, {2, "RdBtnTempSet"}}};
// The output limit is one check box: unchecked for 0, checked for 1.
const std::array<Code, 2> OutputLimitCodes = {{{0, "ChckBxDaRest"}, {1, "ChckBxDaRest"}}};
const std::array<Code, 2> WiringCodes = {{{0, "RdBtn2_4wires"}, {1, "RdBtn3wire"}}};

}  // namespace vl48
