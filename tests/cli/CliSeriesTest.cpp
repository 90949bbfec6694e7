// vl48-cli series against the simulated transmitter: what follows the first unit (the next one
// under a fixed adapter, a lost reply, a silence, the port gone, a device refused, a Ctrl+C),
// seen in the results, the messages, the exit code and the frames the transmitter received.
#include <QProcess>
#include <csignal>

#include "CliRun.h"
#include "core/link/Frame.h"

using namespace vl48test;

namespace {

using Series = SimTest;

TEST_F(Series, WhatFollowsTheFirstUnit) {
    enum Then { Swap, LostReply, Silence, SilenceOption, PortGone, Refused, CtrlC };
    struct Case {
        const char* name;
        Then then;
        int exitCode;
        QString tail;  // the last lines of standard output
        bool programmedAgain;
    };
    const QString one = "series: 1 unit: 1 ok, 0 failed, 0 skipped";
    const QString two = "\nseries: 2 units: 2 ok, 0 failed, 0 skipped";
    const Case cases[] = {
        {"a unit swapped quickly", Swap, 0, "unit 2: VL48 1.310/250312 00043: ok" + two, true},
        {"a lost reply is noise", LostReply, 9, one, false},
        {"the same identifier after a silence", Silence, 9, one, false},
        {"... with the option", SilenceOption, 0, "unit 2: VL48 1.310/250312 00042: ok" + two,
         true},
        {"the port gone and back, the option", PortGone, 0,
         "unit 2: VL48 1.310/250312 00042: ok" + two, true},
        {"a device refused", Refused, 3,
         R"({"exit_code":3,"failed":0,"interrupted":false,"ok":1,"series":true,"skipped":1,)"
         R"("units":2})",
         false},
        {"a Ctrl+C between units", CtrlC, 9, one, false},
    };
    const QString port = QString::fromStdString(portPath());
    const QString missing = port + " does not exist (yet); waiting for it";
    const QString file = dir.filePath("in.vl4");
    writeFileBytes(file, DistinctFile);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TearDown();
        SetUp();
        QProcess cli;
        QStringList lines;
        QString err;
        QObject::connect(&cli, &QProcess::readyReadStandardOutput, [&] {
            while (cli.canReadLine()) lines << QString::fromUtf8(cli.readLine()).trimmed();
        });
        QObject::connect(&cli, &QProcess::readyReadStandardError,
                         [&] { err += QString::fromUtf8(cli.readAllStandardError()); });
        const auto said = [&](const QString& text) {
            return waitUntil([&] { return err.contains(text); }, 30000);
        };
        // A dozen polls more, where a unit taken as new would be written, then Ctrl+C.
        const auto interruptOnceWatched = [&] {
            ASSERT_TRUE(
                sim->waitForRequests(sim->requests().size() + 12, std::chrono::seconds(30)));
            ::kill(pid_t(cli.processId()), SIGINT);
        };
        QStringList args{"series", "-p", port, file, "--count", "2"};
        if (c.then == LostReply || c.then == SilenceOption || c.then == PortGone)
            args << "--new-after-silence";
        if (c.then == Refused) args << "--json";
        cli.start(VL48_CLI, args);
        ASSERT_TRUE(waitUntil([&] { return lines.size() == 1; }, 30000)) << err.toStdString();
        sim->clearLog();
        switch (c.then) {
            case Swap:  // the port stays open, identity and memory change
                sim->setTurnaround(100, 50);
                sim->setIdentity({11, 1310250312, 43});
                sim->resetMemory();
                break;
            case LostReply:
                sim->injectFaultOnCommand(vl48::CmdSerialNumber, vl48sim::Fault::Kind::NoReply);
                interruptOnceWatched();
                break;
            case Silence:
            case SilenceOption:  // two requests unanswered: more than a second
                for (int cmd : {vl48::CmdSerialNumber, vl48::CmdIdentify}) sim->setUnsupported(cmd);
                ASSERT_TRUE(
                    sim->waitForRequests(sim->requests().size() + 2, std::chrono::seconds(30)));
                for (int cmd : {vl48::CmdSerialNumber, vl48::CmdIdentify})
                    sim->setUnsupported(cmd, false);
                if (c.then == Silence) {
                    ASSERT_TRUE(said("taken as the same unit")) << err.toStdString();
                    interruptOnceWatched();
                }
                break;
            case PortGone:
                sim->unplug();
                ASSERT_TRUE(said(missing)) << err.toStdString();
                // Said once: ten tries to open it go by without another word.
                EXPECT_FALSE(waitUntil([&] { return err.count(missing) > 1; }, 500));
                sim->plug(vl48sim::Identity{});  // a factory-fresh unit, the same identifier
                break;
            case Refused:
                sim->setIdentity({10, 1310250312, 43});
                break;
            case CtrlC:
                ASSERT_TRUE(said("unplug unit 1 or put in the next one"));
                ::kill(pid_t(cli.processId()), SIGINT);
                break;
        }
        ASSERT_TRUE(waitUntil([&] { return cli.state() == QProcess::NotRunning; }, 30000));
        EXPECT_EQ(cli.exitCode(), c.exitCode) << err.toStdString();
        const qsizetype tail = c.tail.count('\n') + 1;
        EXPECT_EQ(lines.mid(lines.size() - tail).join('\n').toStdString(), c.tail.toStdString());
        std::vector<std::pair<int, uint16_t>> written;
        for (const auto& frame : sim->requests())
            if (frame.cmd() == vl48::CmdWriteCell)
                written.emplace_back(frame.bytes[2],
                                     uint16_t(frame.bytes[3] << 8 | frame.bytes[4]));
        EXPECT_EQ(written, c.programmedAgain ? DistinctMemory : decltype(DistinctMemory){});
        EXPECT_EQ(err.count("the same unit"), c.then == Silence ? 1 : 0);
        EXPECT_EQ(err.contains("--new-after-silence"), c.then == Silence);
        EXPECT_EQ(err.contains("stopped after 1 unit(s)"), c.exitCode == 9);
    }
}

}  // namespace
