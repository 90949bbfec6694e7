// Connecting to a transmitter through the real window: the frames in order, what the technician
// sees, refused devices, pulled cables and automatic reconnection, and closing the window.
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QLoggingCategory>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "WindowFixture.h"
#include "window/Application.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;
using vl48test::waitUntil;

namespace {

class Connection : public vl48test::WindowTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        WindowTest::SetUp();
    }
    void TearDown() override {
        WindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }
    void connectNow() {
        choosePort();
        QTest::mouseClick(window->BtnConnect, Qt::LeftButton);
    }
    bool settingsShown() const { return window->PanelSettings->isVisible(); }
    // Runs `action` from inside the reconnection dialog's own loop once the dialog is up. If the
    // test goes wrong, the dialog is cancelled after a while so that nothing hangs.
    void whenDialogUp(std::function<void()> action) {
        auto* poll = new QTimer(window.get());
        auto* guard = new QElapsedTimer;
        guard->start();
        QObject::connect(poll, &QTimer::timeout, window.get(), [=, this] {
            if (window->OKBottomDlg->isVisible()) {
                poll->stop();
                action();
            } else if (guard->elapsed() < 5000) {
                return;
            }
            poll->deleteLater();
            delete guard;
        });
        poll->start(10);
        QTimer::singleShot(8000, window->OKBottomDlg, [this] {
            if (window->OKBottomDlg->isVisible()) window->OKBottomDlg->reject();
        });
    }
    bool connectionShown() const { return window->PanelConnect->isVisible(); }
};

}  // namespace

TEST_F(Connection, FullConnectReadsEverythingInOrderAndShowsIt) {
    connectNow();
    ASSERT_TRUE(settingsShown()) << messageTexts().join("|").toStdString();
    EXPECT_FALSE(connectionShown());
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();

    std::vector<int> expected = {CmdIdentify, CmdFirmware, CmdTemp, CmdMeasure, CmdSerialNumber};
    std::vector<int> cells = {4,  6,  44, 30, 32,  8,   34,  36,  42,
                              40, 50, 52, 38, 134, 136, 142, 144, 88};
    for (size_t i = 0; i < cells.size(); ++i) expected.push_back(CmdReadCell);
    expected.push_back(CmdReadNote);
    expected.push_back(CmdReadCell);
    ASSERT_EQ(requestCommands(), expected);
    const auto frames = sim->requests();
    for (size_t i = 0; i < cells.size(); ++i)
        EXPECT_EQ(frames[5 + i].bytes[4], cells[i]) << "read " << i;
    EXPECT_EQ(frames.back().bytes[4], EEDACorrState);
    for (const auto& f : frames) EXPECT_EQ(f.bytes[1], window->link->FrameTag());

    EXPECT_EQ(window->LblInfoType->text(), "VL48");
    EXPECT_EQ(window->LblInfoFW->text(), "1.310");
    EXPECT_EQ(window->LblInfoDate->text(), "25.03.2012");
    EXPECT_EQ(window->LblInfoSN->text(), "00042");
    EXPECT_EQ(window->LblInfoTemp->text(), "23,5 °C");
    EXPECT_EQ(window->LblMeasTE->text(), "23,5");
    EXPECT_EQ(window->LblMeasIN->text(), "23,45");
    EXPECT_EQ(window->panel(0), "Převodník VL48, firmware: 1.310/250312");
    EXPECT_EQ(window->panel(1), QString::fromStdString(portPath()));
    EXPECT_TRUE(window->panel(2).endsWith(" ms"));
    EXPECT_FALSE(window->RdBtnNi891->isHidden()) << "firmware above 1310000000 offers Ni 891";
    EXPECT_TRUE(window->RdBtnTermK->isChecked());
    EXPECT_TRUE(window->RdBtnAO4_20->isChecked());
    EXPECT_EQ(window->EdtNote->text(), "VL48 simulator");
    EXPECT_FALSE(window->BtnConnect->isEnabled());
    EXPECT_TRUE(window->ComPort->Active());
    // Reading writes nothing and drives nothing.
    for (int cmd : requestCommands()) {
        EXPECT_NE(cmd, CmdWriteCell);
        EXPECT_NE(cmd, CmdOutputSet);
        EXPECT_NE(cmd, CmdOutputRelease);
    }
}

TEST_F(Connection, EnterInThePortBoxConnects) {
    choosePort();
    window->CmbBxPort->setFocus();
    QTest::keyClick(window->CmbBxPort->lineEdit(), Qt::Key_Return);
    EXPECT_TRUE(settingsShown());
    EXPECT_EQ(window->CmbBxPort->findText(QString::fromStdString(portPath())), -1)
        << "the typed text is never added as an item";
}

TEST_F(Connection, DisplayUnitConnectsWithItsOwnDescription) {
    vl48sim::Identity display;
    display.deviceType = 12;
    sim->setIdentity(display);
    connectNow();
    EXPECT_TRUE(settingsShown());
    EXPECT_EQ(window->panel(0), "Digitální ukazatel KRT 52, firmware: 1.310/250312");
    EXPECT_EQ(window->LblInfoType->text(), "VL48");
}

TEST_F(Connection, WrongDeviceIsRefused) {
    vl48sim::Identity other;
    other.deviceType = 10;
    sim->setIdentity(other);
    connectNow();
    EXPECT_EQ(messageTexts(), QStringList{"Na lince n=ení připojen převodník VL48."});
    EXPECT_TRUE(connectionShown());
    EXPECT_EQ(window->LblInfoType->text(), "VL48X");
    EXPECT_EQ(window->panel(0), window->MsgSelectPort);
    EXPECT_TRUE(window->BtnConnect->isEnabled());
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_EQ(requestCommands(), (std::vector<int>{CmdIdentify, CmdFirmware}));
}

TEST_F(Connection, IdentifierAndTemperatureTexts) {
    vl48sim::Identity unit;
    unit.firmware = 1310000000;  // not above: no Ni 891
    sim->setIdentity(unit);
    vl48sim::Readings readings;
    readings.terminalTemp = -200;  // FF 38
    readings.measured = 327672;
    sim->setReadings(readings);
    sim->setUnsupported(CmdSerialNumber);
    connectNow();
    ASSERT_TRUE(settingsShown());
    EXPECT_EQ(window->LblInfoSN->text(), "není podporováno");
    EXPECT_EQ(window->LblInfoTemp->text(), "-20 °C");
    EXPECT_EQ(window->LblMeasTE->text(), "-20");
    EXPECT_EQ(window->LblMeasIN->text(), "Err -T");
    EXPECT_TRUE(window->RdBtnNi891->isHidden());
}

TEST_F(Connection, UnknownFaultCodeEmptiesTheMeasuredValue) {
    window->LblMeasIN->setText("12,5");  // left over from another transmitter
    vl48sim::Readings readings;
    readings.measured = 327675;
    sim->setReadings(readings);
    connectNow();
    EXPECT_TRUE(window->LblMeasIN->text().isEmpty());
}

TEST_F(Connection, CorrectedOutputIsWarnedBeforeTheSettingsView) {
    sim->setCell(EEDACorrState, 1);
    bool settingsWhenWarned = true;
    window->messageHook = [&](MsgKind kind, const QString& text) {
        messages.push_back({kind, text});
        settingsWhenWarned = settingsShown();
    };
    connectNow();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(messages[0].text,
              "Byla provedena korekce DA výstupu uživatelem mimo kalibrační data!");
    EXPECT_FALSE(settingsWhenWarned);
    EXPECT_TRUE(settingsShown());
}

TEST_F(Connection, PortThatCannotBeOpened) {
    for (const QString& text : {dir.filePath("nothing-here"), QString()}) {
        messages.clear();
        window->CmbBxPort->setCurrentText(text);
        QTest::mouseClick(window->BtnConnect, Qt::LeftButton);
        EXPECT_EQ(messageTexts(), QStringList{"Vybrali jste neplatný COM port."});
        EXPECT_TRUE(window->BtnConnect->isEnabled());
        EXPECT_TRUE(connectionShown());
        EXPECT_FALSE(window->ComPort->Active());
        EXPECT_EQ(window->panel(0), QString::fromUtf8(TFrmMain::StartupPrompt));
    }
    // COM names from 10 up need the Windows device prefix; below, and any other name, as typed.
    const std::pair<QString, QString> names[] = {{"COM9", "COM9"}, {"COM10", "\\\\.\\COM10"}};
    for (const auto& [text, device] : names) {
        window->CmbBxPort->setCurrentText(text);
        QTest::mouseClick(window->BtnConnect, Qt::LeftButton);
        EXPECT_EQ(window->ComPort->DeviceName(), device);
    }
}

TEST_F(Connection, PortHeldByAnotherProgramSaysSo) {
    TComPort holder;
    holder.setDeviceName(QString::fromStdString(portPath()));
    holder.setActive(true);
    const QString port = QString::fromStdString(portPath());
    connectNow();
    window->MSLanguageENClick();
    connectNow();
    EXPECT_EQ(messageTexts(),
              (QStringList{
                  "Vybrali jste neplatný COM port.\nPort " + port + " používá jiný program.",
                  "Invalid COM Port selected.\nPort " + port + " is in use by another program."}));
    EXPECT_TRUE(window->BtnConnect->isEnabled());
    // Once the other program lets go, the same press connects.
    holder.setActive(false);
    connectNow();
    EXPECT_TRUE(settingsShown());
}

TEST_F(Connection, SilentTransmitterEndsTheAttempt) {
    for (uint8_t cmd : {CmdIdentify, CmdFirmware, CmdTemp, CmdMeasure}) {
        messages.clear();
        sim->clearLog();
        sim->injectFaultOnCommand(cmd, {Kind::NoReply});
        connectNow();
        EXPECT_EQ(messageTexts(), QStringList{"Spojení s převodníkem bylo ztraceno."}) << int(cmd);
        EXPECT_TRUE(connectionShown());
        EXPECT_TRUE(window->BtnConnect->isEnabled());
        EXPECT_EQ(requestCommands().back(), cmd);
    }
    // No answer for cell 200, the last read: the attempt says why it stops there too.
    messages.clear();
    sim->injectFaultOnCommand(CmdReadCell, {Kind::NoReply});  // consumed by cell 4: harmless
    connectNow();
    ASSERT_TRUE(settingsShown());
    window->ShowConnect();
    messages.clear();
    sim->clearLog();
    sim->injectFault({Kind::NoReply}, 24);  // 5 identification requests, 17 cells, 88, 26, 200
    connectNow();
    EXPECT_EQ(messageTexts(), QStringList{"Spojení s převodníkem bylo ztraceno."});
    EXPECT_TRUE(connectionShown());
    EXPECT_TRUE(window->BtnConnect->isEnabled());
}

TEST_F(Connection, ANoteOfUnreadLengthThatComesLateIsNotTakenForTheNextReply) {
    // The length (cell 88) goes unanswered, so the note request reads nothing; the note's bytes
    // come after the pause, while the next request is out.
    vl48sim::Fault late{Kind::LateReply};
    late.delayMs = 600;
    sim->injectFault({Kind::NoReply}, 22);
    sim->injectFault(late, 23);
    connectNow();
    EXPECT_TRUE(settingsShown()) << messageTexts().join("|").toStdString();
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
    EXPECT_EQ(requestCommands().back(), CmdReadCell);
    EXPECT_EQ(requestCommands().size(), 25u);  // cell 200 asked once, once the line was quiet
}

// A factory-fresh unit after a configured one, with its range-end read failing: it shows what
// it answered and nothing of the first, and a value it did not give is not written from its field.
TEST_F(Connection, TheNextUnitShowsOnlyWhatItAnswered) {
    connectNow();
    ASSERT_TRUE(window->RdBtnTermK->isChecked());
    window->MenuCommEndClick();
    for (Cell cell : {EEInputType, EEOutputType, EEFilter, EECompMode, EEWiring, EEOutputLimit,
                      EESensorFault, EENoteLength})
        sim->setCell(cell, 0xFFFF);
    sim->setCell(EERangeBegin, 20);
    sim->injectFault({Kind::BadCrc}, 9);  // the read of cell 32
    connectNow();
    ASSERT_TRUE(settingsShown()) << messageTexts().join("|").toStdString();
    for (const QRadioButton* button : window->TabBasicSet->findChildren<QRadioButton*>())
        EXPECT_FALSE(button->isChecked()) << button->objectName().toStdString();
    EXPECT_FALSE(window->ChckBxDaRest->isChecked());
    EXPECT_EQ(window->Config,
              (ConfigRecord{0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}));
    EXPECT_EQ(window->EdtNote->text(), "");
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "0020");
    EXPECT_EQ(window->MskEdtTempEnd->displayText().trimmed(), "");

    // The choice the first unit showed is a choice here, and it is written.
    sim->clearLog();
    window->RdBtnTermK->setChecked(true);
    EXPECT_EQ(cellWrites(), (std::vector<CellWrite>{{EEInputType, 1}}));
    messages.clear();
    window->MskEdtTempEnd->setFocus();
    QTest::keyClick(window->MskEdtTempEnd, Qt::Key_Return);
    EXPECT_EQ(messageTexts(), QStringList{"Hodnota nebyla z tohoto převodníku přečtena ani zadána, "
                                          "nic nebylo zapsáno."});
    EXPECT_EQ(cellWrites().size(), 1u);
}

TEST_F(Connection, PulledCableWithoutAutomaticReconnection) {
    connectNow();
    ASSERT_TRUE(settingsShown());
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return connectionShown(); }));
    EXPECT_EQ(
        messageTexts(),
        QStringList{"Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku."});
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_TRUE(window->BtnConnect->isEnabled());
    EXPECT_EQ(window->panel(0), window->MsgSelectPort);
}

TEST_F(Connection, PulledCableInTheMiddleOfConnectingIsHandledAfterwards) {
    sim->injectFaultOnCommand(CmdTemp, {Kind::Unplug});
    connectNow();
    ASSERT_TRUE(waitUntil([&] { return messages.size() >= 2; }));
    EXPECT_EQ(
        messageTexts(),
        (QStringList{"Spojení s převodníkem bylo ztraceno.",
                     "Komunikační kabel byl odpojen nebo došlo k výpadku napájení převodníku."}));
    EXPECT_TRUE(connectionShown());
    EXPECT_TRUE(window->BtnConnect->isEnabled());
}

TEST_F(Connection, AutomaticReconnectionFindsTheNextTransmitter) {
    window->ChckBxAutoCon->setChecked(true);
    connectNow();
    ASSERT_TRUE(settingsShown());
    bool dialogWasUp = false, secondErrorIgnored = false, acted = false;
    // The dialog runs its own loop; the test acts from inside it.
    whenDialogUp([&] {
        acted = true;
        dialogWasUp = window->OKBottomDlg->isVisible() && window->OKBottomDlg->Tag == 1 &&
                      window->TmrReConn->isActive() && connectionShown();
        window->ComPortLineError(leDeviceLost);  // a line error while waiting does nothing
        secondErrorIgnored = messages.empty();
        vl48sim::Identity next;
        next.serial = 43;
        sim->plug(next);
    });
    sim->unplug();
    ASSERT_TRUE(waitUntil(
        [&] { return acted && settingsShown() && !window->OKBottomDlg->isVisible(); }, 8000));
    EXPECT_TRUE(dialogWasUp);
    EXPECT_TRUE(secondErrorIgnored);
    EXPECT_EQ(window->LblInfoSN->text(), "00043");
    EXPECT_EQ(window->OKBottomDlg->Tag, 0);
    EXPECT_FALSE(window->TmrReConn->isActive());
    EXPECT_TRUE(window->ComPort->Active());
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
}

TEST_F(Connection, TheReconnectionDialogAsksAtEveryTick) {
    window->ChckBxAutoCon->setChecked(true);
    connectNow();
    ASSERT_TRUE(settingsShown());
    // Plugged back in, but nothing answers: every tick opens the port and asks once, also the
    // one right after an unanswered query.
    int ticks = -1;
    whenDialogUp([&] {
        sim->setUnsupported(CmdIdentify);
        sim->plug();
        sim->clearLog();
        ticks = 0;
    });
    QObject::connect(window->TmrReConn, &QTimer::timeout, window.get(), [&] {
        if (ticks >= 0 && ++ticks == 4) window->OKBottomDlg->reject();
    });
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return ticks == 4 && !window->OKBottomDlg->isVisible(); }, 8000));
    EXPECT_EQ(requestCommands(), std::vector<int>(4, CmdIdentify));
}

TEST_F(Connection, CancelEndsTheWait) {
    window->ChckBxAutoCon->setChecked(true);
    connectNow();
    ASSERT_TRUE(settingsShown());
    whenDialogUp([&] { QTest::mouseClick(window->OKBottomDlg->CancelBtn, Qt::LeftButton); });
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return window->BtnConnect->isEnabled(); }));
    EXPECT_FALSE(window->OKBottomDlg->isVisible());
    EXPECT_FALSE(window->TmrReConn->isActive());
    EXPECT_EQ(window->OKBottomDlg->Tag, 0);
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_TRUE(connectionShown());
    // Closing the dialog by Escape acts the same.
    sim->plug();
    connectNow();
    ASSERT_TRUE(settingsShown());
    whenDialogUp([&] { QTest::keyClick(window->OKBottomDlg, Qt::Key_Escape); });
    sim->unplug();
    ASSERT_TRUE(waitUntil([&] { return window->BtnConnect->isEnabled(); }));
    EXPECT_FALSE(window->TmrReConn->isActive());
    EXPECT_EQ(window->OKBottomDlg->Tag, 0);
}

TEST_F(Connection, ClosingTheWindowReleasesTheOutput) {
    connectNow();
    ASSERT_TRUE(settingsShown());
    sim->clearLog();
    window->close();
    ASSERT_TRUE(sim->waitForRequests(1, std::chrono::milliseconds(2000)));
    EXPECT_EQ(requestCommands(), std::vector<int>{CmdOutputRelease});
    EXPECT_FALSE(window->ComPort->Active());
}

TEST_F(Connection, ClosingTheWindowWhileDisconnectedSendsNothing) {
    choosePort();  // picked but never connected: a release sent anyway would reach the simulator
    window->close();
    // A frame written during the close arrives well within one reply time-out.
    EXPECT_FALSE(
        sim->waitForRequests(1, std::chrono::milliseconds(TComPort::totalTimeoutMs(FrameSize))));
}

TEST_F(Connection, LostNoteEndsTheConnectionAndTheLastReadMeetsTheClosedPort) {
    // The port error of the last read is shown by the handler itself: it never travels through
    // Qt's event dispatch to the application's last resort.
    auto& app = dynamic_cast<TApplication&>(*QCoreApplication::instance());
    const int reachedNotify = app.exceptionsInNotify;
    sim->injectFaultOnCommand(CmdReadNote, {Kind::NoReply});
    connectNow();
    EXPECT_EQ(messageTexts(), (QStringList{"Spojení s převodníkem bylo ztraceno.",
                                           "Can't perform this operation on a closed port"}));
    EXPECT_EQ(app.exceptionsInNotify, reachedNotify);
    EXPECT_TRUE(connectionShown());
    EXPECT_EQ(requestCommands().back(), CmdReadNote);
}

namespace {

// Trace lines of one category, caught while a TraceCatcher lives.
struct TraceCatcher {
    explicit TraceCatcher(const char* category) {
        caught().clear();
        wanted() = category;
        QLoggingCategory::setFilterRules(QStringLiteral("vl48.*.debug=true"));
        previous = qInstallMessageHandler(
            [](QtMsgType, const QMessageLogContext& context, const QString& text) {
                if (context.category && wanted() == context.category) caught() << text;
            });
    }
    ~TraceCatcher() {
        qInstallMessageHandler(previous);
        QLoggingCategory::setFilterRules(QString());
    }
    static QStringList& caught() {
        static QStringList lines;
        return lines;
    }
    static QByteArray& wanted() {
        static QByteArray name;
        return name;
    }
    QtMessageHandler previous = nullptr;
};

}  // namespace

TEST_F(Connection, ATracedConnectionShowsEveryExchangeWithItsOutcome) {
    sim->setUnsupported(CmdSerialNumber);  // an older unit: no answer to 247
    TraceCatcher trace("vl48.link");
    connectNow();
    const QStringList lines = TraceCatcher::caught();
    ASSERT_TRUE(settingsShown());
    const auto requests = requestsHex();
    ASSERT_GE(requests.size(), 5u);
    ASSERT_GE(lines.size(), 5);
    // The presence query and its answer (device type 11), then the silent 247.
    const QRegularExpression good(
        QRegularExpression::escape(QString::fromStdString(
            requests[0] + " -> " + vl48test::requestHex(CmdIdentify, 0, 0, 0, 11))) +
        R"( \(\d+ ms\) good)");
    EXPECT_TRUE(good.match(lines[0]).hasMatch()) << lines[0].toStdString();
    const QRegularExpression timedOut(
        QRegularExpression::escape(QString::fromStdString(requests[4] + " -> -")) +
        R"( \((\d+) ms\) time-out)");
    const auto match = timedOut.match(lines[4]);
    ASSERT_TRUE(match.hasMatch()) << lines[4].toStdString();
    EXPECT_GE(match.captured(1).toInt(), TComPort::totalTimeoutMs(FrameSize));
    // Nothing is traced unless asked for.
    QLoggingCategory::setFilterRules(QStringLiteral("vl48.*.debug=false"));
    TraceCatcher::caught().clear();
    window->ShowConnect();
    connectNow();
    ASSERT_TRUE(settingsShown());
    EXPECT_EQ(TraceCatcher::caught(), QStringList{});
}
