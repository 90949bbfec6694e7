// Soak: 200 connect/disconnect cycles through the real window and 10 000 exchanges against the
// simulator (unpaced, so the run takes about two minutes, most of it the transmitter's 500 ms
// note pause at every connection), then a verdict on what the process kept. An argument sets
// another number of cycles, with 50 exchanges each.
//
// Every cycle types the simulator's port into the port box, presses "Navázat spojení" (the whole
// configuration is read, note included, into the settings view), sends 50 identification
// requests through the window's sender operation and ends the connection from the menu. Cycles
// and exchanges are interleaved evenly (200 x 50 = 10 000) so that every exchange runs on a port
// opened by a fresh connection, the way a person uses the tool. A cycle fails when the settings
// view does not appear, the connection view does not come back, the port stays open (the
// process still holds the pseudo-terminal or its lock file), or any message box would have been
// shown.
//
// Resident memory, open descriptors, threads and serial-port lock files are taken after 20
// warm-up cycles (caches, fonts and the first allocations of every code path settle there) and
// again at the end. Verdict: memory grows by at most 1 MiB, descriptors, threads and lock files
// are the same, no exchange and no cycle failed. Exit code 0 only when all of it holds.
//
// The simulator logs every request it receives; the log is cleared at every cycle, so that its
// growth is not taken for the tool's.
#include <malloc.h>
#include <unistd.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>

#include "Simulator.h"
#include "core/link/Frame.h"
#include "window/Application.h"
#include "window/FrmMain.h"

namespace {

constexpr int DefaultCycles = 200;
constexpr int WarmUpCycles = 20;
constexpr int ExchangesPerCycle = 50;
constexpr long MaxGrowthKiB = 1024;

// A "Name:   value kB" line of /proc/self/status, as a number (-1 when missing).
long statusField(const char* name) {
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly)) return -1;
    const QByteArray prefix = QByteArray(name) + ':';
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ')[0].toLong();
    }
    return -1;
}

QStringList openDescriptors() {
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

// How many of the process's descriptors lead to the given file.
int descriptorsOn(const QString& path) {
    const QString target = QFileInfo(path).canonicalFilePath();
    int n = 0;
    for (const QString& fd : openDescriptors()) {
        if (QFileInfo(QStringLiteral("/proc/self/fd/") + fd).symLinkTarget() == target) ++n;
    }
    return n;
}

// Serial-port lock files (LCK..name) wherever QSerialPort looks for them on Unix, with the usual
// UUCP places beside them. /var/lock is often a link to /run/lock: each folder is read once.
// Only the files of this process count (QLockFile writes the owner's pid on the first line):
// other programs on the machine, and stale files of killed ones, come and go on their own.
QStringList lockFiles(QStringList* others = nullptr) {
    const QStringList folders = {
        QStringLiteral("/var/lock"),
        QStringLiteral("/run/lock"),
        QStringLiteral("/var/lock/lockdev"),
        QStringLiteral("/etc/locks"),
        QStringLiteral("/var/spool/locks"),
        QStringLiteral("/var/spool/uucp"),
        QStringLiteral("/tmp"),
        QStringLiteral("/var/tmp"),
        QDir::tempPath(),
        QStandardPaths::writableLocation(QStandardPaths::TempLocation),
    };
    QSet<QString> seen;
    QStringList found;
    for (const QString& folder : folders) {
        const QString real = QFileInfo(folder).canonicalFilePath();
        if (real.isEmpty() || seen.contains(real)) continue;
        seen.insert(real);
        const QDir dir(real);
        for (const QString& name :
             dir.entryList({QStringLiteral("LCK..*")}, QDir::Files | QDir::System | QDir::Hidden)) {
            QFile file(dir.filePath(name));
            const bool ours = file.open(QIODevice::ReadOnly) &&
                              file.readLine().trimmed().toLongLong() == ::getpid();
            if (ours)
                found.append(file.fileName());
            else if (others)
                others->append(file.fileName());
        }
    }
    found.sort();
    return found;
}

struct Figures {
    long rssKiB = 0;
    long heapKiB = 0;  // malloc's bytes in use: tells a leak from pages the allocator keeps
    int fds = 0;
    long threads = 0;
    QStringList locks;
};

// What the running tool's event loop does once a handler has returned: queued reports, then
// deferred deletions. processEvents() alone leaves the latter to a loop that this program never
// runs, and they would pile up as if kept.
void returnToEventLoop() {
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

Figures takeFigures() {
    returnToEventLoop();
    Figures f;
    f.rssKiB = statusField("VmRSS");
    f.heapKiB = long(mallinfo2().uordblks / 1024);
    f.fds = int(openDescriptors().size());
    f.threads = statusField("Threads");
    f.locks = lockFiles();
    return f;
}

void printFigures(const char* when, const Figures& f) {
    std::printf("%-22s VmRSS %ld KiB (heap in use %ld KiB), %d fds, %ld threads, %lld lock files\n",
                when, f.rssKiB, f.heapKiB, f.fds, f.threads,
                static_cast<long long>(f.locks.size()));
    for (const QString& lock : f.locks) std::printf("%-22s   %s\n", "", qPrintable(lock));
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vl48::TApplication app(argc, argv);
    const int cycles = argc > 1 ? std::max(WarmUpCycles + 1, std::atoi(argv[1])) : DefaultCycles;

    QTemporaryDir dir;
    vl48sim::Options options;
    options.linkPath = dir.filePath(QStringLiteral("vl48")).toStdString();
    auto sim = std::make_unique<vl48sim::Simulator>(options);
    sim->start();
    const QString port = QString::fromStdString(sim->linkPath());
    const QString slave = QString::fromStdString(sim->slavePath());

    vl48::TFrmMain window;
    int messages = 0;
    window.messageHook = [&messages](vl48::MsgKind, const QString& text) {
        ++messages;
        std::fprintf(stderr, "message: %s\n", qPrintable(text));
    };
    app.onError = [&window](const QString& text) {
        window.showMessage(vl48::MsgKind::Error, text);
    };
    window.show();
    returnToEventLoop();

    // The simulator holds the slave side itself; whatever is above that is the tool's port.
    const int simulatorHolds = descriptorsOn(slave);

    QElapsedTimer clock;
    clock.start();
    Figures warm;
    int failedCycles = 0;
    int failedExchanges = 0;
    QStringList locksWhileOpen;
    for (int cycle = 1; cycle <= cycles; ++cycle) {
        const int messagesBefore = messages;
        QStringList faults;
        sim->clearLog();

        window.CmbBxPort->setCurrentText(port);
        window.BtnConnectClick();
        returnToEventLoop();
        const bool connected = window.PanelSettings->isVisible() && window.ComPort->Active();
        if (!connected) faults << QStringLiteral("settings view not shown");
        if (cycle == 1) locksWhileOpen = lockFiles();

        for (int i = 0; i < ExchangesPerCycle; ++i) {
            if (!connected || !window.Send(vl48::CmdIdentify, 0)) ++failedExchanges;
        }

        window.MenuCommEndClick();
        returnToEventLoop();
        if (!window.PanelConnect->isVisible() || window.PanelSettings->isVisible())
            faults << QStringLiteral("connection view not back");
        if (window.ComPort->Active() || descriptorsOn(slave) != simulatorHolds)
            faults << QStringLiteral("port still open");
        if (!lockFiles().isEmpty()) faults << QStringLiteral("lock file left behind");
        if (messages != messagesBefore) faults << QStringLiteral("message shown");

        if (!faults.isEmpty()) {
            ++failedCycles;
            std::fprintf(stderr, "cycle %d failed: %s\n", cycle, qPrintable(faults.join(", ")));
        }
        if (cycle == WarmUpCycles) warm = takeFigures();
    }
    sim->clearLog();
    const Figures end = takeFigures();
    QStringList foreignLocks;
    lockFiles(&foreignLocks);
    const double seconds = clock.elapsed() / 1000.0;

    std::printf("cycles                 %d (%d failed), %d exchanges each\n", cycles, failedCycles,
                ExchangesPerCycle);
    std::printf("exchanges              %d (%d failed)\n", cycles * ExchangesPerCycle,
                failedExchanges);
    std::printf("run time               %.1f s\n", seconds);
    std::printf("lock files while open  %lld (first cycle)%s%s\n",
                static_cast<long long>(locksWhileOpen.size()), locksWhileOpen.isEmpty() ? "" : ": ",
                qPrintable(locksWhileOpen.join(QStringLiteral(", "))));
    std::printf("other processes' locks %lld (not judged)\n",
                static_cast<long long>(foreignLocks.size()));
    printFigures("after warm-up", warm);
    printFigures("at the end", end);

    const long growth = end.rssKiB - warm.rssKiB;
    const bool memoryOk = warm.rssKiB > 0 && growth <= MaxGrowthKiB;
    const bool fdsOk = end.fds == warm.fds;
    const bool threadsOk = warm.threads > 0 && end.threads == warm.threads;
    const bool locksOk = end.locks == warm.locks;
    const auto verdict = [](bool ok) { return ok ? "ok" : "FAILED"; };
    std::printf("memory growth          %+ld KiB (at most %ld): %s\n", growth, MaxGrowthKiB,
                verdict(memoryOk));
    std::printf("descriptors            %d -> %d: %s\n", warm.fds, end.fds, verdict(fdsOk));
    std::printf("threads                %ld -> %ld: %s\n", warm.threads, end.threads,
                verdict(threadsOk));
    std::printf("lock files             %lld -> %lld: %s\n",
                static_cast<long long>(warm.locks.size()), static_cast<long long>(end.locks.size()),
                verdict(locksOk));
    std::printf("exchanges failed       %d: %s\n", failedExchanges, verdict(failedExchanges == 0));
    std::printf("cycles failed          %d: %s\n", failedCycles, verdict(failedCycles == 0));
    const bool pass =
        memoryOk && fdsOk && threadsOk && locksOk && failedExchanges == 0 && failedCycles == 0;
    std::printf("verdict                %s\n", pass ? "PASS" : "FAIL");
    return pass ? 0 : 1;
}
