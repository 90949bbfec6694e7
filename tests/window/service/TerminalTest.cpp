// The service panel against the simulated transmitter: the terminal's refresh, converter word,
// single-cell commands, output drive and terminal sensor offset, and the input calibration (PT100
// and PT1000 two-point procedures, thermocouple offset and millivolt correction). Each test
// asserts the exact requests the transmitter received and what the technician sees.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QTest>
#include <cmath>
#include <functional>

#include "WindowFixture.h"
#include "core/link/Frame.h"
#include "window/Widgets.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;

namespace {

const QString ConnectionLost = QStringLiteral("Spojení s převodníkem bylo ztraceno.");

class Service : public vl48test::WindowTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        WindowTest::SetUp();
        connectAndOpen();
    }
    void TearDown() override {
        WindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    // Connects and opens the service panel the way a technician does once the code is accepted.
    void connectAndOpen() {
        choosePort();
        window->BtnConnectClick();
        ASSERT_TRUE(window->PanelSettings->isVisible()) << messageTexts().join("|").toStdString();
        if (!window->MSettingsService->isChecked()) window->MSettingsService->trigger();
        window->PanelPwd->hide();
        window->PanelService->show();
        window->PageControl1->setCurrentWidget(window->TabService);
        messages.clear();
        sim->clearLog();
    }

    // The requests received, each as its command and three data bytes ("F6 00 13 91"). Every
    // one must carry the connection's tag and a good CRC.
    std::vector<std::string> frames() const {
        std::vector<std::string> out;
        for (const auto& f : sim->requests()) {
            EXPECT_TRUE(f.crcOk) << vl48test::hex(f.bytes);
            EXPECT_EQ(f.bytes[1], window->link->FrameTag()) << vl48test::hex(f.bytes);
            out.push_back(vl48test::hex({f.bytes[0], f.bytes[2], f.bytes[3], f.bytes[4]}));
        }
        return out;
    }
    // For requests that get no reply (output drive and release): wait until they have arrived.
    std::vector<std::string> framesAfter(size_t count) const {
        EXPECT_TRUE(sim->waitForRequests(count, std::chrono::seconds(3)));
        return frames();
    }

    void setReadings(const std::function<void(vl48sim::Readings&)>& change) {
        vl48sim::Readings r = sim->readings();
        change(r);
        sim->setReadings(r);
    }

    // Clicks where a person would: a check box or radio button on its indicator, a push button
    // anywhere.
    void click(QAbstractButton* b) {
        ASSERT_TRUE(b->isVisible()) << b->objectName().toStdString();
        const bool indicator = qobject_cast<QRadioButton*>(b) || qobject_cast<QCheckBox*>(b);
        QTest::mouseClick(b, Qt::LeftButton, {},
                          indicator ? QPoint(6, b->height() / 2) : b->rect().center());
    }
    void typeInto(QLineEdit* field, const QString& text) {
        field->setFocus();
        field->selectAll();
        field->setCursorPosition(0);
        QTest::keyClicks(field, text);
    }
    void activate() {
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(vl48test::waitUntil([&] { return window->isActiveWindow(); }));
    }
    static void focus(QWidget* widget) {
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(vl48test::waitUntil([&] { return widget->hasFocus(); }))
            << widget->objectName().toStdString();
    }
    bool connected() const {
        return window->PanelSettings->isVisible() && window->ComPort->Active();
    }
    bool droppedToConnectView() const {
        return window->PanelConnect->isVisible() && !window->ComPort->Active();
    }
    static QColor background(QLineEdit* field) { return field->palette().color(QPalette::Base); }

    const QColor red{255, 0, 0};
    const QColor green{0, 128, 0};
};

const std::vector<std::string> RefreshFrames = {"FA 00 00 00", "F5 00 00 00", "FB 00 00 00",
                                                "FC 00 00 00", "FD 00 00 00", "F9 00 00 00",
                                                "F8 00 00 00"};

}  // namespace

// --- Refresh

TEST_F(Service, RefreshAsksSevenReadingsInOrderAndShowsThem) {
    setReadings([](vl48sim::Readings& r) {
        r.terminalTemp = 235;
        r.secondTemp = -52;
        r.ain1 = 12000;
        r.ain2 = 23000;
        r.ain3 = 65535;
        r.milliVolt = 1234;
        r.measured = -2345;
    });
    ASSERT_LT(window->Config.EEInputType, 8) << "the simulator's unit starts with a thermocouple";
    click(window->BtnRefresh);
    EXPECT_EQ(frames(), RefreshFrames);
    // The second reading replaces the sensor's, and the colour says so; negative with its sign.
    EXPECT_EQ(window->EdtTempSen->text(), "-5,2 °C");
    EXPECT_EQ(background(window->EdtTempSen), green);
    EXPECT_EQ(window->EdtAIN1->text(), "12000");
    EXPECT_EQ(window->EdtAIN2->text(), "23000");
    EXPECT_EQ(window->EdtAIN3->text(), "65535");
    EXPECT_EQ(window->EdtMV->text(), "12,34");
    EXPECT_EQ(window->LblMeasMV->text(), "1,234");
    EXPECT_EQ(window->EdtMeasTemp->text(), "-23,45 °C");
    EXPECT_TRUE(window->BtnRefresh->isEnabled());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(connected());
}

TEST_F(Service, RefreshWithoutTheSecondReadingShowsTheSensorInRed) {
    setReadings([](vl48sim::Readings& r) {
        r.terminalTemp = -52;
        r.secondTemp = 300;
    });
    sim->setUnsupported(CmdTempSecond);
    click(window->BtnRefresh);
    EXPECT_EQ(frames(), RefreshFrames);
    EXPECT_EQ(window->EdtTempSen->text(), "-5,2 °C");
    EXPECT_EQ(background(window->EdtTempSen), red);
    EXPECT_TRUE(connected());
}

TEST_F(Service, RefreshOfAnOlderUnitShowsNoSupportAndKeepsTheRest) {
    window->EdtAIN3->setText("old");
    window->EdtMV->setText("old");
    window->EdtMeasTemp->setText("old");
    window->LblMeasMV->setText("9,999");
    setReadings([](vl48sim::Readings& r) {
        r.ain1 = 1;
        r.ain2 = 2;
        r.terminalTemp = 230;
        r.secondTemp = 231;
    });
    for (uint8_t cmd : {CmdAin3, CmdMilliVolt, CmdMeasure}) sim->setUnsupported(cmd);
    click(window->BtnRefresh);
    EXPECT_EQ(frames(), RefreshFrames) << "every request is made whatever became of the last";
    EXPECT_EQ(window->EdtAIN1->text(), "1");
    EXPECT_EQ(window->EdtAIN2->text(), "2");
    EXPECT_EQ(window->EdtAIN3->text(), "no support");
    EXPECT_EQ(window->EdtMV->text(), "no support");
    EXPECT_EQ(window->LblMeasMV->text(), "9,999");
    EXPECT_EQ(window->EdtMeasTemp->text(), "no support");
    EXPECT_EQ(window->EdtTempSen->text(), "23,1 °C");
    EXPECT_TRUE(window->BtnRefresh->isEnabled());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(connected()) << "the refresh never ends the connection";
}

TEST_F(Service, UnansweredRawInputsKeepTheirText) {
    window->EdtAIN1->setText("111");
    window->EdtAIN2->setText("222");
    window->EdtTempSen->setText("old");
    sim->setUnsupported(CmdAin1);
    sim->setUnsupported(CmdAin2);
    sim->setUnsupported(CmdTemp);
    sim->setUnsupported(CmdTempSecond);
    click(window->BtnRefresh);
    EXPECT_EQ(frames(), RefreshFrames);
    EXPECT_EQ(window->EdtAIN1->text(), "111");
    EXPECT_EQ(window->EdtAIN2->text(), "222");
    EXPECT_EQ(window->EdtTempSen->text(), "old");
    EXPECT_EQ(window->EdtAIN3->text(), "34000");
}

TEST_F(Service, OnlyAThermocoupleSuppliesTheMeasuredMillivolts) {
    setReadings([](vl48sim::Readings& r) { r.milliVolt = 10012; });
    window->LblMeasMV->setText("7,5");
    window->Config.EEInputType = 8;  // PT100
    click(window->BtnRefresh);
    EXPECT_EQ(window->EdtMV->text(), "100,12");
    EXPECT_EQ(window->LblMeasMV->text(), "7,5");
    window->Config.EEInputType = 7;  // thermocouple T
    click(window->BtnRefresh);
    EXPECT_EQ(window->LblMeasMV->text(), "10,012");
}

TEST_F(Service, MeasuredTemperatureFaultCodes) {
    const std::pair<int32_t, QString> cases[] = {
        {655352, "Err -T"}, {655349, "6553,49 °C"}, {655351, "Err +T"}, {655350, "Err +T"}};
    for (const auto& [code, shown] : cases) {
        setReadings([code = code](vl48sim::Readings& r) { r.measured = code; });
        click(window->BtnRefresh);
        EXPECT_EQ(window->EdtMeasTemp->text(), shown) << code;
    }
}

// --- Read AD

TEST_F(Service, ReadADBuildsTheWordFromTheBoxes) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x0001] = 4321;
        r.adc[0x0000] = 17;
    });
    click(window->CheckBoxes[15]);  // CheckBox16, CH0
    click(window->BtnReadAD);
    EXPECT_EQ(window->LblHEX->text(), "0x0001h");
    EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 00 01"});
    EXPECT_EQ(window->EdtADData->text(), "4321");
    EXPECT_TRUE(window->BtnReadAD->isEnabled());

    sim->clearLog();
    click(window->CheckBoxes[15]);
    click(window->BtnReadAD);
    EXPECT_EQ(window->LblHEX->text(), "0x0000h");
    EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 00 00"});
    EXPECT_EQ(window->EdtADData->text(), "17");

    // The first box is bit 15.
    sim->clearLog();
    click(window->CheckBoxes[0]);
    click(window->BtnReadAD);
    EXPECT_EQ(window->LblHEX->text(), "0x8000h");
    EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 80 00"});
}

TEST_F(Service, NotApplicableBitsCanNeverBeSet) {
    for (QCheckBox* box : window->CheckBoxes) click(box);
    for (int i : {9, 10, 12}) {
        EXPECT_EQ(window->CheckBoxes[size_t(i)]->text(), "N/A");
        EXPECT_FALSE(window->CheckBoxes[size_t(i)]->isChecked()) << i;
    }
    click(window->BtnReadAD);
    EXPECT_EQ(window->LblHEX->text(), "0xFF97h");
    EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 FF 97"});
    // Even checked from code they never reach the converter.
    sim->clearLog();
    for (QCheckBox* box : window->CheckBoxes) box->setChecked(false);
    window->CheckBoxes[9]->setChecked(true);
    click(window->BtnReadAD);
    EXPECT_EQ(window->LblHEX->text(), "0x0000h");
    EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 00 00"});
}

TEST_F(Service, UnansweredReadADShowsNoSupport) {
    window->EdtADData->setText("5");
    sim->injectFault({Kind::NoReply});
    click(window->BtnReadAD);
    EXPECT_EQ(window->EdtADData->text(), "no support");
    EXPECT_TRUE(window->BtnReadAD->isEnabled());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(connected());
}

// --- Execute

TEST_F(Service, ExecuteReadShowsTheCellUnsigned) {
    sim->setCell(60, 0xFFFE);
    window->CmbBxCommand->setCurrentIndex(0);
    ASSERT_EQ(window->CmbBxCommand->currentText(), "Read");
    window->SpnEdtCommand->setValue(60);
    click(window->BtnCommand);
    EXPECT_EQ(frames(), std::vector<std::string>{"19 00 00 3C"});
    EXPECT_EQ(window->EdtCommand->text(), "65534");

    // The read sends the whole number as its data.
    sim->clearLog();
    window->SpnEdtCommand->setValue(256);
    click(window->BtnCommand);
    EXPECT_EQ(frames(), std::vector<std::string>{"19 00 01 00"});
    EXPECT_EQ(window->EdtCommand->text(), QString::number(sim->cell(0)));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, ExecuteWriteStoresTheTypedNumber) {
    window->CmbBxCommand->setCurrentIndex(1);
    ASSERT_EQ(window->CmbBxCommand->currentText(), "Write");
    window->SpnEdtCommand->setValue(60);
    window->EdtCommand->setText("-2");
    click(window->BtnCommand);
    EXPECT_EQ(frames(), std::vector<std::string>{"34 3C FF FE"});
    EXPECT_EQ(sim->cell(60), 0xFFFE);
    EXPECT_EQ(window->EdtCommand->text(), "-2");

    sim->clearLog();
    window->SpnEdtCommand->setValue(254);
    window->EdtCommand->setText("65535");
    click(window->BtnCommand);
    EXPECT_EQ(frames(), std::vector<std::string>{"34 FE FF FF"});
    EXPECT_EQ(sim->cell(254), 0xFFFF);

    sim->clearLog();
    window->SpnEdtCommand->setValue(0);
    window->EdtCommand->setText("-32768");
    click(window->BtnCommand);
    EXPECT_EQ(frames(), std::vector<std::string>{"34 00 80 00"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, ExecuteA75ShowsTheOffsetSigned) {
    sim->setCell(EETermOffset, 0xFFEC);
    window->CmbBxCommand->setCurrentIndex(2);
    ASSERT_EQ(window->CmbBxCommand->currentText(), "A75");
    window->SpnEdtCommand->setValue(7);  // not used
    click(window->BtnCommand);
    EXPECT_EQ(frames(), std::vector<std::string>{"19 00 00 9E"});
    EXPECT_EQ(window->EdtCommand->text(), "-20");
}

TEST_F(Service, ExecuteWithoutACommandDoesNothing) {
    ASSERT_EQ(window->CmbBxCommand->currentIndex(), -1);
    window->EdtCommand->setText("5");
    click(window->BtnCommand);
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, WritesTheCellCannotTakeAreRefusedWithNothingSent) {
    const uint16_t cell0 = sim->cell(0);
    window->CmbBxCommand->setCurrentIndex(1);
    window->SpnEdtCommand->setValue(256);
    window->EdtCommand->setText("5");
    click(window->BtnCommand);
    window->SpnEdtCommand->setValue(255);
    click(window->BtnCommand);
    window->SpnEdtCommand->setValue(60);
    window->EdtCommand->setText("70000");
    click(window->BtnCommand);
    window->EdtCommand->setText("-40000");
    click(window->BtnCommand);
    window->EdtCommand->setText("abc");
    click(window->BtnCommand);
    window->MSLanguageEN->trigger();
    window->EdtCommand->setText("65536");
    click(window->BtnCommand);
    EXPECT_EQ(messageTexts(),
              (QStringList{
                  "Hodnota 256 se nevejde do paměti převodníku (rozsah 0 až 254), nic nebylo "
                  "zapsáno.",
                  "Hodnota 255 se nevejde do paměti převodníku (rozsah 0 až 254), nic nebylo "
                  "zapsáno.",
                  "Hodnota 70000 se nevejde do paměti převodníku (rozsah -32768 až 65535), nic "
                  "nebylo zapsáno.",
                  "Hodnota -40000 se nevejde do paměti převodníku (rozsah -32768 až 65535), nic "
                  "nebylo zapsáno.",
                  "'abc' is not a valid integer value",
                  "The value 65536 does not fit the transmitter's memory (range -32768 to 65535); "
                  "nothing was written.",
              }));
    for (const auto& m : messages) EXPECT_EQ(m.kind, MsgKind::Error);
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(sim->cell(0), cell0);
    EXPECT_TRUE(connected());
}

TEST_F(Service, FailedExecuteEndsTheConnectionWithoutABox) {
    for (int item : {0, 1, 2}) {
        window->CmbBxCommand->setCurrentIndex(item);
        window->SpnEdtCommand->setValue(60);
        window->EdtCommand->setText("1");
        sim->injectFault({Kind::NoReply});
        click(window->BtnCommand);
        EXPECT_EQ(frames().size(), 1u) << item;
        EXPECT_TRUE(droppedToConnectView()) << item;
        EXPECT_TRUE(messages.empty()) << item;
        connectAndOpen();
    }
}

// --- Output drive

TEST_F(Service, DAFieldDrivesTheLimitedCodeAndReleasesOnLeaving) {
    activate();
    focus(window->SpnEdtDA);
    EXPECT_EQ(framesAfter(1), std::vector<std::string>{"2A 00 00 00"}) << "entering drives";
    EXPECT_TRUE(sim->outputDriven());

    sim->clearLog();
    window->SpnEdtDA->selectAll();
    QTest::keyClicks(window->SpnEdtDA, "20000");
    EXPECT_EQ(framesAfter(5), (std::vector<std::string>{"2A 00 00 02", "2A 00 00 14", "2A 00 00 C8",
                                                        "2A 00 07 D0", "2A 00 3F FF"}));
    EXPECT_EQ(window->SpnEdtDA->value(), 16383) << "the limited code is written back";
    EXPECT_EQ(sim->outputCode(), 16383);

    sim->clearLog();
    QElapsedTimer clock;
    clock.start();
    focus(window->EdtCommand);
    EXPECT_GE(clock.elapsed(), 100) << "the release is followed by its pause";
    EXPECT_EQ(framesAfter(1), std::vector<std::string>{"29 00 00 00"});
    EXPECT_TRUE(vl48test::waitUntil([&] { return !sim->outputDriven(); }));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, DestroyingTheWindowRunsNoHandlerOnWhatIsLeftOfIt) {
    activate();
    focus(window->SpnEdtDA);
    ASSERT_EQ(framesAfter(1), std::vector<std::string>{"2A 00 00 00"});
    sim->clearLog();
    // Tearing the window down hides it, and the focused field then reports losing the focus:
    // its handler would release the output through a sender that is already gone.
    window.reset();
    EXPECT_FALSE(sim->waitForRequests(1, std::chrono::milliseconds(300)))
        << "a frame went out from a window being destroyed: " << frames().front();
}

TEST_F(Service, EnteringTheDAFieldLimitsWhatItHolds) {
    activate();
    {
        const QSignalBlocker quiet(window->SpnEdtDA);
        window->SpnEdtDA->setValue(30000);
    }
    focus(window->SpnEdtDA);
    EXPECT_EQ(framesAfter(1), std::vector<std::string>{"2A 00 3F FF"});
    EXPECT_EQ(window->SpnEdtDA->value(), 16383);
    // A change by the arrow keys drives at once.
    sim->clearLog();
    QTest::keyClick(window->SpnEdtDA, Qt::Key_Down);
    EXPECT_EQ(framesAfter(1), std::vector<std::string>{"2A 00 3F FE"});
}

TEST_F(Service, EndingTheConnectionInTheDAFieldReleasesTheOutputFirst) {
    activate();
    focus(window->SpnEdtDA);
    window->SpnEdtDA->setValue(8000);
    ASSERT_TRUE(sim->waitForRequests(2, std::chrono::seconds(3)));
    ASSERT_TRUE(sim->outputDriven());
    sim->clearLog();
    QElapsedTimer clock;
    clock.start();
    window->MenuCommEnd->trigger();
    EXPECT_GE(clock.elapsed(), 100);
    // Hiding the panel moved the focus out of the field: the release went out while the port was
    // still open, and the transmitter is left with its output free.
    EXPECT_EQ(framesAfter(1), std::vector<std::string>{"29 00 00 00"});
    EXPECT_TRUE(vl48test::waitUntil([&] { return !sim->outputDriven(); }));
    EXPECT_TRUE(droppedToConnectView());
    // With the port closed a drive sends nothing and says nothing.
    sim->clearLog();
    window->SpnEdtDA->setValue(100);
    QTest::qWait(50);
    EXPECT_TRUE(frames().empty());
    EXPECT_TRUE(messages.empty());
}

// --- Terminal sensor offset

TEST_F(Service, ADT75OffsetFromTheTrueTemperature) {
    setReadings([](vl48sim::Readings& r) { r.terminalTemp = 210; });
    typeInto(window->MskEdtADT75, "235");
    ASSERT_EQ(window->MskEdtADT75->displayText(), "23,5");
    click(window->BtnADT75Off);
    EXPECT_EQ(frames(), (std::vector<std::string>{"FA 00 00 00", "34 9E 00 19"}));
    EXPECT_EQ(sim->cell(EETermOffset), 25);
    EXPECT_EQ(window->LblADT75Real->text(), "21 °C");
    EXPECT_EQ(window->LblADT75Off->text(), "2,5 °C");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, ADT75OffsetBelowTheReadingIsNegative) {
    setReadings([](vl48sim::Readings& r) { r.terminalTemp = 235; });
    typeInto(window->MskEdtADT75, "100");
    click(window->BtnADT75Off);
    EXPECT_EQ(frames(), (std::vector<std::string>{"FA 00 00 00", "34 9E FF 79"}));
    EXPECT_EQ(sim->cell(EETermOffset), 0xFF79);
    EXPECT_EQ(window->LblADT75Off->text(), "-13,5 °C");
    // A negative reading, an untouched field: 0 degC.
    window->MskEdtADT75->clear();
    setReadings([](vl48sim::Readings& r) { r.terminalTemp = -50; });
    sim->clearLog();
    click(window->BtnADT75Off);
    EXPECT_EQ(frames(), (std::vector<std::string>{"FA 00 00 00", "34 9E 00 32"}));
    EXPECT_EQ(window->LblADT75Real->text(), "-5 °C");
    EXPECT_EQ(window->LblADT75Off->text(), "5 °C");
}

TEST_F(Service, ADT75OffsetTheCellCannotHoldIsRefused) {
    sim->setCell(EETermOffset, 7);
    setReadings([](vl48sim::Readings& r) { r.terminalTemp = -32768; });
    typeInto(window->MskEdtADT75, "999");
    click(window->BtnADT75Off);
    EXPECT_EQ(frames(), std::vector<std::string>{"FA 00 00 00"});
    EXPECT_EQ(messageTexts(), QStringList{"Hodnota 33767 se nevejde do paměti převodníku (rozsah "
                                          "-32768 až 32767), nic nebylo zapsáno."});
    EXPECT_EQ(sim->cell(EETermOffset), 7);
    EXPECT_TRUE(connected());
}

TEST_F(Service, ADT75FailuresShowTheConnectionLostBox) {
    sim->injectFault({Kind::NoReply});
    click(window->BtnADT75Off);
    EXPECT_EQ(frames(), std::vector<std::string>{"FA 00 00 00"});
    ASSERT_EQ(messageTexts(), QStringList{ConnectionLost});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_TRUE(droppedToConnectView());

    connectAndOpen();
    window->MSLanguageEN->trigger();
    sim->injectFault({Kind::NoReply}, 1);
    click(window->BtnADT75Off);
    EXPECT_EQ(frames().size(), 2u);
    EXPECT_EQ(messageTexts(),
              QStringList{"Connection with VL48 converter was terminated or no converter is "
                          "connected."});
    EXPECT_TRUE(droppedToConnectView());
}

// --- Resistance calibration

TEST_F(Service, PT100TwoPointCalibrationEndToEnd) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x1391] = 10000;
        r.adc[0x1092] = 40000;
    });
    click(window->BtnCalPT100Begin);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 13 91", "F6 00 10 92"}));
    EXPECT_EQ(window->LblAINA100->text(), "10000 / 40000");
    EXPECT_EQ(window->LblCalInfo100->text(), "Čekám...");
    EXPECT_TRUE(window->BtnCalPT100Begin->isEnabled());

    // Ratios 0.25 and 0.3125 across 37.625 ohms: K = 602, C = 2000 thousandths above 600.
    typeInto(window->MskEdtPT100Min, "100000");
    typeInto(window->MskEdtPT100Max, "137625");
    ASSERT_EQ(window->MskEdtPT100Max->displayText(), "137,625");
    setReadings([](vl48sim::Readings& r) { r.adc[0x1391] = 12500; });
    sim->clearLog();
    click(window->BtnCalPT100End);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 13 91", "F6 00 10 92"}));
    EXPECT_EQ(window->LblAINB100->text(), "12500 / 40000");
    EXPECT_EQ(window->LblCalInfo100->text(), "602 | 2000");
    EXPECT_EQ(window->EdtPT100Const->text(), "2000");
    EXPECT_TRUE(window->BtnCalPT100End->isEnabled());

    sim->clearLog();
    click(window->BtnPT100Save);
    EXPECT_EQ(frames(), std::vector<std::string>{"34 9A 07 D0"});
    EXPECT_EQ(sim->cell(EEPT100Const), 2000);
    EXPECT_TRUE(messages.empty());

    // A scale with more digits is shown in general format with the regional separator.
    typeInto(window->MskEdtPT100Max, "137600");
    sim->clearLog();
    click(window->BtnCalPT100End);
    EXPECT_TRUE(window->LblCalInfo100->text().startsWith("601,6")) << "601.6, not exact";
    EXPECT_TRUE(window->LblCalInfo100->text().endsWith(" | 1600"));
    EXPECT_EQ(window->EdtPT100Const->text(), "1600");
}

TEST_F(Service, PT1000CalibrationStoresItsOwnCell) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x1091] = 10000;
        r.adc[0x1092] = 40000;
    });
    click(window->BtnCalPT1k0Begin);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 10 91", "F6 00 10 92"}));
    EXPECT_EQ(window->LblAINA1k0->text(), "10000 / 40000");
    EXPECT_EQ(window->LblCalInfo1k0->text(), "Čekám...");
    EXPECT_TRUE(window->LblCalInfo100->text().isEmpty());

    typeInto(window->MskEdtPT1k0Min, "1000000");
    typeInto(window->MskEdtPT1k0Max, "1315750");
    setReadings([](vl48sim::Readings& r) { r.adc[0x1091] = 12500; });
    sim->clearLog();
    click(window->BtnCalPT1k0End);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 10 91", "F6 00 10 92"}));
    EXPECT_EQ(window->LblAINB1k0->text(), "12500 / 40000");
    EXPECT_EQ(window->LblCalInfo1k0->text(), "5052 | 2000");
    EXPECT_EQ(window->EdtPT1KConst->text(), "2000");

    // The person may change the constant before storing it; it is stored as typed.
    window->EdtPT1KConst->setText("-123");
    sim->clearLog();
    click(window->BtnPT1KSave);
    EXPECT_EQ(frames(), std::vector<std::string>{"34 9C FF 85"});
    EXPECT_EQ(sim->cell(EEPT1KConst), 0xFF85);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, PT100StartCanBeFinishedByThePT1000End) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x1391] = 10000;
        r.adc[0x1091] = 999;
        r.adc[0x1092] = 40000;
    });
    click(window->BtnCalPT100Begin);
    setReadings([](vl48sim::Readings& r) { r.adc[0x1091] = 12500; });
    typeInto(window->MskEdtPT1k0Min, "1000000");
    typeInto(window->MskEdtPT1k0Max, "1315750");
    click(window->BtnCalPT1k0End);
    EXPECT_EQ(window->LblCalInfo1k0->text(), "5052 | 2000");
}

TEST_F(Service, FailedStartReadingLeavesThePairUnset) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x1391] = 12500;
        r.adc[0x1092] = 40000;
    });
    sim->injectFault({Kind::NoReply});
    click(window->BtnCalPT100Begin);
    EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 13 91"});
    EXPECT_EQ(window->LblCalInfo100->text(), "AIN2a bez odezvy.");
    EXPECT_TRUE(window->LblAINA100->text().isEmpty());
    EXPECT_TRUE(window->BtnCalPT100Begin->isEnabled());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(connected()) << "a failed reading does not end the connection";

    // No start pair since start-up: the end divides 0 by 0.
    typeInto(window->MskEdtPT100Max, "137625");
    click(window->BtnCalPT100End);
    EXPECT_EQ(window->LblAINB100->text(), "12500 / 40000");
    ASSERT_EQ(messageTexts(), QStringList{"Invalid floating point operation"});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_EQ(window->LblCalInfo100->text(), "AIN2a bez odezvy.");
    EXPECT_TRUE(window->EdtPT100Const->text().isEmpty());
    EXPECT_TRUE(window->BtnCalPT100End->isEnabled());
}

TEST_F(Service, HalfFailedStartKeepsThePreviousPair) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x1391] = 10000;
        r.adc[0x1092] = 40000;
    });
    click(window->BtnCalPT100Begin);
    ASSERT_EQ(window->LblCalInfo100->text(), "Čekám...");
    setReadings([](vl48sim::Readings& r) { r.adc[0x1391] = 11111; });
    sim->clearLog();
    sim->injectFault({Kind::NoReply}, 1);
    click(window->BtnCalPT100Begin);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 13 91", "F6 00 10 92"}));
    EXPECT_EQ(window->LblAINA100->text(), "11111 / ");
    EXPECT_EQ(window->LblCalInfo100->text(), "AIN3a bez odezvy.");

    // The end computes with 10000 / 40000, not with the lone new reading.
    typeInto(window->MskEdtPT100Min, "100000");
    typeInto(window->MskEdtPT100Max, "137625");
    setReadings([](vl48sim::Readings& r) { r.adc[0x1391] = 12500; });
    click(window->BtnCalPT100End);
    EXPECT_EQ(window->LblCalInfo100->text(), "602 | 2000");
}

TEST_F(Service, FailedEndReadingsAreNamedAndComputeNothing) {
    window->EdtPT100Const->setText("55");
    sim->injectFault({Kind::NoReply});
    click(window->BtnCalPT100End);
    EXPECT_EQ(window->LblCalInfo100->text(), "AIN2b bez odezvy.");
    EXPECT_TRUE(window->LblAINB100->text().isEmpty());
    sim->injectFault({Kind::NoReply}, 1);
    setReadings([](vl48sim::Readings& r) { r.adc[0x1391] = 4242; });
    click(window->BtnCalPT100End);
    EXPECT_EQ(window->LblCalInfo100->text(), "AIN3b bez odezvy.");
    EXPECT_EQ(window->LblAINB100->text(), "4242 / ");
    EXPECT_EQ(window->EdtPT100Const->text(), "55");
    EXPECT_TRUE(window->BtnCalPT100End->isEnabled());
    EXPECT_TRUE(messages.empty()) << "no arithmetic on a pair that was not measured";
    EXPECT_TRUE(connected());
}

TEST_F(Service, ConstantsTheCellCannotHoldAreRefused) {
    // Ratios 0.25 and 0.3125 across 385 ohms: K = 6160, C = 1110000.
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x1091] = 10000;
        r.adc[0x1092] = 40000;
    });
    click(window->BtnCalPT1k0Begin);
    setReadings([](vl48sim::Readings& r) { r.adc[0x1091] = 12500; });
    typeInto(window->MskEdtPT1k0Min, "1000000");
    typeInto(window->MskEdtPT1k0Max, "1385000");
    click(window->BtnCalPT1k0End);
    EXPECT_EQ(window->LblCalInfo1k0->text(), "6160 | 1110000");
    sim->setCell(EEPT1KConst, 9);
    sim->clearLog();
    click(window->BtnPT1KSave);
    window->EdtPT100Const->setText("32768");
    click(window->BtnPT100Save);
    window->EdtPT100Const->setText("-32769");
    click(window->BtnPT100Save);
    window->EdtPT100Const->setText("");
    click(window->BtnPT100Save);
    EXPECT_EQ(messageTexts(),
              (QStringList{"Hodnota 1110000 se nevejde do paměti převodníku (rozsah -32768 až "
                           "32767), nic nebylo zapsáno.",
                           "Hodnota 32768 se nevejde do paměti převodníku (rozsah -32768 až "
                           "32767), nic nebylo zapsáno.",
                           "Hodnota -32769 se nevejde do paměti převodníku (rozsah -32768 až "
                           "32767), nic nebylo zapsáno.",
                           "'' is not a valid integer value"}));
    EXPECT_TRUE(frames().empty());
    EXPECT_EQ(sim->cell(EEPT1KConst), 9);

    // The ends of the range are stored.
    messages.clear();
    window->EdtPT100Const->setText("-32768");
    click(window->BtnPT100Save);
    window->EdtPT100Const->setText("32767");
    click(window->BtnPT100Save);
    EXPECT_EQ(frames(), (std::vector<std::string>{"34 9A 80 00", "34 9A 7F FF"}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, FailedStoreEndsTheConnectionWithoutABox) {
    window->EdtPT100Const->setText("12");
    sim->injectFault({Kind::NoReply});
    click(window->BtnPT100Save);
    EXPECT_EQ(frames(), std::vector<std::string>{"34 9A 00 0C"});
    EXPECT_TRUE(droppedToConnectView());
    EXPECT_TRUE(messages.empty());
}

// --- Thermocouple offset

TEST_F(Service, OffsetIsMeasuredAtTheChosenGainAndStored) {
    setReadings([](vl48sim::Readings& r) {
        r.adc[0x0491] = 3210;
        r.adc[0x0591] = 45678;
    });
    ASSERT_TRUE(window->RdBtnGain4->isChecked());
    click(window->BtnOffset);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 04 91", "34 98 0C 8A"}));
    EXPECT_EQ(window->EdtOffset->text(), "3210");
    EXPECT_EQ(sim->cell(EEADCOffset), 3210);

    click(window->RdBtnGain32);
    sim->clearLog();
    click(window->BtnOffset);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 05 91", "34 98 B2 6E"}));
    EXPECT_EQ(window->EdtOffset->text(), "45678");
    EXPECT_EQ(sim->cell(EEADCOffset), 45678);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Service, FailedOffsetMeasurementStoresTheFieldsNumber) {
    window->EdtOffset->setText("777");
    sim->injectFault({Kind::NoReply});
    click(window->BtnOffset);
    EXPECT_EQ(frames(), (std::vector<std::string>{"F6 00 04 91", "34 98 03 09"}));
    EXPECT_EQ(window->EdtOffset->text(), "777");
    EXPECT_EQ(sim->cell(EEADCOffset), 777);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(connected());

    // A number the cell cannot hold, or none at all, is refused.
    for (const char* text : {"-1", "65536", "x1"}) {
        window->EdtOffset->setText(text);
        sim->clearLog();
        sim->injectFault({Kind::NoReply});
        click(window->BtnOffset);
        EXPECT_EQ(frames(), std::vector<std::string>{"F6 00 04 91"}) << text;
    }
    EXPECT_EQ(messageTexts(),
              (QStringList{"Hodnota -1 se nevejde do paměti převodníku (rozsah 0 až 65535), nic "
                           "nebylo zapsáno.",
                           "Hodnota 65536 se nevejde do paměti převodníku (rozsah 0 až 65535), "
                           "nic nebylo zapsáno.",
                           "'x1' is not a valid integer value"}));
}

// --- Millivolt correction

TEST_F(Service, MillivoltCorrectionShowsTheGainThenStoresIt) {
    setReadings([](vl48sim::Readings& r) { r.milliVolt = 1234; });
    click(window->BtnRefresh);
    ASSERT_EQ(window->LblMeasMV->text(), "1,234");
    typeInto(window->MskEdtTrueMV, "01250");
    ASSERT_EQ(window->MskEdtTrueMV->displayText(), "01,250");
    messages.clear();
    sim->clearLog();
    click(window->BtnCorrMV);
    // 11700 * 1.25 / 1.234 = 11851.70...
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Plain);
    EXPECT_EQ(messages[0].text, "11852");
    EXPECT_EQ(frames(), std::vector<std::string>{"34 96 2E 4C"});
    EXPECT_EQ(sim->cell(EEMVCorr), 11852);
}

TEST_F(Service, MillivoltCorrectionNeedsANonZeroReading) {
    typeInto(window->MskEdtTrueMV, "01000");
    click(window->BtnCorrMV);  // no refresh yet: the label is empty
    setReadings([](vl48sim::Readings& r) { r.milliVolt = 0; });
    click(window->BtnRefresh);
    ASSERT_EQ(window->LblMeasMV->text(), "0");
    sim->clearLog();
    click(window->BtnCorrMV);
    EXPECT_EQ(messageTexts(), (QStringList{"'' is not a valid floating point value",
                                           "Floating point division by zero"}));
    for (const auto& m : messages) EXPECT_EQ(m.kind, MsgKind::Error);
    EXPECT_TRUE(frames().empty());
}

TEST_F(Service, GainTheCellCannotHoldIsShownThenRefused) {
    setReadings([](vl48sim::Readings& r) { r.milliVolt = 100; });
    click(window->BtnRefresh);
    ASSERT_EQ(window->LblMeasMV->text(), "0,1");
    typeInto(window->MskEdtTrueMV, "99999");
    sim->clearLog();
    click(window->BtnCorrMV);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].kind, MsgKind::Plain);
    EXPECT_EQ(messages[0].text, "11699883");
    EXPECT_EQ(messages[1].kind, MsgKind::Error);
    EXPECT_EQ(messages[1].text,
              "Hodnota 11699883 se nevejde do paměti převodníku (rozsah 0 až 65535), nic nebylo "
              "zapsáno.");
    EXPECT_TRUE(frames().empty());
}

TEST_F(Service, AnotherTransmitterNeverUsesThePreviousReading) {
    setReadings([](vl48sim::Readings& r) { r.milliVolt = 1234; });
    click(window->BtnRefresh);
    ASSERT_EQ(window->LblMeasMV->text(), "1,234");
    window->MenuCommEnd->trigger();
    EXPECT_TRUE(window->LblMeasMV->text().isEmpty());
    connectAndOpen();
    typeInto(window->MskEdtTrueMV, "01000");
    click(window->BtnCorrMV);
    EXPECT_EQ(messageTexts(), QStringList{"'' is not a valid floating point value"});
    EXPECT_TRUE(frames().empty());
}

TEST_F(Service, AThermocoupleInCalibrationKeepsTheNominalGain) {
    // The simulator's own answer for a thermocouple input, in thousandths of a millivolt.
    ASSERT_LT(sim->cell(EEInputType), 8);
    click(window->BtnRefresh);
    const QString measured = window->LblMeasMV->text();
    ASSERT_FALSE(measured.isEmpty());
    // The reference agrees with the transmitter: typed as the field takes it, "00,946".
    const double m = QLocale().toDouble(measured);
    const int thousandths = int(std::lround(m * 1000));
    typeInto(window->MskEdtTrueMV, QStringLiteral("%1").arg(thousandths, 5, 10, QLatin1Char('0')));
    messages.clear();
    click(window->BtnCorrMV);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "11700");
    EXPECT_EQ(sim->cell(EEMVCorr), 11700);
}
