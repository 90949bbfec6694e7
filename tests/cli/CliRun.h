// The built vl48-cli run as a process, and the configuration the command-line tests program.
#pragma once

#include <QProcess>
#include <QStringList>
#include <functional>
#include <utility>
#include <vector>

#include "SimFixture.h"

namespace vl48test {

struct CliRun {
    int exitCode = -1;
    QString out, err;
};

// Runs vl48-cli to its end (the simulator answers from its own thread meanwhile); `inChild` runs
// in the child before the program starts (a resource limit, say).
inline CliRun runCli(const QStringList& args, int timeoutMs = 30000,
                     const std::function<void()>& inChild = {}) {
    QProcess cli;
    if (inChild) cli.setChildProcessModifier(inChild);
    cli.start(QStringLiteral(VL48_CLI), args);
    CliRun run;
    if (!cli.waitForFinished(timeoutMs)) {
        cli.kill();
        cli.waitForFinished();
    } else if (cli.exitStatus() == QProcess::NormalExit) {
        run.exitCode = cli.exitCode();
    }
    run.out = QString::fromUtf8(cli.readAllStandardOutput());
    run.err = QString::fromUtf8(cli.readAllStandardError());
    return run;
}

// A configuration whose every value differs from the simulator's factory memory: Ni 1000, 3
// wires, fixed compensation at -5, 0-10 V, limited, polynomial filter, note "Kotel č. 5".
inline const QByteArray DistinctFile(
    "10\r\n2\r\n2\r\n-050\r\n0450\r\n2\r\n2\r\n-05\r\n1\r\n1\r\n"
    "3.4.2021\r\nKotel \xE8. 5\r\n01,50\r\n");

// The cells (address, word) a transmitter holds once DistinctFile is stored.
inline const std::vector<std::pair<int, uint16_t>> DistinctMemory = {
    {4, 10},      {40, 1},      {34, 2},      {6, 2},       {42, 1},    {44, 2},  {8, 2},
    {36, 65531},  {30, 65486},  {32, 450},    {50, 0x0304}, {52, 2021}, {88, 10}, {90, 0x4B6F},
    {92, 0x7465}, {94, 0x6C20}, {96, 0xE82E}, {98, 0x2035}, {38, 150},
};

}  // namespace vl48test
