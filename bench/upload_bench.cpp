// Time of "Nahrát konfiguraci" from the bulk tab against the simulator paced at 4800 baud, beside
// the time the line itself needs for the same write exchanges; then serial programming of three
// units with automatic reconnection, timed per unit from plugging it in to its upload done. Then
// the command-line programmer on a simulator of its own: `vl48-cli write` of one unit beside the
// line time of its frames, and how soon `vl48-cli series` talks to a unit after it is plugged in.
// Last, what a record in the records database adds to a unit, and the look-up of one unit's
// history among 100 000 records (RecordsBench.cpp). Last, a station: `vl48-cli series` on one,
// two and four paced units at once, in units per hour and processor time per port
// (`upload_bench --station [UNITS]` runs only that).
#include <sys/resource.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string_view>
#include <vector>

#include "PacedSimulator.h"
#include "RecordsBench.h"
#include "Simulator.h"
#include "window/Application.h"
#include "window/FrmMain.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

namespace {

// Runs the event loop until pred() holds or the time is up; returns pred().
bool waitUntil(const std::function<bool()>& pred, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!pred() && clock.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    return pred();
}

size_t writeExchanges(const vl48sim::Simulator& sim) {
    size_t n = 0;
    for (const auto& f : sim.requests())
        if (f.cmd() == vl48::CmdWriteCell) ++n;
    return n;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double msBetween(std::chrono::steady_clock::time_point from,
                 std::chrono::steady_clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

// The configuration file the benchmarks upload.
bool writeBenchFile(const QString& path) {
    QFile out(path);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write("10\r\n1\r\n2\r\n-050\r\n0450\r\n1\r\n2\r\n-05\r\n1\r\n1\r\n"
                  "24.12.2017\r\nKotelna 12\r\n01,50\r\n") < 0)
        return false;
    out.close();
    return true;
}

// vl48-cli write and series against a paced simulator of their own. False when a run failed.
bool benchCli(const QTemporaryDir& dir, int runs, double byteMs) {
    QTemporaryDir own;
    const auto paced = startPacedSimulator(own);
    vl48sim::Simulator& sim = *paced;
    const QString port = QString::fromStdString(sim.linkPath());
    const QString file = dir.filePath("bench.vl4");
    if (!writeBenchFile(file)) return false;

    // The whole program, started to ended, and the line's share: from the first request the
    // transmitter received to its last reply sent. The first run, not timed, counts the frames.
    size_t frames = 0;
    std::vector<double> spans, wholes, startups;
    for (int i = 0; i <= runs; ++i) {
        sim.clearLog();
        QProcess cli;
        QElapsedTimer whole;
        whole.start();
        const auto started = std::chrono::steady_clock::now();
        cli.start(QStringLiteral(VL48_CLI), {"write", "-p", port, file});
        if (i > 0 && !sim.waitForReplies(frames, std::chrono::seconds(10))) return false;
        const auto lastReply = std::chrono::steady_clock::now();
        if (!cli.waitForFinished(10000) || cli.exitCode() != 0) {
            std::fprintf(stderr, "vl48-cli write failed: %s\n",
                         cli.readAllStandardError().constData());
            return false;
        }
        const double wholeMs = whole.nsecsElapsed() / 1e6;
        const auto requests = sim.requests();
        if (i == 0) {
            frames = requests.size();
            continue;
        }
        spans.push_back(msBetween(requests.front().at, lastReply));
        startups.push_back(msBetween(started, requests.front().at));
        wholes.push_back(wholeMs);
    }
    // Requests and replies are 7 bytes each.
    const double lineMs = frames * 14 * byteMs;
    std::printf(
        "vl48-cli write       %d runs, %zu exchanges each (identify, firmware, identifier, "
        "the upload)\n",
        runs, frames);
    std::printf("  line time          %.1f ms (%zu x 14 bytes x 10 bits / 4800 baud)\n", lineMs,
                frames);
    std::printf("  first request to last reply, median %.1f ms (fastest %.1f, slowest %.1f)\n",
                median(spans), *std::min_element(spans.begin(), spans.end()),
                *std::max_element(spans.begin(), spans.end()));
    std::printf("  ratio              %.4f (goal: at most 1.02)\n", median(spans) / lineMs);
    std::printf(
        "  whole process      median %.1f ms, of which %.1f ms from its start to the first "
        "request (start-up, port opening)\n",
        median(wholes), median(startups));

    // A series: each unit after the first plugged in once the program waits for it, at a random
    // moment of its polling, and timed from plug() to the first request the unit receives.
    const int units = std::max(runs, 2);
    QProcess cli;
    QByteArray errors;
    cli.start(QStringLiteral(VL48_CLI),
              {"series", "-p", port, file, "--count", QString::number(units)});
    std::vector<double> found;
    for (int unit = 1; unit <= units; ++unit) {
        const QByteArray waiting = QStringLiteral("waiting for unit %1").arg(unit).toUtf8();
        if (!waitUntil(
                [&] {
                    cli.waitForReadyRead(5);
                    errors += cli.readAllStandardError();
                    return errors.contains(waiting);
                },
                10000)) {
            std::fprintf(stderr, "series: unit %d not awaited: %s\n", unit, errors.constData());
            return false;
        }
        if (unit > 1) {
            QThread::msleep(QRandomGenerator::global()->bounded(150));
            sim.clearLog();
            vl48sim::Identity next;
            next.serial = uint16_t(100 + unit);
            const auto plugged = std::chrono::steady_clock::now();
            sim.plug(next);
            if (!sim.waitForRequests(1, std::chrono::seconds(5))) {
                std::fprintf(stderr, "series: unit %d plugged in, never asked\n", unit);
                return false;
            }
            found.push_back(msBetween(plugged, sim.requests().front().at));
        }
        if (!waitUntil(
                [&] {
                    cli.waitForReadyRead(5);
                    return cli.canReadLine();
                },
                10000)) {
            std::fprintf(stderr, "series: unit %d without a result\n", unit);
            return false;
        }
        cli.readLine();
        if (unit < units) sim.unplug();
    }
    // It may have ended already, while its last line was read.
    cli.waitForFinished(10000);
    if (cli.state() != QProcess::NotRunning || cli.exitCode() != 0) {
        std::fprintf(stderr, "series: exit code %d\n", cli.exitCode());
        return false;
    }
    std::printf("vl48-cli series      %zu units plugged in while it waited\n", found.size());
    std::printf("  plug to first request, median %.1f ms, slowest %.1f ms (goal: within 200 ms)\n",
                median(found), *std::max_element(found.begin(), found.end()));
    return true;
}

// The processor time of the children waited for so far, in seconds.
double childrenCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct StationRun {
    double seconds = 0;     // the whole program, started to ended
    double cpuSeconds = 0;  // its processor time, user and system
};

// A station of `ports` paced units, `units` each: connect, upload and verify, as on a pogo
// fixture where the unit under each cable is swapped for the next as soon as its result is out.
bool runStation(const QString& file, int ports, int units, StationRun& run) {
    QTemporaryDir own;
    std::vector<std::unique_ptr<vl48sim::Simulator>> sims;
    QStringList args{"series"};
    for (int p = 0; p < ports; ++p) {
        sims.push_back(
            startPacedSimulator(own, QStringLiteral("fixture-%1").arg(p + 1), uint16_t(1000 * p)));
        args << "-p" << QString::fromStdString(sims.back()->linkPath());
    }
    args << file << "--count" << QString::number(units) << "--verify";
    const double cpuBefore = childrenCpuSeconds();
    QProcess cli;
    QElapsedTimer clock;
    clock.start();
    cli.start(QStringLiteral(VL48_CLI), args);
    int results = 0;
    while (results < ports * units && clock.elapsed() < 30000 * units) {
        if (!cli.canReadLine() && !cli.waitForReadyRead(50)) {
            if (cli.state() == QProcess::NotRunning) break;
            continue;
        }
        const QString line = QString::fromUtf8(cli.readLine()).trimmed();
        // "unit 1: VL48 ... ok" on one port, each line after its port on a station.
        int port = 0;
        for (int p = 0; p < ports && ports > 1; ++p)
            if (line.startsWith(QString::fromStdString(sims[size_t(p)]->linkPath()) + ": "))
                port = p;
        if (!line.contains(QLatin1String(": unit ")) && !line.startsWith(QLatin1String("unit ")))
            continue;
        if (!line.endsWith(QLatin1String(": ok"))) {
            std::fprintf(stderr, "station: %s\n", qPrintable(line));
            return false;
        }
        ++results;
        // The next unit under that cable: another identifier, the factory's memory.
        vl48sim::Simulator& sim = *sims[size_t(port)];
        vl48sim::Identity next = sim.identity();
        ++next.serial;
        sim.setIdentity(next);
        sim.resetMemory();
    }
    if (!cli.waitForFinished(10000) || cli.exitCode() != 0 || results != ports * units) {
        std::fprintf(stderr, "station of %d ports: exit code %d, %d results: %s\n", ports,
                     cli.exitCode(), results, cli.readAllStandardError().constData());
        return false;
    }
    run.seconds = clock.nsecsElapsed() / 1e9;
    run.cpuSeconds = childrenCpuSeconds() - cpuBefore;
    return true;
}

// Units per hour of one, two and four ports, and their ratio to one port.
bool benchStation(const QTemporaryDir& dir, int units) {
    const QString file = dir.filePath("station.vl4");
    if (!writeBenchFile(file)) return false;
    std::printf("vl48-cli station     %d units per port (connect, upload, verify), paced units\n",
                units);
    double onePort = 0;
    for (int ports : {1, 2, 4}) {
        StationRun run;
        if (!runStation(file, ports, units, run)) return false;
        const double perHour = ports * units * 3600.0 / run.seconds;
        if (ports == 1) onePort = perHour;
        std::printf(
            "  %d port%s  %6.0f units per hour (%.2f s per unit and port), %.2f times one port%s; "
            "processor %.3f s per port (%.2f %% of one core)\n",
            ports, ports == 1 ? " " : "s", perHour, run.seconds / units, perHour / onePort,
            ports == 4 ? " (goal: at least 3.8)" : "", run.cpuSeconds / ports,
            100.0 * run.cpuSeconds / ports / run.seconds);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string_view(argv[1]) == "--station") {
        QCoreApplication app(argc, argv);
        QTemporaryDir dir;
        return benchStation(dir, argc > 2 ? std::max(1, std::atoi(argv[2])) : 3) ? 0 : 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vl48::TApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const auto paced = startPacedSimulator(dir);
    vl48sim::Simulator& sim = *paced;

    vl48::TFrmMain window;
    int failures = 0;
    window.messageHook = [&failures](vl48::MsgKind, const QString& text) {
        ++failures;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    window.show();
    window.CmbBxPort->setCurrentText(QString::fromStdString(sim.linkPath()));
    window.BtnConnectClick();
    if (!window.PanelSettings->isVisibleTo(&window)) {
        std::fprintf(stderr, "connection failed\n");
        return 1;
    }

    // The bulk tab filled as a person would: every list chosen, the fields typed.
    window.PageControl1->setCurrentWidget(window.TabAdvanceFunc);
    if (window.BtnEdtConfTag != 1) window.BtnEdtConfClick();
    window.CmbInputSignal->setCurrentIndex(10);
    window.CmbOutputSignal->setCurrentIndex(1);
    window.CmbSensorErr->setCurrentIndex(2);
    window.CmbFiltration->setCurrentIndex(1);
    window.CmbCompTerm->setCurrentIndex(2);
    window.CmbOutputLimit->setCurrentIndex(1);
    window.CmbSensorWire->setCurrentIndex(1);
    window.MskEdtMinTemp->setMaskedText(QStringLiteral("-050"));
    window.MskEdtMaxTemp->setMaskedText(QStringLiteral("0450"));
    window.MskEdtSetTemp->setMaskedText(QStringLiteral("-05"));
    window.MskEdtCompRes->setMaskedText(QStringLiteral("01,50"));
    window.DtPckrConf->setDate(QDate(2017, 12, 24));
    window.EdtNoteConf->setText(QStringLiteral("Kotelna 12"));  // 10 characters

    std::vector<double> ms;
    size_t exchanges = 0;
    for (int i = 0; i < runs; ++i) {
        sim.clearLog();
        QElapsedTimer clock;
        clock.start();
        window.BtnUploadConfClick();
        ms.push_back(clock.nsecsElapsed() / 1e6);
        exchanges = writeExchanges(sim);
        if (failures || !window.PanelSettings->isVisibleTo(&window)) {
            std::fprintf(stderr, "upload failed\n");
            return 1;
        }
    }
    const double byteMs = 10 * 1000.0 / 4800.0;
    // Every write is a 7-byte request and a 7-byte reply.
    const double lineMs = exchanges * 14 * byteMs;
    const double med = median(ms);
    std::printf("uploads              %d (%zu write exchanges each)\n", runs, exchanges);
    std::printf("line time            %.1f ms (%zu x 14 bytes x 10 bits / 4800 baud)\n", lineMs,
                exchanges);
    std::printf("median upload        %.1f ms (fastest %.1f, slowest %.1f)\n", med,
                *std::min_element(ms.begin(), ms.end()), *std::max_element(ms.begin(), ms.end()));
    std::printf("ratio                %.4f (goal: at most 1.05)\n", med / lineMs);

    // Serial programming: pull the unit, plug the next, let the dialog reconnect, upload.
    window.ChckBxAutoCon->setChecked(true);
    std::vector<double> cycles;
    for (uint16_t serial = 43; serial < 46; ++serial) {
        QElapsedTimer clock;
        bool plugged = false;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            if (!plugged && window.OKBottomDlg->isVisible()) {
                plugged = true;
                vl48sim::Identity next;
                next.serial = serial;
                sim.plug(next);
                clock.start();
            }
        });
        poll.start(5);
        // Should the reconnection go wrong, the dialog is cancelled rather than left waiting.
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [&] {
            if (window.OKBottomDlg->isVisible()) window.OKBottomDlg->reject();
        });
        guard.start(8000);
        sim.unplug();
        const QString shown = QStringLiteral("%1").arg(serial, 5, 10, QChar('0'));
        if (!waitUntil(
                [&] {
                    return plugged && window.PanelSettings->isVisibleTo(&window) &&
                           !window.OKBottomDlg->isVisible() && window.LblInfoSN->text() == shown;
                },
                10000)) {
            std::fprintf(stderr, "reconnection to unit %d failed\n", serial);
            return 1;
        }
        sim.clearLog();
        window.BtnUploadConfClick();
        cycles.push_back(clock.nsecsElapsed() / 1e6);
        if (failures || writeExchanges(sim) != exchanges) {
            std::fprintf(stderr, "upload to unit %d failed\n", serial);
            return 1;
        }
    }
    for (size_t i = 0; i < cycles.size(); ++i)
        std::printf("unit %zu (serial %05zu)   %.1f ms from plug to upload done\n", i + 1,
                    size_t(43 + i), cycles[i]);
    std::printf("serial median        %.1f ms per unit\n", median(cycles));
    std::printf(
        "(each cycle includes the reconnection timer's wait of up to 1 s, the connection's "
        "500 ms note pause and the %.1f ms line time of the upload)\n",
        lineMs);
    if (!benchCli(dir, runs, byteMs)) {
        std::fprintf(stderr, "vl48-cli failed\n");
        return 1;
    }
    if (!benchRecords(runs)) return 1;
    return benchStation(dir, 3) ? 0 : 1;
}
