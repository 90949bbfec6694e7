// check-input: the transmitter's reading against a calibrator's reference at a set of points,
// each reading taken once it is stable, with the error and pass or fail.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>
#include <memory>

#include "Commands.h"
#include "Interrupt.h"
#include "Programming.h"
#include "Session.h"
#include "core/session/CalibrationSession.h"

namespace vl48cli {

namespace {

QString checkText(const vl48::InputCheckResult& check, const QString& unit) {
    QString text =
        QStringLiteral("input check (tolerance %1 %2):\n  reference    reading      error")
            .arg(check.tolerance)
            .arg(unit);
    for (const vl48::InputPoint& p : check.points)
        text += p.reading ? QStringLiteral("\n  %1 %2  %3  %4  %5")
                                .arg(p.reference, 9, 'f', 2)
                                .arg(unit, -2)
                                .arg(*p.reading, 9, 'f', 2)
                                .arg(p.error, 9, 'f', 2)
                                .arg(p.pass ? QStringLiteral("pass") : QStringLiteral("FAIL"))
                          : QStringLiteral("\n  %1 %2  %3  FAIL")
                                .arg(p.reference, 9, 'f', 2)
                                .arg(unit, -2)
                                .arg(p.fault);
    return text;
}

}  // namespace

int runCheckInput(const Invocation& call, const Output& out) {
    vl48::InputCheckSettings settings;
    settings.points = call.points;
    if (call.tolerance) settings.tolerance = *call.tolerance;
    settings.tolerancePercentOfSpan = call.toleranceSpan;
    // An unknown or overdue instrument is refused before anything is driven.
    CalibrationRecords calibration;
    if (const int exit = prepareCalibration(call, calibration)) return exit;
    vl48::RecordStore* records = calibration.store.get();
    const QString& instruments = calibration.instruments;
    Session session(call.port);
    if (const int exit = session.connect()) return exit;
    const QString identifier = records ? session.readIdentifier().value_or(QString()) : QString();
    catchInterrupt();
    const auto unitOf = [](bool ohms) { return ohms ? QStringLiteral("Ω") : QStringLiteral("°C"); };
    const vl48::InputCheckResult check = vl48::checkInput(
        session.link(), settings,
        [&](double point, bool ohms, QString& error) {
            return typedNumber(
                QStringLiteral("apply %1 %2 with the calibrator, then type the value "
                               "it shows (%2)")
                    .arg(point)
                    .arg(unitOf(ohms)),
                error);
        },
        [](int ms) { return pause(ms); });
    const QString unit = unitOf(check.ohms);
    if (!check.points.empty() || check.complete)
        out.result({{QStringLiteral("stage"), QStringLiteral("input check")},
                    {QStringLiteral("unit"), unit},
                    {QStringLiteral("tolerance"), check.tolerance},
                    {QStringLiteral("points"), vl48::inputPointsJson(check)},
                    {QStringLiteral("complete"), check.complete},
                    {QStringLiteral("pass"), check.pass}},
                   checkText(check, unit));
    if (records) {
        const vl48::Identification& id = session.identification();
        vl48::CalibrationRecord r;
        r.port = session.portName();
        r.deviceType = deviceTypeText(id);
        r.firmware = id.firmwareText.full;
        r.identifier = identifier;
        r.procedure = QStringLiteral("input check");
        r.subject = unit;
        r.reference = QStringLiteral("typed");
        r.tolerancePercent = settings.tolerancePercentOfSpan.value_or(0);
        if (!settings.tolerancePercentOfSpan) r.tolerance = check.tolerance;
        r.asFound = vl48::compactJson(vl48::inputPointsJson(check));
        if (check.complete)
            r.verdict = check.pass ? QStringLiteral("pass") : QStringLiteral("fail");
        r.problem = check.problem;
        r.operatorNote = call.note;
        r.technician = call.technician;
        r.instruments = instruments;
        if (const QString failed = records->addCalibration(r); !failed.isEmpty()) {
            say(QStringLiteral("records database: the check was not recorded: %1").arg(failed));
            if (check.complete && check.pass) return ExitUnlogged;
        }
    }
    if (!check.complete) {
        say(check.problem);
        return interrupted() ? ExitInterrupted : ExitExchange;
    }
    out.result({{QStringLiteral("verdict"), check.pass ? "pass" : "fail"},
                {QStringLiteral("exit_code"), check.pass ? ExitDone : ExitOutOfTolerance}},
               check.pass ? QStringLiteral("verdict: pass") : QStringLiteral("verdict: FAIL"));
    return check.pass ? ExitDone : ExitOutOfTolerance;
}

}  // namespace vl48cli
