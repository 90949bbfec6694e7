// A series: one unit after another on the same port, each programmed once as it is plugged in.
// A unit that fails is logged and reported, and the series goes on with the next; the exit code
// is the first failure's, and a summary of the units ends the results.
//
// On a fixed adapter (a pogo fixture) the port stays open while the unit under it changes, so
// the unit programmed is polled for its identifier: another identifier is the next unit at once.
// Units can share an identifier (factory-fresh ones); the same identifier answering after a
// silence is the next unit only when the person says so (--new-after-silence), since a unit
// programmed twice is as wrong as one left out.
#include <QElapsedTimer>
#include <QJsonObject>
#include <optional>

#include "Commands.h"
#include "Interrupt.h"
#include "Programming.h"
#include "Session.h"
#include "Station.h"
#include "core/link/Frame.h"

namespace vl48cli {

namespace {

// How often a closed port is tried: a unit plugged in is found within this plus one probe.
constexpr int OpenPollMs = 50;
// How often a programmed unit is asked whether it is still there.
constexpr int PresencePollMs = 100;
// A unit quiet for longer than this, asked more than once, may have been swapped for one with
// the same identifier. One unanswered request never counts, whatever its time-out: a reply lost
// to noise must not make a unit be programmed twice.
constexpr qint64 SilenceMs = 1000;
// A port that cannot be opened for this long is reported: shorter is a unit being swapped or a
// USB adapter coming up, longer may be a wrong name or an adapter that is not plugged in.
constexpr qint64 OpenReportMs = 2000;
// Times in a row that identify answers while the identifier request does not: a unit without
// the command is there instead of the one programmed. Once could be a lost reply.
constexpr int AnswersWithoutIdentifier = 2;

// How long the unit programmed last has been seen away: from the first request it left
// unanswered, or the loss of the port, to the last sign of its absence.
class Absence {
public:
    Absence() { m_clock.start(); }
    qint64 now() const { return m_clock.elapsed(); }
    // A request sent at `askedAt` went unanswered.
    void missed(qint64 askedAt) {
        if (m_unanswered++ == 0 && !m_portLost) m_from = askedAt;
        m_until = now();
    }
    void portLost() {
        if (m_unanswered == 0 && !m_portLost) m_from = now();
        m_portLost = true;
        m_until = now();
    }
    // A unit answers on the port found again: whatever was there was away until now.
    void foundAgain() {
        if (m_portLost) m_until = now();
    }
    // Quiet beyond noise: longer than SilenceMs, over more than one request or a lost port.
    bool silence() const {
        return (m_portLost || m_unanswered > 1) && m_until - m_from > SilenceMs;
    }
    void clear() {
        m_unanswered = 0;
        m_portLost = false;
    }

private:
    QElapsedTimer m_clock;
    qint64 m_from = 0, m_until = 0;
    int m_unanswered = 0;
    bool m_portLost = false;
};

enum class Wait { Found, Interrupted, PortRefused };

// Until a unit answers its identification on the port. A port that will not open is said once
// after a while (per wait: once per disappearance), and the wait goes on unless waiting cannot
// help.
Wait waitForUnit(Session& session) {
    QElapsedTimer failing;
    bool told = false;
    while (!interrupted()) {
        if (!session.port().Active()) {
            OpenFailure failure = OpenFailure::None;
            if (const QString problem = session.open(&failure); !problem.isEmpty()) {
                if (failure == OpenFailure::ForGood) {
                    tell(problem);
                    return Wait::PortRefused;
                }
                if (!failing.isValid()) failing.start();
                if (!told && failing.elapsed() >= OpenReportMs) {
                    tell(failure == OpenFailure::Missing
                             ? QStringLiteral("%1 does not exist (yet); waiting for it (Ctrl+C "
                                              "stops)")
                                   .arg(session.portName())
                             : QStringLiteral("%1; trying again (Ctrl+C stops)").arg(problem));
                    told = true;
                }
                pause(OpenPollMs);
                continue;
            }
            failing.invalidate();
            told = false;
        }
        // The probe waits for a reply itself, so a silent line is asked again at once.
        if (session.probe() && session.identify()) return Wait::Found;
        pause(session.port().Active() ? 0 : OpenPollMs);
    }
    return Wait::Interrupted;
}

// One presence request; the reply's identifier for command 247, empty for identify.
std::optional<QString> ask(Session& session, uint8_t command) {
    if (command == vl48::CmdSerialNumber) return session.readIdentifier();
    try {
        if (session.port().Active() && session.link().Send(command, 0)) return QString();
    } catch (const vl48::EComError&) {
    }
    return std::nullopt;
}

enum class Seen { Change, PortLost, Interrupted };

// Polls the unit on the open port until another may be there (Change): an answer with another
// identifier, a unit answering identify but not the identifier request where the unit programmed
// had an identifier, or any answer after a silence. `identifier` is that of the unit programmed;
// empty, it has none, and identify tells only that a unit answers. `seen` is the identifier of
// what answered, when a poll told it.
Seen watchUnit(Session& session, const QString& identifier, Absence& absence,
               std::optional<QString>& seen) {
    seen.reset();
    bool askIdentify = identifier.isEmpty();
    bool polled = false;
    int withoutIdentifier = 0;
    while (pause(PresencePollMs)) {
        const uint8_t command = askIdentify ? vl48::CmdIdentify : vl48::CmdSerialNumber;
        // A late reply to the last poll is as good as this one's, or fails its echo check: no
        // need to wait it out.
        if (polled) session.link().forgetMissedReply();
        polled = true;
        const qint64 askedAt = absence.now();
        const std::optional<QString> answer = ask(session, command);
        if (!session.port().Active()) {
            session.close();
            absence.portLost();
            return Seen::PortLost;
        }
        if (!answer) {
            absence.missed(askedAt);
            // Whether a unit without the identifier request is there now.
            askIdentify = identifier.isEmpty() || command == vl48::CmdSerialNumber;
            continue;
        }
        if (command == vl48::CmdIdentify && !identifier.isEmpty()) {
            if (++withoutIdentifier >= AnswersWithoutIdentifier) {
                seen = QString();
                return Seen::Change;
            }
            askIdentify = false;
            continue;
        }
        withoutIdentifier = 0;
        if (*answer != identifier || absence.silence()) {
            if (command == vl48::CmdSerialNumber) seen = answer;
            return Seen::Change;
        }
        absence.clear();
    }
    return Seen::Interrupted;
}

// The summary that ends a series, and its exit code.
int reportSeries(const SeriesTally& tally, const Output& out) {
    const int exit = tally.exit();
    const QJsonObject summary{
        {QStringLiteral("series"), true},           {QStringLiteral("units"), tally.units},
        {QStringLiteral("ok"), tally.ok},           {QStringLiteral("failed"), tally.failed},
        {QStringLiteral("skipped"), tally.skipped}, {QStringLiteral("interrupted"), interrupted()},
        {QStringLiteral("exit_code"), exit}};
    tellResult(out, summary, QStringLiteral("series: ") + tally.text());
    return exit;
}

}  // namespace

void SeriesTally::add(int exit) {
    ++units;
    if (exit == ExitDone)
        ++ok;
    else if (exit == ExitRefused)
        ++skipped;
    else
        ++failed;
    if (firstFailure == ExitDone) firstFailure = exit;
}

int SeriesTally::exit() const {
    return firstFailure != ExitDone ? firstFailure
           : portRefused            ? int(ExitNoAnswer)
           : interrupted()          ? int(ExitInterrupted)
                                    : int(ExitDone);
}

QString SeriesTally::text() const {
    return QStringLiteral("%1 %2: %3 ok, %4 failed, %5 skipped")
        .arg(units)
        .arg(units == 1 ? QStringLiteral("unit") : QStringLiteral("units"))
        .arg(ok)
        .arg(failed)
        .arg(skipped);
}

SeriesTally seriesOn(const QString& port, const Job& job, const Output& out, int count,
                     bool newAfterSilence) {
    Session session(port);
    SeriesTally tally;
    Absence absence;
    bool toldSameUnit = false;
    // The identifier of the unit programmed last (empty: it has none); nothing before the first.
    std::optional<QString> last;
    // A unit identified on the open port, and its identifier when the poll that found it told.
    bool identified = false;
    std::optional<QString> seen;
    while (count == 0 || tally.units < count) {
        if (!identified) {
            tellProgress("waiting", tally.units + 1,
                         QStringLiteral("waiting for unit %1 on %2 (Ctrl+C stops)")
                             .arg(tally.units + 1)
                             .arg(port),
                         QStringLiteral("waiting (Ctrl+C stops)"));
            const Wait found = waitForUnit(session);
            if (found == Wait::PortRefused) tally.portRefused = true;
            if (found != Wait::Found) break;
            absence.foundAgain();
            seen.reset();
        }
        identified = false;
        // Read twice before a unit counts as having no identifier where the last one had: one
        // lost reply would make it another unit and program it a second time.
        std::optional<QString> identifier = seen ? seen : session.readIdentifier();
        if (!identifier && last && !last->isEmpty()) identifier = session.readIdentifier();
        const QString id = identifier.value_or(QString());
        if (last && id == *last && !(newAfterSilence && absence.silence())) {
            // Only ever after the unit was away: the port lost, or a silence.
            if (!toldSameUnit) {
                tell(QStringLiteral("a unit %1, like unit %2, answers again and is taken as the "
                                    "same unit, not programmed again (--new-after-silence takes "
                                    "it as the next unit after more than a second of silence)")
                         .arg(id.isEmpty() ? QStringLiteral("without identifier")
                                           : QStringLiteral("with identifier %1").arg(id))
                         .arg(tally.units));
                toldSameUnit = true;
            }
        } else {
            int exit = ExitDone;
            {
                const UnitInProgress unit;
                // A Ctrl+C that came while the unit was being identified stops before any write.
                if (interrupted()) break;
                exit = programUnit(session, job, out, tally.units + 1);
            }
            tally.add(exit);
            unitEnded(exit);
            last = id;
            // Nothing further could be recorded: programming on would leave units unlogged.
            if (job.logFailed) break;
            if (interrupted() || tally.units == count) break;
            tellProgress("done", tally.units,
                         QStringLiteral("unplug unit %1 or put in the next one").arg(tally.units),
                         QStringLiteral("done; unplug it or put in the next one"));
        }
        absence.clear();
        const Seen change = watchUnit(session, id, absence, seen);
        if (change == Seen::Interrupted) break;
        if (change == Seen::Change) {
            identified = session.identify();
            if (!identified) seen.reset();
        }
    }
    session.close();
    if (interrupted()) tell(QStringLiteral("stopped after %1 unit(s)").arg(tally.units));
    return tally;
}

int runSeries(const Invocation& call, const Output& out) {
    Job job;
    if (const int exit = prepareJob(job, call.file, call.verify, call.log, call.db, call.note))
        return exit;
    catchInterrupt();
    const SeriesTally tally = seriesOn(call.port, job, out, call.count, call.newAfterSilence);
    return reportSeries(tally, out);
}

}  // namespace vl48cli
