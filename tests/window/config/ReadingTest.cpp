// Reading the configuration and drawing the basic tab, with the real window against the
// simulated transmitter: the frames the transmitter received, in order, and what the technician
// sees in the fields, the radio buttons, the message boxes and the status bar.
#include <QApplication>
#include <QCheckBox>
#include <QDate>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTest>
#include <optional>

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

namespace {

constexpr uint8_t Tag = 0x5A;

std::string request(uint8_t command, uint8_t d4) {
    return vl48test::requestHex(command, Tag, 0, 0, d4);
}

// The seventeen configuration cells in the order the technician's bar walks through them.
const std::vector<uint8_t> ReadOrder = {4,  6,  44, 30, 32,  8,   34,  36, 42,
                                        40, 50, 52, 38, 134, 136, 142, 144};

std::vector<std::string> cellReads() {
    std::vector<std::string> out;
    for (uint8_t address : ReadOrder) out.push_back(request(25, address));
    return out;
}

// A whole reading: the cells, the note length, and the note itself when it is read.
std::vector<std::string> reading(bool noteRead) {
    std::vector<std::string> out = cellReads();
    out.push_back(request(25, 88));
    if (noteRead) out.push_back(request(26, 0));
    return out;
}

std::vector<std::string> plus(std::vector<std::string> frames, const std::string& last) {
    frames.push_back(last);
    return frames;
}

// "Kotel č. 3 – Žďár": 17 characters, so the note's last cell carries the "0" filler too.
const std::string CzechNoteBytes = "Kotel \xE8. 3 \x96 \x8E\xEF\xE1r";
const QString CzechNote = QStringLiteral("Kotel č. 3 – Žďár");

class Reading : public vl48test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->link->setFrameTag(Tag);
        window->ComPort->setDeviceName(QString::fromStdString(portPath()));
        window->ComPort->setActive(true);
        ASSERT_TRUE(window->ComPort->Active());
        window->PrgBarLoadEE->setValue(30);  // where the connection sequence leaves it
        sim->clearLog();
    }

    // A transmitter whose every cell differs from the simulator's defaults and from what the
    // window shows at start.
    void storeDistinctConfiguration() {
        sim->setCell(4, 12);
        sim->setCell(6, 2);
        sim->setCell(44, 1);
        sim->setCell(30, cellWord(-50));
        sim->setCell(32, 450);
        sim->setCell(8, 3);
        sim->setCell(34, 2);
        sim->setCell(36, 37);
        sim->setCell(42, 1);
        sim->setCell(40, 1);
        sim->setCell(50, encodeDayMonth(17, 3));
        sim->setCell(52, 2021);
        sim->setCell(38, 150);
        sim->setCell(134, 1700);
        sim->setCell(136, 16300);
        sim->setCell(142, 25);
        sim->setCell(144, 15900);
        sim->setNote(CzechNoteBytes);
    }

    // Ends a test's exchanges with a presence query: the frames before it have all arrived
    // once it has been answered, so nothing sent late can slip past the comparison.
    std::vector<std::string> requestsWithSentinel() {
        EXPECT_TRUE(window->Send(CmdIdentify, 0));
        return requestsHex();
    }

    std::string sentinel() const { return request(CmdIdentify, 0); }

    static std::vector<int> spinValues(std::initializer_list<TSpinEdit*> spins) {
        std::vector<int> out;
        for (TSpinEdit* s : spins) out.push_back(s->value());
        return out;
    }
};

}  // namespace

TEST_F(Reading, SeventeenCellsThenTheNoteInOrderIntoRecordAndFields) {
    storeDistinctConfiguration();
    window->LoadEE();

    EXPECT_EQ(requestsWithSentinel(), plus(reading(true), sentinel()))
        << "seventeen reads in the table's order, the note length, the note; nothing written, "
           "no output driven";
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(window->Updating);

    ConfigRecord expected;
    expected.EEInputType = 12;
    expected.EEOutputType = 2;
    expected.EEFilter = 3;
    expected.EESensorFault = 1;
    expected.EECompMode = 2;
    expected.EEOutputLimit = 1;
    expected.EEWiring = 1;
    EXPECT_EQ(window->Config, expected);

    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "-050");
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "0450");
    EXPECT_EQ(window->MskEdtTcldEnd->displayText(), "037");
    EXPECT_EQ(window->MskEdtResComp->displayText(), "01,50");
    EXPECT_EQ(window->MskEdtResComp->maskedText(), "01,50");
    EXPECT_EQ(window->DtTmPicker->date(), QDate(2021, 3, 17));
    EXPECT_EQ(window->SpnEdtAOIZero->value(), 1700);
    EXPECT_EQ(window->SpnEdtAOIZeroDACorr->value(), 1700);
    EXPECT_EQ(window->SpnEdtAOIEnd->value(), 16300);
    EXPECT_EQ(window->SpnEdtAOIEndDACorr->value(), 16300);
    EXPECT_EQ(window->SpnEdtAOUZero->value(), 25);
    EXPECT_EQ(window->SpnEdtAOUZeroDACorr->value(), 25);
    EXPECT_EQ(window->SpnEdtAOUEnd->value(), 15900);
    EXPECT_EQ(window->SpnEdtAOUEndDACorr->value(), 15900);
    EXPECT_EQ(window->EdtNote->text(), CzechNote);

    // Reading checks no radio button; drawing does, from the record.
    for (QRadioButton* r : window->TabBasicSet->findChildren<QRadioButton*>())
        EXPECT_FALSE(r->isChecked()) << r->objectName().toStdString();
    window->DrawForm();
    EXPECT_TRUE(window->RdBtnKTY110->isChecked());
    EXPECT_TRUE(window->RdBtnAO0_10->isChecked());
    EXPECT_TRUE(window->RdBtnFilt3->isChecked());
    EXPECT_TRUE(window->RdBtnPuls->isChecked());
    EXPECT_TRUE(window->RdBtnTempSet->isChecked());
    EXPECT_TRUE(window->ChckBxDaRest->isChecked());
    EXPECT_TRUE(window->RdBtn3wire->isChecked());
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled());
    EXPECT_FALSE(window->Updating);
}

TEST_F(Reading, BarWalksFrom40To200WhileEveryFieldIsFilledUnderUpdating) {
    storeDistinctConfiguration();
    std::vector<int> positions;
    std::vector<bool> updatingWhenFilled;
    QObject::connect(window->PrgBarLoadEE, &QProgressBar::valueChanged, [&](int value) {
        positions.push_back(value);
        updatingWhenFilled.push_back(window->Updating);
    });
    const auto record = [&] { updatingWhenFilled.push_back(window->Updating); };
    for (QLineEdit* edit : {static_cast<QLineEdit*>(window->MskEdtTempBegin),
                            static_cast<QLineEdit*>(window->MskEdtTempEnd),
                            static_cast<QLineEdit*>(window->MskEdtTcldEnd),
                            static_cast<QLineEdit*>(window->MskEdtResComp), window->EdtNote})
        QObject::connect(edit, &QLineEdit::textChanged, record);
    for (TSpinEdit* spin : {window->SpnEdtAOIZero, window->SpnEdtAOIEndDACorr})
        QObject::connect(spin, &QSpinBox::valueChanged, record);
    QObject::connect(window->DtTmPicker, &QDateEdit::dateChanged, record);

    ASSERT_TRUE(window->PrgBarLoadEE->isHidden());
    window->LoadEE();

    std::vector<int> expected;
    for (int k = 4; k <= 20; ++k) expected.push_back(10 * k);
    EXPECT_EQ(positions, expected);
    EXPECT_EQ(window->PrgBarLoadEE->value(), 200);
    EXPECT_FALSE(window->PrgBarLoadEE->isHidden()) << "the bar shows the reading and stays";
    // Four masked fields, the note, two spin edits and the date changed as well.
    EXPECT_EQ(updatingWhenFilled.size(), expected.size() + 8);
    for (size_t i = 0; i < updatingWhenFilled.size(); ++i)
        EXPECT_TRUE(updatingWhenFilled[i]) << "fill " << i << " ran with Updating clear";
    EXPECT_FALSE(window->Updating);
}

TEST_F(Reading, ExchangeTimeOfTheNoteInStatusPanel2) {
    window->LoadEE();
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^(\\d+) ms$")).match(window->panel(2));
    ASSERT_TRUE(m.hasMatch()) << "panel 2 reads \"" << window->panel(2).toStdString() << "\"";
    // The note's exchange includes its half-second pause; a cell read's time would be far less.
    EXPECT_GE(m.captured(1).toInt(), 500);
    EXPECT_LT(m.captured(1).toInt(), 3000);
    // An exchange beyond a second shows its whole milliseconds, not the part below the second.
    vl48sim::Fault late{vl48sim::Fault::Kind::LateReply};
    late.delayMs = 1200;
    sim->injectFault(late, 18);  // 17 cells, the note's length, then the note
    window->LoadEE();
    EXPECT_GE(window->panel(2).chopped(3).toInt(), 1200) << window->panel(2).toStdString();
    EXPECT_TRUE(window->panel(2).endsWith(" ms"));
}

TEST_F(Reading, ValuesBeyondTheFieldsAreClampedToWhatTheyCanShow) {
    sim->setCell(30, 20000);
    sim->setCell(32, cellWord(-5000));
    sim->setCell(36, 1200);
    sim->setCell(38, 20000);
    sim->setCell(134, 20000);
    sim->setCell(136, 16384);
    sim->setCell(142, 16383);
    sim->setCell(144, 65535);
    window->LoadEE();
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "9999");
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "-999");
    EXPECT_EQ(window->MskEdtTcldEnd->displayText(), "999");
    EXPECT_EQ(window->MskEdtResComp->displayText(), "99,99");
    EXPECT_EQ(
        spinValues({window->SpnEdtAOIZero, window->SpnEdtAOIZeroDACorr, window->SpnEdtAOIEnd,
                    window->SpnEdtAOIEndDACorr, window->SpnEdtAOUZero, window->SpnEdtAOUZeroDACorr,
                    window->SpnEdtAOUEnd, window->SpnEdtAOUEndDACorr}),
        (std::vector<int>{16383, 16383, 16383, 16383, 16383, 16383, 16383, 16383}));

    sim->setCell(30, cellWord(-5000));
    sim->setCell(32, 20000);
    sim->setCell(36, cellWord(-150));
    sim->setCell(38, cellWord(-5000));
    window->LoadEE();
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "-999");
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "9999");
    EXPECT_EQ(window->MskEdtTcldEnd->displayText(), "-99");
    EXPECT_EQ(window->MskEdtResComp->displayText(), "-9,99");
    EXPECT_TRUE(messages.empty());
}

TEST_F(Reading, NonPositiveNumbersGiveTheSignAPlace) {
    sim->setCell(30, 0);
    sim->setCell(32, cellWord(-5));
    sim->setCell(36, cellWord(-5));
    sim->setCell(38, cellWord(-5));
    sim->setCell(134, 0);
    window->SpnEdtAOIZero->setValue(500);
    window->LoadEE();
    // Zero has three digits in the four places; the blank place shows as the 0 it reads as.
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "0000");
    EXPECT_EQ(window->MskEdtTempBegin->maskedText(), "0000");
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "-005");
    EXPECT_EQ(window->MskEdtTcldEnd->displayText(), "-05");
    EXPECT_EQ(window->MskEdtTcldEnd->maskedText(), "-05");
    EXPECT_EQ(window->MskEdtResComp->displayText(), "-0,05");
    EXPECT_EQ(window->SpnEdtAOIZero->value(), 0);

    sim->setCell(36, 0);
    sim->setCell(38, 0);
    window->LoadEE();
    EXPECT_EQ(window->MskEdtTcldEnd->maskedText(), "000");
    EXPECT_EQ(window->MskEdtResComp->displayText(), "00,00");
}

TEST_F(Reading, SelectionCodesOutsideTheTablesAreKeptAsRead) {
    for (int address : {4, 6, 8, 34, 40, 42, 44}) sim->setCell(address, 65535);
    window->LoadEE();
    ConfigRecord expected;
    expected.EEInputType = expected.EEOutputType = expected.EEFilter = expected.EESensorFault =
        expected.EECompMode = expected.EEOutputLimit = expected.EEWiring = 65535;
    EXPECT_EQ(window->Config, expected);
}

TEST_F(Reading, AFailedCellReadIsSilentAndLeavesItsFieldAsItWas) {
    storeDistinctConfiguration();
    window->Config.EEInputType = 7;
    window->Config.EEWiring = 0;
    // What an earlier reading left in the fields (filled as the program fills them, so that
    // nothing is driven or marked).
    window->Updating = true;
    window->MskEdtTempBegin->setMaskedText("0123");
    window->MskEdtTcldEnd->setMaskedText("011");
    window->SpnEdtAOIZero->setValue(777);
    window->SpnEdtAOIZeroDACorr->setValue(778);
    window->Updating = false;
    // Positions in the reading: cell 4 first, 30 fourth, 36 eighth, 40 tenth, 134 fourteenth.
    for (int k : {0, 3, 7, 9, 13}) sim->injectFault({Kind::NoReply}, k);
    window->LoadEE();

    EXPECT_EQ(requestsWithSentinel(), plus(reading(true), sentinel()));
    EXPECT_TRUE(messages.empty()) << "no message for a cell that did not answer";
    EXPECT_TRUE(window->ComPort->Active());
    EXPECT_EQ(window->Config.EEInputType, 7);
    EXPECT_EQ(window->Config.EEWiring, 0);
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "0123");
    EXPECT_EQ(window->MskEdtTcldEnd->displayText(), "011");
    EXPECT_EQ(window->SpnEdtAOIZero->value(), 777);
    EXPECT_EQ(window->SpnEdtAOIZeroDACorr->value(), 778);
    // The cells that answered are all in.
    EXPECT_EQ(window->Config.EEOutputType, 2);
    EXPECT_EQ(window->Config.EEOutputLimit, 1);
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "0450");
    EXPECT_EQ(window->SpnEdtAOIEnd->value(), 16300);
    EXPECT_EQ(window->DtTmPicker->date(), QDate(2021, 3, 17));
    EXPECT_EQ(window->EdtNote->text(), CzechNote);
    EXPECT_FALSE(window->Updating);
}

TEST_F(Reading, DatesThePickerCannotShowGiveTheMessageAndToday) {
    struct Case {
        uint16_t dayMonth;
        uint16_t year;
        std::optional<QDate> shown;  // nothing: the message and today's date
    };
    const Case cases[] = {
        {0, 2017, std::nullopt},                          // day 0, month 0
        {encodeDayMonth(31, 2), 2017, std::nullopt},      // no such day
        {encodeDayMonth(29, 2), 2023, std::nullopt},      // not a leap year
        {encodeDayMonth(1, 13), 2017, std::nullopt},      // no such month
        {encodeDayMonth(31, 12), 1999, std::nullopt},     // before the picker's first date
        {encodeDayMonth(1, 1), 65535, std::nullopt},      // beyond its last
        {encodeDayMonth(1, 1), 0, std::nullopt},          // no year 0
        {0xFFFF, 0xFFFF, std::nullopt},                   // never written
        {encodeDayMonth(1, 1), 2000, QDate(2000, 1, 1)},  // the first date it can show
        {encodeDayMonth(29, 2), 2024, QDate(2024, 2, 29)},
        {encodeDayMonth(24, 12), 2017, QDate(2017, 12, 24)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "day/month " << c.dayMonth << ", year " << c.year);
        messages.clear();
        window->DtTmPicker->setDateQuietly(QDate(2015, 5, 5));
        sim->setCell(50, c.dayMonth);
        sim->setCell(52, c.year);
        window->LoadEE();
        if (c.shown) {
            EXPECT_TRUE(messages.empty());
            EXPECT_EQ(window->DtTmPicker->date(), *c.shown);
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].kind, MsgKind::Error);
            EXPECT_EQ(messages[0].text, "Neplatný formát data!");
            EXPECT_EQ(window->DtTmPicker->date(), QDate::currentDate());
        }
        EXPECT_FALSE(window->LblDtTmPickerCH->isVisible()) << "a date set by reading is no edit";
    }
    // Reading went on after each message.
    EXPECT_EQ(requestsHex().size(), std::size(cases) * reading(true).size());
}

TEST_F(Reading, InvalidDateMessageInEnglish) {
    window->MSLanguageENClick();
    sim->setCell(50, 0);
    window->LoadEE();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].text, "Invalid date format!");
}

TEST_F(Reading, AFailedReadOfEitherDateCellCountsAsAnInvalidDate) {
    for (int k : {10, 11}) {  // cell 50, then cell 52
        SCOPED_TRACE(k);
        messages.clear();
        window->DtTmPicker->setDateQuietly(QDate(2015, 5, 5));
        sim->injectFault({Kind::NoReply}, k);
        window->LoadEE();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, MsgKind::Error);
        EXPECT_EQ(messages[0].text, "Neplatný formát data!");
        EXPECT_EQ(window->DtTmPicker->date(), QDate::currentDate());
        EXPECT_TRUE(window->ComPort->Active());
    }
}

TEST_F(Reading, ANoteLengthBeyond30ReadsNoNoteAndKeepsTheField) {
    for (uint16_t length : {uint16_t(31), uint16_t(65535)}) {
        SCOPED_TRACE(length);
        sim->clearLog();
        window->EdtNote->setText(QStringLiteral("stará poznámka"));
        sim->setCell(88, length);
        window->LoadEE();
        EXPECT_EQ(requestsWithSentinel(), plus(reading(false), sentinel()));
        EXPECT_EQ(window->EdtNote->text(), "stará poznámka");
        EXPECT_FALSE(window->Updating);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(Reading, ANoteLengthOf0StillAsksAndEmptiesTheField) {
    window->EdtNote->setText(QStringLiteral("stará poznámka"));
    sim->setNote("");
    window->LoadEE();
    EXPECT_EQ(requestsWithSentinel(), plus(reading(true), sentinel()));
    EXPECT_TRUE(window->EdtNote->text().isEmpty());
    EXPECT_TRUE(messages.empty());
}

TEST_F(Reading, AFailedNoteLengthReadAsksForAnEmptyNote) {
    window->EdtNote->setText(QStringLiteral("stará poznámka"));
    sim->injectFault({Kind::NoReply}, 17);  // the read of cell 88
    window->LoadEE();
    EXPECT_EQ(requestsWithSentinel(), plus(reading(true), sentinel()));
    EXPECT_TRUE(window->EdtNote->text().isEmpty());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(window->ComPort->Active());
}

TEST_F(Reading, AFullNoteOf30Characters) {
    const std::string full = "\x9A\xE8\x9E\xF8\xFD\xE1\xED\xE9\xF9\xFA 0123456789abcdefghi";
    ASSERT_EQ(full.size(), 30u);
    sim->setNote(full);
    window->LoadEE();
    EXPECT_EQ(window->EdtNote->text(), QStringLiteral("ščžřýáíéůú 0123456789abcdefghi"));
}

TEST_F(Reading, ABrokenNoteExchangeEndsTheConnection) {
    storeDistinctConfiguration();
    sim->injectFaultOnCommand(CmdReadNote, {Kind::ShortReply});  // 5 of the 17 characters
    window->EdtNote->setText(QStringLiteral("stará poznámka"));
    window->LoadEE();

    EXPECT_EQ(requestsHex(), reading(true));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_EQ(messages[0].text, "Spojení s převodníkem bylo ztraceno.");
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_FALSE(window->PanelSettings->isVisible());
    EXPECT_TRUE(window->PrgBarLoadEE->isHidden());
    EXPECT_TRUE(window->BtnConnect->isEnabled());
    EXPECT_EQ(window->EdtNote->text(), "stará poznámka") << "no part of a broken note is shown";
    EXPECT_FALSE(window->Updating);
    // What was read before stays.
    EXPECT_EQ(window->Config.EEInputType, 12);
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "0450");
}

TEST_F(Reading, AnUnpluggedTransmitterDuringTheNoteEndsTheConnection) {
    storeDistinctConfiguration();
    sim->injectFaultOnCommand(CmdReadNote, {Kind::Unplug});
    window->LoadEE();

    EXPECT_EQ(requestsHex(), reading(true));
    EXPECT_TRUE(messageTexts().contains("Spojení s převodníkem bylo ztraceno."))
        << messageTexts().join(" | ").toStdString();
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_EQ(window->EdtNote->text(), "") << "the window starts without a note";
    EXPECT_FALSE(window->Updating);
}

TEST_F(Reading, APortErrorEscapingAnExchangeEndsTheReadingAtOnce) {
    storeDistinctConfiguration();
    // The sixth request (cell 8) finds the cable pulled; the port object closes the port, and
    // the next exchange runs into the closed port.
    sim->injectFault({Kind::Unplug}, 5);
    EXPECT_THROW(window->LoadEE(), EComError);

    std::vector<std::string> firstSix = cellReads();
    firstSix.resize(6);
    EXPECT_EQ(requestsHex(), firstSix);
    EXPECT_TRUE(window->Updating) << "stays set until the next reading or drawing";
    // The values read so far stay; the rest was never read.
    EXPECT_EQ(window->Config.EEInputType, 12);
    EXPECT_EQ(window->Config.EESensorFault, 1);
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "0450");
    EXPECT_EQ(window->Config.EEFilter, 0);
    EXPECT_EQ(window->PrgBarLoadEE->value(), 100);
    window->DrawForm();
    EXPECT_FALSE(window->Updating);
}

// --- Drawing the form from the record

namespace {

class Drawing : public vl48test::WindowTest {
protected:
    // Exactly `checked` is checked among `group` (nullptr: none is).
    static void expectOnly(const std::vector<QRadioButton*>& group, QRadioButton* checked) {
        for (QRadioButton* r : group)
            EXPECT_EQ(r->isChecked(), r == checked) << r->objectName().toStdString();
    }

    std::vector<QRadioButton*> inputs() const {
        const TFrmMain& w = *window;
        return {w.RdBtnTermJ,  w.RdBtnTermK,  w.RdBtnTermS,  w.RdBtnTermB,    w.RdBtnTermE,
                w.RdBtnTermR,  w.RdBtnTermN,  w.RdBtnTermT,  w.RdBtnPT100,    w.RdBtnPT1000,
                w.RdBtnNi1K6,  w.RdBtnNi1K5,  w.RdBtnKTY110, w.RdBtnKTY121,   w.RdBtnKTY122,
                w.RdBtnKTY210, w.RdBtnKTY221, w.RdBtnKTY222, w.RdBtnOhmMeter, w.RdBtnNi891};
    }
    std::vector<QRadioButton*> outputs() const {
        return {window->RdBtnAO0_20, window->RdBtnAO4_20, window->RdBtnAO0_10};
    }
    std::vector<QRadioButton*> filters() const {
        return {window->RdBtnFilt0, window->RdBtnFilt1, window->RdBtnFilt2, window->RdBtnFilt3,
                window->RdBtnFilt4};
    }
    std::vector<QRadioButton*> faults() const {
        return {window->RdBtnNoMsg, window->RdBtnPuls, window->RdBtn2mADrop};
    }
    std::vector<QRadioButton*> compensations() const {
        return {window->RdBtnNoComp, window->RdBtnMeasTerm, window->RdBtnTempSet};
    }
    std::vector<QRadioButton*> wirings() const {
        return {window->RdBtn2_4wires, window->RdBtn3wire};
    }

    void draw(const ConfigRecord& record) {
        window->Config = record;
        window->DrawForm();
        EXPECT_FALSE(window->Updating);
    }
};

ConfigRecord record(int input, int output, int filter, int fault, int comp, int limit, int wiring) {
    ConfigRecord r;
    r.EEInputType = input;
    r.EEOutputType = output;
    r.EEFilter = filter;
    r.EESensorFault = fault;
    r.EECompMode = comp;
    r.EEOutputLimit = limit;
    r.EEWiring = wiring;
    return r;
}

}  // namespace

TEST_F(Drawing, EveryCodeChecksItsControl) {
    // The input codes in code order: 10 is the 6180 ppm/K nickel, 11 the 5000 ppm/K one, 19 the
    // Ni 891 that is checked although older firmware keeps it hidden.
    const auto in = inputs();
    ASSERT_TRUE(window->RdBtnNi891->isHidden());
    for (int code = 0; code < int(in.size()); ++code) {
        SCOPED_TRACE(code);
        draw(record(code, 0, 0, 0, 0, 0, 0));
        expectOnly(in, in[size_t(code)]);
    }
    EXPECT_TRUE(window->RdBtnNi891->isHidden()) << "drawing does not show the choice";

    const std::pair<std::vector<QRadioButton*>, int ConfigRecord::*> groups[] = {
        {outputs(), &ConfigRecord::EEOutputType}, {filters(), &ConfigRecord::EEFilter},
        {faults(), &ConfigRecord::EESensorFault}, {compensations(), &ConfigRecord::EECompMode},
        {wirings(), &ConfigRecord::EEWiring},
    };
    for (const auto& [group, field] : groups) {
        for (int code = int(group.size()) - 1; code >= 0; --code) {
            SCOPED_TRACE(group[size_t(code)]->objectName().toStdString());
            ConfigRecord r = record(0, 0, 0, 0, 0, 0, 0);
            r.*field = code;
            draw(r);
            expectOnly(group, group[size_t(code)]);
        }
    }

    draw(record(0, 0, 0, 0, 0, 1, 0));
    EXPECT_TRUE(window->ChckBxDaRest->isChecked());
    draw(record(0, 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(window->ChckBxDaRest->isChecked());
}

TEST_F(Drawing, ACodeOutsideItsTableChangesNothingInItsGroup) {
    draw(record(8, 1, 3, 2, 1, 1, 1));
    // Every field out of range at once: every group keeps what it showed.
    draw(record(65535, 3, 5, 65535, 3, 2, 2));
    expectOnly(inputs(), window->RdBtnPT100);
    expectOnly(outputs(), window->RdBtnAO4_20);
    expectOnly(filters(), window->RdBtnFilt3);
    expectOnly(faults(), window->RdBtn2mADrop);
    expectOnly(compensations(), window->RdBtnMeasTerm);
    EXPECT_TRUE(window->ChckBxDaRest->isChecked());
    expectOnly(wirings(), window->RdBtn3wire);
}

TEST_F(Drawing, OnAFreshFormAnUnknownCodeChecksNothing) {
    draw(record(65535, 65535, 65535, 65535, 65535, 65535, 65535));
    for (QRadioButton* r : window->TabBasicSet->findChildren<QRadioButton*>())
        EXPECT_FALSE(r->isChecked()) << r->objectName().toStdString();
    EXPECT_FALSE(window->ChckBxDaRest->isChecked());
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled()) << "start-up state stays";
}

TEST_F(Drawing, EachGroupFollowsItsOwnField) {
    draw(record(1, 0, 0, 0, 0, 0, 0));
    draw(record(1, 2, 0, 0, 0, 0, 0));  // only the output changes
    expectOnly(inputs(), window->RdBtnTermK);
    expectOnly(outputs(), window->RdBtnAO0_10);
    expectOnly(filters(), window->RdBtnFilt0);
    draw(record(18, 2, 4, 1, 2, 0, 1));
    expectOnly(inputs(), window->RdBtnOhmMeter);
    expectOnly(outputs(), window->RdBtnAO0_10);
    expectOnly(filters(), window->RdBtnFilt4);
    expectOnly(faults(), window->RdBtnPuls);
    expectOnly(compensations(), window->RdBtnTempSet);
    EXPECT_FALSE(window->ChckBxDaRest->isChecked());
    expectOnly(wirings(), window->RdBtn3wire);
    // A code a group does not have (filter 7) while the others change.
    draw(record(9, 1, 7, 0, 1, 1, 0));
    expectOnly(inputs(), window->RdBtnPT1000);
    expectOnly(outputs(), window->RdBtnAO4_20);
    expectOnly(filters(), window->RdBtnFilt4);
    expectOnly(faults(), window->RdBtnNoMsg);
    expectOnly(compensations(), window->RdBtnMeasTerm);
    EXPECT_TRUE(window->ChckBxDaRest->isChecked());
    expectOnly(wirings(), window->RdBtn2_4wires);
}

TEST_F(Drawing, TheColdJunctionFieldFollowsTheCheckedCompensation) {
    ASSERT_TRUE(window->MskEdtTcldEnd->isEnabled());
    draw(record(0, 0, 0, 0, 0, 0, 0));
    EXPECT_FALSE(window->MskEdtTcldEnd->isEnabled()) << "no compensation";
    draw(record(0, 0, 0, 0, 2, 0, 0));
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled()) << "fixed temperature";
    draw(record(0, 0, 0, 0, 1, 0, 0));
    EXPECT_FALSE(window->MskEdtTcldEnd->isEnabled()) << "measured terminal temperature";
    draw(record(0, 0, 0, 0, 2, 0, 0));
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled());
    draw(record(0, 0, 0, 0, 65535, 0, 0));
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled()) << "an unknown code changes nothing";
    // A button checked again while already checked runs nothing.
    window->MskEdtTcldEnd->setEnabled(false);
    draw(record(0, 0, 0, 0, 2, 0, 0));
    EXPECT_FALSE(window->MskEdtTcldEnd->isEnabled());
}

TEST_F(Drawing, TheColdJunctionRuleAlsoFollowsAClick) {
    // A click writes the choice, so a transmitter is attached.
    window->ComPort->setDeviceName(QString::fromStdString(portPath()));
    window->ComPort->setActive(true);
    window->PanelConnect->hide();
    window->PanelSettings->show();
    QTest::mouseClick(window->RdBtnNoComp, Qt::LeftButton);
    ASSERT_TRUE(window->RdBtnNoComp->isChecked());
    EXPECT_FALSE(window->MskEdtTcldEnd->isEnabled());
    QTest::mouseClick(window->RdBtnTempSet, Qt::LeftButton);
    ASSERT_TRUE(window->RdBtnTempSet->isChecked());
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled());
}

TEST_F(Drawing, ChecksRunUnderUpdatingAndDrawingWritesNothing) {
    window->link->setFrameTag(Tag);
    window->ComPort->setDeviceName(QString::fromStdString(portPath()));
    window->ComPort->setActive(true);
    sim->clearLog();
    std::vector<bool> updatingWhenChecked;
    for (QAbstractButton* b : window->TabBasicSet->findChildren<QAbstractButton*>())
        QObject::connect(b, &QAbstractButton::toggled,
                         [&] { updatingWhenChecked.push_back(window->Updating); });
    draw(record(1, 1, 1, 1, 1, 1, 1));
    draw(record(19, 2, 4, 2, 2, 0, 0));
    draw(record(8, 0, 0, 0, 0, 1, 1));
    EXPECT_GE(updatingWhenChecked.size(), 21u);
    for (size_t i = 0; i < updatingWhenChecked.size(); ++i)
        EXPECT_TRUE(updatingWhenChecked[i]) << "toggle " << i << " ran with Updating clear";
    ASSERT_TRUE(window->Send(CmdIdentify, 0));
    EXPECT_EQ(requestsHex(), std::vector<std::string>{request(CmdIdentify, 0)});
}

// --- Where the focus is

namespace {

class FocusCues : public vl48test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->PanelConnect->hide();
        window->PanelSettings->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        ASSERT_TRUE(waitUntil([&] { return window->isActiveWindow(); }));
    }

    static void focus(QWidget* widget) {
        widget->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(waitUntil([&] { return widget->hasFocus(); }))
            << widget->objectName().toStdString();
    }

    // The widget as the technician sees it: cut from a picture of the whole window, since a
    // picture of the widget alone would fill its background whether or not the screen does.
    static QImage onScreen(QWidget* widget) {
        QWidget* top = widget->window();
        return top->grab(QRect(widget->mapTo(top, QPoint(0, 0)), widget->size()))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    }

    // The share of the widget's pixels that are lime green. The style may shade the inside of a
    // frame by a few steps (Fusion draws 0,252,0 there).
    static double limeShare(QWidget* widget) {
        const QImage image = onScreen(widget);
        qint64 lime = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                lime += qRed(p) <= 16 && qGreen(p) >= 236 && qBlue(p) <= 16;
            }
        }
        return double(lime) / double(image.width() * image.height());
    }

    std::vector<QGroupBox*> boxes() const {
        return {window->GrpBxInput, window->GrpBxWire, window->GrpBxComp,  window->GrpBxOutput,
                window->GrpBxTemp,  window->GrpBxErr,  window->GrpBxFilter};
    }

    static bool isLime(QWidget* widget, QPalette::ColorRole role) {
        return widget->palette().color(role) == QColor(0, 255, 0);
    }
};

}  // namespace

TEST_F(FocusCues, TheGroupHoldingTheFocusIsLimeGreen) {
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    // One control of each group, in the order of the boxes above.
    const std::vector<QWidget*> inside = {
        window->RdBtnTermK,      window->MskEdtResComp, window->MskEdtTcldEnd, window->ChckBxDaRest,
        window->MskEdtTempBegin, window->RdBtnPuls,     window->RdBtnFilt2};
    const auto all = boxes();
    for (QGroupBox* box : all) EXPECT_EQ(limeShare(box), 0.0) << box->objectName().toStdString();
    for (size_t i = 0; i < inside.size(); ++i) {
        SCOPED_TRACE(all[i]->objectName().toStdString());
        focus(inside[i]);
        for (QGroupBox* box : all) {
            EXPECT_EQ(isLime(box, QPalette::Window), box == all[i])
                << box->objectName().toStdString();
            if (box != all[i] && box->autoFillBackground()) {
                EXPECT_EQ(box->palette().color(QPalette::Window), buttonFace)
                    << box->objectName().toStdString();
            }
        }
        EXPECT_GT(limeShare(all[i]), 0.3) << "the colour must show, not only sit in a palette";
        EXPECT_EQ(onScreen(all[i]).pixel(all[i]->width() - 2, 1), qRgb(0, 255, 0))
            << "the caption strip lights up too";
        if (i > 0) {
            EXPECT_EQ(limeShare(all[i - 1]), 0.0);
        }
    }
    // Focus outside every group: none is lit.
    focus(window->BtnMeasTemp);
    for (QGroupBox* box : all) {
        EXPECT_FALSE(isLime(box, QPalette::Window)) << box->objectName().toStdString();
        EXPECT_EQ(limeShare(box), 0.0) << box->objectName().toStdString();
    }
    // The bold caption is kept.
    EXPECT_TRUE(window->GrpBxInput->styleSheet().contains("font-weight: bold"));
}

TEST_F(FocusCues, TabbingFromTheInputGroupIntoTheWiringGroup) {
    focus(window->RdBtnKTY222);  // the input group's last control
    ASSERT_TRUE(isLime(window->GrpBxInput, QPalette::Window));
    QTest::keyClick(window->RdBtnKTY222, Qt::Key_Tab);
    ASSERT_TRUE(waitUntil([&] {
        return window->GrpBxWire->isAncestorOf(QApplication::focusWidget());
    })) << "focus went to "
        << QApplication::focusWidget()->objectName().toStdString();
    EXPECT_FALSE(isLime(window->GrpBxInput, QPalette::Window));
    EXPECT_EQ(window->GrpBxInput->palette().color(QPalette::Window),
              QApplication::palette().color(QPalette::Button));
    EXPECT_TRUE(isLime(window->GrpBxWire, QPalette::Window));
    EXPECT_EQ(limeShare(window->GrpBxInput), 0.0);
    EXPECT_GT(limeShare(window->GrpBxWire), 0.3);
}

TEST_F(FocusCues, NoteAndDateAreLimeGreenWhileFocused) {
    const QColor windowColour = QApplication::palette().color(QPalette::Base);
    focus(window->EdtNote);
    EXPECT_TRUE(isLime(window->EdtNote, QPalette::Base));
    EXPECT_GT(limeShare(window->EdtNote), 0.3);
    EXPECT_FALSE(isLime(window->DtTmPicker, QPalette::Base));
    for (QGroupBox* box : boxes()) EXPECT_FALSE(isLime(box, QPalette::Window));

    focus(window->DtTmPicker);
    EXPECT_FALSE(isLime(window->EdtNote, QPalette::Base));
    EXPECT_EQ(window->EdtNote->palette().color(QPalette::Base), windowColour);
    EXPECT_EQ(limeShare(window->EdtNote), 0.0);
    EXPECT_TRUE(isLime(window->DtTmPicker, QPalette::Base));
    EXPECT_GT(limeShare(window->DtTmPicker), 0.2);

    focus(window->RdBtnFilt0);
    EXPECT_EQ(window->DtTmPicker->palette().color(QPalette::Base), windowColour);
    EXPECT_EQ(limeShare(window->DtTmPicker), 0.0);
    EXPECT_TRUE(isLime(window->GrpBxFilter, QPalette::Window));
}

TEST_F(FocusCues, AnotherWindowTakingTheFocusIsNoMoveInsideTheTab) {
    focus(window->RdBtnPuls);
    QLineEdit other;  // stands for a message box on top
    other.show();
    other.activateWindow();
    QApplication::setActiveWindow(&other);
    focus(&other);
    EXPECT_TRUE(isLime(window->GrpBxErr, QPalette::Window));
    // Back in the window, the cue follows wherever the focus lands.
    window->activateWindow();
    QApplication::setActiveWindow(window.get());
    focus(window->RdBtnFilt1);
    EXPECT_FALSE(isLime(window->GrpBxErr, QPalette::Window));
    EXPECT_TRUE(isLime(window->GrpBxFilter, QPalette::Window));
}

TEST_F(FocusCues, TheRangeCaptionSaysOhmWhileTheOhmMeterHasTheFocus) {
    window->Config.EEInputType = 1;  // thermocouple K selected
    window->DrawForm();
    ASSERT_TRUE(window->RdBtnTermK->isChecked());
    focus(window->RdBtnTermJ);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v °C / Ohm ")
        << "no focus on the ohm meter yet: the caption is the language's";
    focus(window->RdBtnOhmMeter);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v Ohm ");
    EXPECT_TRUE(window->RdBtnTermK->isChecked()) << "focus alone selects nothing";
    EXPECT_TRUE(isLime(window->GrpBxInput, QPalette::Window));
    focus(window->RdBtnPT100);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v °C ");
    focus(window->RdBtnOhmMeter);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v Ohm ");
    focus(window->MskEdtTempBegin);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v °C ");
}

TEST_F(FocusCues, TheOhmCaptionIsCzechInEnglishTooAndLeavesTheLanguagesCaptionAlone) {
    window->MSLanguageENClick();
    const QString english = window->GrpBxTemp->title();
    ASSERT_NE(english, " Výstupní rozsah v °C / Ohm ");
    focus(window->RdBtnTermJ);
    focus(window->RdBtnTermK);
    EXPECT_EQ(window->GrpBxTemp->title(), english) << "moves elsewhere keep the caption";
    focus(window->RdBtnOhmMeter);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v Ohm ");
    focus(window->RdBtnTermK);
    EXPECT_EQ(window->GrpBxTemp->title(), " Výstupní rozsah v °C ");
}
