// The sender operations against the simulated transmitter: the bytes on the line, the checks on
// the reply, the failures, and the exchange time handed to the display.
#include <QElapsedTimer>

#include "SimFixture.h"
#include "core/device/MemoryMap.h"
#include "core/link/Link.h"
#include "core/session/Cells.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;

namespace {

class ExchangeTest : public vl48test::SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        port.setDeviceName(QString::fromStdString(portPath()));
        port.setActive(true);
        link.setFrameTag(1);
        link.onExchangeTime = [this](qint64 ms) { times.push_back(ms); };
    }
    // The requests received, as (address, value) pairs of cell writes.
    std::vector<CellWrite> cellWrites() const {
        std::vector<CellWrite> out;
        for (const auto& f : sim->requests())
            if (f.cmd() == CmdWriteCell)
                out.push_back({f.bytes[2], uint16_t((f.bytes[3] << 8) | f.bytes[4])});
        return out;
    }
    TComPort port;
    Link link{port};
    std::vector<qint64> times;
};

}  // namespace

TEST_F(ExchangeTest, GoodExchangeSendsTheFrameAndDecodesTheReply) {
    Frame reply;
    ASSERT_TRUE(link.Send(CmdIdentify, 0, reply));
    EXPECT_EQ(reply[4], 11);
    ASSERT_TRUE(link.Send(CmdReadCell, EEInputType, reply));
    EXPECT_EQ(replyWord(reply), 1);
    EXPECT_EQ(requestsHex(),
              (std::vector<std::string>{"FF 01 00 00 00 EA 17", "19 01 00 00 04 E2 02"}));
    ASSERT_EQ(times.size(), 2u);
}

TEST_F(ExchangeTest, TagIsCarriedInEveryRequestAndDrawnInRange) {
    for (int i = 0; i < 2000; ++i) {
        link.drawFrameTag();
        ASSERT_GE(link.FrameTag(), 1);
        ASSERT_LE(link.FrameTag(), 254);
    }
    link.setFrameTag(200);
    ASSERT_TRUE(link.Send(CmdTemp, 0));
    EXPECT_EQ(sim->requests().back().bytes[1], 200);
}

TEST_F(ExchangeTest, WrongEchoOrBadCrcFails) {
    sim->injectFault({Kind::WrongEcho});
    EXPECT_FALSE(link.Send(CmdIdentify, 0));
    sim->injectFault({Kind::BadCrc});
    EXPECT_FALSE(link.Send(CmdIdentify, 0));
    EXPECT_TRUE(link.Send(CmdIdentify, 0)) << "the link recovers on the next exchange";
    EXPECT_EQ(times.size(), 3u) << "the time is shown for failed exchanges too";
}

TEST_F(ExchangeTest, ShortReplyFailsAfterTheTimeout) {
    sim->injectFault({Kind::ShortReply});  // 5 of 7 bytes
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(link.Send(CmdIdentify, 0));
    EXPECT_GE(clock.elapsed(), 800);
    EXPECT_LT(clock.elapsed(), 2500);
    ASSERT_EQ(times.size(), 1u);
    EXPECT_GE(times[0], 800) << "whole milliseconds, not only the part below a second";
}

TEST_F(ExchangeTest, LateReplyFailsItsOwnExchangeAndIsNotTakenForTheNext) {
    vl48sim::Fault late{Kind::LateReply};
    late.delayMs = 900;
    sim->setCell(EEOutputType, 2);
    sim->injectFault(late);
    Frame reply;
    EXPECT_FALSE(link.Send(CmdReadCell, EEInputType, reply));
    // Make sure the late bytes are on the line before the next request goes out.
    ASSERT_TRUE(sim->waitForReplies(1, std::chrono::milliseconds(3000)));
    ASSERT_TRUE(link.Send(CmdReadCell, EEOutputType, reply));
    EXPECT_EQ(replyWord(reply), 2) << "the late reply (input type 1) was taken for this cell";
}

TEST_F(ExchangeTest, LateReplyArrivingDuringTheNextExchangeIsNotTakenForItsReply) {
    // The reply comes 200 ms after its exchange gave up, while the next request waits for its
    // own: the transmitter answers that one right behind.
    sim->setCell(EERangeBegin, 111);
    sim->setCell(EERangeEnd, 222);
    sim->setCell(EEFilter, 3);
    vl48sim::Fault late{Kind::LateReply};
    late.delayMs = TComPort::totalTimeoutMs(FrameSize) + 200;
    sim->injectFault(late);
    Frame reply;
    EXPECT_FALSE(link.Send(CmdReadCell, EERangeBegin, reply));
    ASSERT_TRUE(link.Send(CmdReadCell, EERangeEnd, reply));
    EXPECT_EQ(replyWord(reply), 222) << "the late reply (111) was taken for this cell";
    // Once an exchange has gone well, nothing more is waited for.
    ASSERT_TRUE(link.Send(CmdReadCell, EEFilter, reply));
    EXPECT_EQ(replyWord(reply), 3);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_LT(times[2], Link::QuietGapMs);
}

TEST_F(ExchangeTest, NoRequestGoesOutWhileAnotherDeviceKeepsTalking) {
    sim->setStreaming(true);
    for (int i = 0; i < 4; ++i) {
        QElapsedTimer clock;
        clock.start();
        EXPECT_FALSE(link.Send(CmdReadCell, EEInputType)) << i;
        // The time-out of its reply, or of the wait for quiet, and a little for a slow machine.
        EXPECT_LT(clock.elapsed(), TComPort::totalTimeoutMs(FrameSize) + 400) << i;
    }
    // The first request met the stream as its reply; the line was never quiet after it.
    EXPECT_EQ(sim->requests().size(), 1u);
    sim->setStreaming(false);
    Frame reply;
    ASSERT_TRUE(link.Send(CmdReadCell, EEInputType, reply)) << "the line recovers once quiet";
    EXPECT_EQ(replyWord(reply), 1);
}

TEST_F(ExchangeTest, StrayBytes) {
    // Unasked bytes waiting on the line are thrown away before the next request.
    sim->sendStray({0x19, 0x00, 0x00, 0x00, 0x07});
    Frame reply;
    ASSERT_TRUE(link.Send(CmdReadCell, EEInputType, reply));
    EXPECT_EQ(replyWord(reply), 1);
    // Bytes that arrive in front of a reply make that exchange fail, honestly.
    vl48sim::Fault stray{Kind::StrayBytes};
    stray.bytes = {0x00, 0x19};
    sim->injectFault(stray);
    EXPECT_FALSE(link.Send(CmdReadCell, EEInputType, reply));
    ASSERT_TRUE(link.Send(CmdReadCell, EEInputType, reply));
    EXPECT_EQ(replyWord(reply), 1);
}

TEST_F(ExchangeTest, ExchangeOnAClosedPortRaisesFromTheWaitForWrite) {
    port.setActive(false);
    try {
        link.Send(CmdIdentify, 0);
        FAIL() << "expected the port error to reach the caller";
    } catch (const EComError& e) {
        EXPECT_STREQ(e.what(), "Can't perform this operation on a closed port");
    }
    EXPECT_THROW(link.SendEE(CmdWriteCell, EEFilter, 2), EComError);
    EXPECT_TRUE(sim->requests().empty());
}

TEST_F(ExchangeTest, SendTextWritesExactlyTheNoteCells) {
    struct Case {
        QByteArray text;
        std::vector<CellWrite> writes;
    };
    const std::vector<Case> cases = {
        {"", {{88, 0}}},
        {"ab", {{88, 2}, {90, 0x6162}}},
        {"abc", {{88, 3}, {90, 0x6162}, {92, 0x6330}}},
        {"abcdefg", {{88, 7}, {90, 0x6162}, {92, 0x6364}, {94, 0x6566}, {96, 0x6730}}},
    };
    for (const Case& c : cases) {
        sim->clearLog();
        EXPECT_TRUE(writeNote(link, c.text));
        EXPECT_EQ(cellWrites(), c.writes) << c.text.toStdString();
    }
    for (int length : {29, 30}) {
        sim->clearLog();
        const QByteArray text(length, 'x');
        EXPECT_TRUE(writeNote(link, text));
        const auto writes = cellWrites();
        ASSERT_EQ(writes.size(), 16u) << length;
        EXPECT_EQ(writes.front(), (CellWrite{88, uint16_t(length)}));
        EXPECT_EQ(writes.back().address, 118);
        EXPECT_EQ(writes.back().value, length == 30 ? 0x7878 : 0x7830);
        EXPECT_EQ(sim->cell(EENoteLength), length);
    }
}

TEST_F(ExchangeTest, SendTextStopsAtTheFirstFailedWrite) {
    sim->injectFault({Kind::NoReply}, 2);  // the second pair
    EXPECT_FALSE(writeNote(link, "abcdef"));
    EXPECT_EQ(cellWrites().size(), 3u);
}

TEST_F(ExchangeTest, NoteReadTakesExactlyTheNoteBytes) {
    sim->setNote("Kotel \xE8.3");  // Windows-1250 bytes, odd length
    QByteArray text;
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(link.ReadNote(9, text));
    EXPECT_GE(clock.elapsed(), 500) << "the transmitter is given its pause";
    EXPECT_EQ(text, QByteArray("Kotel \xE8.3"));
    EXPECT_EQ(requestsHex().back().substr(0, 2), "1A");
}

TEST_F(ExchangeTest, NoteOfLengthZeroSendsTheRequestAndReadsNothing) {
    sim->setNote("");
    QByteArray text = "old";
    ASSERT_TRUE(link.ReadNote(0, text));
    EXPECT_TRUE(text.isEmpty());
    EXPECT_EQ(requestCommands(), std::vector<int>{CmdReadNote});
    EXPECT_EQ(times.size(), 1u);
}

TEST_F(ExchangeTest, NoteReadFailsWhenTheTextDoesNotCome) {
    sim->setNote("abc");
    QByteArray text = "old";
    EXPECT_FALSE(link.ReadNote(10, text));  // asks for more than the transmitter sends
    EXPECT_EQ(text, "old");
}

TEST_F(ExchangeTest, AdcReadBySendOrSendEEPutsTheSameBytesOnTheLine) {
    ASSERT_TRUE(link.SendEE(CmdAdcRead, 0, 5009));
    ASSERT_TRUE(link.Send(CmdAdcRead, 5009));
    const auto frames = requestsHex();
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0], frames[1]);
}

TEST_F(ExchangeTest, DAReadsNothingAndTouchesNoTimeDisplay) {
    link.DA(CmdOutputSet, 8192);
    link.DA(CmdOutputRelease, 0);
    ASSERT_TRUE(sim->waitForRequests(2, std::chrono::milliseconds(2000)));
    EXPECT_TRUE(times.empty());
    EXPECT_EQ(sim->driveLog(), std::vector<uint16_t>{8192});
    EXPECT_FALSE(sim->outputDriven());
    EXPECT_EQ(requestsHex()[0].substr(0, 14), "2A 01 00 20 00");
    // On a closed port nothing is sent and nothing is raised.
    port.setActive(false);
    EXPECT_NO_THROW(link.DA(CmdOutputSet, 100));
    EXPECT_EQ(sim->requests().size(), 2u);
}

TEST_F(ExchangeTest, CellAccessByName) {
    ASSERT_TRUE(writeCell(link, EERangeBegin, cellWord(-50)));
    EXPECT_EQ(sim->cell(EERangeBegin), 65486);
    const auto word = readCell(link, EERangeBegin);
    ASSERT_TRUE(word.has_value());
    EXPECT_EQ(cellValue(EERangeBegin, *word), -50);
    sim->injectFault({Kind::NoReply});
    EXPECT_FALSE(readCell(link, EERangeBegin).has_value());
}
