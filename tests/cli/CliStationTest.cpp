// vl48-cli series on several ports at once (a station) against three simulated units, and the
// stable names of serial adapters in the port list.
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <csignal>
#include <map>

#include "CliRun.h"
#include "core/link/Frame.h"

using namespace vl48test;

namespace {

class Station : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        units.clear();
        for (int i = 0; i < 3; ++i) {
            vl48sim::Options options;
            options.linkPath = dir.filePath(QStringLiteral("fixture-%1").arg(i + 1)).toStdString();
            options.identity.serial = uint16_t(41 + i);
            // Every reply takes a while, so that the three units are under way together.
            options.turnaroundMs = 15;
            units.push_back(std::make_unique<vl48sim::Simulator>(options));
            units.back()->start();
        }
    }
    QString port(int i) const { return QString::fromStdString(units[size_t(i)]->linkPath()); }

    QTemporaryDir dir;
    std::vector<std::unique_ptr<vl48sim::Simulator>> units;
};

// The (address, word) of every cell write a unit received, in order.
std::vector<std::pair<int, uint16_t>> writesTo(const vl48sim::Simulator& sim) {
    std::vector<std::pair<int, uint16_t>> written;
    for (const auto& frame : sim.requests())
        if (frame.cmd() == vl48::CmdWriteCell)
            written.emplace_back(frame.bytes[2], uint16_t(frame.bytes[3] << 8 | frame.bytes[4]));
    return written;
}

TEST_F(Station, ThreeUnitsAtOnceOneUnpluggedMidWrite) {
    const QString file = dir.filePath(QStringLiteral("in.vl4"));
    const QString log = dir.filePath(QStringLiteral("log.csv"));
    const QString db = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("r.sqlite"));
    writeFileBytes(file, DistinctFile);
    // The second unit's cable goes in the middle of its upload, in the middle of the reply to
    // its fifth write: after the probe, identify, firmware and the identifier read twice. A probe
    // sent again on a slow machine moves it to an earlier write, never out of the upload.
    vl48sim::Simulator& faulty = *units[1];
    vl48sim::Fault unplug(vl48sim::Fault::Kind::UnplugMidReply);
    unplug.count = 3;
    faulty.injectFault(unplug, 5 + 4);
    QProcess cli;
    QString out, err;
    QObject::connect(&cli, &QProcess::readyReadStandardOutput,
                     [&] { out += QString::fromUtf8(cli.readAllStandardOutput()); });
    QObject::connect(&cli, &QProcess::readyReadStandardError,
                     [&] { err += QString::fromUtf8(cli.readAllStandardError()); });
    cli.start(VL48_CLI, {"series", "-p", port(0), "-p", port(1), "-p", port(2), file, "--count",
                         "1", "--verify", "--log", log, "--db", db});
    ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 30000));
    waitUntil([&] { return false; }, 0);  // the last output

    // The exit code is the failed unit's: the write failed at a step.
    EXPECT_EQ(cli.exitCode(), 4) << err.toStdString();
    EXPECT_FALSE(faulty.plugged());
    ASSERT_FALSE(faulty.requests().empty());
    EXPECT_EQ(faulty.requests().back().cmd(), vl48::CmdWriteCell);
    const QRegularExpression failed(QStringLiteral("failed at step (\\d+)"));
    const QRegularExpressionMatch step = failed.match(out);
    ASSERT_TRUE(step.hasMatch()) << out.toStdString();
    EXPECT_GE(step.captured(1).toInt(), 2);
    EXPECT_LT(step.captured(1).toInt(), 14);
    // The others were programmed whole, and the faulty one got a part of the same writes.
    EXPECT_EQ(writesTo(*units[0]), DistinctMemory);
    EXPECT_EQ(writesTo(*units[2]), DistinctMemory);
    const auto partial = writesTo(faulty);
    ASSERT_LT(partial.size(), DistinctMemory.size());
    EXPECT_TRUE(std::equal(partial.begin(), partial.end(), DistinctMemory.begin()));

    // Each result, progress line and summary names its port.
    const QString result = QStringLiteral("%1: unit 1: VL48 1.310/250312 %2: %3");
    EXPECT_TRUE(out.contains(result.arg(port(0), "00041", "ok"))) << out.toStdString();
    EXPECT_TRUE(out.contains(result.arg(port(1), "00042", step.captured(0)))) << out.toStdString();
    EXPECT_TRUE(out.contains(result.arg(port(2), "00043", "ok"))) << out.toStdString();
    EXPECT_TRUE(out.contains(port(1) + ": series: 1 unit: 0 ok, 1 failed, 0 skipped"));
    EXPECT_TRUE(out.endsWith("station: 3 ports, 3 units: 2 ok, 1 failed, 0 skipped\n"));
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(err.contains(QStringLiteral("vl48-cli: %1: unit 1: programming VL48 %2")
                                     .arg(port(i))
                                     .arg(41 + i, 5, 10, QLatin1Char('0'))))
            << err.toStdString();

    // The log and the records hold each unit once, with its port and its result.
    const QStringList lines =
        QString::fromUtf8(fileBytes(log)).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 4) << lines.join('\n').toStdString();
    std::map<QString, QString> logged, recorded;
    for (const QString& line : lines.mid(1)) {
        const QStringList fields = line.split(',');
        ASSERT_EQ(fields.size(), 9) << line.toStdString();
        logged[fields[1]] = fields[4] + ' ' + fields[7];
    }
    const CliRun records = runCli({"records", "--db", db, "--json"});
    ASSERT_EQ(records.exitCode, 0) << records.err.toStdString();
    for (const QString& line : records.out.split('\n', Qt::SkipEmptyParts)) {
        const QJsonObject r = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_FALSE(recorded.count(r["port"].toString())) << line.toStdString();
        recorded[r["port"].toString()] = r["identifier"].toString() + ' ' + r["result"].toString();
    }
    const std::map<QString, QString> expected = {
        {port(0), "00041 ok"}, {port(1), "00042 " + step.captured(0)}, {port(2), "00043 ok"}};
    EXPECT_EQ(logged, expected);
    EXPECT_EQ(recorded, expected);
}

// Ctrl+C while the three units are under way lets each finish, and a second one abandons them;
// each time the units concerned are named.
TEST_F(Station, CtrlCLetsTheUnitsUnderWayFinish) {
    struct Case {
        const char* name;
        int requests;
        int exitCode;
        const char* listed;  // the line naming the units under way
        bool whole;          // their writes all done, their log lines written
    };
    const Case cases[] = {
        {"once", 1, 9, "vl48-cli: finished first: ", true},
        {"twice", 2, 130, "vl48-cli: abandoned half-written, without a log line: ", false},
    };
    const QString file = dir.filePath(QStringLiteral("in.vl4"));
    writeFileBytes(file, DistinctFile);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        for (auto& unit : units) unit->setTurnaround(40);
        const QString log = dir.filePath(QStringLiteral("log-%1.csv").arg(c.requests));
        QProcess cli;
        QString err;
        QObject::connect(&cli, &QProcess::readyReadStandardError,
                         [&] { err += QString::fromUtf8(cli.readAllStandardError()); });
        cli.start(VL48_CLI, {"series", "-p", port(0), "-p", port(1), "-p", port(2), file,
                             "--verify", "--log", log});
        ASSERT_TRUE(waitUntil([&] { return err.count(": programming VL48") == 3; }, 30000))
            << err.toStdString();
        ::kill(pid_t(cli.processId()), SIGINT);
        // Signals of one kind pending together are one: the second once the first was heard.
        if (c.requests == 2) {
            ASSERT_TRUE(waitUntil([&] { return err.contains("finished first: "); }, 30000));
            ::kill(pid_t(cli.processId()), SIGINT);
        }
        ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 30000));
        waitUntil([&] { return false; }, 0);
        EXPECT_EQ(cli.exitCode(), c.exitCode) << err.toStdString();
        // The units named are those whose writes were under way; none was begun again.
        const qsizetype at = err.indexOf(QLatin1String(c.listed));
        ASSERT_GE(at, 0) << err.toStdString();
        const QString listed = err.mid(at, err.indexOf('\n', at) - at);
        const QString logged = QString::fromUtf8(fileBytes(log));
        for (int i = 0; i < 3; ++i) {
            if (!listed.contains("unit 1 on " + port(i))) continue;
            const auto written = writesTo(*units[size_t(i)]);
            EXPECT_EQ(written.size() == DistinctMemory.size(), c.whole) << port(i).toStdString();
            EXPECT_TRUE(std::equal(written.begin(), written.end(), DistinctMemory.begin()));
            EXPECT_EQ(logged.contains(port(i) + ","), c.whole) << logged.toStdString();
        }
    }
}

TEST_F(Station, PortsListsStableAdapterNames) {
    // A cable's name by its adapter, pointing to the unit's terminal as udev's links do.
    const QString links = dir.filePath(QStringLiteral("serial"));
    ASSERT_TRUE(QDir().mkpath(links + "/by-id"));
    const QString link = links + "/by-id/usb-FTDI_FT232R_A10K1234-if00-port0";
    ASSERT_TRUE(QFile::link(QString::fromStdString(units[0]->slavePath()), link));
    qputenv("VL48_SERIAL_LINKS", links.toUtf8());
    const CliRun run = runCli({"ports"});
    qunsetenv("VL48_SERIAL_LINKS");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.split('\n').contains(
        link + " -> " +
        QFileInfo(QString::fromStdString(units[0]->slavePath())).canonicalFilePath()))
        << run.out.toStdString();
}

}  // namespace
