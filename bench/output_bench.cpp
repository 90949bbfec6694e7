// A trim of the current output, as found, trim and as left, by vl48-cli against the simulator
// paced at 4800 baud and its reference meter: the drive-and-read rounds of the trim, the
// readings in all, and the time beside the part of it that is settling time.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "Simulator.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    constexpr int SettleMs = 300;  // vl48-cli's default
    QTemporaryDir dir;
    vl48sim::Options options;
    options.linkPath = dir.filePath("vl48").toStdString();
    options.meterLinkPath = dir.filePath("meter").toStdString();
    options.pace = true;
    vl48sim::Simulator sim(options);
    sim.start();

    std::vector<double> times;
    int readings = 0, rounds = 0;
    for (int i = 0; i < runs; ++i) {
        sim.resetMemory();  // the factory codes: the model's whole error to trim
        sim.clearMeterLog();
        QProcess cli;
        QElapsedTimer clock;
        clock.start();
        cli.start(QStringLiteral(VL48_CLI),
                  {"trim-output", "-p", QString::fromStdString(sim.linkPath()), "--output",
                   "current", "--meter", QString::fromStdString(sim.meterLinkPath()), "--json"});
        if (!cli.waitForFinished(60000) || cli.exitCode() != 0) {
            std::fprintf(stderr, "trim-output failed: %s\n",
                         cli.readAllStandardError().constData());
            return 1;
        }
        times.push_back(clock.nsecsElapsed() / 1e6);
        readings = 0;
        for (const std::string& line : sim.meterRequests())
            readings +=
                line.find('?') != std::string::npos && line.find("IDN") == std::string::npos;
        for (const QByteArray& line : cli.readAllStandardOutput().split('\n')) {
            const QJsonObject o = QJsonDocument::fromJson(line).object();
            if (o["stage"].toString() == QLatin1String("trim")) rounds = o["rounds"].toInt();
        }
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    std::printf(
        "trim-output, current  %d runs: %d trim rounds (2 readings each), %d readings in "
        "all (as found 5, as left 5)\n",
        runs, rounds, readings);
    std::printf(
        "  median %.0f ms (fastest %.0f, slowest %.0f; goal: within 20000 ms), of which "
        "settling %d ms (%d x %d ms)\n",
        median, times.front(), times.back(), readings * SettleMs, readings, SettleMs);
    return 0;
}
