// Encodings of the configuration memory and the code tables every other unit relies on.
#include <gtest/gtest.h>

#include <iterator>
#include <set>
#include <string>

#include "core/device/MemoryMap.h"

using namespace vl48;

TEST(MemoryMap, CellEncodings) {
    EXPECT_EQ(encodeDayMonth(24, 12), 6156);
    EXPECT_EQ(dayOf(6156), 24);
    EXPECT_EQ(monthOf(6156), 12);
    EXPECT_EQ(cellWord(-50), 65486);
    EXPECT_EQ(cellValue(EERangeBegin, 65486), -50);
    EXPECT_EQ(cellWord(150), 150);  // 1.50 ohm of line resistance in hundredths
    EXPECT_EQ(cellValue(EELineRes, cellWord(-999)), -999);
    // Unsigned cells keep the full range: a never-written cell reads 65535, not -1.
    EXPECT_EQ(cellValue(EEInputType, 0xFFFF), 65535);
    EXPECT_EQ(cellValue(EEDACorrState, 0xFFFF), 65535);
    EXPECT_EQ(cellValue(EETermOffset, 0xFFFF), -1);
}

TEST(MemoryMap, CellTableIsCompleteAndOrdered) {
    std::set<int> addresses;
    int previous = -1;
    for (const CellInfo& info : Cells) {
        EXPECT_EQ(info.cell % 2, 0) << info.name;
        EXPECT_GT(int(info.cell), previous) << info.name;
        previous = info.cell;
        addresses.insert(info.cell);
        EXPECT_EQ(&cellInfo(info.cell), &info);
    }
    EXPECT_EQ(addresses.size(), Cells.size());
    EXPECT_STREQ(cellInfo(EEWriteTest).name, "EEWriteTest");
    EXPECT_TRUE(cellInfo(EECompTemp).isSigned);
    EXPECT_FALSE(cellInfo(EEYear).isSigned);
}

TEST(MemoryMap, NoteLayout) {
    // 30 characters: the length cell and exactly the 15 cells 90..118.
    const auto full = noteCells(QByteArray(30, 'a'));
    ASSERT_EQ(full.size(), 16u);
    EXPECT_EQ(full[0], (CellWrite{88, 30}));
    for (size_t i = 1; i < full.size(); ++i) EXPECT_EQ(full[i].address, 88 + 2 * i);
    EXPECT_EQ(full.back().address, 118);
    // Nothing beyond cell 118, even for a text that is too long.
    EXPECT_EQ(noteCells(QByteArray(45, 'a')).back().address, 118);
    EXPECT_EQ(noteCells(QByteArray(45, 'a')).front().value, 30);
    // Odd length: the last low byte is the filler "0".
    const auto odd = noteCells("\xE8\x61\x62");
    ASSERT_EQ(odd.size(), 3u);
    EXPECT_EQ(odd[1].value, 0xE861);
    EXPECT_EQ(odd[2].value, 0x6230);
    EXPECT_EQ(noteCells(""), (std::vector<CellWrite>{{88, 0}}));
}

TEST(MemoryMap, CodeTables) {
    EXPECT_STREQ(controlForCode(InputTypeCodes, 10), "RdBtnNi1K6");  // 6180 ppm/K
    EXPECT_STREQ(controlForCode(InputTypeCodes, 11), "RdBtnNi1K5");  // 5000 ppm/K
    EXPECT_STREQ(controlForCode(InputTypeCodes, InputTypeOhmMeter), "RdBtnOhmMeter");
    EXPECT_STREQ(controlForCode(InputTypeCodes, InputTypeNi891), "RdBtnNi891");
    EXPECT_EQ(controlForCode(InputTypeCodes, 65535), nullptr);
    EXPECT_EQ(controlForCode(FilterCodes, 5), nullptr);
    EXPECT_STREQ(controlForCode(OutputTypeCodes, 2), "RdBtnAO0_10");
    EXPECT_STREQ(controlForCode(SensorFaultCodes, 2), "RdBtn2mADrop");
    EXPECT_STREQ(controlForCode(CompModeCodes, 2), "RdBtnTempSet");
    EXPECT_STREQ(controlForCode(WiringCodes, 1), "RdBtn3wire");
    for (size_t i = 0; i < InputTypeCodes.size(); ++i) EXPECT_EQ(InputTypeCodes[i].code, int(i));
}

TEST(MemoryMap, RecordStartsAtZerosAndComparesEveryField) {
    const ConfigRecord record;
    int32_t ConfigRecord::*const fields[] = {
        &ConfigRecord::EEInputType,   &ConfigRecord::EEOutputType, &ConfigRecord::EEFilter,
        &ConfigRecord::EESensorFault, &ConfigRecord::EECompMode,   &ConfigRecord::EEOutputLimit,
        &ConfigRecord::EEWiring,
    };
    for (auto field : fields) EXPECT_EQ(record.*field, 0);
    // The window tests compare whole records, so a difference in any one field must show.
    // 65535 is what a never-written cell leaves there.
    for (size_t i = 0; i < std::size(fields); ++i) {
        ConfigRecord changed;
        changed.*fields[i] = 65535;
        EXPECT_NE(changed, record) << "field " << i;
        ConfigRecord same;
        same.*fields[i] = 65535;
        EXPECT_EQ(changed, same) << "field " << i;
    }
}
