// The analogue output against a reference meter: check-output reads it at a set of points and
// says whether it is within the tolerance; trim-output checks it as found, trims its zero and
// end codes, stores them and checks it as left. The meter is a SCPI multimeter on a serial port,
// or the person types each reading.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Interrupt.h"
#include "Programming.h"
#include "Session.h"
#include "core/link/ScpiMeter.h"
#include "core/session/CalibrationSession.h"
#include "core/session/Cells.h"
#include "core/session/OutputTrim.h"

namespace vl48cli {

namespace {

// A reading typed on the terminal while the output is driven.
std::optional<double> typedReading(const vl48::OutputRange& range, double target, uint16_t code,
                                   QString& error) {
    return typedNumber(QStringLiteral("the output is driven for %1 %2 (code %3); the meter reads "
                                      "(%2)")
                           .arg(target)
                           .arg(QLatin1String(range.unit))
                           .arg(code),
                       error);
}

struct Meter {
    std::unique_ptr<vl48::ScpiMeter> scpi;  // none: typed readings
    QString identity() const { return scpi ? scpi->identity() : QStringLiteral("typed"); }
};

vl48::MeterRead meterRead(Meter& meter, const vl48::OutputRange& range) {
    if (!meter.scpi)
        return [&range](double target, uint16_t code, QString& error) {
            return typedReading(range, target, code, error);
        };
    return [&meter, &range](double, uint16_t, QString& error) -> std::optional<double> {
        const vl48::ScpiMeterSettings& s = meter.scpi->settings();
        const auto value = meter.scpi->measure(
            range.kind == vl48::OutputKind::Current ? s.currentQuery : s.voltageQuery, error);
        // The meter answers in amperes; the output is told in milliamperes.
        if (value && range.kind == vl48::OutputKind::Current) return *value * 1000.0;
        return value;
    };
}

QString checkText(const char* stage, const vl48::OutputRange& range, const vl48::CheckResult& check,
                  double tolerance) {
    QString text = QStringLiteral(
                       "%1 (%2, tolerance %3 % of %4 %5):\n  target      code  reading     "
                       "error %")
                       .arg(QLatin1String(stage), QLatin1String(range.name))
                       .arg(tolerance)
                       .arg(range.fullScale)
                       .arg(QLatin1String(range.unit));
    for (const vl48::CheckPoint& p : check.points)
        text += QStringLiteral("\n  %1 %2  %3  %4  %5  %6")
                    .arg(p.target, 6, 'f', 3)
                    .arg(QLatin1String(range.unit), -2)
                    .arg(p.code, 5)
                    .arg(p.reading, 9, 'f', 4)
                    .arg(p.errorPercent, 8, 'f', 4)
                    .arg(p.pass ? QStringLiteral("pass") : QStringLiteral("FAIL"));
    if (!check.complete && !check.problem.isEmpty())
        text += QStringLiteral("\n  not finished: ") + check.problem;
    return text;
}

void reportCheck(const char* stage, const vl48::OutputRange& range, const vl48::CheckResult& check,
                 double tolerance, const Output& out) {
    if (check.points.empty() && check.complete) return;
    out.result({{QStringLiteral("stage"), QLatin1String(stage)},
                {QStringLiteral("output"), QLatin1String(range.name)},
                {QStringLiteral("tolerance_percent"), tolerance},
                {QStringLiteral("points"), vl48::outputPointsJson(check)},
                {QStringLiteral("complete"), check.complete},
                {QStringLiteral("pass"), check.pass}},
               checkText(stage, range, check, tolerance));
}

void reportTrim(const vl48::OutputCalibration& c, const Output& out) {
    const vl48::TrimResult& t = c.trim;
    out.result(
        {{QStringLiteral("stage"), QStringLiteral("trim")},
         {QStringLiteral("zero_before"), c.codesBefore[0]},
         {QStringLiteral("end_before"), c.codesBefore[1]},
         {QStringLiteral("zero"), t.zero},
         {QStringLiteral("end"), t.end},
         {QStringLiteral("rounds"), int(t.rounds.size())},
         {QStringLiteral("within_target"), t.withinTarget}},
        QStringLiteral("trim: zero %1 -> %2, end %3 -> %4 (%5 round(s)%6)")
            .arg(c.codesBefore[0])
            .arg(t.zero)
            .arg(c.codesBefore[1])
            .arg(t.end)
            .arg(t.rounds.size())
            .arg(t.withinTarget ? QString() : QStringLiteral(", the codes stopped changing")));
}

QString codesJson(const std::array<uint16_t, 2>& codes) {
    return QString::fromUtf8(QJsonDocument(QJsonObject{{QStringLiteral("zero"), codes[0]},
                                                       {QStringLiteral("end"), codes[1]}})
                                 .toJson(QJsonDocument::Compact));
}

// The calibration record of a check or a trim, when a records database is in use. False when it
// could not be written (said).
bool recordCalibration(vl48::RecordStore* store, const Session& session, const QString& identifier,
                       const Meter& meter, const vl48::OutputCalibration& c, bool trim,
                       const QString& note, const QString& instruments, const QString& technician) {
    if (!store) return true;
    const vl48::Identification& id = session.identification();
    vl48::CalibrationRecord r;
    r.port = session.portName();
    r.deviceType = deviceTypeText(id);
    r.firmware = id.firmwareText.full;
    r.identifier = identifier;
    r.procedure = trim ? QStringLiteral("output trim") : QStringLiteral("output check");
    r.subject = QLatin1String(vl48::outputRange(c.kind).name);
    r.reference = meter.identity();
    r.tolerancePercent = c.tolerancePercent;
    r.asFound = vl48::compactJson(vl48::outputPointsJson(c.asFound));
    r.asLeft = vl48::compactJson(vl48::outputPointsJson(c.asLeft));
    r.codesBefore = codesJson(c.codesBefore);
    r.codesAfter = codesJson(c.codesAfter);
    const bool finished = trim ? c.problem.isEmpty() : c.asFound.complete;
    if (finished)
        r.verdict =
            (trim ? c.pass : c.asFound.pass) ? QStringLiteral("pass") : QStringLiteral("fail");
    r.problem = c.problem;
    r.operatorNote = note;
    r.technician = technician;
    r.instruments = instruments;
    if (const QString problem = store->addCalibration(r); !problem.isEmpty()) {
        say(QStringLiteral("records database: the calibration was not recorded: %1").arg(problem));
        return false;
    }
    return true;
}

// The settings from the command line; empty, or what is wrong with them.
QString settingsFrom(const Invocation& call, vl48::OutputKind& kind,
                     vl48::OutputSettings& settings) {
    if (call.outputKind == QLatin1String("current"))
        kind = vl48::OutputKind::Current;
    else if (call.outputKind == QLatin1String("voltage"))
        kind = vl48::OutputKind::Voltage;
    else
        return QStringLiteral("--output wants current or voltage");
    if (call.tolerance) settings.tolerancePercent = *call.tolerance;
    if (call.settleMs) settings.settleMs = *call.settleMs;
    settings.points = call.points;
    return {};
}

int runOutput(const Invocation& call, const Output& out, bool trim) {
    vl48::OutputKind kind = vl48::OutputKind::Current;
    vl48::OutputSettings settings;
    if (const QString problem = settingsFrom(call, kind, settings); !problem.isEmpty()) {
        say(problem);
        return ExitUsage;
    }
    const vl48::OutputRange& range = vl48::outputRange(kind);
    Meter meter;
    if (!call.meter.isEmpty()) {
        vl48::ScpiMeterSettings m;
        m.port = call.meter;
        if (call.meterBaud > 0) m.baud = call.meterBaud;
        if (!call.meterQuery.isEmpty())
            (kind == vl48::OutputKind::Current ? m.currentQuery : m.voltageQuery) = call.meterQuery;
        meter.scpi = std::make_unique<vl48::ScpiMeter>(m);
        if (const QString problem = meter.scpi->open(); !problem.isEmpty()) {
            say(problem);
            return ExitNoAnswer;
        }
        say(QStringLiteral("meter: %1").arg(meter.identity()));
    }
    // The records database and the instruments before anything is driven: a calibration that
    // cannot be recorded, or with an instrument overdue, is better not begun.
    CalibrationRecords calibration;
    if (const int exit = prepareCalibration(call, calibration)) return exit;
    vl48::RecordStore* records = calibration.store.get();
    const QString& instruments = calibration.instruments;
    Session session(call.port);
    if (const int exit = session.connect()) return exit;
    // The unit the record names.
    const QString identifier = records ? session.readIdentifier().value_or(QString()) : QString();
    catchInterrupt();
    const vl48::MeterRead read = meterRead(meter, range);
    const vl48::SettleWait wait = [](int ms) { return pause(ms); };
    if (!trim) {
        const std::optional<uint16_t> zero = vl48::readCell(session.link(), range.zeroCell);
        const std::optional<uint16_t> end =
            zero ? vl48::readCell(session.link(), range.endCell) : std::nullopt;
        if (!end) {
            say(QStringLiteral("the output's codes could not be read"));
            return ExitExchange;
        }
        vl48::OutputCalibration c;
        c.kind = kind;
        c.tolerancePercent = settings.tolerancePercent;
        c.codesBefore = c.codesAfter = {*zero, *end};
        c.asFound = vl48::checkOutput(session.link(), kind, *zero, *end, settings, read, wait);
        c.problem = c.asFound.problem;
        const vl48::CheckResult& check = c.asFound;
        reportCheck("check", range, check, settings.tolerancePercent, out);
        const bool recorded = recordCalibration(records, session, identifier, meter, c, false,
                                                call.note, instruments, call.technician);
        if (!check.complete) {
            say(check.problem);
            return interrupted() ? ExitInterrupted : ExitExchange;
        }
        if (!recorded) return ExitUnlogged;
        out.result({{QStringLiteral("verdict"), check.pass ? "pass" : "fail"},
                    {QStringLiteral("exit_code"), check.pass ? ExitDone : ExitOutOfTolerance}},
                   check.pass ? QStringLiteral("verdict: pass") : QStringLiteral("verdict: FAIL"));
        return check.pass ? ExitDone : ExitOutOfTolerance;
    }
    const vl48::TrimPanel panel = call.panel == QLatin1String("correction")
                                      ? vl48::TrimPanel::Correction
                                      : vl48::TrimPanel::Service;
    int told = 0;
    const vl48::OutputCalibration c = vl48::calibrateOutput(
        session.link(), kind, panel, settings, read, wait, [&](const vl48::OutputCalibration& now) {
            // Each table once, as soon as it is done.
            if (told == 0)
                reportCheck("as found", range, now.asFound, settings.tolerancePercent, out);
            if (told == 1 && now.trim.done) reportTrim(now, out);
            if (told == 2)
                reportCheck("as left", range, now.asLeft, settings.tolerancePercent, out);
            ++told;
        });
    const bool recorded = recordCalibration(records, session, identifier, meter, c, true, call.note,
                                            instruments, call.technician);
    if (!c.problem.isEmpty()) {
        say(c.stored ? QStringLiteral("codes stored, but the as-left check did not finish: %1")
                           .arg(c.problem)
                     : QStringLiteral("nothing stored: %1").arg(c.problem));
        if (interrupted()) return ExitInterrupted;
        return c.asFound.complete && c.trim.done && !c.stored ? ExitFile : ExitExchange;
    }
    const int exit = !c.pass ? ExitOutOfTolerance : recorded ? ExitDone : ExitUnlogged;
    out.result({{QStringLiteral("verdict"), c.pass ? "pass" : "fail"},
                {QStringLiteral("exit_code"), exit}},
               c.pass ? QStringLiteral("verdict: pass") : QStringLiteral("verdict: FAIL"));
    return exit;
}

}  // namespace

int runCheckOutput(const Invocation& call, const Output& out) {
    return runOutput(call, out, false);
}
int runTrimOutput(const Invocation& call, const Output& out) { return runOutput(call, out, true); }

}  // namespace vl48cli
