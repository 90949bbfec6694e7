// Editing on the basic tab: each change goes into the transmitter as the exact cell write, with
// the markers telling what is not stored yet, and the measurement on request.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include "WindowFixture.h"
#include "window/Widgets.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;

namespace {

class Editing : public vl48test::WindowTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        WindowTest::SetUp();
        connectToTransmitter();
    }
    void TearDown() override {
        WindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }
    std::vector<CellWrite> writes() const { return cellWrites(); }
    void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
};

}  // namespace

TEST_F(Editing, EveryInputTypeButtonWritesItsCode) {
    const std::pair<QRadioButton*, int> buttons[] = {
        {window->RdBtnTermJ, 0},   {window->RdBtnTermS, 2},   {window->RdBtnTermB, 3},
        {window->RdBtnTermE, 4},   {window->RdBtnTermR, 5},   {window->RdBtnTermN, 6},
        {window->RdBtnTermT, 7},   {window->RdBtnPT100, 8},   {window->RdBtnPT1000, 9},
        {window->RdBtnNi1K6, 10},  {window->RdBtnNi1K5, 11},  {window->RdBtnKTY110, 12},
        {window->RdBtnKTY121, 13}, {window->RdBtnKTY122, 14}, {window->RdBtnKTY210, 15},
        {window->RdBtnKTY221, 16}, {window->RdBtnKTY222, 17}, {window->RdBtnOhmMeter, 18},
        {window->RdBtnNi891, 19},  {window->RdBtnTermK, 1},
    };
    for (const auto& [button, code] : buttons) {
        sim->clearLog();
        click(button);
        EXPECT_EQ(writes(), (std::vector<CellWrite>{{EEInputType, uint16_t(code)}}))
            << button->objectName().toStdString();
        EXPECT_EQ(window->Config.EEInputType, code);
        EXPECT_EQ(sim->cell(EEInputType), code);
        EXPECT_TRUE(button->isChecked());
    }
    EXPECT_TRUE(messages.empty());
}

TEST_F(Editing, EachFamilyWritesItsCell) {
    struct Case {
        QAbstractButton* button;
        CellWrite write;
    };
    const Case cases[] = {
        {window->RdBtnAO0_20, {EEOutputType, 0}}, {window->RdBtnAO0_10, {EEOutputType, 2}},
        {window->RdBtnAO4_20, {EEOutputType, 1}}, {window->RdBtnFilt4, {EEFilter, 4}},
        {window->RdBtnFilt0, {EEFilter, 0}},      {window->RdBtnPuls, {EESensorFault, 1}},
        {window->RdBtnNoMsg, {EESensorFault, 0}}, {window->RdBtnTempSet, {EECompMode, 2}},
        {window->RdBtnNoComp, {EECompMode, 0}},   {window->RdBtn3wire, {EEWiring, 1}},
        {window->RdBtn2_4wires, {EEWiring, 0}},   {window->ChckBxDaRest, {EEOutputLimit, 1}},
    };
    for (const Case& c : cases) {
        sim->clearLog();
        click(c.button);
        EXPECT_EQ(writes(), std::vector<CellWrite>{c.write})
            << c.button->objectName().toStdString();
        EXPECT_EQ(sim->cell(c.write.address), c.write.value);
    }
    sim->clearLog();
    click(window->ChckBxDaRest);
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{EEOutputLimit, 0}}));
    EXPECT_EQ(window->Config.EEOutputLimit, 0);
}

TEST_F(Editing, CompensationModeEnablesTheFixedTemperature) {
    click(window->RdBtnTempSet);
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled());
    click(window->RdBtnMeasTerm);
    EXPECT_FALSE(window->MskEdtTcldEnd->isEnabled());
    // Even when the write fails.
    sim->injectFault({Kind::NoReply});
    click(window->RdBtnTempSet);
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled());
}

TEST_F(Editing, FailedWriteEndsTheConnectionOnceAndKeepsTheNewCode) {
    sim->injectFault({Kind::NoReply});
    click(window->RdBtnPT1000);
    EXPECT_EQ(messageTexts(), QStringList{"Spojení s převodníkem bylo ztraceno."});
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_EQ(window->Config.EEInputType, 9);
    EXPECT_EQ(sim->cell(EEInputType), 1);
}

TEST_F(Editing, TwoMilliampDropNeedsTheFourToTwentyOutput) {
    click(window->RdBtnAO0_10);
    sim->clearLog();
    click(window->RdBtn2mADrop);
    EXPECT_EQ(messageTexts(),
              QStringList{"Je zvolen jiný výstup než 4 - 20mA, volba hlášení nekorektního vstupu "
                          "2mA nebude uložena."});
    EXPECT_EQ(messages[0].kind, MsgKind::Warning);
    EXPECT_TRUE(writes().empty());
    EXPECT_EQ(window->Config.EESensorFault, 0);
    // The group shows again the mode the transmitter keeps, also once 4-20 mA is chosen.
    EXPECT_TRUE(window->RdBtnNoMsg->isChecked());
    click(window->RdBtnAO4_20);
    EXPECT_FALSE(window->RdBtn2mADrop->isChecked());
    EXPECT_TRUE(window->RdBtnNoMsg->isChecked());
    sim->clearLog();
    messages.clear();
    click(window->RdBtn2mADrop);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{EESensorFault, 2}}));
}

TEST_F(Editing, MaskedFieldsWriteTheirValuesOnEnter) {
    struct Case {
        TMaskEdit* field;
        QString typed;
        CellWrite write;
        QString shown;  // what Enter writes, blanks as zeros
    };
    const Case cases[] = {
        {window->MskEdtTempBegin, "-050", {EERangeBegin, 65486}, "-050"},
        {window->MskEdtTempBegin, "0450", {EERangeBegin, 450}, "0450"},
        {window->MskEdtTempEnd, "5   ", {EERangeEnd, 5000}, "5000"},
        {window->MskEdtTempEnd, "50", {EERangeEnd, 5000}, "5000"},
        {window->MskEdtTempEnd, "   5", {EERangeEnd, 5}, "0005"},
        {window->MskEdtResComp, " 150", {EELineRes, 150}, "01,50"},
        {window->MskEdtResComp, "-999", {EELineRes, 64537}, "-9,99"},
        {window->MskEdtTcldEnd, "-05", {EECompTemp, 65531}, "-05"},
    };
    window->RdBtnTempSet->setChecked(true);  // the fixed temperature takes input
    for (const Case& c : cases) {
        sim->clearLog();
        typeInto(c.field, c.typed);
        EXPECT_EQ(c.field->displayText(), c.shown) << "while typing";
        enter(c.field);
        EXPECT_EQ(c.field->displayText(), c.shown);
        EXPECT_EQ(writes(), std::vector<CellWrite>{c.write})
            << c.field->objectName().toStdString() << " \"" << c.field->displayText().toStdString()
            << "\"";
    }
}

TEST_F(Editing, MarkersShowWhatIsNotStoredYet) {
    typeInto(window->MskEdtTempEnd, "1");
    EXPECT_TRUE(window->LblMskEdtTempEndCH->isVisible());
    EXPECT_TRUE(window->LblSaveX->isVisible());
    EXPECT_TRUE(window->LblSaveX1->isVisible());
    typeInto(window->MskEdtTempBegin, "2");
    enter(window->MskEdtTempBegin);
    EXPECT_FALSE(window->LblMskEdtTempBeginCH->isVisible());
    EXPECT_FALSE(window->LblSaveX->isVisible());
    EXPECT_FALSE(window->LblSaveX1->isVisible());
    EXPECT_TRUE(window->LblMskEdtTempEndCH->isVisible()) << "its own change is still unsaved";
    // Reading and drawing again show no marker and write nothing.
    sim->clearLog();
    window->LblMskEdtTempEndCH->hide();
    window->LoadEE();
    window->DrawForm();
    EXPECT_TRUE(writes().empty());
    for (QLabel* mark : {window->LblMskEdtTempBeginCH, window->LblMskEdtTempEndCH,
                         window->LblMskEdtTcldEndCH, window->LblMskEdtResCompCH,
                         window->LblEdtNoteCH, window->LblDtTmPickerCH, window->LblSaveX})
        EXPECT_FALSE(mark->isVisible()) << mark->objectName().toStdString();
}

TEST_F(Editing, FailedFieldWriteHidesTheMarkerAndEndsTheConnection) {
    typeInto(window->MskEdtTempBegin, "0100");
    sim->injectFault({Kind::BadCrc});
    enter(window->MskEdtTempBegin);
    EXPECT_EQ(messageTexts(), QStringList{"Spojení s převodníkem bylo ztraceno."});
    EXPECT_FALSE(window->LblMskEdtTempBeginCH->isVisible());
    EXPECT_TRUE(window->PanelConnect->isVisible());
}

TEST_F(Editing, NoteIsWrittenOnEnterOrButton) {
    window->EdtNote->setFocus();
    window->EdtNote->clear();
    EXPECT_TRUE(window->LblTextLength->text().isEmpty()) << "reading does not count";
    typeText(window->EdtNote, QStringLiteral("Kotel č"));
    EXPECT_TRUE(window->LblEdtNoteCH->isVisible());
    EXPECT_EQ(window->LblTextLength->text(), "23");
    sim->clearLog();
    enter(window->EdtNote);
    EXPECT_EQ(writes(), (std::vector<CellWrite>{
                            {88, 7}, {90, 0x4B6F}, {92, 0x7465}, {94, 0x6C20}, {96, 0xE830}}));
    EXPECT_FALSE(window->LblEdtNoteCH->isVisible());
    window->EdtNote->clear();
    QTest::keyClick(window->EdtNote, Qt::Key_Shift);
    EXPECT_EQ(window->LblTextLength->text(), "30");
    QTest::keyClicks(window->EdtNote, QString(40, QLatin1Char('a')));
    EXPECT_EQ(window->LblTextLength->text(), "0");
    // A key released in the bulk tab's note field counts what the basic tab's note leaves free.
    window->EdtNote->setText(QStringLiteral("abc"));
    QTest::keyClick(window->EdtNoteConf, Qt::Key_Shift);
    EXPECT_EQ(window->LblTextLength->text(), "27");
    // Characters the transmitter cannot store are refused as they are typed.
    window->EdtNote->clear();
    typeText(window->EdtNote, QStringLiteral("a\u4E2Db"));
    EXPECT_EQ(window->EdtNote->text(), "ab");
    // The same beside the placeholder of a byte read that the code page leaves undefined.
    window->EdtNote->setText(QStringLiteral("a\uFFFD"));
    typeText(window->EdtNote, QStringLiteral("\u4E2Db"));
    EXPECT_EQ(window->EdtNote->text(), QStringLiteral("a\uFFFDb"));
    window->EdtNote->setText(QStringLiteral("ab"));
    sim->clearLog();
    click(window->BtnSaveNote);
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{88, 2}, {90, 0x6162}}));
    // A failed note write ends the connection; the cells written before it keep their values.
    QTest::keyClicks(window->EdtNote, "c");
    sim->injectFault({Kind::NoReply}, 1);
    click(window->BtnSaveNote);
    EXPECT_EQ(messageTexts(), QStringList{"Spojení s převodníkem bylo ztraceno."});
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_EQ(sim->cell(EENoteLength), 3);
}

TEST_F(Editing, DateIsWrittenDayMonthThenYear) {
    window->DtTmPicker->setFocus();
    window->DtTmPicker->setDate(QDate(2016, 12, 24));  // as a person would pick it
    EXPECT_TRUE(window->LblDtTmPickerCH->isVisible());
    sim->clearLog();
    enter(window->DtTmPicker);
    // Day in the high byte, month in the low one: 24 * 256 + 12 = 6144 + 12 = 6156 (the bytes
    // the other way round would be 12 * 256 + 24 = 3096).
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{EEDayMonth, 6156}, {EEYear, 2016}}));
    EXPECT_FALSE(window->LblDtTmPickerCH->isVisible());
    // Today's date by the button; the picker follows without a marker.
    window->DtTmPicker->setDateQuietly(QDate(2011, 1, 1));
    sim->clearLog();
    click(window->BtnRefreshDate);
    const QDate today = QDate::currentDate();
    EXPECT_EQ(writes(),
              (std::vector<CellWrite>{{EEDayMonth, uint16_t(today.day() * 256 + today.month())},
                                      {EEYear, uint16_t(today.year())}}));
    EXPECT_EQ(window->DtTmPicker->date(), today);
    EXPECT_FALSE(window->LblDtTmPickerCH->isVisible());
}

TEST_F(Editing, FailedFirstDateWriteEndsTheHandler) {
    window->DtTmPicker->setFocus();
    sim->injectFault({Kind::NoReply});
    enter(window->DtTmPicker);
    EXPECT_EQ(messageTexts(), (QStringList{"Spojení s převodníkem bylo ztraceno.",
                                           "Can't perform this operation on a closed port"}));
    EXPECT_EQ(writes().size(), 1u) << "the year is never sent";
}

TEST_F(Editing, MeasurementShowsValuesAndFaults) {
    struct Case {
        int32_t measured;
        int16_t terminal;
        QString in, te;
    };
    const Case cases[] = {
        {499999, 235, "4999,99", "23,5"}, {-20000, -1, "-200", "-0,1"}, {2340, 230, "23,4", "23"},
        {655352, -52, "Err -T", "-5,2"},  {655351, 0, "Err +T", "0"},
    };
    for (const Case& c : cases) {
        vl48sim::Readings r;
        r.measured = c.measured;
        r.terminalTemp = c.terminal;
        sim->setReadings(r);
        sim->clearLog();
        click(window->BtnMeasTemp);
        EXPECT_EQ(window->LblMeasIN->text(), c.in) << c.measured;
        EXPECT_EQ(window->LblMeasTE->text(), c.te) << c.terminal;
        EXPECT_EQ(requestCommands(), (std::vector<int>{CmdMeasure, CmdTemp}));
    }
    vl48sim::Readings r;
    r.measured = 655353;
    sim->setReadings(r);
    click(window->BtnMeasTemp);
    EXPECT_EQ(window->LblMeasIN->text(), "Err +T") << "an unknown code leaves the label";
    EXPECT_TRUE(messages.empty());
}

TEST_F(Editing, FailedMeasurementEndsTheConnection) {
    window->LblMeasTE->setText("old");
    sim->injectFault({Kind::NoReply});
    click(window->BtnMeasTemp);
    EXPECT_EQ(messageTexts(), (QStringList{"Spojení s převodníkem bylo ztraceno.",
                                           "Can't perform this operation on a closed port"}));
    EXPECT_EQ(window->LblMeasTE->text(), "old");
    EXPECT_TRUE(window->PanelConnect->isVisible());
}
