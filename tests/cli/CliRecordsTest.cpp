// vl48-cli with a records database, against the simulated transmitter and real databases: a
// series on a line's server that restarts in the middle, two benches recording at the same
// moment, and databases that refuse the record before anything reaches the unit.
#include <sys/stat.h>

#include <QProcess>

#include "CliRun.h"
#include "TestPostgres.h"
#include "core/link/Frame.h"

using namespace vl48test;

namespace {

class CliRecords : public SimTest {
protected:
    void SetUp() override {
        SimTest::SetUp();
        qputenv("XDG_DATA_HOME", dir.filePath("data").toUtf8());
        file = dir.filePath("in.vl4");
        writeFileBytes(file, DistinctFile);
    }
    int writeFrames() const {
        int n = 0;
        for (const auto& frame : sim->requests()) n += frame.cmd() == vl48::CmdWriteCell;
        return n;
    }
    QString file;
};

// Three units in a series; the server stops after the first and is back after the second. Every
// unit is programmed, and all three records are on the server afterwards, once each.
TEST_F(CliRecords, SeriesGoesOnWhileTheServerRestarts) {
    REQUIRE_TEST_POSTGRES();
    const QString db = TestPostgres::freshDatabase();
    QProcess cli;
    QStringList lines;
    QString err;
    QObject::connect(&cli, &QProcess::readyReadStandardOutput, [&] {
        while (cli.canReadLine()) lines << QString::fromUtf8(cli.readLine()).trimmed();
    });
    QObject::connect(&cli, &QProcess::readyReadStandardError,
                     [&] { err += QString::fromUtf8(cli.readAllStandardError()); });
    cli.start(VL48_CLI, {"series", "-p", QString::fromStdString(portPath()), file, "--count", "3",
                         "--db", db});
    // After each unit's result, the server's turn, then the next unit under the fixture.
    const auto after = [&](int unit, const std::function<bool()>& server, uint16_t identifier) {
        ASSERT_TRUE(waitUntil([&] { return lines.size() == unit; }, 30000)) << err.toStdString();
        ASSERT_TRUE(server());
        sim->setIdentity({11, 1310250312, identifier});
        sim->resetMemory();
    };
    after(1, TestPostgres::stop, 43);
    after(2, TestPostgres::start, 44);
    ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 60000));
    EXPECT_EQ(cli.exitCode(), 0) << err.toStdString();
    EXPECT_EQ(lines.last().toStdString(), "series: 3 units: 3 ok, 0 failed, 0 skipped");
    EXPECT_TRUE(err.contains("records are kept on this bench")) << err.toStdString();
    EXPECT_EQ(writeFrames(), 3 * int(DistinctMemory.size()));
    const QString database = TestPostgres::databaseOf(db);
    EXPECT_EQ(TestPostgres::count("SELECT COUNT(*) FROM unit_records", database), 3);
    EXPECT_EQ(TestPostgres::count("SELECT COUNT(DISTINCT identifier) FROM unit_records WHERE "
                                  "result = 'ok' AND identifier IN ('00042', '00043', '00044')",
                                  database),
              3);
    const CliRun pending = runCli({"records", "--pending", "--db", db});
    EXPECT_TRUE(pending.err.contains("no records wait")) << pending.err.toStdString();
    // The history of the unit programmed while the server was away, from the server.
    const CliRun history = runCli({"history", "00043", "--db", db, "--json"});
    EXPECT_EQ(history.exitCode, 0) << history.err.toStdString();
    EXPECT_EQ(history.out.count('\n'), 1);
    EXPECT_TRUE(history.out.contains(R"("result":"ok")")) << history.out.toStdString();
    EXPECT_TRUE(history.out.contains(R"("range begin":-50)")) << history.out.toStdString();
}

// Two programs writing into one SQLite file, and into one server, at the same moment: each
// record lands whole and once.
TEST_F(CliRecords, TwoBenchesAtOnce) {
    vl48sim::Options options;
    options.linkPath = dir.filePath("second").toStdString();
    vl48sim::Simulator second(options);
    second.start();
    QStringList databases{"sqlite:" + dir.filePath("line.sqlite")};
    if (TestPostgres::available()) databases << TestPostgres::freshDatabase();
    constexpr int Rounds = 4;
    for (const QString& db : databases) {
        SCOPED_TRACE(db.toStdString());
        for (int round = 0; round < Rounds; ++round) {
            std::vector<std::unique_ptr<QProcess>> benches;
            for (const std::string& port : {portPath(), second.linkPath()}) {
                benches.push_back(std::make_unique<QProcess>());
                benches.back()->start(
                    VL48_CLI, {"write", "-p", QString::fromStdString(port), file, "--db", db});
            }
            for (auto& bench : benches) {
                ASSERT_TRUE(bench->waitForFinished(30000));
                EXPECT_EQ(bench->exitCode(), 0) << bench->readAllStandardError().toStdString();
            }
        }
        const CliRun records = runCli({"records", "--db", db, "--result", "ok", "--csv"});
        EXPECT_EQ(records.exitCode, 0) << records.err.toStdString();
        EXPECT_EQ(records.out.count("\r\n"), 1 + 2 * Rounds) << records.out.toStdString();
    }
    if (!TestPostgres::available()) GTEST_SKIP() << "SQLite only: no PostgreSQL server";
}

// A database that cannot take the record stops the program before the port is even opened.
TEST_F(CliRecords, RefusedDatabaseStopsBeforeAnyFrame) {
    struct Case {
        const char* name;
        QString db;
        const char* said;
    };
    const QString readOnly = dir.filePath("read-only.sqlite");
    ASSERT_EQ(runCli({"records", "--db", "sqlite:" + readOnly}).exitCode, 10);  // none there yet
    {
        // Made by a write of the program itself, then closed to writing.
        const CliRun made = runCli({"write", "-p", QString::fromStdString(portPath()), file, "--db",
                                    "sqlite:" + readOnly});
        ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();
    }
    ASSERT_EQ(::chmod(QFile::encodeName(readOnly).constData(), 0444), 0);
    if (::geteuid() == 0) {
        ASSERT_EQ(QProcess::execute("chattr", {"+i", readOnly}), 0);
    }
    std::vector<Case> cases = {
        {"a read-only file", "sqlite:" + readOnly, "readonly database"},
        {"a folder that is not there", "sqlite:" + dir.filePath("none/records.sqlite"),
         "records database cannot be written"},
    };
    if (TestPostgres::available()) {
        const QString db = TestPostgres::freshDatabase();
        cases.push_back({"a user the server does not know",
                         TestPostgres::address(TestPostgres::databaseOf(db), "stranger"),
                         "does not exist"});
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->clearLog();
        const CliRun run = runCli(
            {"write", "-p", QString::fromStdString(portPath()), file, "--db", c.db, "--json"});
        EXPECT_EQ(run.exitCode, 6);
        EXPECT_TRUE(run.err.contains(c.said)) << run.err.toStdString();
        EXPECT_TRUE(run.out.contains(R"("exit_code":6)")) << run.out.toStdString();
        EXPECT_TRUE(sim->requests().empty());
    }
    // Looking up a read-only file still works.
    const CliRun history = runCli({"history", "00042", "--db", "sqlite:" + readOnly});
    if (::geteuid() == 0) QProcess::execute("chattr", {"-i", readOnly});
    EXPECT_EQ(history.exitCode, 0) << history.err.toStdString();
    EXPECT_TRUE(history.out.startsWith(QDate::currentDate().toString(Qt::ISODate)));
}

}  // namespace
