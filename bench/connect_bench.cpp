// Time from pressing "Navázat spojení" to the settings view, against the simulator paced at
// 4800 baud, beside the time the line itself takes for the same frames and the note pause.
#include <QComboBox>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "PacedSimulator.h"
#include "Simulator.h"
#include "window/Application.h"
#include "window/FrmMain.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vl48::TApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;

    QTemporaryDir dir;
    const auto paced = startPacedSimulator(dir);
    vl48sim::Simulator& sim = *paced;
    const int noteLength = sim.cell(88);

    vl48::TFrmMain window;
    window.messageHook = [](vl48::MsgKind, const QString& text) {
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    std::vector<double> ms;
    size_t frames = 0;
    for (int i = 0; i < runs; ++i) {
        window.CmbBxPort->setCurrentText(QString::fromStdString(sim.linkPath()));
        sim.clearLog();
        QElapsedTimer clock;
        clock.start();
        window.BtnConnectClick();
        ms.push_back(clock.nsecsElapsed() / 1e6);
        if (!window.PanelSettings->isVisibleTo(&window)) {
            std::fprintf(stderr, "connection failed\n");
            return 1;
        }
        frames = sim.requests().size();
        window.ShowConnect();
    }
    std::sort(ms.begin(), ms.end());
    const double byteMs = 10 * 1000.0 / 4800.0;
    // What takes line time on the paced simulator: every request and every 7-byte reply, seven
    // byte times each. The note read is the tool's pause: the request and the note's raw bytes
    // travel during it (counted only should they take longer).
    const double noteMs = std::max(500.0, (7 + noteLength) * byteMs);
    const double lineMs = (frames - 1) * 14 * byteMs + noteMs;
    const double median = ms[ms.size() / 2];
    std::printf("connects             %d (%zu requests each)\n", runs, frames);
    std::printf("line time + pause    %.1f ms\n", lineMs);
    std::printf("median connect       %.1f ms (fastest %.1f, slowest %.1f)\n", median, ms.front(),
                ms.back());
    std::printf("ratio                %.4f (goal: at most 1.02)\n", median / lineMs);
    return 0;
}
