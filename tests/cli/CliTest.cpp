// vl48-cli against the simulated transmitter: a series of units plugged in turn, a unit that does
// not store what it acknowledges, and the exit codes of what goes wrong before any write.
#include <sys/resource.h>

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <csignal>
#include <functional>

#include "CliRun.h"
#include "core/link/Frame.h"
#include "core/records/ProductionLog.h"

using namespace vl48test;
using Kind = vl48sim::Fault::Kind;

namespace {

class Cli : public SimTest {
protected:
    QString path(const char* name) const { return dir.filePath(QLatin1String(name)); }
    QString port() const { return QString::fromStdString(portPath()); }
    QString configFile() {
        writeFileBytes(path("in.vl4"), DistinctFile);
        return path("in.vl4");
    }
    // The log's lines, header first, split into their fields (no field here needs quoting).
    QList<QStringList> logLines() const {
        QList<QStringList> lines;
        for (const QByteArray& line : fileBytes(path("log.csv")).split('\n'))
            if (!line.isEmpty())
                lines << QString::fromUtf8(line.chopped(1)).split(QLatin1Char(','));
        return lines;
    }
    void expectDistinctMemory() {
        for (const auto& [address, word] : DistinctMemory)
            EXPECT_EQ(sim->cell(address), word) << "cell " << address;
    }
    bool anyWrite() const {
        for (int command : requestCommands())
            if (command == vl48::CmdWriteCell) return true;
        return false;
    }
};

TEST_F(Cli, SeriesProgramsEachUnitPluggedInOnceAndLogsIt) {
    // The first unit misses its first identification: the wait asks again.
    sim->injectFaultOnCommand(vl48::CmdIdentify, Kind::NoReply);
    QProcess cli;
    QStringList lines;
    QObject::connect(&cli, &QProcess::readyReadStandardOutput, [&] {
        while (cli.canReadLine()) lines << QString::fromUtf8(cli.readLine()).trimmed();
    });
    cli.start(QStringLiteral(VL48_CLI),
              {"series", "-p", port(), configFile(), "--count", "3", "--verify", "--log",
               path("log.csv"), "--note", "batch 7"});
    for (uint16_t serial : {43, 44}) {
        ASSERT_TRUE(waitUntil([&] { return lines.size() == serial - 42; }, 20000))
            << cli.readAllStandardError().toStdString();
        sim->unplug();
        vl48sim::Identity next;
        next.serial = serial;
        sim->plug(next);
    }
    ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 20000));
    EXPECT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    EXPECT_EQ(lines, QStringList({"unit 1: VL48 1.310/250312 00042: ok",
                                  "unit 2: VL48 1.310/250312 00043: ok",
                                  "unit 3: VL48 1.310/250312 00044: ok",
                                  "series: 3 units: 3 ok, 0 failed, 0 skipped"}));
    expectDistinctMemory();  // of the last unit; the others were verified

    const QList<QStringList> log = logLines();
    ASSERT_EQ(log.size(), 4);
    EXPECT_EQ(log[0].join(','),
              "time,port,device_type,firmware,identifier,config_file,"
              "config_sha256,result,operator_note");
    for (int i = 1; i <= 3; ++i) {
        ASSERT_EQ(log[i].size(), 9);
        EXPECT_EQ(log[i].mid(1, 5),
                  QStringList({port(), "VL48", "1.310/250312",
                               QStringLiteral("%1").arg(41 + i, 5, 10, QChar('0')), "in.vl4"}));
        EXPECT_EQ(log[i].mid(7), QStringList({"ok", "batch 7"}));
        EXPECT_EQ(log[i][6].size(), 64);
    }
}

TEST_F(Cli, AUnitThatDoesNotStoreWhatItAcknowledgesIsAVerifyMismatch) {
    sim->setWriteEnabled(false);
    const CliRun run =
        runCli({"write", "-p", port(), configFile(), "--verify", "--log", path("log.csv")});
    EXPECT_EQ(run.exitCode, 5) << run.err.toStdString();
    const QString cells =
        "EEInputType EEOutputType EEFilter EERangeBegin EERangeEnd EECompMode "
        "EECompTemp EELineRes EEWiring EEOutputLimit EESensorFault EEDayMonth "
        "EEYear EENoteLength EENoteText";
    EXPECT_EQ(run.out.section('\n', 0, 1), "VL48 1.310/250312 00042: verify mismatch: " + cells +
                                               "\n  input type: file 10, transmitter 1");
    const QList<QStringList> log = logLines();
    ASSERT_EQ(log.size(), 2);
    EXPECT_EQ(log[1].value(7), "verify mismatch: " + cells);
}

// A rig's time-out (SIGTERM) or a closed SSH session (SIGHUP) in the middle of a unit: the unit
// is finished and logged first, as after a Ctrl+C.
TEST_F(Cli, ASignalDuringAUnitLetsItFinishAndLogItFirst) {
    sim->setTurnaround(20);
    for (int signal : {SIGTERM, SIGHUP}) {
        sim->clearLog();
        QFile::remove(path("log.csv"));
        for (int address = 4; address <= 98; address += 2) sim->setCell(address, 0);
        QProcess cli;
        cli.start(QStringLiteral(VL48_CLI),
                  {"series", "-p", port(), configFile(), "--log", path("log.csv")});
        ASSERT_TRUE(sim->waitForRequests(12, std::chrono::seconds(10)));  // among the writes
        ::kill(pid_t(cli.processId()), signal);
        ASSERT_TRUE(cli.waitForFinished(20000));
        EXPECT_EQ(cli.exitStatus(), QProcess::NormalExit) << signal;
        expectDistinctMemory();
        EXPECT_EQ(logLines().size(), 2) << signal;
        EXPECT_TRUE(cli.readAllStandardError().contains("stopped after 1 unit(s)")) << signal;
    }
}

// What goes wrong before anything is written: the exit code, and the transmitter untouched.
TEST_F(Cli, ExitCodesOfWhatStopsBeforeAnyWrite) {
    struct Case {
        const char* name;
        QStringList args;  // PORT, FILE and LOG stand for the simulator's port, a file, a log
        int exitCode;
        bool portOpened;
        std::function<void(vl48sim::Simulator&)> setup;
        bool logAtTheSizeLimit = false;  // LOG holds its header, and may not grow
    };
    const Case cases[] = {
        {"no command", {}, 1, false, {}},
        {"unknown command", {"frobnicate", "-p", "PORT"}, 1, false, {}},
        {"no file", {"write", "-p", "PORT"}, 1, false, {}},
        {"option of another command", {"identify", "-p", "PORT", "--verify"}, 1, false, {}},
        {"no port", {"identify"}, 1, false, {}},
        {"port that does not exist", {"identify", "-p", "NOPORT"}, 2, false, {}},
        {"nothing answers",
         {"write", "-p", "PORT", "FILE"},
         2,
         true,
         [](vl48sim::Simulator& s) { s.setUnsupported(vl48::CmdIdentify); }},
        {"refused device type",
         {"write", "-p", "PORT", "FILE"},
         3,
         true,
         [](vl48sim::Simulator& s) {
             s.setIdentity({10, 1310250312, 42});
         }},
        {"log that cannot be written",
         {"write", "-p", "PORT", "FILE", "--log", "NOLOG"},
         6,
         false,
         {}},
        {"log that cannot take the unit's line",
         {"write", "-p", "PORT", "FILE", "--log", "LOG"},
         6,
         true,
         {},
         true},
        {"no configuration file", {"write", "-p", "PORT", "NOFILE"}, 6, false, {}},
        {"input type the list lacks", {"write", "-p", "PORT", "INPUT25"}, 6, false, {}},
        {"filter the list lacks", {"series", "-p", "PORT", "FILTER3"}, 6, false, {}},
        {"code beyond 16 bits", {"write", "-p", "PORT", "INPUT70000"}, 6, false, {}},
        {"transmitter that differs", {"diff", "-p", "PORT", "FILE"}, 5, true, {}},
    };
    const QString file = configFile();
    // DistinctFile with one code line that names no entry of its list.
    const auto refused = [this](const char* name, int line, const QByteArray& code) {
        QList<QByteArray> lines = DistinctFile.split('\n');
        lines[line - 1] = code + '\r';
        writeFileBytes(path(name), lines.join('\n'));
        return path(name);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        sim->clearLog();
        if (c.setup) c.setup(*sim);
        const QMap<QString, QString> stands = {{"INPUT25", refused("a.vl4", 1, "25")},
                                               {"FILTER3", refused("b.vl4", 6, "3")},
                                               {"INPUT70000", refused("c.vl4", 1, "70000")},
                                               {"PORT", port()},
                                               {"NOPORT", path("none")},
                                               {"FILE", file},
                                               {"NOFILE", path("none.vl4")},
                                               {"NOLOG", path("none/log.csv")},
                                               {"LOG", path("log.csv")}};
        // With --json too the outcome is one object that carries its exit code.
        QStringList args{"--json"};
        for (const QString& arg : c.args) args << stands.value(arg, arg);
        std::function<void()> limit;
        if (c.logAtTheSizeLimit) {
            writeFileBytes(path("log.csv"), vl48::csvHeader());
            limit = [size = rlim_t(vl48::csvHeader().size())] {
                const rlimit r{size, size};
                ::setrlimit(RLIMIT_FSIZE, &r);
            };
        }
        const CliRun run = runCli(args, 30000, limit);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_FALSE(run.err.isEmpty());
        const QJsonObject outcome = QJsonDocument::fromJson(run.out.toUtf8()).object();
        EXPECT_EQ(outcome.value("exit_code").toInt(-1), c.exitCode) << run.out.toStdString();
        EXPECT_EQ(run.out.count('\n'), 1) << run.out.toStdString();
        EXPECT_FALSE(anyWrite());
        EXPECT_EQ(!requestCommands().empty(), c.portOpened);
        sim->setUnsupported(vl48::CmdIdentify, false);
        sim->setIdentity({});
        if (c.logAtTheSizeLimit) {
            EXPECT_EQ(fileBytes(path("log.csv")), vl48::csvHeader());
        }
    }
    const CliRun version = runCli({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_TRUE(version.out.startsWith("vl48-cli 1.")) << version.out.toStdString();
}

}  // namespace

// A read that goes unanswered (here the note's length, which an empty note cannot be told from)
// gives no result: no match, no difference, no saved file, and --verify says "verify failed".
TEST_F(Cli, AnUnansweredReadIsNoResult) {
    QByteArray noNote = DistinctFile;
    noNote.replace("Kotel \xE8. 5", "");
    writeFileBytes(path("in.vl4"), noNote);
    const struct {
        QStringList args;
        int lengthRead;  // the request that reads the note's length
        int exitCode;
        const char* says;
    } cases[] = {
        {{"write", "--verify", "--log", path("log.csv"), path("in.vl4")},
         3 + 14 + 13,
         8,
         "00042: verify failed"},
        {{"diff", path("in.vl4")}, 2 + 13, 4, "nothing compared"},
        {{"read", "-o", path("out.vl4")}, 2 + 17, 4, "nothing saved"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.first().toStdString());
        for (const auto& [address, word] : DistinctMemory) sim->setCell(address, word);
        sim->setNote("");
        sim->clearLog();
        sim->injectFault(Kind::NoReply, c.lengthRead);
        const CliRun run = runCli(QStringList{c.args.first(), "-p", port()} + c.args.mid(1));
        ASSERT_GT(sim->requests().size(), size_t(c.lengthRead));
        EXPECT_EQ(sim->requests()[size_t(c.lengthRead)].bytes[4], vl48::EENoteLength);
        EXPECT_EQ(run.exitCode, c.exitCode) << run.err.toStdString();
        EXPECT_TRUE((run.out + run.err).contains(c.says)) << (run.out + run.err).toStdString();
    }
    EXPECT_FALSE(QFile::exists(path("out.vl4")));
    EXPECT_EQ(logLines().value(1).value(7), "verify failed");
}
