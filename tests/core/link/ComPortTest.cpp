// The port object over a real pseudo-terminal: opening, names, blocking reads with their total
// time-out, and exactly one line-error event when the device vanishes.
#include <QElapsedTimer>
#include <QSignalSpy>

#include "SimFixture.h"
#include "core/link/ComPort.h"
#include "core/link/Frame.h"

using namespace vl48;
using vl48test::waitUntil;

namespace {

class ComPortTest : public vl48test::SimTest {
protected:
    void open() {
        port.setDeviceName(QString::fromStdString(portPath()));
        port.setActive(true);
    }
    // One identify exchange by hand: write, wait, read 7.
    Frame identify() {
        const Frame request = buildSendRequest(CmdIdentify, 1, 0);
        port.PortWrite(request.data(), FrameSize);
        port.PortWaitWrite();
        Frame reply{};
        port.PortRead(reply.data(), FrameSize);
        return reply;
    }
    TComPort port;
};

std::string raisedText(const std::function<void()>& f) {
    try {
        f();
    } catch (const EComError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

}  // namespace

TEST_F(ComPortTest, OpensAtTheFixedSettingsAndTalks) {
    open();
    EXPECT_TRUE(port.Active());
    const Frame reply = identify();
    EXPECT_TRUE(replyIsValid(reply, CmdIdentify));
    EXPECT_EQ(reply[4], 11);
}

TEST_F(ComPortTest, UnknownNameFailsAtOpenNotWhenSet) {
    EXPECT_NO_THROW(port.setDeviceName(dir.filePath("no-such-port")));
    EXPECT_THROW(port.setActive(true), EComError);
    EXPECT_FALSE(port.Active());
    // And the object is still usable afterwards.
    open();
    EXPECT_TRUE(port.Active());
}

TEST_F(ComPortTest, ClosingTwiceAndRenamingRules) {
    open();
    EXPECT_NO_THROW(port.setDeviceName(QString::fromStdString(portPath())));  // same name
    EXPECT_EQ(raisedText([&] { port.setDeviceName("/dev/ttyS99"); }),
              "Can't perform this operation on an open port");
    EXPECT_EQ(port.DeviceName(), QString::fromStdString(portPath()));
    port.setActive(false);
    EXPECT_NO_THROW(port.setActive(false));
    EXPECT_NO_THROW(port.setDeviceName("/dev/ttyS99"));  // closed: any name is taken
    EXPECT_EQ(port.DeviceName(), "/dev/ttyS99");
}

TEST_F(ComPortTest, SecondOpenOfTheSamePortIsRefused) {
    open();
    TComPort other;
    other.setDeviceName(QString::fromStdString(portPath()));
    EXPECT_THROW(other.setActive(true), EComError);
    EXPECT_FALSE(other.Active());
}

TEST_F(ComPortTest, OperationsOnAClosedPortRaiseTheClosedText) {
    const std::string closed = "Can't perform this operation on a closed port";
    uint8_t buf[7] = {};
    EXPECT_EQ(raisedText([&] { port.PortWrite(buf, 7); }), closed);
    EXPECT_EQ(raisedText([&] { port.PortWaitWrite(); }), closed);
    EXPECT_EQ(raisedText([&] { port.PortRead(buf, 7); }), closed);
    EXPECT_NO_THROW(port.PortDiscardInput());
}

TEST_F(ComPortTest, ReadOfZeroBytesReturnsAtOnce) {
    open();
    // Nothing is on the line: a read that waited for data would sit out its time-out.
    QElapsedTimer clock;
    clock.start();
    port.PortRead(nullptr, 0);
    EXPECT_LT(clock.elapsed(), TComPort::totalTimeoutMs(0));
}

TEST_F(ComPortTest, ShortReplyTimesOutAfterTheTotalTimeout) {
    open();
    for (int sent : {5, 0}) {
        vl48sim::Fault fault{vl48sim::Fault::Kind::ShortReply};
        fault.count = sent;
        sim->injectFault(fault);
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(raisedText([&] { identify(); }), "Timeout") << sent << " bytes sent";
        const qint64 ms = clock.elapsed();
        EXPECT_GE(ms, 800) << "a time-out must never come early";
        EXPECT_LT(ms, 2500);
        EXPECT_TRUE(port.Active()) << "a time-out leaves the port usable";
    }
    EXPECT_TRUE(replyIsValid(identify(), CmdIdentify));
}

TEST_F(ComPortTest, UnplugWhileIdleGivesOneLineErrorAndClosesThePort) {
    open();
    QSignalSpy spy(&port, &TComPort::OnLineError);
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return spy.count() > 0; }));
    EXPECT_FALSE(port.Active());
    // No flood: the loop keeps running and nothing more is reported.
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<TLineErrors>() & leDeviceLost, unsigned(leDeviceLost));
}

TEST_F(ComPortTest, UnplugDuringAReadFailsItAndReportsOnce) {
    open();
    QSignalSpy spy(&port, &TComPort::OnLineError);
    vl48sim::Fault fault{vl48sim::Fault::Kind::Unplug};
    sim->injectFault(fault);
    QElapsedTimer clock;
    clock.start();
    EXPECT_THROW(identify(), EComError);
    EXPECT_LT(clock.elapsed(), 800) << "a vanished device is noticed at once, not by time-out";
    EXPECT_FALSE(port.Active());
    // The report comes from the event loop, after the operation has returned.
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return spy.count() > 0; }));
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(spy.count(), 1);
    uint8_t buf[7];
    EXPECT_EQ(raisedText([&] { port.PortWrite(buf, 7); }),
              "Can't perform this operation on a closed port");
}

TEST_F(ComPortTest, ReplugAndReopenWork) {
    open();
    QSignalSpy spy(&port, &TComPort::OnLineError);
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return spy.count() == 1; }));
    EXPECT_THROW(open(), EComError) << "nothing to open while unplugged";
    sim->plug();
    open();
    EXPECT_TRUE(replyIsValid(identify(), CmdIdentify));
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(spy.count(), 1) << "no stale report for the new device";
}

TEST_F(ComPortTest, ReopenBeforeTheQueuedReportDropsTheStaleReport) {
    open();
    QSignalSpy spy(&port, &TComPort::OnLineError);
    sim->injectFault({vl48sim::Fault::Kind::Unplug});
    EXPECT_THROW(identify(), EComError);
    // The window gives up and reconnects before the event loop has run.
    sim->plug();
    port.setActive(false);
    open();
    waitUntil([] { return false; }, 200);
    EXPECT_EQ(spy.count(), 0);
    EXPECT_TRUE(port.Active());
    EXPECT_TRUE(replyIsValid(identify(), CmdIdentify));
}

TEST_F(ComPortTest, ListPortsShowsPublishedSimulators) {
    vl48sim::Simulator published;  // publishes into the common folder
    published.start();
    QStringList ports;
    TComPort::ListPorts(ports);
    EXPECT_TRUE(ports.contains(QString::fromStdString(published.linkPath())))
        << ports.join(", ").toStdString();
    published.unplug();
    ports.clear();
    TComPort::ListPorts(ports);
    EXPECT_FALSE(ports.contains(QString::fromStdString(published.linkPath())));
}
