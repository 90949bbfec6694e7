// A calibration session from the window against the simulated PT100 transmitter: the reference
// the calibrator applies is what the simulator measures (with the unit's error), the output's
// readings come from the simulator's output model. What the dialog shows, what the transmitter
// received, what the record holds and what its certificate says.
#include <QCheckBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <cmath>

#include "WindowFixture.h"
#include "core/records/RecordStore.h"
#include "core/session/Identification.h"
#include "report/Certificate.h"
#include "window/Widgets.h"
#include "window/files/RecordsDialog.h"
#include "window/service/CalibrationSessionDialog.h"

using namespace vl48;
using vl48test::waitUntil;

namespace {

QString pdfText(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    return QString::fromUtf8(p.readAllStandardOutput()).simplified();
}

class CalibrationSession : public vl48test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        sim->setCell(EEInputType, 8);  // PT100
        sim->setCell(EERangeBegin, 0);
        sim->setCell(EERangeEnd, 100);
        connectToTransmitter();
        address = "sqlite:" + dir.filePath("records.sqlite");
        QString error;
        auto store = RecordStore::open(*DatabaseAddress::parse(address), error);
        ASSERT_TRUE(store) << error.toStdString();
        const QDate today = QDate::currentDate();
        ASSERT_EQ(
            store->addInstrument({"CAL-7", "Calys 150", "S123", "K-2026/88", today.addDays(90)}),
            "");
        ASSERT_EQ(
            store->addInstrument({"OLD-1", "Fluke 724", "S9", "K-2024/01", today.addDays(-3)}), "");
        window->databaseDialogHook = [this](const QStringList&) { return address; };
        click(window->ChckBxDb);
        window->MSettingsService->trigger();
        window->PageControl1->setCurrentWidget(window->TabService);
        typeInto(window->MskEdtPwd, "K527D4");
        QTest::keyClick(window->MskEdtPwd, Qt::Key_Return);
        // The calibrator applies the point; the unit reads it with its own error.
        window->referenceHook = [this](double point, bool) -> std::optional<double> {
            points << point;
            if (points.size() == cancelAt) return std::nullopt;
            vl48sim::Readings r = sim->readings();
            r.measured = int32_t(std::lround((point + unitError(point)) * 100));
            sim->setReadings(r);
            return point;
        };
        window->readingHook = [this](double, const QString&) -> std::optional<double> {
            const size_t n = ++driven;
            if (!waitUntil([&] { return sim->driveLog().size() >= n; })) return std::nullopt;
            return sim->outputCurrentmA(sim->driveLog()[n - 1]);
        };
        window->sessionDialogHook = [this](TCalibrationSessionDlg& d) { dialog = &d; };
        click(window->BtnCalibrationSession);
        ASSERT_TRUE(dialog);
        dialog->readEveryMs = 5;
        dialog->show();
    }
    void TearDown() override {
        if (dialog) dialog->close();
        WindowTest::TearDown();
    }
    // As found the PT100 reads 0.8 °C high at the range's end; after its calibration 0.1 °C.
    double unitError(double point) const { return calibrated ? 0.1 : point / 100 * 0.8; }
    void check(const char* name, bool on) {
        for (int i = 0; i < dialog->LstInstruments->count(); ++i)
            if (dialog->LstInstruments->item(i)->data(Qt::UserRole).toString() == name)
                dialog->LstInstruments->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    }
    QStringList column(QTableWidget* table, int c) const {
        QStringList texts;
        for (int row = 0; row < table->rowCount(); ++row) texts << table->item(row, c)->text();
        return texts;
    }
    std::vector<CalibrationRecord> records() const {
        QString error;
        auto store =
            RecordStore::open(*DatabaseAddress::parse(address), error, RecordStore::Use::LookingUp);
        return store->calibrations({}, error).value_or(std::vector<CalibrationRecord>{});
    }
    // The service panel's PT100 procedure, at the readings of 100 Ω and 138.5 Ω.
    void calibratePT100() {
        vl48sim::Readings r = sim->readings();
        r.adc = {{AdcWordPT100A, 20000}, {AdcWordB, 40000}};
        sim->setReadings(r);
        typeInto(window->MskEdtPT100Min, "100,000");
        click(window->BtnCalPT100Begin);
        r.adc = {{AdcWordPT100A, 22570}, {AdcWordB, 40000}};
        sim->setReadings(r);
        typeInto(window->MskEdtPT100Max, "138,500");
        click(window->BtnCalPT100End);
        click(window->BtnPT100Save);
        calibrated = true;
    }

    QString address;
    TCalibrationSessionDlg* dialog = nullptr;
    QList<double> points;
    size_t driven = 0;
    bool calibrated = false;
    int cancelAt = 0;  // the reference the person cancels, counted from 1
};

TEST_F(CalibrationSession, FailsAsFoundIsAdjustedPassesAsLeftAndIsCertifiedInBothLanguages) {
    dialog->EdtTechnician->setText("Jana Nováková");
    dialog->EdtAmbient->setText("23,5");
    check("CAL-7", true);
    check("OLD-1", true);
    // An instrument past its due date is refused, and nothing is begun.
    click(dialog->BtnAsFound);
    ASSERT_EQ(messageTexts().size(), 1);
    EXPECT_TRUE(messageTexts()[0].contains("OLD-1")) << messageTexts()[0].toStdString();
    EXPECT_TRUE(records().empty());
    EXPECT_TRUE(points.isEmpty());

    click(dialog->ChckBxOverrideDue);
    sim->clearLog();
    click(dialog->BtnAsFound);
    EXPECT_EQ(points, QList<double>({0, 50, 100}));
    EXPECT_EQ(column(dialog->TblAsFound, 5).mid(0, 3),
              QStringList({"vyhovuje", "nevyhovuje", "nevyhovuje"}));
    EXPECT_EQ(dialog->TblAsFound->rowCount(), 3 + 5);  // the output's five points follow
    EXPECT_EQ(dialog->LblVerdict->text(), "Před seřízením: nevyhovuje");
    // Begun before anything is written, and not finished.
    auto begun = records();
    ASSERT_EQ(begun.size(), 1u);
    EXPECT_FALSE(begun[0].finished.isValid());
    EXPECT_TRUE(begun[0].verdict.isEmpty());
    EXPECT_TRUE(cellWrites().empty());

    const int constBefore = int16_t(sim->cell(EEPT100Const));
    calibratePT100();
    const int constant = int16_t(sim->cell(EEPT100Const));
    click(dialog->BtnTrimOutput);
    const uint16_t zero = sim->cell(EEAOIZero), end = sim->cell(EEAOIEnd);
    EXPECT_EQ(cellWrites(),
              (std::vector<CellWrite>{
                  {EEPT100Const, uint16_t(constant)}, {EEAOIZero, zero}, {EEAOIEnd, end}}));
    click(dialog->BtnAsLeft);
    EXPECT_EQ(column(dialog->TblAsLeft, 5), QStringList(8, "vyhovuje"));
    EXPECT_EQ(dialog->LblVerdict->text(), "VYHOVUJE");
    EXPECT_EQ(messageTexts().size(), 1);

    const auto done = records();
    ASSERT_EQ(done.size(), 1u);
    const CalibrationRecord& r = done[0];
    EXPECT_EQ(QStringList({r.procedure, r.subject, r.verdict, r.technician, r.identifier}),
              QStringList({"calibration session", "input, current", "pass", "Jana Nováková",
                           identifierText(sim->identity().serial)}));
    EXPECT_TRUE(r.finished.isValid());
    EXPECT_EQ(r.ambient, 23.5);
    const QJsonObject found = QJsonDocument::fromJson(r.asFound.toUtf8()).object();
    EXPECT_FALSE(found["input"]["pass"].toBool());
    EXPECT_EQ(found["input"]["points"].toArray().size(), 3);
    EXPECT_EQ(found["output"]["points"].toArray().size(), 5);
    EXPECT_EQ(r.asLeft.count("\"pass\":true"), 2 + 8);
    const QJsonArray adjustments = QJsonDocument::fromJson(r.adjustments.toUtf8()).array();
    ASSERT_EQ(adjustments.size(), 3);
    EXPECT_EQ(adjustments[0].toObject(),
              (QJsonObject{{"cell", "EEPT100Const"}, {"old", constBefore}, {"new", constant}}));
    EXPECT_TRUE(r.instruments.contains("\"overdue\":true"));
    EXPECT_EQ(QJsonDocument::fromJson(r.configuration.toUtf8())["EEInputType"].toInt(), 8);

    for (const bool english : {false, true}) {
        if (english) window->MSLanguageEN->trigger();
        const QString pdf = dir.filePath(english ? "en.pdf" : "cs.pdf");
        fileDialogAnswers << pdf;
        click(dialog->BtnCertificate);
        const QString page = pdfText(pdf);
        QStringList wanted = {r.identifier, certificateNumber(r), recordDigest(r),
                              "K-2026/88",  "Jana Nováková",      "PT100"};
        wanted << (english ? QStringList{"PASS", "fail", "past its calibration due date",
                                         "PT100 input constant", "23.5 °C", "100.00", "0.80"}
                           : QStringList{"VYHOVUJE", "nevyhovuje", "po termínu kalibrace",
                                         "konstanta vstupu PT100", "23,5 °C", "100,00", "0,80"});
        // Every reading of both tables, as the language writes numbers.
        for (const QString& stage : {r.asFound, r.asLeft})
            for (const char* quantity : {"input", "output"})
                for (const QJsonValue p :
                     QJsonDocument::fromJson(stage.toUtf8())[quantity]["points"].toArray()) {
                    const int decimals = quantity == QLatin1String("input") ? 2 : 4;
                    wanted << QString::number(p["reading"].toDouble(), 'f', decimals)
                                  .replace('.', english ? '.' : ',');
                }
        for (const QString& w : wanted)
            EXPECT_TRUE(page.contains(w)) << w.toStdString() << " not in:\n" << page.toStdString();
    }
    // The records dialog makes the same certificate from the stored record.
    window->MRecordsShow->trigger();
    ASSERT_EQ(window->RecordsDlg->TblCalibrations->rowCount(), 1);
    window->RecordsDlg->TblCalibrations->selectRow(0);
    fileDialogAnswers << dir.filePath("copy.pdf");
    click(window->RecordsDlg->BtnCertificate);
    EXPECT_EQ(pdfText(dir.filePath("copy.pdf")), pdfText(dir.filePath("en.pdf")));
    EXPECT_EQ(messageTexts().size(), 1);
}

// A unit swapped on the fixture without the line going down is another unit: nothing of the
// session is written into it, and the session stays open for its own unit.
TEST_F(CalibrationSession, AnotherUnitOnTheLineIsNeitherTrimmedNorCheckedAsLeft) {
    click(dialog->BtnAsFound);
    ASSERT_EQ(points.size(), 3);
    vl48sim::Identity other = sim->identity();
    other.serial = 43;
    sim->setIdentity(other);
    sim->clearLog();
    click(dialog->BtnTrimOutput);
    click(dialog->BtnAsLeft);
    EXPECT_TRUE(cellWrites().empty());
    EXPECT_EQ(points.size(), 3);
    EXPECT_EQ(messageTexts(),
              QStringList(2, "Připojen je jiný převodník (00043), relace patří převodníku 00042."));
    ASSERT_EQ(records().size(), 1u);
    EXPECT_FALSE(records()[0].finished.isValid());
}

// A check as found cut short may be run again, on its own unit only.
TEST_F(CalibrationSession, ACheckAsFoundCutShortIsRunAgainOnlyOnItsUnit) {
    cancelAt = 2;
    click(dialog->BtnAsFound);
    ASSERT_EQ(points.size(), 2);
    ASSERT_TRUE(dialog->BtnAsFound->isEnabled());
    vl48sim::Identity other = sim->identity();
    other.serial = 43;
    sim->setIdentity(other);
    click(dialog->BtnAsFound);
    EXPECT_EQ(points.size(), 2);
    EXPECT_EQ(messageTexts(),
              QStringList("Připojen je jiný převodník (00043), relace patří převodníku 00042."));
    EXPECT_EQ(records().size(), 1u);
}

}  // namespace
