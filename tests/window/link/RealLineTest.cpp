// The window on a line as a bench has it: a transmitter with a turnaround of its own and replies
// that come late, a peer that never stops sending, line-status errors, a write that cannot get
// out, and units that follow one another on automatic reconnection.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <thread>

#include "WindowFixture.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;
using vl48test::waitUntil;

namespace {

const QString LostCz = QStringLiteral("Spojení s převodníkem bylo ztraceno.");
const QString CableCz =
    QStringLiteral("Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku.");
const int ReplyTimeoutMs = TComPort::totalTimeoutMs(FrameSize);

class RealLine : public vl48test::WindowTest {
protected:
    void connectNow() {
        choosePort();
        QTest::mouseClick(window->BtnConnect, Qt::LeftButton);
    }
    bool settingsShown() const { return window->PanelSettings->isVisible(); }
    bool disconnected() const {
        return window->PanelConnect->isVisible() && window->BtnConnect->isEnabled() &&
               !window->ComPort->Active();
    }
    // Runs `action` inside the reconnection dialog's loop once it is up (at most once).
    void whenDialogUp(std::function<void()> action) {
        auto* poll = new QTimer(window.get());
        QObject::connect(poll, &QTimer::timeout, window.get(), [=, this] {
            if (!window->OKBottomDlg->isVisible()) return;
            poll->stop();
            poll->deleteLater();
            action();
        });
        poll->start(10);
    }
    bool dialogGoneAnd(bool shown) const {
        return !window->OKBottomDlg->isVisible() && settingsShown() == shown;
    }
};

}  // namespace

TEST_F(RealLine, ALateReplyFromASlowTransmitterShiftsNoValue) {
    sim->setTurnaround(100, 50);
    sim->setCell(EERangeBegin, 111);
    sim->setCell(EERangeEnd, 222);
    sim->setCell(EECompMode, 1);
    sim->setCell(EECompTemp, 33);
    sim->setCell(EELineRes, 150);
    // Answered 850 to 900 ms after it arrived: past the time-out, and during the next request.
    vl48sim::Fault late{Kind::LateReply};
    late.delayMs = 750;
    sim->injectFault(late, 8);  // identification (5), cells 4, 5, 6, then the range begin
    connectNow();
    ASSERT_TRUE(settingsShown()) << messageTexts().join("|").toStdString();
    EXPECT_EQ(window->MskEdtTempEnd->maskedText(), "0222");
    EXPECT_EQ(window->Config.EECompMode, 1);
    EXPECT_EQ(window->MskEdtTcldEnd->maskedText(), "033");
    EXPECT_EQ(window->MskEdtResComp->maskedText(), "01,50");
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
}

TEST_F(RealLine, APeerThatNeverStopsSendingNeverFreezesTheWindow) {
    sim->setStreaming(true);
    for (int attempt = 1; attempt <= 3; ++attempt) {
        messages.clear();
        QElapsedTimer clock;
        clock.start();
        connectNow();
        // Its time-out, plus at most one settling wait after the failure before.
        EXPECT_LT(clock.elapsed(), 2 * ReplyTimeoutMs + 400) << "attempt " << attempt;
        EXPECT_EQ(messageTexts(), QStringList{LostCz}) << "attempt " << attempt;
        EXPECT_TRUE(disconnected());
    }

    // The same peer behind the reconnection dialog: Cancel still gets through.
    sim->setStreaming(false);
    window->ChckBxAutoCon->setChecked(true);
    connectNow();
    ASSERT_TRUE(settingsShown());
    QElapsedTimer sinceCancel;
    whenDialogUp([&] {
        sim->setStreaming(true);
        QTimer::singleShot(3 * 1000, window.get(), [&] {
            sinceCancel.start();
            QTest::mouseClick(window->OKBottomDlg->CancelBtn, Qt::LeftButton);
        });
    });
    sim->unplug();
    sim->plug();
    ASSERT_TRUE(waitUntil([&] { return sinceCancel.isValid() && dialogGoneAnd(false); }, 10000));
    EXPECT_TRUE(disconnected());
}

TEST_F(RealLine, ALineStatusErrorEndsTheConnectionOrStartsTheReconnection) {
    connectNow();
    ASSERT_TRUE(settingsShown());
    messages.clear();
    sim->raiseLineError(vl48sim::LineError::Frame);
    ASSERT_TRUE(waitUntil([&] { return disconnected(); }));
    EXPECT_EQ(messageTexts(), QStringList{CableCz});

    // With automatic reconnection the dialog comes up, and the unit still on the line is found.
    messages.clear();
    window->ChckBxAutoCon->setChecked(true);
    connectNow();
    ASSERT_TRUE(settingsShown());
    bool dialogCameUp = false;
    whenDialogUp([&] { dialogCameUp = true; });
    sim->raiseLineError(vl48sim::LineError::Parity);
    ASSERT_TRUE(waitUntil([&] { return dialogCameUp && dialogGoneAnd(true); }, 8000));
    EXPECT_TRUE(window->ComPort->Active());
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
}

TEST_F(RealLine, AWriteThatCannotGetOutFailsItsExchange) {
    // Nothing leaves the port: the presence query's write times out inside Connect.
    sim->setWritesStalled(true);
    connectNow();
    EXPECT_EQ(messageTexts(), QStringList{LostCz});
    EXPECT_TRUE(disconnected());

    // The unit vanishes while a write waits: the same failure, then the cable message, and no
    // system text in between. No condition of the tool's own shows a pending write, so the
    // cable is pulled after a pause well inside the write's time-out.
    messages.clear();
    std::thread puller([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(ReplyTimeoutMs / 4));
        sim->unplug();
    });
    connectNow();
    puller.join();
    ASSERT_TRUE(waitUntil([&] { return messages.size() >= 2; }));
    EXPECT_EQ(messageTexts(), (QStringList{LostCz, CableCz}));
    EXPECT_TRUE(disconnected());
}

TEST_F(RealLine, AReconnectionTickStartsFromACleanWindow) {
    // The first unit: a firmware that offers Ni 891, a millivolt reading, a correction copy.
    sim->setCell(EEAOIZeroBackup, 1600);
    window->ChckBxAutoCon->setChecked(true);
    connectNow();
    ASSERT_TRUE(settingsShown());
    ASSERT_FALSE(window->RdBtnNi891->isHidden());
    window->LblMeasMV->setText(QStringLiteral("1,234"));
    window->MSettingsDACorr->trigger();
    window->PageControl1->setCurrentWidget(window->TabDACorr);
    window->MskEdtPwd1->setFocus(Qt::TabFocusReason);
    QTest::keyClicks(window->MskEdtPwd1, QStringLiteral("RT5063"));
    QTest::keyClick(window->MskEdtPwd1, Qt::Key_Return);
    ASSERT_TRUE(window->PanelDACorr->isVisible()) << messageTexts().join("|").toStdString();

    // The second unit, plugged in while the dialog waits.
    vl48sim::Identity second;
    second.firmware = 1310000000;
    second.serial = 43;
    bool plugged = false;
    whenDialogUp([&] {
        sim->plug(second);
        plugged = true;
    });
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return plugged && dialogGoneAnd(true); }, 8000));
    ASSERT_EQ(window->LblInfoSN->text(), "00043");
    EXPECT_TRUE(window->RdBtnNi891->isHidden());
    EXPECT_TRUE(window->LblMeasMV->text().isEmpty());
    EXPECT_FALSE(window->PanelDACorr->isVisible());
    EXPECT_TRUE(window->SpdBtnEnableDACorr->isEnabled());

    // Nothing of the first unit's copy can be written into the second.
    messages.clear();
    sim->clearLog();
    window->SpdBtnUndoDACorrClick();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(window->Send(CmdIdentify, 0));
    EXPECT_EQ(requestCommands(), std::vector<int>{CmdIdentify});
}
