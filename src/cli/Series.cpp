// A series: one unit after another on the same port, each programmed once as it is plugged in.
// A unit that fails is logged and reported, and the series goes on with the next; the exit code
// is the first failure's.
#include "Commands.h"
#include "Interrupt.h"
#include "Programming.h"
#include "Session.h"

namespace vl48cli {

namespace {

// How often a closed port is tried: a unit plugged in is found within this plus one probe.
constexpr int OpenPollMs = 50;
// How often a programmed unit is asked whether it is still there.
constexpr int PresencePollMs = 100;
// Failed answers in a row that mean the unit is gone; one could be noise on the line, and taking
// the same unit for the next would program it twice.
constexpr int SilentAnswersGone = 2;

enum class Wait { Found, Interrupted, PortRefused };

// Until a unit answers its identification on the port.
Wait waitForUnit(Session& session) {
    while (!interrupted()) {
        if (!session.port().Active()) {
            bool forGood = false;
            if (const QString problem = session.open(&forGood); !problem.isEmpty()) {
                if (forGood) {
                    say(problem);
                    return Wait::PortRefused;
                }
                pause(OpenPollMs);
                continue;
            }
        }
        // The probe waits for a reply itself, so a silent line is asked again at once.
        if (session.probe() && session.identify()) return Wait::Found;
        pause(session.port().Active() ? 0 : OpenPollMs);
    }
    return Wait::Interrupted;
}

// Until the unit is gone: the port reports the device lost, or it stops answering. False on
// Ctrl+C.
bool waitForUnplug(Session& session) {
    int silent = 0;
    while (pause(PresencePollMs)) {
        bool answered = false;
        try {
            answered = session.port().Active() && session.link().Send(vl48::CmdIdentify, 0);
        } catch (const vl48::EComError&) {
        }
        silent = answered ? 0 : silent + 1;
        if (!session.port().Active() || silent >= SilentAnswersGone) {
            session.close();
            return true;
        }
    }
    return false;
}

}  // namespace

int runSeries(const Invocation& call, const Output& out) {
    Job job;
    if (const int exit = prepareJob(job, call.file, call.verify, call.log, call.note)) return exit;
    catchInterrupt();
    Session session(call.port);
    int firstFailure = ExitDone;
    int units = 0;
    while (call.count == 0 || units < call.count) {
        say(QStringLiteral("waiting for unit %1 on %2 (Ctrl+C stops)")
                .arg(units + 1)
                .arg(call.port));
        const Wait found = waitForUnit(session);
        if (found == Wait::PortRefused) return firstFailure ? firstFailure : ExitNoAnswer;
        if (found == Wait::Interrupted) break;
        int exit = ExitDone;
        {
            const UnitUnderWay unit;
            // A Ctrl+C that came while the unit was being identified stops before any write.
            if (interrupted()) break;
            exit = programUnit(session, job, out, ++units);
        }
        if (firstFailure == ExitDone) firstFailure = exit;
        if (interrupted() || units == call.count) break;
        say(QStringLiteral("unplug unit %1").arg(units));
        if (!waitForUnplug(session)) break;
    }
    session.close();
    if (interrupted()) say(QStringLiteral("stopped after %1 unit(s)").arg(units));
    return firstFailure;
}

}  // namespace vl48cli
