// CRC and frame layout, checked against published check values and a bitwise reference.
#include <gtest/gtest.h>

#include <cstring>

#include "SimFixture.h"
#include "core/device/MemoryMap.h"
#include "core/link/Frame.h"

using namespace vl48;
using vl48test::hexOf;

namespace {
// Textbook CRC-16/ARC byte step: reflected polynomial 0xA001, one bit at a time.
uint16_t bitwiseStep(uint16_t crc, uint8_t byte) {
    crc ^= byte;
    for (int i = 0; i < 8; ++i)
        crc = (crc & 1) ? uint16_t((crc >> 1) ^ 0xA001) : uint16_t(crc >> 1);
    return crc;
}
const uint8_t CheckInput[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
}  // namespace

TEST(Crc, PublishedCheckValues) {
    EXPECT_EQ(crc16(CheckInput, 9), 0xBB3D);  // CRC-16/ARC
    // CRC-16/MAXIM-DOW is the same register with a final complement: what a frame carries.
    EXPECT_EQ(uint16_t(~crc16(CheckInput, 9)), 0x44C2);
}

TEST(Crc, NibbleStepEqualsBitwiseStepForEveryValueAndByte) {
    for (uint32_t value = 0; value <= 0xFFFF; ++value)
        for (uint32_t byte = 0; byte <= 0xFF; ++byte)
            ASSERT_EQ(Crc16(uint16_t(value), uint8_t(byte)),
                      bitwiseStep(uint16_t(value), uint8_t(byte)))
                << "value " << value << " byte " << byte;
}

TEST(Crc, WholeCorrectFrameLeavesResidue) {
    for (uint8_t cmd : {CmdIdentify, CmdReadCell, CmdWriteCell, CmdMeasure}) {
        const Frame f = buildSendEERequest(cmd, 77, 0x12, 0xBEEF);
        EXPECT_EQ(crc16(f.data(), FrameSize), 0xB001);
    }
}

TEST(Frames, RequestExamples) {
    EXPECT_EQ(hexOf(buildSendRequest(CmdIdentify, 1, 0)), "FF 01 00 00 00 EA 17");
    EXPECT_EQ(hexOf(buildSendRequest(CmdReadCell, 1, EEInputType)), "19 01 00 00 04 E2 02");
}

TEST(Frames, DataTravelsMostSignificantByteFirst) {
    const Frame send = buildSendRequest(CmdOutputSet, 9, 0x123456);
    EXPECT_EQ(send[2], 0x12);
    EXPECT_EQ(send[3], 0x34);
    EXPECT_EQ(send[4], 0x56);
    const Frame ee = buildSendEERequest(CmdWriteCell, 9, 30, 65486);  // -50 into EERangeBegin
    EXPECT_EQ(hexOf(ee).substr(0, 14), "34 09 1E FF CE");
    // The same bytes whichever way a 16-bit word for address 0 is given.
    EXPECT_EQ(buildSendEERequest(CmdAdcRead, 5, 0, 5009), buildSendRequest(CmdAdcRead, 5, 5009));
}

TEST(Frames, ReplyChecks) {
    Frame reply = buildRequest(CmdReadCell, 0, 0, 0x01, 0x02);  // same layout as a reply
    EXPECT_TRUE(replyIsValid(reply, CmdReadCell));
    EXPECT_EQ(replyWord(reply), 0x0102);
    // Byte 1 is data, not an echo of the tag: any value passes.
    reply = buildRequest(CmdReadCell, 0xAB, 0, 0x01, 0x02);
    EXPECT_TRUE(replyIsValid(reply, CmdReadCell));
    // Correct CRC but another command in byte 0.
    EXPECT_FALSE(replyIsValid(buildRequest(CmdWriteCell, 0, 0, 1, 2), CmdReadCell));
    // Every single-bit corruption of a reply is caught.
    for (int i = 0; i < FrameSize; ++i)
        for (int bit = 0; bit < 8; ++bit) {
            Frame bad = reply;
            bad[i] ^= uint8_t(1 << bit);
            EXPECT_FALSE(replyIsValid(bad, CmdReadCell)) << "byte " << i << " bit " << bit;
        }
}

TEST(Frames, ReplyValues) {
    const Frame temp = buildRequest(CmdTemp, 0, 0, 0xFF, 0x38);
    EXPECT_EQ(replySignedWord(temp), -200);
    EXPECT_EQ(replyWord(temp), 65336);
    const Frame fw = buildRequest(CmdFirmware, 0x4E, 0x18, 0x5E, 0x48);  // 1310220872
    EXPECT_EQ(replyLong(fw), 0x4E185E48);
    const Frame negative = buildRequest(CmdMeasure, 0xFF, 0xFF, 0xFF, 0x9C);
    EXPECT_EQ(replyLong(negative), -100);
}
