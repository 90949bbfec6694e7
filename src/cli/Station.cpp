#include "Station.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "Interrupt.h"
#include "Programming.h"

namespace vl48cli {

namespace {

// The port a station's worker thread programs on, for what it says. None outside a station.
struct PortVoice {
    QString port;
    int slot = 0;  // its place among the station's ports
    int unit = 0;  // the unit under way (or last) in its series
    bool json = false;
};
thread_local PortVoice* voice = nullptr;

// Writes one line whole: lines of several threads never mix, and a reader sees each at once.
void writeWhole(FILE* stream, const QByteArray& line) {
    flockfile(stream);
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
    funlockfile(stream);
}

// ---------------------------------------------------------------------------------------------
// Units under way, for the signal handler: which units a Ctrl+C lets finish, and which a second
// one abandons. The handler may only read what is ready: each port's text is written before its
// flag is raised.

struct UnitSlot {
    std::atomic<bool> busy{false};
    char text[480];
    size_t length = 0;
};
UnitSlot unitSlots[StationMaxPorts];

std::mutex underWayMutex;
int underWay = 0;
std::optional<UnitUnderWay> underWayMark;

struct sigaction interruptAction {};
volatile sig_atomic_t stopRequests = 0;

void writeRaw(const char* text, size_t length) {
    [[maybe_unused]] const ssize_t n = ::write(STDERR_FILENO, text, length);
}

// The units under way after `intro`, one line; false when there are none.
bool listUnits(const char* intro) {
    bool any = false;
    for (UnitSlot& slot : unitSlots) {
        if (!slot.busy.load(std::memory_order_acquire)) continue;
        if (!any)
            writeRaw(intro, std::strlen(intro));
        else
            writeRaw("; ", 2);
        writeRaw(slot.text, slot.length);
        any = true;
    }
    if (any) writeRaw("\n", 1);
    return any;
}

// Around the handler of Interrupt.cpp, which counts the requests alike: the first lets the units
// finish, the second ends the program (and does not return).
extern "C" void onStationInterrupt(int signal) {
    stopRequests = stopRequests + 1;
    if (stopRequests == 1) {
        interruptAction.sa_handler(signal);
        listUnits("vl48-cli: finished first: ");
        return;
    }
    listUnits("\nvl48-cli: abandoned half-written, without a log line: ");
    interruptAction.sa_handler(signal);
}

void catchStationInterrupt() {
    catchInterrupt();
    sigaction(SIGINT, nullptr, &interruptAction);
    struct sigaction action = interruptAction;
    action.sa_handler = onStationInterrupt;
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
}

// ---------------------------------------------------------------------------------------------

// The station's first unit that was not programmed, on whichever port.
std::atomic<int> firstFailure{ExitDone};

// One port of the station and how its series went.
struct PortRun {
    QString port;
    int slot = 0;
    SeriesTally tally;
    int exit = ExitDone;
};

// The job of one port, with its own records connection: Qt SQL's connections belong to the
// thread that made them. The rest is the station's job, already checked.
int portJob(const Job& station, const std::optional<vl48::DatabaseAddress>& address, Job& job) {
    job.file = station.file;
    job.values = station.values;
    job.steps = station.steps;
    job.verify = station.verify;
    job.log = station.log;
    job.operatorNote = station.operatorNote;
    if (!address) return ExitDone;
    QString problem;
    job.records = vl48::RecordStore::open(*address, problem);
    if (job.records) return ExitDone;
    tell(QStringLiteral("records database cannot be written: %1").arg(problem));
    return ExitFile;
}

void runPort(PortRun& run, const Job& station, const std::optional<vl48::DatabaseAddress>& address,
             const Invocation& call, bool json) {
    PortVoice own{run.port, run.slot, 1, json};
    voice = &own;
    const Output out(json);
    Job job;
    if (const int exit = portJob(station, address, job)) {
        run.exit = exit;
        unitEnded(exit);
    } else {
        run.tally = seriesOn(run.port, job, out, call.count, call.newAfterSilence);
        run.exit = run.tally.exit();
        const QJsonObject summary{{QStringLiteral("series"), true},
                                  {QStringLiteral("port"), run.port},
                                  {QStringLiteral("units"), run.tally.units},
                                  {QStringLiteral("ok"), run.tally.ok},
                                  {QStringLiteral("failed"), run.tally.failed},
                                  {QStringLiteral("skipped"), run.tally.skipped},
                                  {QStringLiteral("interrupted"), interrupted()},
                                  {QStringLiteral("port_exit_code"), run.exit}};
        tellResult(out, summary, QStringLiteral("series: ") + run.tally.text());
    }
    voice = nullptr;
}

}  // namespace

void tell(const QString& text) {
    if (!voice) return say(text);
    writeWhole(stderr, QStringLiteral("vl48-cli: %1: unit %2: %3")
                           .arg(voice->port)
                           .arg(voice->unit)
                           .arg(text)
                           .toUtf8());
}

void tellResult(const Output& out, const QJsonObject& object, const QString& text) {
    if (!voice) return out.result(object, text);
    QJsonObject withPort = object;
    withPort.insert(QStringLiteral("port"), voice->port);
    if (!withPort.contains(QStringLiteral("event")))
        withPort.insert(QStringLiteral("event"), withPort.contains(QStringLiteral("series"))
                                                     ? QStringLiteral("series")
                                                     : QStringLiteral("result"));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines) line.prepend(voice->port + QStringLiteral(": "));
    flockfile(stdout);
    out.result(withPort, lines.join(QLatin1Char('\n')));
    funlockfile(stdout);
}

void tellProgress(const char* state, int unit, const QString& single, const QString& station) {
    if (!voice) return say(single);
    voice->unit = unit;
    tell(station);
    if (voice->json)
        writeWhole(stdout,
                   QJsonDocument(QJsonObject{{QStringLiteral("event"), QLatin1String(state)},
                                             {QStringLiteral("port"), voice->port},
                                             {QStringLiteral("unit"), unit}})
                       .toJson(QJsonDocument::Compact));
}

void unitEnded(int exit) {
    if (!voice || exit == ExitDone) return;
    int none = ExitDone;
    firstFailure.compare_exchange_strong(none, exit);
}

UnitInProgress::UnitInProgress() {
    if (voice) {
        UnitSlot& slot = unitSlots[voice->slot];
        const QByteArray text =
            QStringLiteral("unit %1 on %2").arg(voice->unit).arg(voice->port).toUtf8();
        slot.length = std::min(size_t(text.size()), sizeof slot.text);
        std::memcpy(slot.text, text.constData(), slot.length);
        slot.busy.store(true, std::memory_order_release);
    }
    const std::lock_guard lock(underWayMutex);
    if (underWay++ == 0) underWayMark.emplace();
}

UnitInProgress::~UnitInProgress() {
    if (voice) unitSlots[voice->slot].busy.store(false, std::memory_order_release);
    const std::lock_guard lock(underWayMutex);
    if (--underWay == 0) underWayMark.reset();
}

int runStation(const QStringList& ports, const Invocation& call, const Output& out) {
    if (ports.size() > StationMaxPorts) {
        say(QStringLiteral("at most %1 ports at once; see vl48-cli series --help")
                .arg(StationMaxPorts));
        return ExitUsage;
    }
    if (QStringList unique = ports; unique.removeDuplicates() > 0) {
        say(QStringLiteral("a port given twice; see vl48-cli series --help"));
        return ExitUsage;
    }
    // Everything that can be refused is refused once, before any port is opened.
    Job station;
    if (const int exit = prepareJob(station, call.file, call.verify, call.log, call.db, call.note))
        return exit;
    QString problem;
    const std::optional<vl48::DatabaseAddress> address = databaseOf(call.db, false, problem);
    station.records.reset();
    catchStationInterrupt();

    // The workers leave the signals to this thread, which only waits for them.
    sigset_t handled, before;
    sigemptyset(&handled);
    for (int signal : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&handled, signal);
    pthread_sigmask(SIG_BLOCK, &handled, &before);
    std::vector<PortRun> runs(size_t(ports.size()));
    std::vector<std::unique_ptr<QThread>> workers;
    for (qsizetype i = 0; i < ports.size(); ++i) {
        PortRun& run = runs[size_t(i)];
        run.port = ports[i];
        run.slot = int(i);
        workers.emplace_back(QThread::create([&run, &station, &address, &call, &out] {
            runPort(run, station, address, call, out.json());
        }));
        workers.back()->start();
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    for (const auto& worker : workers) worker->wait();

    SeriesTally all;
    for (const PortRun& run : runs) {
        all.units += run.tally.units;
        all.ok += run.tally.ok;
        all.failed += run.tally.failed;
        all.skipped += run.tally.skipped;
        all.portRefused = all.portRefused || run.tally.portRefused;
    }
    all.firstFailure = firstFailure.load();
    const int exit = all.exit();
    const QJsonObject summary{{QStringLiteral("station"), true},
                              {QStringLiteral("ports"), int(ports.size())},
                              {QStringLiteral("units"), all.units},
                              {QStringLiteral("ok"), all.ok},
                              {QStringLiteral("failed"), all.failed},
                              {QStringLiteral("skipped"), all.skipped},
                              {QStringLiteral("interrupted"), interrupted()},
                              {QStringLiteral("exit_code"), exit}};
    out.result(summary, QStringLiteral("station: %1 ports, ").arg(ports.size()) + all.text());
    return exit;
}

}  // namespace vl48cli
