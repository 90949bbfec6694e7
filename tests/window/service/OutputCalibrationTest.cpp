// The output calibrated from the window against the simulated transmitter, the readings typed
// through the window's seam from the simulator's own output model at the code it was driven to:
// what the dialog and the panels show, what was stored and recorded, and the frames received.
#include <QAction>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "WindowFixture.h"
#include "core/session/OutputTrim.h"
#include "window/Widgets.h"
#include "window/service/OutputCalibrationDialog.h"

using namespace vl48;
using vl48test::waitUntil;

namespace {

class OutputCalibration : public vl48test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        connectToTransmitter();
        // The reading at each point is the model's output at the code the unit was last driven
        // to: a drive has no reply, so the reading waits for it to arrive.
        window->readingHook = [this](double, const QString& unit) -> std::optional<double> {
            units << unit;
            const size_t n = size_t(units.size());
            if (int(n) == cancelAt) return std::nullopt;
            if (!waitUntil([&] { return sim->driveLog().size() >= n; })) return std::nullopt;
            return sim->outputCurrentmA(sim->driveLog()[n - 1]);
        };
        window->calibrationDialogHook = [this](TOutputCalibrationDlg& dialog) {
            dialog.show();
            ASSERT_TRUE(waitUntil([&] { return dialog.isVisible(); }));
            EXPECT_EQ(dialog.SpnTolerance->value(), 0.05);
            EXPECT_EQ(dialog.SpnSettle->value(), 300);
            EXPECT_EQ(dialog.SpnMeterBaud->value(), 9600);
            EXPECT_EQ(dialog.EdtMeterQuery->text(), "MEAS:CURR:DC?");
            dialog.SpnSettle->setValue(0);  // the simulator's output settles at once
            click(dialog.BtnRun);
            verdict = dialog.LblVerdict->text();
            trim = dialog.LblTrim->text();
            for (int row = 0; row < dialog.TblAsLeft->rowCount(); ++row)
                asLeft << dialog.TblAsLeft->item(row, 4)->text();
        };
    }
    void open(QAction* item, QWidget* tab, TMaskEdit* code, const QString& text) {
        item->trigger();
        window->PageControl1->setCurrentWidget(tab);
        typeInto(code, text);
        QTest::keyClick(code, Qt::Key_Return);
        sim->clearLog();
        messages.clear();
    }
    std::vector<int> outputCommands() const {
        std::vector<int> out;
        for (int c : requestCommands())
            if (c == 41 || c == 42) out.push_back(c);
        return out;
    }
    bool wroteCodes() const {
        for (const CellWrite& w : cellWrites())
            if (w.address == EEAOIZero || w.address == EEAOIEnd) return true;
        return false;
    }

    QStringList units;
    int cancelAt = 0;
    QString verdict, trim;
    QStringList asLeft;
};

TEST_F(OutputCalibration, ATrimFromTheServicePanelStoresCodesThatGiveTheLabelledOutput) {
    const QString address = "sqlite:" + dir.filePath("records.sqlite");
    window->databaseDialogHook = [&](const QStringList&) { return address; };
    click(window->ChckBxDb);
    window->EdtLogNote->setText("bench 3");
    open(window->MSettingsService, window->TabService, window->MskEdtPwd, "K527D4");
    const uint16_t zeroBefore = sim->cell(EEAOIZero), endBefore = sim->cell(EEAOIEnd);
    click(window->BtnCalibrateAO);

    const uint16_t zero = sim->cell(EEAOIZero), end = sim->cell(EEAOIEnd);
    EXPECT_NE(std::pair(zero, end), std::pair(zeroBefore, endBefore));
    const uint16_t low = codeForTarget(4.0, zero, end, 20.0);
    EXPECT_LE(std::fabs(sim->outputCurrentmA(end) - 20.0), 0.002);
    EXPECT_LE(std::fabs(sim->outputCurrentmA(low) - 4.0), 0.002);
    EXPECT_EQ(cellWrites(), (std::vector<CellWrite>{{EEAOIZero, zero}, {EEAOIEnd, end}}));
    EXPECT_EQ(std::pair(window->SpnEdtAOIZero->value(), window->SpnEdtAOIEnd->value()),
              std::pair(int(zero), int(end)));
    EXPECT_EQ(verdict, "VYHOVUJE");
    EXPECT_TRUE(trim.startsWith(QString("Seřízení: nula %1 → %2, konec %3 → %4")
                                    .arg(zeroBefore)
                                    .arg(zero)
                                    .arg(endBefore)
                                    .arg(end)))
        << trim.toStdString();
    EXPECT_EQ(asLeft, QStringList(5, "vyhovuje"));
    EXPECT_EQ(units.filter(QRegularExpression("^mA$")), units);
    EXPECT_EQ(outputCommands().back(), 41);
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();

    QString error;
    const auto store = RecordStore::open(*DatabaseAddress::parse(address), error);
    ASSERT_TRUE(store) << error.toStdString();
    const auto records = store->calibrations({}, error).value_or(std::vector<CalibrationRecord>{});
    ASSERT_EQ(records.size(), 1u);
    const CalibrationRecord& r = records[0];
    EXPECT_EQ(QStringList({r.procedure, r.subject, r.reference, r.verdict, r.operatorNote}),
              QStringList({"output trim", "current", "typed", "pass", "bench 3"}));
    EXPECT_EQ(r.codesAfter, QString(R"({"end":%1,"zero":%2})").arg(end).arg(zero));
    EXPECT_EQ(r.asLeft.count("\"pass\":true"), 5);
}

TEST_F(OutputCalibration, AReadingCancelledMidTrimStoresNothingAndReleasesTheOutput) {
    open(window->MSettingsService, window->TabService, window->MskEdtPwd, "K527D4");
    const int zeroShown = window->SpnEdtAOIZero->value();
    cancelAt = 7;  // the five points as found, then the trim's second reading
    click(window->BtnCalibrateAO);
    ASSERT_EQ(units.size(), 7);
    EXPECT_FALSE(wroteCodes());
    EXPECT_TRUE(cellWrites().empty());
    ASSERT_TRUE(window->Send(CmdIdentify, 0));  // every frame before it has arrived
    EXPECT_EQ(outputCommands().back(), 41);
    EXPECT_FALSE(sim->outputDriven());
    EXPECT_TRUE(verdict.startsWith("Nic nebylo uloženo")) << verdict.toStdString();
    EXPECT_EQ(window->SpnEdtAOIZero->value(), zeroShown);
    EXPECT_TRUE(messages.empty());  // the person knows why it stopped
}

TEST_F(OutputCalibration, ATrimBeyondTheCorrectionWindowIsRefusedNamingHowFar) {
    // A calibration copy far below the codes the trim finds.
    const uint16_t copyZero = 1500, copyEnd = 16000;
    sim->setCell(EEDACorrState, 0);
    sim->setCell(EEAOIZeroBackup, copyZero);
    sim->setCell(EEAOIEndBackup, copyEnd);
    open(window->MSettingsDACorr, window->TabDACorr, window->MskEdtPwd1, "RT5063");
    ASSERT_TRUE(window->GrpBxDACorr->isVisible());
    click(window->BtnCalibrateAODACorr);

    EXPECT_FALSE(wroteCodes());
    ASSERT_EQ(messageTexts().size(), 1);
    const QString text = messageTexts()[0];
    EXPECT_EQ(verdict, text);
    const QRegularExpression beyond("the zero code (\\d+) is (\\d+) codes beyond");
    const auto match = beyond.match(text);
    ASSERT_TRUE(match.hasMatch()) << text.toStdString();
    EXPECT_EQ(match.captured(2).toInt(), std::abs(match.captured(1).toInt() - copyZero) - 48);
    // The zero the model needs, where its line through two codes reaches 0 mA.
    const double slope = (sim->outputCurrentmA(16000) - sim->outputCurrentmA(4000)) / 12000.0;
    const double idealZero = 16000 - sim->outputCurrentmA(16000) / slope;
    EXPECT_LE(std::fabs(match.captured(1).toInt() - idealZero), 1.0);
    EXPECT_EQ(sim->cell(EEDACorrState), 0);
}

}  // namespace
