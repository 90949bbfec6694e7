// Talks to the simulator through its pseudo-terminal, the way the tool's serial port does, and
// checks what comes back byte for byte.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "Simulator.h"

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kByteTime = std::chrono::nanoseconds(10'000'000'000LL / 4800);
// What the tool waits for a 7-byte reply (100 ms a byte and 100 ms more) before giving up, and
// the silence it takes for a quiet line.
constexpr auto kReplyTimeout = 7 * 100ms + 100ms;
constexpr auto kQuietGap = 40ms;

// Table-driven, so it does not share the simulator's bitwise loop.
uint16_t arc(const uint8_t* p, size_t n) {
    static const auto table = [] {
        std::array<uint16_t, 256> t{};
        for (unsigned i = 0; i < 256; ++i) {
            unsigned c = i;
            for (int k = 0; k < 8; ++k) {
                c = (c & 1) ? (c >> 1) ^ 0xA001 : c >> 1;
            }
            t[i] = static_cast<uint16_t>(c);
        }
        return t;
    }();
    uint16_t crc = 0;
    for (size_t i = 0; i < n; ++i) {
        crc = static_cast<uint16_t>((crc >> 8) ^ table[(crc ^ p[i]) & 0xFF]);
    }
    return crc;
}

Bytes sealed(Bytes five) {
    const auto crc = static_cast<uint16_t>(~arc(five.data(), 5));
    five.push_back(static_cast<uint8_t>(crc & 0xFF));
    five.push_back(static_cast<uint8_t>(crc >> 8));
    return five;
}

uint8_t b(uint32_t v, int shift) { return static_cast<uint8_t>(v >> shift); }

// A request carrying the 24-bit value v in D2..D4.
Bytes request(uint8_t cmd, uint32_t v = 0, uint8_t tag = 1) {
    return sealed({cmd, tag, b(v, 16), b(v, 8), b(v, 0)});
}

Bytes writeCell(uint8_t address, uint16_t value) {
    return sealed({52, 1, address, b(value, 8), b(value, 0)});
}

// A reply carrying the 32-bit value r in R1..R4 (16-bit values have R1 = R2 = 0).
Bytes reply(uint8_t cmd, uint32_t r) { return sealed({cmd, b(r, 24), b(r, 16), b(r, 8), b(r, 0)}); }

bool crcValid(const Bytes& f) {
    return f.size() == 7 && (f[5] | (f[6] << 8)) == static_cast<uint16_t>(~arc(f.data(), 5));
}

const Bytes kIdentify = {0xFF, 0x01, 0x00, 0x00, 0x00, 0xEA, 0x17};
const Bytes kIdentifyReply11 = {0xFF, 0x00, 0x00, 0x00, 0x0B, 0xAA, 0x2C};

// The tool's end of the line: opened through the link, raw, non-blocking.
class Port {
public:
    explicit Port(const std::string& path)
        : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
        termios tio{};
        if (fd_ >= 0 && tcgetattr(fd_, &tio) == 0) {
            cfmakeraw(&tio);
            tcsetattr(fd_, TCSANOW, &tio);
        }
    }
    ~Port() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    bool ok() const { return fd_ >= 0; }
    // Read returned end of file or an error: the other side of the terminal is gone.
    bool hungUp() const { return hungUp_; }
    // errno of a write that fails, 0 if it goes through.
    int sendError(const Bytes& bytes) {
        return ::write(fd_, bytes.data(), bytes.size()) < 0 ? errno : 0;
    }
    void discardInput() { tcflush(fd_, TCIFLUSH); }

    void send(const Bytes& bytes) {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n > 0) {
                done += static_cast<size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd p{fd_, POLLOUT, 0};
                ASSERT_GE(::poll(&p, 1, 2000), 1) << "line stuck";
            } else {
                FAIL() << "write: " << std::strerror(errno);
            }
        }
    }

    // Collects up to n bytes until the deadline or a hang-up; arrivals[i] is when byte i came.
    Bytes read(size_t n, std::chrono::milliseconds timeout = 2000ms) {
        Bytes got;
        arrivals.clear();
        const auto deadline = Clock::now() + timeout;
        while (got.size() < n) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                break;
            }
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                continue;
            }
            uint8_t buf[256];
            const ssize_t k = ::read(fd_, buf, std::min(sizeof buf, n - got.size()));
            if (k > 0) {
                got.insert(got.end(), buf, buf + k);
                arrivals.insert(arrivals.end(), static_cast<size_t>(k), Clock::now());
            } else if (k == 0 || errno != EAGAIN) {
                hungUp_ = true;
                break;
            }
        }
        return got;
    }

    std::vector<Clock::time_point> arrivals;

private:
    int fd_;
    bool hungUp_ = false;
};

bool linkExists(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string fileText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return in ? text.str() : "(no file)";
}

std::string linkTarget(const std::string& path) {
    char buf[256];
    const ssize_t n = ::readlink(path.c_str(), buf, sizeof buf);
    return n < 0 ? std::string() : std::string(buf, static_cast<size_t>(n));
}

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { launch({}); }

    void launch(const vl48sim::Options& options) {
        port.reset();
        sim = std::make_unique<vl48sim::Simulator>(options);
        sim->start();
        port = std::make_unique<Port>(sim->linkPath());
        ASSERT_TRUE(port->ok()) << sim->linkPath();
    }

    Bytes ask(const Bytes& req, size_t replyLength = 7) {
        port->send(req);
        return port->read(replyLength);
    }

    // The simulator answers strictly in order, so if the next bytes on the line are the reply to
    // a fresh identify, nothing was sent for anything asked before it.
    void expectNothingElseSent() { EXPECT_EQ(ask(kIdentify), kIdentifyReply11); }

    std::unique_ptr<vl48sim::Simulator> sim;
    std::unique_ptr<Port> port;
};

using SimFault = SimTest;
using SimCable = SimTest;
using Kind = vl48sim::Fault::Kind;

}  // namespace

// --- checksum and frames ---------------------------------------------------------------------

TEST(SimFrames, Crc16ArcMatchesCheckValueAndIndependentTable) {
    const std::string check = "123456789";
    const auto* data = reinterpret_cast<const uint8_t*>(check.data());
    EXPECT_EQ(vl48sim::crc16Arc(data, check.size()), 0xBB3D);
    Bytes noise(300);
    for (size_t i = 0; i < noise.size(); ++i) {
        noise[i] = static_cast<uint8_t>(i * 151 + 7);
    }
    for (size_t n = 0; n <= noise.size(); n += 23) {
        EXPECT_EQ(vl48sim::crc16Arc(noise.data(), n), arc(noise.data(), n)) << n;
    }
    EXPECT_EQ(request(0xFF), kIdentify);
    EXPECT_EQ(request(25, 4), (Bytes{0x19, 0x01, 0x00, 0x00, 0x04, 0xE2, 0x02}));
}

TEST_F(SimTest, IdentifyReplyIsExactAndIgnoresTheTag) {
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_EQ(ask(request(0xFF, 0, 200)), kIdentifyReply11);
    ASSERT_EQ(sim->requests().size(), 2u);
    EXPECT_EQ(sim->requests()[0].bytes, kIdentify);
    EXPECT_TRUE(sim->requests()[0].crcOk);
    EXPECT_TRUE(sim->linkPath().starts_with(vl48sim::publishedDir() + "/"));
}

TEST_F(SimTest, ReadingsAndIdentityAreEncodedMostSignificantFirst) {
    EXPECT_EQ(ask(request(254)), reply(254, 1310250312u));
    EXPECT_EQ(ask(request(247)), reply(247, 42));
    EXPECT_EQ(ask(request(250)), reply(250, 235));
    EXPECT_EQ(ask(request(245)), reply(245, 231));
    EXPECT_EQ(ask(request(249)), reply(249, 946));  // thermocouple K: thousandths of a mV
    EXPECT_EQ(ask(request(253)), reply(253, 34000));
    EXPECT_EQ(ask(request(248)), reply(248, 2345));
    sim->setCell(4, 18);  // ohm meter
    EXPECT_EQ(ask(request(248)), reply(248, 10000));

    auto r = sim->readings();
    r.measured = -655351;
    r.terminalTemp = -123;
    r.adc[0x1234] = 777;
    sim->setReadings(r);
    EXPECT_EQ(ask(request(248)), reply(248, static_cast<uint32_t>(-655351)));
    EXPECT_EQ(ask(request(250)), reply(250, static_cast<uint16_t>(-123)));
    EXPECT_EQ(ask(request(246, 0x1234)), reply(246, 777));
    const Bytes a = ask(request(246, 0x0101)), again = ask(request(246, 0x0101));
    const Bytes other = ask(request(246, 0x0102));
    EXPECT_EQ(a, again);
    EXPECT_TRUE(crcValid(other));
    EXPECT_NE(Bytes(a.begin() + 3, a.begin() + 5), Bytes(other.begin() + 3, other.begin() + 5));
}

// --- memory ----------------------------------------------------------------------------------

TEST_F(SimTest, WrittenCellReadsBackWordsAtByteAddresses) {
    EXPECT_EQ(ask(request(25, 32)), reply(25, 400));
    EXPECT_EQ(ask(request(25, 60)), reply(25, 0xFFFF));  // never written
    EXPECT_EQ(ask(writeCell(32, 1234)), sealed({52, 0, 32, 0x04, 0xD2}));
    EXPECT_EQ(sim->cell(32), 1234);
    EXPECT_EQ(ask(request(25, 32)), reply(25, 1234));
    // Odd address: low byte of cell 32, high byte of cell 34 (which holds 1).
    EXPECT_EQ(ask(request(25, 33)), reply(25, 0xD200));
    // Only the low byte of the 24-bit value addresses the cell.
    EXPECT_EQ(ask(request(25, 0x7F0020)), reply(25, 1234));
}

TEST_F(SimTest, WithoutJumperWritesAreAcknowledgedButNotStored) {
    sim->setWriteEnabled(false);
    EXPECT_EQ(ask(writeCell(30, 77)), sealed({52, 0, 30, 0, 77}));
    EXPECT_EQ(sim->cell(30), 0);
    sim->setWriteEnabled(true);
    EXPECT_EQ(ask(writeCell(30, 77)), sealed({52, 0, 30, 0, 77}));
    EXPECT_EQ(sim->cell(30), 77);
}

TEST_F(SimTest, NoteComesAsRawBytesWithoutFrame) {
    const std::string text = "VL48 simulator";
    EXPECT_EQ(ask(request(26), text.size()), Bytes(text.begin(), text.end()));
    expectNothingElseSent();

    sim->setNote("abc");
    EXPECT_EQ(sim->cell(88), 3);
    EXPECT_EQ(sim->cell(92), ('c' << 8) | '0');  // odd length: padded with '0'
    EXPECT_EQ(ask(request(26), 3), (Bytes{'a', 'b', 'c'}));
    expectNothingElseSent();
}

TEST_F(SimTest, EmptyNoteSendsNothingButCountsAsReply) {
    sim->setCell(88, 0);
    port->send(request(26));
    EXPECT_TRUE(sim->waitForReplies(1, 2s));
    expectNothingElseSent();
    EXPECT_TRUE(sim->waitForReplies(2, 2s));
}

TEST_F(SimTest, BadCrcRequestIsLoggedButNotAnswered) {
    Bytes broken = kIdentify;
    broken[6] ^= 0x01;
    port->send(broken);
    ASSERT_TRUE(sim->waitForRequests(1, 2s));
    expectNothingElseSent();
    const auto log = sim->requests();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0].bytes, broken);
    EXPECT_FALSE(log[0].crcOk);
    EXPECT_TRUE(log[1].crcOk);
    EXPECT_LE(log[0].at, log[1].at);
}

TEST_F(SimTest, UnsupportedCommandsAndUnknownCodesGetNoReply) {
    sim->setUnsupported(247);
    port->send(request(247));
    port->send(request(99));
    expectNothingElseSent();
    sim->setUnsupported(247, false);
    EXPECT_EQ(ask(request(247)), reply(247, 42));
}

TEST_F(SimTest, DriveLogRecordsCodesAndReleaseStopsDriving) {
    port->send(request(42, 4660));
    port->send(request(42, 0x7F3FFF));  // only the low 16 bits are the code
    ASSERT_TRUE(sim->waitForRequests(2, 2s));
    EXPECT_TRUE(sim->outputDriven());
    EXPECT_EQ(sim->outputCode(), 0x3FFF);
    port->send(request(41));
    expectNothingElseSent();
    EXPECT_FALSE(sim->outputDriven());
    EXPECT_EQ(sim->driveLog(), (std::vector<uint16_t>{4660, 0x3FFF}));
}

// --- framing ---------------------------------------------------------------------------------

TEST_F(SimTest, FramesResynchroniseAfterAPauseInGarbage) {
    // Without a pause, garbage shifts the framing: seven bytes make a (bad) frame regardless.
    Bytes burst = {0x13, 0x37, 0x00};
    burst.insert(burst.end(), kIdentify.begin(), kIdentify.end());
    port->send(burst);
    ASSERT_TRUE(sim->waitForRequests(1, 2s));
    EXPECT_EQ(sim->requests()[0].bytes, Bytes(burst.begin(), burst.begin() + 7));
    EXPECT_FALSE(sim->requests()[0].crcOk);
    // The three leftover bytes start a frame that never completes. The pause itself is what is
    // under test here, so it has to be real time.
    std::this_thread::sleep_for(80ms);
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_EQ(sim->requests().size(), 2u);
}

TEST_F(SimTest, SurvivesALongBurstOfNoise) {
    Bytes noise(5000);
    uint32_t x = 12345;
    for (auto& byte : noise) {
        x = x * 1103515245u + 12345u;
        byte = static_cast<uint8_t>(x >> 16);
    }
    port->send(noise);
    ASSERT_TRUE(sim->waitForRequests(noise.size() / 7, 5s));
    std::this_thread::sleep_for(80ms);  // a pause on the line drops the incomplete tail
    port->discardInput();               // whatever noise happened to look like a request
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_EQ(sim->requests().size(), noise.size() / 7 + 1);
}

TEST_F(SimTest, StrayBytesGoOutAtOnce) {
    sim->sendStray({0x01, 0x02, 0x03});
    EXPECT_EQ(port->read(3), (Bytes{1, 2, 3}));
}

// --- faults ----------------------------------------------------------------------------------

TEST_F(SimFault, NoReplySwallowsTheRequest) {
    sim->injectFault(Kind::NoReply);
    port->send(writeCell(30, 5));
    expectNothingElseSent();
    EXPECT_EQ(sim->cell(30), 0);
    EXPECT_EQ(sim->requests().size(), 2u);
}

TEST_F(SimFault, BadCrcAndWrongEchoCorruptOnlyWhatTheyShould) {
    sim->injectFault(Kind::BadCrc);
    const Bytes bad = ask(kIdentify);
    ASSERT_EQ(bad.size(), 7u);
    EXPECT_EQ(Bytes(bad.begin(), bad.begin() + 5),
              Bytes(kIdentifyReply11.begin(), kIdentifyReply11.begin() + 5));
    EXPECT_FALSE(crcValid(bad));

    sim->injectFault(Kind::WrongEcho);
    const Bytes wrong = ask(kIdentify);
    ASSERT_EQ(wrong.size(), 7u);
    EXPECT_NE(wrong[0], 0xFF);
    EXPECT_EQ(Bytes(wrong.begin() + 1, wrong.begin() + 5), (Bytes{0, 0, 0, 11}));
    EXPECT_TRUE(crcValid(wrong));
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
}

TEST_F(SimFault, ShortReplySendsOnlyTheFirstBytes) {
    sim->injectFault(Kind::ShortReply);
    port->send(kIdentify);
    port->send(kIdentify);
    Bytes expected(kIdentifyReply11.begin(), kIdentifyReply11.begin() + 5);
    expected.insert(expected.end(), kIdentifyReply11.begin(), kIdentifyReply11.end());
    EXPECT_EQ(port->read(12), expected);
}

TEST_F(SimFault, LateReplyComesAfterTheDelayAndKeepsOrder) {
    vl48sim::Fault late(Kind::LateReply);
    late.delayMs = 300;
    sim->injectFault(late);
    const auto sent = Clock::now();
    port->send(kIdentify);
    port->send(request(25, 32));  // waits in the line meanwhile
    Bytes expected = kIdentifyReply11;
    const Bytes cell = reply(25, 400);
    expected.insert(expected.end(), cell.begin(), cell.end());
    EXPECT_EQ(port->read(14, 3000ms), expected);
    ASSERT_EQ(port->arrivals.size(), 14u);
    EXPECT_GE(port->arrivals.front() - sent, 300ms);
    EXPECT_LT(port->arrivals.front() - sent, 1500ms);
}

TEST_F(SimFault, PendingLateReplyDoesNotHoldUpTheCable) {
    vl48sim::Fault late(Kind::LateReply);
    late.delayMs = 60'000;
    sim->injectFault(late);
    port->send(kIdentify);
    ASSERT_TRUE(sim->waitForRequests(1, 2s));
    const auto before = Clock::now();
    sim->unplug();
    EXPECT_LT(Clock::now() - before, 2s);
    EXPECT_FALSE(sim->plugged());
    EXPECT_EQ(sim->repliesSent(), 0u);
}

TEST_F(SimFault, StrayBytesPrecedeTheReply) {
    vl48sim::Fault stray(Kind::StrayBytes);
    stray.bytes = {0x55, 0xAA};
    sim->injectFault(stray);
    Bytes expected = {0x55, 0xAA};
    expected.insert(expected.end(), kIdentifyReply11.begin(), kIdentifyReply11.end());
    EXPECT_EQ(ask(kIdentify, 9), expected);
}

TEST_F(SimFault, PositionAndCommandSelectTheRequest) {
    sim->injectFault(Kind::BadCrc, 2);
    sim->injectFaultOnCommand(247, Kind::WrongEcho);
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_FALSE(crcValid(ask(kIdentify)));
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    const Bytes echoed = ask(request(247));
    ASSERT_EQ(echoed.size(), 7u);
    EXPECT_NE(echoed[0], 247);
    EXPECT_EQ(ask(request(247)), reply(247, 42));

    // A fault on a request that gets no reply anyway is used up all the same.
    sim->injectFault(Kind::BadCrc);
    port->send(request(42, 100));
    expectNothingElseSent();
    EXPECT_EQ(sim->driveLog(), std::vector<uint16_t>{100});

    sim->injectFault(Kind::NoReply);
    sim->clearFaults();
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
}

TEST_F(SimFault, UnplugFaultHangsUpInsteadOfAnswering) {
    const std::string link = sim->linkPath();
    sim->injectFault(Kind::Unplug);
    EXPECT_TRUE(ask(kIdentify).empty());
    EXPECT_TRUE(port->hungUp());
    EXPECT_EQ(port->sendError(kIdentify), EIO);
    EXPECT_FALSE(sim->plugged());
    EXPECT_FALSE(linkExists(link));
    EXPECT_EQ(sim->requests().size(), 1u);
}

TEST_F(SimFault, UnplugMidReplyDeliversTheFirstBytesThenHangsUp) {
    vl48sim::Options paced;
    paced.pace = true;
    paced.turnaroundMs = 5;
    launch(paced);
    const std::string link = sim->linkPath();
    vl48sim::Fault cut(Kind::UnplugMidReply);
    cut.count = 3;
    sim->injectFault(cut);
    EXPECT_EQ(ask(kIdentify), Bytes(kIdentifyReply11.begin(), kIdentifyReply11.begin() + 3));
    EXPECT_TRUE(port->hungUp());
    EXPECT_FALSE(sim->plugged());
    EXPECT_FALSE(linkExists(link));
    EXPECT_EQ(sim->repliesSent(), 0u);
}

// --- cable -----------------------------------------------------------------------------------

TEST_F(SimCable, ReplugKeepsTheLinkAndCanBringAnotherUnit) {
    const std::string link = sim->linkPath();
    const std::string firstPts = sim->slavePath();
    EXPECT_EQ(linkTarget(link), firstPts);

    sim->unplug();
    EXPECT_FALSE(sim->plugged());
    EXPECT_FALSE(linkExists(link));
    EXPECT_TRUE(port->read(1).empty());
    EXPECT_TRUE(port->hungUp());
    EXPECT_EQ(port->sendError(kIdentify), EIO);

    // The old port is still open, so its pts number cannot be handed out again yet.
    sim->plug();
    EXPECT_TRUE(sim->plugged());
    EXPECT_EQ(sim->linkPath(), link);
    EXPECT_NE(sim->slavePath(), firstPts);
    EXPECT_EQ(linkTarget(link), sim->slavePath());
    Port again(link);
    ASSERT_TRUE(again.ok());
    again.send(kIdentify);
    EXPECT_EQ(again.read(7), kIdentifyReply11);

    sim->setCell(30, 99);
    sim->plug(vl48sim::Identity{12, 1310250101, 7});
    EXPECT_EQ(linkTarget(link), sim->slavePath());
    EXPECT_EQ(sim->cell(30), 0);  // another unit, factory memory
    Port third(link);
    ASSERT_TRUE(third.ok());
    third.send(kIdentify);
    EXPECT_EQ(third.read(7), reply(0xFF, 12));
    third.send(request(247));
    EXPECT_EQ(third.read(7), reply(247, 7));
}

TEST_F(SimCable, StalledWritesStayPendingUntilReleasedAndUnplugStillWorks) {
    sim->setWritesStalled(true);
    EXPECT_EQ(port->sendError(kIdentify), EAGAIN);
    sim->setWritesStalled(false);
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_EQ(sim->requests().size(), 1u);

    sim->setWritesStalled(true);
    sim->unplug();
    EXPECT_TRUE(port->read(1).empty());
    EXPECT_TRUE(port->hungUp());
    sim->plug();  // a new unit is not stalled
    Port again(sim->linkPath());
    ASSERT_TRUE(again.ok());
    again.send(kIdentify);
    EXPECT_EQ(again.read(7), kIdentifyReply11);
}

TEST_F(SimCable, LineErrorsAreCountedInTheSideFileWhilePlugged) {
    using vl48sim::LineError;
    const std::string path = sim->lineStatusPath();
    EXPECT_EQ(path, sim->linkPath() + ".linestatus");
    EXPECT_EQ(fileText(path), "0 0 0 0 0\n");
    sim->raiseLineError(LineError::Parity, 2);
    sim->raiseLineError(LineError::BufferOverrun);
    EXPECT_EQ(fileText(path), "0 0 2 0 1\n");
    sim->raiseLineError(LineError::Frame);
    sim->raiseLineError(LineError::Overrun);
    sim->raiseLineError(LineError::Break, 3);
    EXPECT_EQ(fileText(path), "1 1 2 3 1\n");

    sim->unplug();
    EXPECT_FALSE(linkExists(path));
    sim->raiseLineError(LineError::Frame);
    EXPECT_FALSE(linkExists(path));
    sim->plug();  // counted since this unit was plugged in
    EXPECT_EQ(fileText(path), "0 0 0 0 0\n");
    sim->stop();
    EXPECT_FALSE(linkExists(path));
}

TEST(SimLifetime, StopAndDestructionRemoveTheLink) {
    std::string link;
    {
        vl48sim::Simulator sim;
        sim.start();
        link = sim.linkPath();
        EXPECT_TRUE(linkExists(link));
        sim.stop();
        EXPECT_FALSE(linkExists(link));
        sim.start();
        EXPECT_TRUE(linkExists(link));
    }
    EXPECT_FALSE(linkExists(link));
}

// --- line timing -----------------------------------------------------------------------------

TEST_F(SimTest, PacedExchangeTakesTheLineTimeAndComesBeforeTheTimeOut) {
    vl48sim::Options paced;
    paced.pace = true;
    paced.turnaroundMs = 5;
    launch(paced);
    const auto lineTime = 14 * kByteTime + 5ms;
    int spread = 0;
    for (int i = 0; i < 5; ++i) {
        const auto sent = Clock::now();
        ASSERT_EQ(ask(kIdentify), kIdentifyReply11);
        const auto took = port->arrivals.back() - sent;
        EXPECT_GE(took, lineTime);
        // Within what the tool waits for it; how little the pacing adds to the line time is
        // measured by bench/exchange_bench, not asserted on a shared machine.
        EXPECT_LT(took, kReplyTimeout);
        if (port->arrivals.back() - port->arrivals.front() >= 4 * kByteTime) ++spread;
    }
    // Byte by byte, not in one write. A reader held up on a busy machine finds several bytes at
    // once, but not in all five replies; one write never spreads at all.
    EXPECT_GE(spread, 1);
}

TEST_F(SimTest, TurnaroundVariesWithinItsJitterAndCanChange) {
    vl48sim::Options options;
    options.turnaroundMs = 20;
    options.turnaroundJitterMs = 40;
    options.seed = 7;
    launch(options);
    // Not one fixed pause: some replies in each half of the range. A slow machine can only make
    // replies later, so the upper half is checked with a margin it would not fake twice.
    int early = 0, late = 0;
    for (int i = 0; i < 8; ++i) {
        const auto sent = Clock::now();
        ASSERT_EQ(ask(kIdentify), kIdentifyReply11);
        const auto took = port->arrivals.back() - sent;
        EXPECT_GE(took, 20ms);
        EXPECT_LT(took, 60ms + 40ms);
        early += took < 40ms;
        late += took >= 40ms;
    }
    EXPECT_GE(early, 2);
    EXPECT_GE(late, 2);

    sim->setTurnaround(150);
    const auto sent = Clock::now();
    ASSERT_EQ(ask(kIdentify), kIdentifyReply11);
    EXPECT_GE(port->arrivals.back() - sent, 150ms);
}

TEST_F(SimTest, StreamingPeerFillsTheLineAtItsRateAndAnswersNothing) {
    const auto began = Clock::now();
    sim->setStreaming(true);
    port->send(kIdentify);
    const auto start = Clock::now();
    const Bytes got = port->read(100'000, 300ms);
    const auto ended = Clock::now();
    ASSERT_TRUE(sim->waitForRequests(1, 2s));
    EXPECT_EQ(sim->repliesSent(), 0u);

    // The longest time the line stood idle. A read that woke late finds the bytes that came
    // meanwhile in the buffer: the time they took on the line was no gap, so a pause of the
    // reading thread (a loaded or a sanitized run) is not taken for one of the simulator.
    const auto& at = port->arrivals;
    ASSERT_FALSE(at.empty());
    Clock::duration gap{};
    auto before = start;
    for (size_t i = 0; i < at.size();) {
        size_t batch = 1;
        while (i + batch < at.size() && at[i + batch] == at[i]) ++batch;
        gap = std::max(gap, at[i] - before - static_cast<long>(batch) * kByteTime);
        before = at[i];
        i += batch;
    }
    EXPECT_LT(gap, kQuietGap) << "the tool would take the line for quiet";
    EXPECT_GE(got.size(), static_cast<size_t>((ended - start) / kByteTime / 2));
    EXPECT_LE(got.size(), static_cast<size_t>((ended - began) / kByteTime + 8));

    sim->setStreaming(false);
    port->read(100'000, 50ms);  // what was already on its way
    expectNothingElseSent();    // no filler any more, and no reply held back
    EXPECT_EQ(sim->requests().size(), 2u);

    sim->setStreaming(true);
    ASSERT_EQ(port->read(1).size(), 1u);
    sim->unplug();
    port->read(100'000);
    EXPECT_TRUE(port->hungUp());
}

TEST_F(SimTest, MillivoltReadingFollowsTheInputType) {
    sim->setCell(4, 8);  // PT100: hundredths of an ohm
    EXPECT_EQ(ask(request(249)), reply(249, 10913));
    vl48sim::Readings readings = sim->readings();
    readings.milliVolt = -5;
    sim->setReadings(readings);
    EXPECT_EQ(ask(request(249)), reply(249, uint32_t(-5)));
}

// --- reference meter -------------------------------------------------------------------------

namespace {

constexpr double kCurrentNoiseA = 0.2e-6, kVoltageNoiseV = 0.1e-3;

class SimMeter : public SimTest {
protected:
    void SetUp() override {
        static int count = 0;
        vl48sim::Options options;
        options.meterLinkPath = ::testing::TempDir() + "vl48-meter-" + std::to_string(getpid()) +
                                "-" + std::to_string(count++);
        options.seed = 11;
        launch(options);
        meter = std::make_unique<Port>(sim->meterLinkPath());
        ASSERT_TRUE(meter->ok()) << sim->meterLinkPath();
    }

    // One answer line without its LF; empty if none came. answeredAt: when its LF came.
    std::string query(const std::string& line) {
        meter->send(Bytes(line.begin(), line.end()));
        std::string got;
        for (Bytes c; (c = meter->read(1, 1000ms)).size() == 1;) {
            if (c[0] == '\n') {
                answeredAt = meter->arrivals.back();
                break;
            }
            got += static_cast<char>(c[0]);
        }
        return got;
    }

    // The answer in the meter's number format, within the noise of the expected value.
    std::string expectReading(const std::string& line, double expected, double noise) {
        const std::string got = query(line);
        EXPECT_EQ(got.size(), 12u) << line << " -> " << got;
        EXPECT_TRUE(got.size() == 12 && (got[0] == '+' || got[0] == '-') && got[2] == '.' &&
                    got[8] == 'E')
            << got;
        // Six significant digits add up to half a unit of the last to the noise.
        EXPECT_NEAR(std::strtod(got.c_str(), nullptr), expected, noise + 5e-6 * std::fabs(expected))
            << line << " -> " << got;
        return got;
    }

    void drive(uint16_t code) {
        const size_t before = sim->requests().size();
        port->send(request(42, code));
        ASSERT_TRUE(sim->waitForRequests(before + 1, 2s));
    }

    std::unique_ptr<Port> meter;
    Clock::time_point answeredAt{};
};

}  // namespace

TEST(SimOutput, ModelFollowsTheFactoryCodesAndTheUnitsError) {
    vl48sim::Simulator sim;
    EXPECT_NEAR(sim.outputCurrentmA(1640), 0, 1e-9);        // 0.3 % gain, -0.2 % offset by default:
    EXPECT_NEAR(sim.outputCurrentmA(1700), 0.04166, 1e-5);  // clipped below 0 mA
    EXPECT_NEAR(sim.outputCurrentmA(16380), 20.02, 1e-9);
    struct Case {
        double gain, offset;
        uint16_t code;
        double mA, volts;
    };
    const Case cases[] = {
        {0, 0, 1640, 0, 1.01939},
        {0, 0, 16380, 20, 10.23765},
        {0, 0, 16000, 19.48440, 10},
        {0, 0, 10, 0, 0},  // current clipped at 0 mA
        {0, -1, 10, 0, -0.1},
        {0.3, 0.2, 1000, 0, 0.64099},
        {0.3, 0.2, 16380, 20.1, 10.28836},
        {-1, 0.5, 9010, 10, 5.62223},
    };
    for (const Case& c : cases) {
        sim.setOutputError(c.gain, c.offset);
        EXPECT_NEAR(sim.outputCurrentmA(c.code), c.mA, 5e-6)
            << c.gain << ":" << c.offset << " " << c.code;
        EXPECT_NEAR(sim.outputVolts(c.code), c.volts, 5e-6)
            << c.gain << ":" << c.offset << " " << c.code;
    }
}

TEST_F(SimMeter, IdentifiesAndMeasuresTheOutputAtTheDrivenCodeOrAtRest) {
    EXPECT_EQ(query("*IDN?\n"), "VL48SIM,DMM-6,00000001,1.0");
    EXPECT_EQ(query("SYST:REM\r\n*RST\n*cls\n  *idn?\r\n"), "VL48SIM,DMM-6,00000001,1.0");
    EXPECT_EQ(sim->meterRequests(),
              (std::vector<std::string>{"*IDN?", "SYST:REM", "*RST", "*cls", "  *idn?"}));
    sim->clearMeterLog();
    EXPECT_TRUE(sim->meterRequests().empty());

    // Released: the zero codes of the memory, -0.2 % of full scale off on this unit (the
    // current clipped at 0 mA).
    expectReading("MEAS:CURR:DC?\n", 0, kCurrentNoiseA);
    expectReading("MEAS:VOLT:DC?\n", -0.02, kVoltageNoiseV);
    sim->setCell(134, 9000);
    expectReading("MEAS:CURR:DC?\n", sim->outputCurrentmA(9000) / 1000, kCurrentNoiseA);
    drive(12000);
    for (const char* line : {"MEAS:CURR:DC?\n", "measure:current:dc?\r\n", ":MEAS:CURR?\n"}) {
        expectReading(line, sim->outputCurrentmA(12000) / 1000, kCurrentNoiseA);
    }
    expectReading("MEASURE:VOLTAGE:DC?\n", sim->outputVolts(12000), kVoltageNoiseV);
    drive(0);  // below 0 mA on paper, but a current output cannot, noise or not
    for (int i = 0; i < 5; ++i) {
        EXPECT_EQ(expectReading("MEAS:CURR:DC?\n", 0, kCurrentNoiseA).front(), '+');
    }
    EXPECT_EQ(query("MEAS:RES?\nMEAS:CURR:AC?\n*IDN?\n"), "VL48SIM,DMM-6,00000001,1.0");
}

TEST_F(SimMeter, ReadingsAreNoisyRepeatableWithTheSeedAndComeAfterTheTurnaround) {
    drive(9000);
    std::vector<std::string> readings;
    for (int i = 0; i < 10; ++i) {
        const auto sent = Clock::now();
        readings.push_back(query("MEAS:CURR:DC?\n"));
        EXPECT_GE(answeredAt - sent, 5ms);
    }
    EXPECT_NE(std::count(readings.begin(), readings.end(), readings[0]), 10) << readings[0];

    vl48sim::Options options;
    options.meterLinkPath = sim->meterLinkPath();
    options.seed = 11;
    options.turnaroundMs = 60;
    meter.reset();
    launch(options);
    meter = std::make_unique<Port>(sim->meterLinkPath());
    drive(9000);
    for (const std::string& earlier : readings) {
        const auto sent = Clock::now();
        EXPECT_EQ(query("MEAS:CURR:DC?\n"), earlier);
        EXPECT_GE(answeredAt - sent, 60ms);
    }
}

TEST_F(SimMeter, FaultsHitTheNextQueryOnly) {
    const std::string idn = "VL48SIM,DMM-6,00000001,1.0";
    sim->meterFault(vl48sim::MeterFault::NoReply);
    EXPECT_EQ(query("*RST\nMEAS:CURR:DC?\n*IDN?\n"), idn);  // nothing for the measurement
    sim->meterFault(vl48sim::MeterFault::Garbage);
    EXPECT_EQ(query("SYST:REM\nMEAS:VOLT:DC?\n"), "#?!garbage");
    EXPECT_EQ(query("*IDN?\n"), idn);

    const std::string link = sim->meterLinkPath();
    sim->meterFault(vl48sim::MeterFault::Unplug);
    EXPECT_EQ(query("MEAS:CURR:DC?\n*IDN?\n"), "");
    EXPECT_TRUE(meter->hungUp());
    EXPECT_FALSE(sim->meterPlugged());
    EXPECT_FALSE(linkExists(link));
    EXPECT_EQ(sim->meterRequests().back(), "MEAS:CURR:DC?");
    EXPECT_EQ(ask(kIdentify), kIdentifyReply11);  // the transmitter goes on

    sim->meterPlug();
    EXPECT_TRUE(sim->meterPlugged());
    meter = std::make_unique<Port>(link);
    ASSERT_TRUE(meter->ok());
    EXPECT_EQ(query("*IDN?\n"), idn);
    sim->stop();
    EXPECT_FALSE(linkExists(link));
}
