// vl48-cli check-output and trim-output against the simulated transmitter and its reference
// meter: the model's output error found and trimmed away, the stores as the panels send them,
// and a meter or a window that stops the procedure before anything is stored.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

#include "CliRun.h"
#include "core/link/Frame.h"
#include "core/session/Identification.h"

using namespace vl48test;

namespace {

class CliOutput : public SimTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        vl48sim::Options options;
        options.linkPath = dir.filePath("vl48").toStdString();
        options.meterLinkPath = dir.filePath("meter").toStdString();
        sim = std::make_unique<vl48sim::Simulator>(options);
        sim->start();
        port = QString::fromStdString(sim->linkPath());
        meter = QString::fromStdString(sim->meterLinkPath());
    }
    // The cells written, in order, and whether the output was released after the last drive.
    std::vector<std::pair<int, uint16_t>> writes() const {
        std::vector<std::pair<int, uint16_t>> w;
        for (const auto& f : sim->requests())
            if (f.cmd() == vl48::CmdWriteCell)
                w.emplace_back(f.bytes[2], uint16_t(f.bytes[3] << 8 | f.bytes[4]));
        return w;
    }
    bool releasedLast() const {
        int last = 0;
        for (const auto& f : sim->requests())
            if (f.cmd() == vl48::CmdOutputSet || f.cmd() == vl48::CmdOutputRelease) last = f.cmd();
        return last == vl48::CmdOutputRelease;
    }
    QString port, meter;
};

// From the model's default error, both outputs end within 0.01 % of full scale at both labelled
// values, stored with two cell writes, the output released.
TEST_F(CliOutput, TrimRemovesTheModelsError) {
    struct Case {
        const char* output;
        int zeroCell, endCell;
        double fullScale;
        double (vl48sim::Simulator::*model)(uint16_t) const;
    };
    const Case cases[] = {{"current", 134, 136, 20.0, &vl48sim::Simulator::outputCurrentmA},
                          {"voltage", 142, 144, 10.0, &vl48sim::Simulator::outputVolts}};
    const QString db = "sqlite:" + dir.filePath("records.sqlite");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.output);
        sim->clearLog();
        const CliRun run = runCli({"trim-output", "-p", port, "--output", c.output, "--meter",
                                   meter, "--settle", "1", "--json", "--db", db});
        ASSERT_EQ(run.exitCode, 0) << run.err.toStdString() << run.out.toStdString();
        const auto zero = sim->cell(c.zeroCell), end = sim->cell(c.endCell);
        EXPECT_EQ(writes(),
                  (std::vector<std::pair<int, uint16_t>>{{c.zeroCell, zero}, {c.endCell, end}}));
        const double within = 0.0001 * c.fullScale;
        // The current's zero is extrapolated: a code either side of it reads within a step.
        EXPECT_NEAR((sim.get()->*c.model)(end), c.fullScale, within);
        EXPECT_NEAR((sim.get()->*c.model)(zero), 0.0, within);
        EXPECT_TRUE(releasedLast());
        const QStringList lines = run.out.trimmed().split('\n');
        ASSERT_EQ(lines.size(), 4);  // as found, trim, as left, verdict
        EXPECT_TRUE(lines[0].contains(R"("pass":false)")) << lines[0].toStdString();
        EXPECT_TRUE(lines[2].contains(R"("pass":true)")) << lines[2].toStdString();
        EXPECT_EQ(lines[3].toStdString(), R"({"exit_code":0,"verdict":"pass"})");
    }
    // Both calibrations in the unit's history, with the meter that made them.
    const CliRun history = runCli({"history", "00042", "--db", db, "--json"});
    EXPECT_EQ(history.out.count(R"("procedure":"output trim")"), 2) << history.out.toStdString();
    EXPECT_EQ(history.out.count(R"("reference":"VL48SIM,DMM-6,00000001,1.0")"), 2);
    EXPECT_EQ(history.out.count(R"("verdict":"pass")"), 2);
}

// A check reports the model's errors point by point, and fails the factory codes.
TEST_F(CliOutput, CheckReportsTheModelsErrors) {
    const CliRun run = runCli({"check-output", "-p", port, "--output", "current", "--meter", meter,
                               "--settle", "1", "--points", "4,20", "--json"});
    EXPECT_EQ(run.exitCode, 11) << run.err.toStdString();
    const QJsonObject check =
        QJsonDocument::fromJson(run.out.section('\n', 0, 0).toUtf8()).object();
    const QJsonArray points = check["points"].toArray();
    ASSERT_EQ(points.size(), 2);
    for (const QJsonValue& p : points) {
        const auto code = uint16_t(p["code"].toInt());
        const double target = p["target"].toDouble();
        EXPECT_NEAR(p["error_percent"].toDouble(),
                    (sim->outputCurrentmA(code) - target) / 20.0 * 100.0, 0.003);
        EXPECT_FALSE(p["pass"].toBool());
    }
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(releasedLast());
}

// A meter that stops answering in the middle of the trim, and a trim the correction panel's
// window cannot hold: nothing is stored, the output is released.
TEST_F(CliOutput, StopsBeforeAnythingIsStored) {
    {
        QProcess cli;
        QString out;
        QObject::connect(&cli, &QProcess::readyReadStandardOutput,
                         [&] { out += QString::fromUtf8(cli.readAllStandardOutput()); });
        cli.start(VL48_CLI, {"trim-output", "-p", port, "--output", "current", "--meter", meter,
                             "--settle", "150", "--json"});
        ASSERT_TRUE(waitUntil([&] { return out.contains("as found"); }, 30000));
        sim->meterFault(vl48sim::MeterFault::NoReply);
        ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(cli.exitCode(), 4);
        EXPECT_TRUE(QString::fromUtf8(cli.readAllStandardError()).contains("nothing stored"));
        EXPECT_TRUE(writes().empty());
        EXPECT_TRUE(releasedLast());
    }
    sim->clearLog();
    // Correction enabled, its calibration copy 60 codes below the codes in use: the trim's zero,
    // above them, is beyond the window.
    sim->setCell(200, 0);
    for (int cell : {202, 204}) sim->setCell(cell, uint16_t(sim->cell(cell - 68) - 60));
    const CliRun run = runCli({"trim-output", "-p", port, "--output", "current", "--meter", meter,
                               "--settle", "1", "--panel", "correction"});
    EXPECT_EQ(run.exitCode, 6) << run.err.toStdString();
    EXPECT_TRUE(run.err.contains("codes beyond the correction's window of 48 codes"))
        << run.err.toStdString();
    EXPECT_TRUE(writes().empty());
    EXPECT_TRUE(releasedLast());
}

}  // namespace

namespace {

// check-input: each reference typed once the tool asks for its point, the transmitter's reading
// set to follow it (off by half a degree at the middle, above its range at the end).
TEST_F(CliOutput, InputCheckAgainstTypedReferences) {
    QProcess cli;
    QString err;
    int asked = 0;
    const std::vector<std::pair<double, int32_t>> points = {
        {0, 5}, {200, 20050}, {400, vl48::LiveMeasureFaultFrom + 1}};
    QObject::connect(&cli, &QProcess::readyReadStandardError, [&] {
        err += QString::fromUtf8(cli.readAllStandardError());
        while (asked < int(points.size()) && err.count("with the calibrator") > asked) {
            vl48sim::Readings readings = sim->readings();
            readings.measured = points[size_t(asked)].second;
            sim->setReadings(readings);
            cli.write(QByteArray::number(points[size_t(asked)].first) + "\n");
            ++asked;
        }
    });
    cli.start(VL48_CLI, {"check-input", "-p", port, "--json"});
    ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(cli.exitCode(), 11) << err.toStdString();
    EXPECT_TRUE(err.contains("apply 0 °C")) << err.toStdString();
    const QJsonArray results =
        QJsonDocument::fromJson(cli.readAllStandardOutput().split('\n').front())
            .object()["points"]
            .toArray();
    ASSERT_EQ(results.size(), 3);
    EXPECT_TRUE(results[0]["pass"].toBool());
    EXPECT_NEAR(results[0]["error"].toDouble(), 0.05, 1e-9);
    EXPECT_FALSE(results[1]["pass"].toBool());
    EXPECT_NEAR(results[1]["error"].toDouble(), 0.5, 1e-9);
    EXPECT_EQ(results[2]["fault"].toString(), "Err +T");
    EXPECT_FALSE(results[2]["pass"].toBool());
}

}  // namespace

namespace {

// An instrument past its due date is refused before anything reaches the unit; overridden, it
// serves and the record says so.
TEST_F(CliOutput, OverdueInstrumentRefusedUnlessOverridden) {
    const QString db = "sqlite:" + dir.filePath("lab.sqlite");
    ASSERT_EQ(runCli({"instruments", "--db", db, "--add", "calibrator", "--model", "CAL-7",
                      "--serial", "1234", "--certificate", "K-118", "--due", "2020-01-31"})
                  .exitCode,
              0);
    sim->clearLog();
    const CliRun refused =
        runCli({"check-input", "-p", port, "--db", db, "--instrument", "calibrator"});
    EXPECT_EQ(refused.exitCode, 6);
    EXPECT_TRUE(refused.err.contains("was due for calibration on 2020-01-31"));
    EXPECT_TRUE(sim->requests().empty());
    QProcess cli;
    cli.start(VL48_CLI, {"check-input", "-p", port, "--points", "23.45", "--db", db, "--instrument",
                         "calibrator", "--override-due", "--technician", "Jana Nováková"});
    cli.write("23.45\n");
    ASSERT_TRUE(cli.waitForFinished(30000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    const CliRun history = runCli({"history", "00042", "--db", db, "--json"});
    EXPECT_TRUE(history.out.contains(R"("certificate":"K-118")")) << history.out.toStdString();
    EXPECT_TRUE(history.out.contains(R"("overdue":true)"));
    EXPECT_TRUE(history.out.contains(R"("technician":"Jana Nováková")"));
}

}  // namespace
