// How much the tool adds to the line time of one exchange. The simulator paces both frames at
// 4800 baud with no turnaround, so a perfect tool would measure exactly the line time.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "PacedSimulator.h"
#include "Simulator.h"
#include "core/device/MemoryMap.h"
#include "core/link/Link.h"

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int exchanges = argc > 1 ? std::max(10, std::atoi(argv[1])) : 200;

    QTemporaryDir dir;
    const auto paced = startPacedSimulator(dir);
    vl48sim::Simulator& sim = *paced;

    vl48::TComPort port;
    port.setDeviceName(QString::fromStdString(sim.linkPath()));
    port.setActive(true);
    vl48::Link link(port);
    link.drawFrameTag();

    std::vector<double> ms;
    ms.reserve(exchanges);
    int failures = 0;
    for (int i = 0; i < exchanges; ++i) {
        QElapsedTimer clock;
        clock.start();
        vl48::Frame reply;
        if (!link.Send(vl48::CmdReadCell, vl48::EEInputType, reply)) ++failures;
        ms.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    const double median = ms[ms.size() / 2];
    // Two 7-byte frames of 10 bit times each at 4800 baud.
    const double lineMs = 2 * 7 * 10 * 1000.0 / 4800.0;
    std::printf("exchanges            %d (%d failed)\n", exchanges, failures);
    std::printf("line time minimum    %.3f ms\n", lineMs);
    std::printf("median exchange      %.3f ms (fastest %.3f, slowest %.3f)\n", median, ms.front(),
                ms.back());
    std::printf("overhead (median)    %.3f ms\n", median - lineMs);
    std::printf("ratio                %.4f (goal: at most 1.02)\n", median / lineMs);

    // The same with the trace on: every line formatted, then dropped by a handler that writes
    // nothing, so the figure is the trace's own cost and not the terminal's.
    QLoggingCategory::setFilterRules(QStringLiteral("vl48.*.debug=true"));
    const QtMessageHandler previous =
        qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    std::vector<double> traced;
    for (int i = 0; i < exchanges; ++i) {
        QElapsedTimer clock;
        clock.start();
        if (!link.Send(vl48::CmdReadCell, vl48::EEInputType)) ++failures;
        traced.push_back(clock.nsecsElapsed() / 1e6);
    }
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());
    std::sort(traced.begin(), traced.end());
    const double tracedMedian = traced[traced.size() / 2];
    std::printf("traced (median)      %.3f ms, %+.3f ms per exchange (goal: at most +0.2)\n",
                tracedMedian, tracedMedian - median);

    // What a failure costs the exchange after it: that one first waits until the missed reply
    // can no longer come. Timed from the end of the failed exchange, as a reconnecting or
    // reading caller meets it.
    std::vector<double> after;
    for (int i = 0; i < 3; ++i) {
        sim.injectFault({vl48sim::Fault::Kind::NoReply});
        if (link.Send(vl48::CmdReadCell, vl48::EEInputType)) ++failures;
        QElapsedTimer clock;
        clock.start();
        if (!link.Send(vl48::CmdReadCell, vl48::EEInputType)) ++failures;
        after.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(after.begin(), after.end());
    std::printf(
        "after a failed one   %.1f ms (median of %zu; reply time-out %d ms, late-reply "
        "window %d ms)\n",
        after[after.size() / 2], after.size(), vl48::TComPort::totalTimeoutMs(7),
        vl48::Link::LateReplyWindowMs);
    return failures == 0 ? 0 : 1;
}
