// The service tabs and the analog output's codes, with the real window against the simulated
// transmitter: the access codes, the write test and the correction state, then every drive,
// release, store and undo as the exact frames the transmitter received, in order.
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QGroupBox>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <set>

#include "WindowFixture.h"
#include "core/device/MemoryMap.h"
#include "window/Widgets.h"

// Texts in failure output as text, not as arrays of UTF-16 units.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace vl48;
using Kind = vl48sim::Fault::Kind;
using vl48test::waitUntil;
using Frames = std::vector<std::string>;

namespace {

constexpr uint8_t Tag = 0x3C;

const QString LostCz = QStringLiteral("Spojení s převodníkem bylo ztraceno.");
const QString ClosedPort = QStringLiteral("Can't perform this operation on a closed port");
const QString JumperText = QStringLiteral("Prosím spájejte propojku J1 na desce převodníku VL 48.");
const QString WarningCz =
    QStringLiteral("Byla provedena korekce DA výstupu uživatelem mimo kalibrační data!");
const QString InvalidCopyCz =
    QStringLiteral("Kalibrační kopie DA výstupu není platná, nic nebylo zapsáno.");
const QString InvalidCopyEn =
    QStringLiteral("The DA output calibration copy is not valid; nothing was written.");

std::string frame(uint8_t command, uint8_t d2, uint8_t d3, uint8_t d4) {
    return vl48test::requestHex(command, Tag, d2, d3, d4);
}
std::string readOf(uint8_t cell) { return frame(25, 0, 0, cell); }
std::string writeOf(uint8_t cell, uint16_t value) {
    return frame(52, cell, uint8_t(value >> 8), uint8_t(value & 0xFF));
}
std::string drive(uint16_t code) { return frame(42, 0, uint8_t(code >> 8), uint8_t(code & 0xFF)); }
std::string release() { return frame(41, 0, 0, 0); }
std::string sentinel() { return frame(255, 0, 0, 0); }

Frames operator+(Frames a, const Frames& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

struct Copies {
    uint16_t aoiZero, aoiEnd, aouZero, aouEnd;
};

class ServiceTest : public vl48test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        connectNow();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(waitUntil([&] { return window->isActiveWindow(); }));
    }

    void connectNow() {
        choosePort();
        window->BtnConnectClick();
        ASSERT_TRUE(window->PanelSettings->isVisible()) << messageTexts().join("|").toStdString();
        window->link->setFrameTag(Tag);
        messages.clear();
        sim->clearLog();
    }

    // Forgets the frames so far, once every one of them has arrived: a drive or release has no
    // reply, so the presence query behind it is what proves it is in.
    void clearFrames() {
        EXPECT_TRUE(window->Send(CmdIdentify, 0));
        sim->clearLog();
    }

    // Ends a test's exchanges with a presence query: the frames before it have all arrived once
    // it has been answered, so nothing sent late (a drive has no reply) can slip past.
    Frames framesWithSentinel() {
        EXPECT_TRUE(window->Send(CmdIdentify, 0));
        return requestsHex();
    }
    // The frames so far, once at least `n` have arrived (for a closed port, where no sentinel
    // can follow).
    Frames framesAfter(size_t n) {
        EXPECT_TRUE(sim->waitForRequests(n, std::chrono::milliseconds(3000)));
        return requestsHex();
    }

    static void focus(QWidget* widget) {
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(waitUntil([&] { return widget->hasFocus(); }))
            << widget->objectName().toStdString();
    }
    static void typeCode(TMaskEdit* field, const QString& code) {
        focus(field);
        field->clear();
        field->setCursorPosition(0);
        QTest::keyClicks(field, code);
    }
    static void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
    // A person's way to another tab: a click on it in the tab bar.
    void clickTab(QWidget* tab) {
        QTabBar* bar = window->PageControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->tabRect(window->PageControl1->indexOf(tab)).center());
        ASSERT_EQ(window->PageControl1->currentWidget(), tab);
    }
    static void activate(QWidget* w) {
        QApplication::setActiveWindow(w);
        ASSERT_TRUE(waitUntil([&] { return w->isActiveWindow(); }));
    }

    void showTab(QAction* item, QWidget* tab) {
        if (!item->isChecked()) item->trigger();
        window->PageControl1->setCurrentWidget(tab);
    }
    void openService() {
        showTab(window->MSettingsService, window->TabService);
        typeCode(window->MskEdtPwd, QStringLiteral("K527D4"));
        enter(window->MskEdtPwd);
        ASSERT_TRUE(window->PanelService->isVisible());
    }
    void setCorrection(uint16_t state, const Copies& c) {
        sim->setCell(EEDACorrState, state);
        sim->setCell(EEAOIZeroBackup, c.aoiZero);
        sim->setCell(EEAOIEndBackup, c.aoiEnd);
        sim->setCell(EEAOUZeroBackup, c.aouZero);
        sim->setCell(EEAOUEndBackup, c.aouEnd);
    }
    // Opens the correction panel with the right code and forgets its frames.
    void openCorrection() {
        showTab(window->MSettingsDACorr, window->TabDACorr);
        typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
        enter(window->MskEdtPwd1);
        ASSERT_TRUE(window->PanelDACorr->isVisible()) << messageTexts().join("|").toStdString();
        messages.clear();
        clearFrames();
    }
    // The value the write test drew, from the first frame the transmitter received.
    uint16_t drawnValue() const {
        const auto frames = sim->requests();
        EXPECT_FALSE(frames.empty());
        if (frames.empty()) return 0;
        return uint16_t((frames[0].bytes[3] << 8) | frames[0].bytes[4]);
    }
    Frames writeTest(uint16_t drawn) const {
        return {writeOf(EEWriteTest, drawn), readOf(EEWriteTest)};
    }
    static Frames copyReads() {
        return {readOf(EEAOIZeroBackup), readOf(EEAOIEndBackup), readOf(EEAOUZeroBackup),
                readOf(EEAOUEndBackup)};
    }

    bool connectionShown() const {
        return window->PanelConnect->isVisible() && !window->PanelSettings->isVisible();
    }
    static bool red(const TSpinEdit* field) {
        return field->palette().color(QPalette::Text) == QColor(Qt::red);
    }
    static bool windowText(const TSpinEdit* field) {
        const QPalette p = field->palette();
        return p.color(QPalette::Text) == p.color(QPalette::WindowText);
    }
};

}  // namespace

// --- Menu items and access codes

TEST_F(ServiceTest, MenuItemsToggleTheirTabsAndMirrorThem) {
    for (auto [item, tab] : {std::pair{window->MSettingsService, window->TabService},
                             std::pair{window->MSettingsDACorr, window->TabDACorr}}) {
        ASSERT_FALSE(window->tabShown(tab));
        item->trigger();  // as from the menu: Qt flips the mark before the handler runs
        EXPECT_TRUE(window->tabShown(tab));
        EXPECT_TRUE(item->isChecked());
        item->trigger();
        EXPECT_FALSE(window->tabShown(tab));
        EXPECT_FALSE(item->isChecked());
    }
    // Called without the menu the handler still toggles both.
    window->MSettingsServiceClick();
    EXPECT_TRUE(window->tabShown(window->TabService));
    EXPECT_TRUE(window->MSettingsService->isChecked());
    window->MSettingsServiceClick();
    EXPECT_FALSE(window->tabShown(window->TabService));
    EXPECT_FALSE(window->MSettingsService->isChecked());
    EXPECT_EQ(window->PageControl1->currentWidget(), window->TabBasicSet)
        << "the selected tab is the person's";
    EXPECT_EQ(framesWithSentinel(), Frames{sentinel()});
}

TEST_F(ServiceTest, WrongIncompleteOrLowerCaseCodesUnlockNothing) {
    showTab(window->MSettingsService, window->TabService);
    for (const QString code : {"K527D5", "k527d4", "K527D", "RT5063", "K527d4"}) {
        typeCode(window->MskEdtPwd, code);
        enter(window->MskEdtPwd);
        EXPECT_TRUE(window->PanelPwd->isVisible()) << code.toStdString();
        EXPECT_FALSE(window->PanelService->isVisible()) << code.toStdString();
        EXPECT_EQ(window->MskEdtPwd->text(), code) << "the typed text stays";
    }
    showTab(window->MSettingsDACorr, window->TabDACorr);
    for (const QString code : {"RT5064", "rt5063", "RT506", "K527D4", "Rt5063"}) {
        typeCode(window->MskEdtPwd1, code);
        enter(window->MskEdtPwd1);
        EXPECT_TRUE(window->PanelPwd1->isVisible()) << code.toStdString();
        EXPECT_FALSE(window->PanelDACorr->isVisible()) << code.toStdString();
    }
    EXPECT_TRUE(messages.empty()) << "a wrong code is silent";
    EXPECT_EQ(framesWithSentinel(), Frames{sentinel()}) << "no write test for a wrong code";
}

TEST_F(ServiceTest, CodeFieldsTakeLettersAndDigitsOnly) {
    showTab(window->MSettingsService, window->TabService);
    typeCode(window->MskEdtPwd, QStringLiteral("K5-27 D4"));
    EXPECT_EQ(window->MskEdtPwd->text(), "K527D4");
    EXPECT_EQ(window->MskEdtPwd->echoMode(), QLineEdit::Normal) << "shown as typed";
}

TEST_F(ServiceTest, TheRightCodeWithoutEnterUnlocksNothing) {
    showTab(window->MSettingsService, window->TabService);
    typeCode(window->MskEdtPwd, QStringLiteral("K527D4"));
    QTest::keyClick(window->MskEdtPwd, Qt::Key_Tab);
    EXPECT_FALSE(window->PanelService->isVisible());
    showTab(window->MSettingsDACorr, window->TabDACorr);
    typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    QTest::keyClick(window->MskEdtPwd1, Qt::Key_Tab);
    EXPECT_FALSE(window->PanelDACorr->isVisible());
    EXPECT_EQ(framesWithSentinel(), Frames{sentinel()});
}

TEST_F(ServiceTest, ServiceCodeOpensTheServicePanelWithoutAFrame) {
    openService();
    EXPECT_FALSE(window->PanelPwd->isVisible());
    EXPECT_TRUE(messages.empty());
    // The focus left the hidden code field without landing on an output field.
    EXPECT_EQ(framesWithSentinel(), Frames{sentinel()});
    // Hiding the tab does not lock it again.
    window->MSettingsService->trigger();
    window->MSettingsService->trigger();
    window->PageControl1->setCurrentWidget(window->TabService);
    EXPECT_TRUE(window->PanelService->isVisible());
}

TEST_F(ServiceTest, CorrectionCodeRunsTheWriteTestAndOffersEnableWhenNeverEnabled) {
    ASSERT_EQ(sim->cell(EEDACorrState), 0xFFFF);
    showTab(window->MSettingsDACorr, window->TabDACorr);
    typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    enter(window->MskEdtPwd1);
    const uint16_t drawn = drawnValue();
    EXPECT_LE(drawn, 32766);
    EXPECT_EQ(sim->cell(EEWriteTest), drawn);
    EXPECT_EQ(framesWithSentinel(), (writeTest(drawn) + Frames{readOf(EEDACorrState), sentinel()}))
        << "nothing driven while the focus leaves the code field";
    EXPECT_TRUE(window->PanelDACorr->isVisible());
    EXPECT_FALSE(window->PanelPwd1->isVisible());
    EXPECT_FALSE(window->GrpBxDACorr->isVisible());
    EXPECT_TRUE(window->SpdBtnEnableDACorr->isEnabled());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, WriteTestValuesAreDrawnAnew) {
    std::set<uint16_t> drawn;
    for (int i = 0; i < 3; ++i) {
        window->ShowConnect();
        connectNow();
        showTab(window->MSettingsDACorr, window->TabDACorr);
        typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
        enter(window->MskEdtPwd1);
        ASSERT_TRUE(window->PanelDACorr->isVisible());
        drawn.insert(drawnValue());
        EXPECT_LE(drawnValue(), 32766);
    }
    EXPECT_GE(drawn.size(), 2u);
}

TEST_F(ServiceTest, WithoutTheJumperTheJ1BoxKeepsThePanelLocked) {
    sim->setCell(EEWriteTest, 0xFFFF);  // never a drawn value
    sim->setWriteEnabled(false);
    for (bool english : {false, true}) {
        english ? window->MSLanguageENClick() : window->MSLanguageCZClick();
        clearFrames();
        messages.clear();
        showTab(window->MSettingsDACorr, window->TabDACorr);
        typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
        enter(window->MskEdtPwd1);
        const uint16_t drawn = drawnValue();
        EXPECT_EQ(framesWithSentinel(), writeTest(drawn) + Frames{sentinel()})
            << "the state is not read";
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, MsgKind::Information);
        EXPECT_EQ(messages[0].text, JumperText) << "the same text in both languages";
        EXPECT_TRUE(window->PanelPwd1->isVisible());
        EXPECT_FALSE(window->PanelDACorr->isVisible());
        EXPECT_TRUE(window->ComPort->Active()) << "the connection stands";
    }
}

TEST_F(ServiceTest, StateZeroShowsTheGroupAndReadsTheCopy) {
    setCorrection(0, {1600, 16370, 20, 15800});
    showTab(window->MSettingsDACorr, window->TabDACorr);
    typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    enter(window->MskEdtPwd1);
    EXPECT_EQ(framesWithSentinel(), writeTest(drawnValue()) + Frames{readOf(EEDACorrState)} +
                                        copyReads() + Frames{sentinel()})
        << "setting the bounds drives nothing";
    EXPECT_TRUE(window->GrpBxDACorr->isVisible());
    EXPECT_FALSE(window->SpdBtnEnableDACorr->isEnabled());
    EXPECT_TRUE(messages.empty());
    // The values shown stay as they were read, even beyond the new bounds.
    EXPECT_EQ(window->SpnEdtAOUEndDACorr->value(), 16000);
}

TEST_F(ServiceTest, StateOneWarnsOnceThePanelIsShownAndTheCopyRead) {
    setCorrection(1, {1600, 16370, 20, 15800});
    bool panelShownThen = false;
    size_t framesThen = 0;
    window->messageHook = [&](MsgKind kind, const QString& text) {
        messages.push_back({kind, text});
        panelShownThen = window->PanelDACorr->isVisible() && window->GrpBxDACorr->isVisible();
        framesThen = sim->requests().size();
    };
    showTab(window->MSettingsDACorr, window->TabDACorr);
    typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    enter(window->MskEdtPwd1);
    const Frames expected = writeTest(drawnValue()) + Frames{readOf(EEDACorrState)} + copyReads();
    EXPECT_EQ(framesWithSentinel(), expected + Frames{sentinel()});
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Warning);
    EXPECT_EQ(messages[0].text, WarningCz);
    EXPECT_TRUE(panelShownThen);
    EXPECT_EQ(framesThen, expected.size()) << "the copy was read before the warning";
    EXPECT_FALSE(window->SpdBtnEnableDACorr->isEnabled());

    // In English.
    window->ShowConnect();
    connectNow();
    window->MSLanguageENClick();
    showTab(window->MSettingsDACorr, window->TabDACorr);
    focus(window->MskEdtPwd1);
    enter(window->MskEdtPwd1);
    EXPECT_EQ(messageTexts(), QStringList{"Analog output correction was activated by user, data "
                                          "are out of valid calibration!"});
}

TEST_F(ServiceTest, AnUnknownStateOpensThePanelAndChangesNothingElse) {
    setCorrection(5, {1600, 16370, 20, 15800});
    showTab(window->MSettingsDACorr, window->TabDACorr);
    typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    enter(window->MskEdtPwd1);
    EXPECT_EQ(framesWithSentinel(),
              (writeTest(drawnValue()) + Frames{readOf(EEDACorrState), sentinel()}));
    EXPECT_TRUE(window->PanelDACorr->isVisible());
    EXPECT_FALSE(window->GrpBxDACorr->isVisible());
    EXPECT_TRUE(window->SpdBtnEnableDACorr->isEnabled());
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, FailedExchangesOfTheUnlockEndTheConnectionSilently) {
    setCorrection(0, {1600, 16370, 20, 15800});
    struct Case {
        int failing;  // index of the exchange that gets no reply
        size_t sent;  // frames the transmitter received
    };
    // Write test, read-back, state, and the second cell of the copy.
    for (const Case c : {Case{0, 1}, Case{1, 2}, Case{2, 3}, Case{4, 5}}) {
        if (!window->ComPort->Active()) connectNow();
        showTab(window->MSettingsDACorr, window->TabDACorr);
        typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
        clearFrames();
        sim->injectFault({Kind::NoReply}, c.failing);
        enter(window->MskEdtPwd1);
        EXPECT_EQ(requestsHex().size(), c.sent) << c.failing;
        EXPECT_TRUE(messages.empty()) << c.failing << messageTexts().join("|").toStdString();
        EXPECT_TRUE(connectionShown()) << c.failing;
        EXPECT_FALSE(window->ComPort->Active());
        EXPECT_TRUE(window->PanelPwd1->isVisibleTo(window->TabDACorr));
        EXPECT_FALSE(window->PanelDACorr->isVisibleTo(window->TabDACorr));
        EXPECT_FALSE(window->MSettingsDACorr->isChecked());
    }
}

TEST_F(ServiceTest, NoWarningAboutATransmitterWhoseCopyCouldNotBeRead) {
    setCorrection(1, {1600, 16370, 20, 15800});
    showTab(window->MSettingsDACorr, window->TabDACorr);
    typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    clearFrames();
    sim->injectFault({Kind::NoReply}, 5);  // the third cell of the copy
    enter(window->MskEdtPwd1);
    EXPECT_EQ(requestsHex().size(), 6u);
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
    EXPECT_TRUE(connectionShown());
}

TEST_F(ServiceTest, EndingTheConnectionLocksTheCorrectionAndAServiceTabOutOfTheRow) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openService();
    openCorrection();
    // The service tab is in the row: its panel stays open.
    window->MenuCommEndClick();
    EXPECT_FALSE(window->PanelDACorr->isVisibleTo(window->TabDACorr));
    EXPECT_TRUE(window->PanelPwd1->isVisibleTo(window->TabDACorr));
    EXPECT_FALSE(window->tabShown(window->TabDACorr));
    EXPECT_FALSE(window->MSettingsDACorr->isChecked());
    EXPECT_FALSE(window->GrpBxDACorr->isVisibleTo(window->PanelDACorr));
    EXPECT_TRUE(window->SpdBtnEnableDACorr->isEnabled());
    EXPECT_TRUE(window->PanelService->isVisibleTo(window->TabService));
    EXPECT_TRUE(window->tabShown(window->TabService));
    EXPECT_TRUE(window->MskEdtPwd->text().isEmpty());
    EXPECT_EQ(window->MskEdtPwd1->text(), "RT5063");

    // With the service tab out of the row the next display asks for the code again.
    connectNow();
    window->MSettingsService->trigger();
    ASSERT_FALSE(window->MSettingsService->isChecked());
    window->MenuCommEndClick();
    EXPECT_FALSE(window->PanelService->isVisibleTo(window->TabService));
    EXPECT_TRUE(window->PanelPwd->isVisibleTo(window->TabService));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, EndingTheConnectionForgetsTheServiceCodeForGood) {
    window->MSettingsService->trigger();
    window->PageControl1->setCurrentWidget(window->TabService);
    typeCode(window->MskEdtPwd, QStringLiteral("K527D4"));
    window->MenuCommEndClick();
    ASSERT_EQ(window->MskEdtPwd->text(), QString());
    // Undo in the emptied field must not hand the code to the next person at the bench.
    focus(window->MskEdtPwd);
    QTest::keyClick(window->MskEdtPwd, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->MskEdtPwd->text(), QString());
    EXPECT_FALSE(window->MskEdtPwd->isUndoAvailable());
    EXPECT_EQ(window->MskEdtPwd->cursorPosition(), 0) << "typing starts at the first position";
}

// --- Service fields

TEST_F(ServiceTest, SteppingAServiceFieldDrivesTheCodeAndMovesTheBar) {
    openService();
    TSpinEdit* field = window->SpnEdtAOIZero;
    ASSERT_EQ(field->value(), 1640);
    clearFrames();
    focus(field);
    QTest::keyClick(field, Qt::Key_Up);
    QTest::keyClick(field, Qt::Key_Up);
    QTest::keyClick(field, Qt::Key_Down);
    EXPECT_EQ(framesWithSentinel(),
              (Frames{drive(1640), drive(1641), drive(1642), drive(1641), sentinel()}));
    EXPECT_EQ(window->PrgBrAOIZero->value(), 1641 / 82);
    EXPECT_TRUE(red(field));
    EXPECT_EQ(sim->cell(EEAOIZero), 1640) << "nothing stored before Enter";
    EXPECT_TRUE(sim->outputDriven());
    EXPECT_EQ(sim->outputCode(), 1641);
}

TEST_F(ServiceTest, TypingBeyondTheConverterDrivesItsEnd) {
    openService();
    TSpinEdit* field = window->SpnEdtAOUZero;
    focus(field);
    field->selectAll();
    clearFrames();
    QTest::keyClicks(field, "20000");
    EXPECT_EQ(field->value(), 16383);
    EXPECT_EQ(window->PrgBrAOUZero->value(), 199);
    EXPECT_EQ(framesWithSentinel(),
              (Frames{drive(2), drive(20), drive(200), drive(2000), drive(16383), sentinel()}));
    // Enter stores the limited code.
    clearFrames();
    enter(field);
    EXPECT_EQ(framesWithSentinel(), (Frames{writeOf(EEAOUZero, 16383), release(), sentinel()}));
    EXPECT_EQ(sim->cell(EEAOUZero), 16383);
}

TEST_F(ServiceTest, EnterStoresReleasesAndPauses) {
    openService();
    const std::pair<TSpinEdit*, Cell> fields[] = {{window->SpnEdtAOIZero, EEAOIZero},
                                                  {window->SpnEdtAOIEnd, EEAOIEnd},
                                                  {window->SpnEdtAOUZero, EEAOUZero},
                                                  {window->SpnEdtAOUEnd, EEAOUEnd}};
    for (const auto& [field, cell] : fields) {
        focus(field);
        const int code = field->value() - 3;
        field->setValue(code);  // as the arrows or typing would
        ASSERT_TRUE(red(field));
        clearFrames();
        QElapsedTimer clock;
        clock.start();
        enter(field);
        EXPECT_GE(clock.elapsed(), 100) << field->objectName().toStdString();
        EXPECT_EQ(framesWithSentinel(),
                  (Frames{writeOf(cell, uint16_t(code)), release(), sentinel()}))
            << field->objectName().toStdString();
        EXPECT_EQ(sim->cell(cell), code);
        EXPECT_FALSE(sim->outputDriven());
        EXPECT_TRUE(windowText(field));
        EXPECT_FALSE(red(field));
        EXPECT_FALSE(field->CommitMark);
    }
    EXPECT_EQ(sim->cell(EEDACorrState), 0xFFFF) << "service fields leave the state alone";
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, OtherKeysStoreNothing) {
    openService();
    TSpinEdit* field = window->SpnEdtAOIEnd;
    focus(field);
    clearFrames();
    QTest::keyClick(field, Qt::Key_Down);
    QTest::keyClick(field, Qt::Key_A);
    EXPECT_EQ(framesWithSentinel(), (Frames{drive(16379), sentinel()}));
    EXPECT_FALSE(field->CommitMark);
}

TEST_F(ServiceTest, LeavingAFieldReleasesWithItsPause) {
    setCorrection(0, {1640, 16380, 10, 16000});
    openService();
    const std::pair<TSpinEdit*, int> service[] = {{window->SpnEdtAOIZero, 100},
                                                  {window->SpnEdtAOIEnd, 150},
                                                  {window->SpnEdtAOUZero, 100},
                                                  {window->SpnEdtAOUEnd, 100}};
    for (const auto& [field, pause] : service) {
        focus(field);
        clearFrames();
        QElapsedTimer clock;
        clock.start();
        focus(window->BtnRefresh);
        EXPECT_GE(clock.elapsed(), pause) << field->objectName().toStdString();
        EXPECT_EQ(framesWithSentinel(), (Frames{release(), sentinel()}))
            << field->objectName().toStdString();
    }
    openCorrection();
    for (TSpinEdit* field : {window->SpnEdtAOIZeroDACorr, window->SpnEdtAOIEndDACorr,
                             window->SpnEdtAOUZeroDACorr, window->SpnEdtAOUEndDACorr}) {
        focus(field);
        clearFrames();
        QElapsedTimer clock;
        clock.start();
        focus(window->SpdBtnUndoDACorr);
        EXPECT_GE(clock.elapsed(), 150) << field->objectName().toStdString();
        EXPECT_EQ(framesWithSentinel(), (Frames{release(), sentinel()}))
            << field->objectName().toStdString();
        EXPECT_FALSE(sim->outputDriven());
    }
}

TEST_F(ServiceTest, NothingIsDrivenWhileTheFormIsFilled) {
    openService();
    focus(window->SpnEdtAOIZero);
    sim->setCell(EEAOIZero, 2000);
    sim->setCell(EEAOIEnd, 30000);  // beyond the converter: shown as its end
    sim->setCell(EEAOUZero, 100);
    sim->setCell(EEAOUEnd, 15000);
    clearFrames();
    window->LoadEE();
    for (const std::string& f : framesWithSentinel()) {
        EXPECT_NE(f.substr(0, 2), "2A") << "drive: " << f;
        EXPECT_NE(f.substr(0, 2), "34") << "write: " << f;
    }
    EXPECT_EQ(window->SpnEdtAOIZero->value(), 2000);
    EXPECT_EQ(window->SpnEdtAOIEnd->value(), 16383);
    EXPECT_EQ(window->SpnEdtAOUEndDACorr->value(), 15000);
    EXPECT_EQ(window->PrgBrAOIZero->value(), 2000 / 82);
    EXPECT_EQ(window->PrgBrAOIEndDACorr->value(), 199);
    EXPECT_EQ(window->PrgBrAOUZeroDACorr->value(), 1);
    EXPECT_FALSE(red(window->SpnEdtAOIZero));
}

TEST_F(ServiceTest, AFailedStoreShowsTheLostConnectionAndEndsIt) {
    openService();
    TSpinEdit* field = window->SpnEdtAOUEnd;
    focus(field);
    field->setValue(15990);
    clearFrames();
    sim->injectFaultOnCommand(CmdWriteCell, {Kind::NoReply});
    enter(field);
    // The field held the focus when its panel went: it is left deliberately, with one release
    // while the port still stands, and no other field takes the focus and drives.
    EXPECT_EQ(framesAfter(2), (Frames{writeOf(EEAOUEnd, 15990), release()}));
    EXPECT_EQ(messageTexts(), QStringList{LostCz});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_TRUE(connectionShown());
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_FALSE(field->CommitMark);
    EXPECT_TRUE(red(field)) << "not stored";
    EXPECT_FALSE(sim->outputDriven());
}

// --- Correction fields

TEST_F(ServiceTest, CorrectionFieldsKeepWithinTheirWindowAndTheConverter) {
    // Fields read 1640, 16380, 10, 16000.
    setCorrection(0, {1600, 16370, 20, 15800});
    openCorrection();

    TSpinEdit* aoiZero = window->SpnEdtAOIZeroDACorr;  // window 1552..1648
    focus(aoiZero);
    for (int i = 0; i < 10; ++i) QTest::keyClick(aoiZero, Qt::Key_Up);
    EXPECT_EQ(aoiZero->value(), 1648);
    aoiZero->setValue(1500);  // typed below the window
    EXPECT_EQ(aoiZero->value(), 1552);
    EXPECT_EQ(window->PrgBrAOIZeroDACorr->value(), 1552 / 82);
    EXPECT_EQ(framesWithSentinel(),
              (Frames{drive(1640), drive(1641), drive(1642), drive(1643), drive(1644), drive(1645),
                      drive(1646), drive(1647), drive(1648), drive(1552), sentinel()}))
        << "the edge is driven once";

    TSpinEdit* aoiEnd = window->SpnEdtAOIEndDACorr;  // 16322..16383: the converter's end first
    clearFrames();
    focus(aoiEnd);
    for (int i = 0; i < 5; ++i) QTest::keyClick(aoiEnd, Qt::Key_Up);
    EXPECT_EQ(aoiEnd->value(), 16383);

    TSpinEdit* aouZero = window->SpnEdtAOUZeroDACorr;  // -28..68 cut to 0..68
    focus(aouZero);
    for (int i = 0; i < 12; ++i) QTest::keyClick(aouZero, Qt::Key_Down);
    EXPECT_EQ(aouZero->value(), 0);
    EXPECT_EQ(framesWithSentinel(),
              (Frames{release(), drive(16380), drive(16381), drive(16382), drive(16383), release(),
                      drive(10), drive(9), drive(8), drive(7), drive(6), drive(5), drive(4),
                      drive(3), drive(2), drive(1), drive(0), sentinel()}))
        << "leaving a field releases; below 0 the arrow is pulled back to 0";

    // A field whose value lies outside its window is pulled in when it gains the focus.
    TSpinEdit* aouEnd = window->SpnEdtAOUEndDACorr;  // 15752..15848, shows 16000
    clearFrames();
    focus(aouEnd);
    EXPECT_EQ(aouEnd->value(), 15848);
    EXPECT_TRUE(red(aouEnd));
    EXPECT_EQ(framesWithSentinel(), (Frames{release(), drive(15848), sentinel()}));
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, EveryCorrectionCommitWritesTheStateOne) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openCorrection();
    const std::pair<TSpinEdit*, Cell> fields[] = {{window->SpnEdtAOIZeroDACorr, EEAOIZero},
                                                  {window->SpnEdtAOIEndDACorr, EEAOIEnd},
                                                  {window->SpnEdtAOUZeroDACorr, EEAOUZero},
                                                  {window->SpnEdtAOUEndDACorr, EEAOUEnd}};
    const int codes[] = {1610, 16360, 30, 15790};
    for (size_t i = 0; i < 4; ++i) {
        auto [field, cell] = fields[i];
        focus(field);
        field->setValue(codes[i]);
        clearFrames();
        QElapsedTimer clock;
        clock.start();
        enter(field);
        EXPECT_GE(clock.elapsed(), 100);
        // The state is written even when it already is 1.
        EXPECT_EQ(framesWithSentinel(), (Frames{writeOf(cell, uint16_t(codes[i])), release(),
                                                writeOf(EEDACorrState, 1), sentinel()}))
            << field->objectName().toStdString();
        EXPECT_EQ(sim->cell(cell), codes[i]);
        EXPECT_EQ(sim->cell(EEDACorrState), 1);
        EXPECT_FALSE(red(field));
        EXPECT_FALSE(field->CommitMark);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, AFailedCorrectionStoreStillMeetsTheStateWriteOnTheClosedPort) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openCorrection();
    TSpinEdit* field = window->SpnEdtAOIZeroDACorr;
    focus(field);
    field->setValue(1620);
    clearFrames();
    sim->injectFaultOnCommand(CmdWriteCell, {Kind::BadCrc});
    enter(field);
    EXPECT_EQ(framesAfter(2), (Frames{writeOf(EEAOIZero, 1620), release()}));
    EXPECT_EQ(messageTexts(), (QStringList{LostCz, ClosedPort}));
    EXPECT_TRUE(connectionShown());
    EXPECT_FALSE(field->CommitMark) << "cleared on every outcome";
    EXPECT_EQ(QApplication::focusWidget(), nullptr) << "no field took the focus";
    EXPECT_EQ(sim->cell(EEDACorrState), 0);
}

TEST_F(ServiceTest, UnpluggingInTheMiddleOfACommitEndsCleanly) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openCorrection();
    TSpinEdit* field = window->SpnEdtAOUEndDACorr;
    focus(field);
    field->setValue(15760);
    clearFrames();
    sim->injectFaultOnCommand(CmdWriteCell, {Kind::Unplug});
    enter(field);
    ASSERT_TRUE(waitUntil([&] { return messages.size() >= 3; }));
    EXPECT_EQ(messageTexts(),
              (QStringList{LostCz, ClosedPort,
                           "Komunikační kabel byl odpojen nebo došlo k výpadku napájení "
                           "převodníku."}));
    EXPECT_EQ(requestsHex(), Frames{writeOf(EEAOUEnd, 15760)});
    EXPECT_TRUE(connectionShown());
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_TRUE(window->BtnConnect->isEnabled());
    EXPECT_FALSE(field->CommitMark);
    // And the next transmitter connects as usual.
    sim->plug();
    connectNow();
    EXPECT_TRUE(window->PanelSettings->isVisible());
}

TEST_F(ServiceTest, UndoWritesTheCopyBackWithoutDriving) {
    setCorrection(1, {1600, 16370, 20, 15800});
    openCorrection();
    window->SpnEdtAOIZeroDACorr->setValue(1630);
    window->SpnEdtAOUEndDACorr->setValue(15840);
    window->SpnEdtAOIZero->setValue(1700);  // the service field keeps what it shows
    clearFrames();
    window->SpdBtnUndoDACorr->click();
    EXPECT_EQ(framesWithSentinel(),
              (Frames{writeOf(EEDACorrState, 0), writeOf(EEAOIZero, 1600), writeOf(EEAOIEnd, 16370),
                      writeOf(EEAOUZero, 20), writeOf(EEAOUEnd, 15800), sentinel()}));
    EXPECT_EQ(window->SpnEdtAOIZeroDACorr->value(), 1600);
    EXPECT_EQ(window->SpnEdtAOIEndDACorr->value(), 16370);
    EXPECT_EQ(window->SpnEdtAOUZeroDACorr->value(), 20);
    EXPECT_EQ(window->SpnEdtAOUEndDACorr->value(), 15800);
    EXPECT_EQ(window->PrgBrAOUEndDACorr->value(), 15800 / 82);
    EXPECT_FALSE(red(window->SpnEdtAOIZeroDACorr));
    EXPECT_EQ(window->SpnEdtAOIZero->value(), 1700);
    EXPECT_FALSE(window->Updating);
    EXPECT_EQ(sim->cell(EEDACorrState), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, UndoRefusesAnInvalidCopy) {
    setCorrection(0, {1600, 0xFFFF, 20, 15800});
    openCorrection();
    window->SpdBtnUndoDACorr->click();
    EXPECT_EQ(messageTexts(), QStringList{InvalidCopyCz});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    window->MSLanguageENClick();
    window->SpdBtnUndoDACorr->click();
    EXPECT_EQ(messageTexts(), (QStringList{InvalidCopyCz, InvalidCopyEn}));
    EXPECT_EQ(framesWithSentinel(), Frames{sentinel()}) << "nothing written";
    // A field whose copy lies far beyond the converter has no code to drive or store.
    TSpinEdit* field = window->SpnEdtAOIEndDACorr;
    focus(field);
    QTest::keyClick(field, Qt::Key_Up);
    clearFrames();
    messages.clear();
    enter(field);
    EXPECT_EQ(messageTexts(), QStringList{InvalidCopyEn});
    EXPECT_EQ(framesWithSentinel(), Frames{sentinel()});
    EXPECT_EQ(sim->cell(EEDACorrState), 0);
    EXPECT_TRUE(sim->driveLog().empty());
}

TEST_F(ServiceTest, EnableCopiesTheServiceCodesAndUndoRestoresExactlyThose) {
    ASSERT_EQ(sim->cell(EEDACorrState), 0xFFFF);
    openService();
    window->SpnEdtAOIZero->setValue(1650);  // shown, driven, not stored
    openCorrection();
    focus(window->SpdBtnEnableDACorr);
    clearFrames();
    QTest::keyClick(window->SpdBtnEnableDACorr, Qt::Key_Space);
    EXPECT_EQ(framesWithSentinel(),
              (Frames{readOf(EEDACorrState), writeOf(EEDACorrState, 0),
                      writeOf(EEAOIZeroBackup, 1650), writeOf(EEAOIEndBackup, 16380),
                      writeOf(EEAOUZeroBackup, 10), writeOf(EEAOUEndBackup, 16000)} +
               copyReads() + Frames{sentinel()}))
        << "the focus leaving the disabled button drives nothing";
    EXPECT_TRUE(window->GrpBxDACorr->isVisible());
    EXPECT_FALSE(window->SpdBtnEnableDACorr->isEnabled());
    EXPECT_TRUE(messages.empty());

    window->SpnEdtAOIZeroDACorr->setValue(1660);
    clearFrames();
    window->SpdBtnUndoDACorr->click();
    EXPECT_EQ(framesWithSentinel(),
              (Frames{writeOf(EEDACorrState, 0), writeOf(EEAOIZero, 1650), writeOf(EEAOIEnd, 16380),
                      writeOf(EEAOUZero, 10), writeOf(EEAOUEnd, 16000), sentinel()}));
}

TEST_F(ServiceTest, EnableRefusesCodesNotReadFromThisUnit) {
    window->MenuCommEndClick();
    sim->injectFault({Kind::BadCrc}, 19);  // the read of cell 136
    connectNow();
    EXPECT_EQ(window->SpnEdtAOIEnd->text(), "") << "not the first unit's code";
    openCorrection();
    window->SpdBtnEnableDACorrClick();
    EXPECT_EQ(framesWithSentinel(), (Frames{readOf(EEDACorrState), sentinel()}));
    EXPECT_EQ(messageTexts(), QStringList{"Hodnota nebyla z tohoto převodníku přečtena ani "
                                          "zadána, nic nebylo zapsáno."});
    // Nor is the empty field driven or stored.
    openService();
    messages.clear();
    clearFrames();
    focus(window->SpnEdtAOIEnd);
    enter(window->SpnEdtAOIEnd);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(framesWithSentinel(), (Frames{sentinel()}));
}

TEST_F(ServiceTest, EnableDoesNothingOnceEnabled) {
    for (uint16_t state : {0, 1}) {
        sim->setCell(EEDACorrState, state);
        clearFrames();
        window->SpdBtnEnableDACorrClick();
        EXPECT_EQ(framesWithSentinel(), (Frames{readOf(EEDACorrState), sentinel()}));
        EXPECT_EQ(sim->cell(EEAOIZeroBackup), 0xFFFF);
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(ServiceTest, AFailedEnableEndsTheConnectionKeepingTheWritesMade) {
    clearFrames();
    sim->injectFault({Kind::NoReply}, 3);  // the second copy
    window->SpdBtnEnableDACorrClick();
    EXPECT_EQ(requestsHex().size(), 4u);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(connectionShown());
    EXPECT_EQ(sim->cell(EEDACorrState), 0);
    EXPECT_EQ(sim->cell(EEAOIZeroBackup), 1640);
}

TEST_F(ServiceTest, EndingTheConnectionLeavesAFocusedFieldWithOneRelease) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openCorrection();
    focus(window->SpnEdtAOIZeroDACorr);
    ASSERT_EQ(framesWithSentinel(), (Frames{drive(1640), sentinel()}));
    clearFrames();
    QElapsedTimer clock;
    clock.start();
    window->MenuCommEndClick();
    EXPECT_GE(clock.elapsed(), 150);
    EXPECT_EQ(framesAfter(1), Frames{release()});
    EXPECT_FALSE(sim->outputDriven());
    EXPECT_EQ(QApplication::focusWidget(), nullptr);
}

TEST_F(ServiceTest, TheNextTransmitterGetsNothingOfTheFirst) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openCorrection();
    window->MenuCommEndClick();

    vl48sim::Identity second;
    second.serial = 43;
    sim->plug(second);
    setCorrection(0, {1700, 16300, 40, 15900});
    connectNow();
    EXPECT_FALSE(window->GrpBxDACorr->isVisibleTo(window->PanelDACorr));
    EXPECT_TRUE(window->SpdBtnEnableDACorr->isEnabled());
    // The first transmitter's copy is forgotten: Undo has nothing to write...
    window->SpdBtnUndoDACorrClick();
    EXPECT_EQ(messageTexts(), QStringList{InvalidCopyCz});
    // ...and its window bounds nothing.
    window->SpnEdtAOIZeroDACorr->setValue(3000);
    EXPECT_EQ(window->SpnEdtAOIZeroDACorr->value(), 3000);
    EXPECT_EQ(framesWithSentinel(), (Frames{drive(3000), sentinel()}));

    messages.clear();
    showTab(window->MSettingsDACorr, window->TabDACorr);
    focus(window->MskEdtPwd1);
    enter(window->MskEdtPwd1);
    ASSERT_TRUE(window->GrpBxDACorr->isVisible());
    clearFrames();
    window->SpdBtnUndoDACorr->click();
    EXPECT_EQ(framesWithSentinel(),
              (Frames{writeOf(EEDACorrState, 0), writeOf(EEAOIZero, 1700), writeOf(EEAOIEnd, 16300),
                      writeOf(EEAOUZero, 40), writeOf(EEAOUEnd, 15900), sentinel()}));
    EXPECT_TRUE(messages.empty());
}

// --- The output is the technician's

TEST_F(ServiceTest, OnlyTheTechniciansFocusMovesDriveOrRelease) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openService();
    openCorrection();
    QWidget elsewhere;  // another window on the desktop
    elsewhere.show();
    QMenu popup;
    popup.addAction(QStringLiteral("x"));
    for (TSpinEdit* field :
         {window->SpnEdtAOIZero, window->SpnEdtAOIEnd, window->SpnEdtAOUZero, window->SpnEdtAOUEnd,
          window->SpnEdtDA, window->SpnEdtAOIZeroDACorr, window->SpnEdtAOIEndDACorr,
          window->SpnEdtAOUZeroDACorr, window->SpnEdtAOUEndDACorr}) {
        QWidget* tab =
            window->TabDACorr->isAncestorOf(field) ? window->TabDACorr : window->TabService;
        clickTab(tab);
        if (QWidget* previous = QApplication::focusWidget()) previous->clearFocus();
        clearFrames();
        QTest::mouseClick(field, Qt::LeftButton, {}, QPoint(4, field->height() / 2));
        activate(&elsewhere);
        activate(window.get());
        popup.popup(window->mapToGlobal(QPoint(20, 20)));
        ASSERT_TRUE(waitUntil([&] { return popup.isVisible(); }));
        popup.close();
        clickTab(window->TabBasicSet);  // leaving the tab releases
        clickTab(tab);                  // coming back drives nothing
        EXPECT_EQ(framesWithSentinel(),
                  (Frames{drive(uint16_t(field->value())), release(), sentinel()}))
            << field->objectName().toStdString();
    }
}

TEST_F(ServiceTest, ATypedMinusGivesTheLowestCode) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openService();
    openCorrection();
    window->SpnEdtDA->setValue(100);
    const std::tuple<TSpinEdit*, QWidget*, Frames> cases[] = {
        {window->SpnEdtDA, window->TabService, {}},
        {window->SpnEdtAOIZero, window->TabService, {writeOf(EEAOIZero, 0), release()}},
        {window->SpnEdtAOUZeroDACorr,
         window->TabDACorr,  // window 0..68
         {writeOf(EEAOUZero, 0), release(), writeOf(EEDACorrState, 1)}}};
    for (const auto& [field, tab, stored] : cases) {
        window->PageControl1->setCurrentWidget(tab);
        focus(field);
        field->selectAll();
        clearFrames();
        QTest::keyClicks(field, "-5");
        enter(field);
        EXPECT_EQ(framesWithSentinel(), Frames{drive(0)} + stored + Frames{sentinel()})
            << field->objectName().toStdString();
    }
}

TEST_F(ServiceTest, TheCodeDrivenIsNotDrivenAgainUntilReleased) {
    setCorrection(0, {1600, 16370, 20, 15800});
    openService();
    clearFrames();
    focus(window->SpnEdtDA);
    enter(window->SpnEdtDA);  // nothing to store
    EXPECT_EQ(framesWithSentinel(), (Frames{drive(0), sentinel()}));
    openCorrection();
    TSpinEdit* field = window->SpnEdtAOIZeroDACorr;  // 1640, window 1552..1648
    focus(field);
    for (int i = 0; i < 10; ++i) QTest::keyClick(field, Qt::Key_Up);
    focus(window->SpdBtnUndoDACorr);
    focus(field);  // taken again after the release
    EXPECT_EQ(framesWithSentinel(),
              (Frames{drive(1640), drive(1641), drive(1642), drive(1643), drive(1644), drive(1645),
                      drive(1646), drive(1647), drive(1648), release(), drive(1648), sentinel()}));
}
