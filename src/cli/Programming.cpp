#include "Programming.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>

#include "Session.h"
#include "Station.h"
#include "core/link/Frame.h"

namespace vl48cli {

namespace {

// The bulk tab's refusal as its English message says it, naming the field as the command line
// does, and what the file holds.
QString refusalText(const vl48::ConfigFileValues& values, const vl48::UploadRefusal& refusal) {
    const vl48::FieldDef& def = vl48::fieldDef(refusal.field);
    if (refusal.reason == vl48::UploadRefusal::Reason::EarlyDate)
        return QStringLiteral(
            "Configuration not transferred: the date of setting is before 1 "
            "January 2000.");
    QString text = QStringLiteral(
                       "Configuration not transferred: no value is selected from the "
                       "list for “%1”.")
                       .arg(QLatin1String(def.name));
    if (def.kind == vl48::FieldKind::List)
        text += QStringLiteral(" (line %1 holds %2; the list has the codes 0 to %3)")
                    .arg(def.line())
                    .arg(values.*def.code)
                    .arg(def.listLength - 1);
    return text;
}

// Records waiting on this bench for their server: said when it begins and when it ends.
void sayWaiting(const Job& job) {
    const QString problem = job.records->serverProblem();
    if (problem == job.toldWaiting) return;
    job.toldWaiting = problem;
    tell(problem.isEmpty()
             ? QStringLiteral("records: the server takes the records again; none wait on this "
                              "bench")
             : QStringLiteral("records are kept on this bench until the server can be reached "
                              "(vl48-cli records --pending lists them): %1")
                   .arg(problem));
}

}  // namespace

QJsonValue fieldJson(const vl48::FieldDef& def, const QString& text) {
    switch (def.kind) {
        case vl48::FieldKind::List:
            return text.toInt();
        case vl48::FieldKind::Number:
            return decimalValue(vl48::fieldNumber(def, text), def.decimals);
        case vl48::FieldKind::Date:
            // A transmitter's date that is no calendar date stays as it was read.
            if (const QDate date = vl48::configDateFromText(text); date.isValid())
                return date.toString(Qt::ISODate);
            break;
        case vl48::FieldKind::Note:
            break;
    }
    return text;
}

QString differencesText(const vl48::Comparison& comparison) {
    QStringList lines;
    for (const vl48::Difference& d : comparison.differences)
        lines << QStringLiteral("  %1: file %2, transmitter %3")
                     .arg(QLatin1String(vl48::fieldName(d.field)), d.wanted, d.found);
    return lines.join(QLatin1Char('\n'));
}

QJsonArray differencesJson(const vl48::Comparison& comparison) {
    QJsonArray list;
    for (const vl48::Difference& d : comparison.differences) {
        QJsonArray cells;
        for (vl48::Cell cell : d.cells)
            cells.append(QString::fromLatin1(vl48::cellInfo(cell).name));
        const vl48::FieldDef& def = vl48::fieldDef(d.field);
        list.append(QJsonObject{{QStringLiteral("field"), QLatin1String(def.name)},
                                {QStringLiteral("cells"), cells},
                                {QStringLiteral("file"), fieldJson(def, d.wanted)},
                                {QStringLiteral("transmitter"), fieldJson(def, d.found)}});
    }
    return list;
}

bool loadConfiguration(const QString& path, vl48::ConfigFileValues& values) {
    const vl48::ConfigFileLoad load = vl48::loadConfigFile(path);
    if (load.notAConfigFile || load.linesRead < vl48::ConfigFileLines) {
        tell(QStringLiteral("%1: %2").arg(
            path, load.notAConfigFile
                      ? QStringLiteral("not a configuration file")
                      : QStringLiteral("line %1: %2").arg(load.linesRead + 1).arg(load.error)));
        return false;
    }
    values = load.values;
    return true;
}

std::optional<vl48::DatabaseAddress> databaseOf(const std::optional<QString>& db, bool fallback,
                                                QString& error) {
    QString text = db.value_or(qEnvironmentVariable("VL48_DB"));
    if (!db && text.isEmpty() && !fallback) return std::nullopt;
    if (text.isEmpty()) return vl48::DatabaseAddress::defaultSQLite();
    auto address = vl48::DatabaseAddress::parse(text, &error);
    if (!address) error = QStringLiteral("database %1: %2").arg(text, error);
    return address;
}

int prepareJob(Job& job, const QString& file, bool verify, const QString& logPath,
               const std::optional<QString>& db, const QString& note) {
    job.file = file;
    job.verify = verify;
    job.operatorNote = note;
    if (!loadConfiguration(file, job.values)) return ExitFile;
    if (const auto refusal = vl48::uploadRefusal(job.values)) {
        tell(QStringLiteral("%1: not programmed: %2").arg(file, refusalText(job.values, *refusal)));
        return ExitFile;
    }
    job.steps = vl48::uploadSteps(job.values);
    if (!logPath.isEmpty()) {
        job.log.emplace(logPath);
        if (const QString problem = job.log->prepare(); !problem.isEmpty()) {
            tell(QStringLiteral("log %1 cannot be written: %2").arg(logPath, problem));
            return ExitFile;
        }
    }
    QString problem;
    const std::optional<vl48::DatabaseAddress> address = databaseOf(db, false, problem);
    if (!problem.isEmpty()) {
        tell(problem);
        return ExitFile;
    }
    if (address) {
        job.records = vl48::RecordStore::open(*address, problem);
        if (!job.records) {
            tell(QStringLiteral("records database cannot be written: %1").arg(problem));
            return ExitFile;
        }
        if (!job.records->serverProblem().isEmpty()) sayWaiting(job);
    }
    return ExitDone;
}

namespace {

// The log's line for the unit on the session's port, all but its identifier and result.
vl48::ProductionRecord draftRecord(const Session& session, const Job& job) {
    const vl48::Identification& id = session.identification();
    vl48::ProductionRecord draft;
    draft.time = QDateTime::currentDateTime();
    draft.port = session.portName();
    draft.deviceType = deviceTypeText(id);
    draft.firmware = id.firmwareText.full;
    draft.configFile = QFileInfo(job.file).fileName();
    draft.configSha256 = vl48::configSha256(job.values);
    draft.operatorNote = job.operatorNote;
    return draft;
}

struct UnitOutcome {
    QString result;
    int exit = ExitDone;
    vl48::Comparison comparison;
    int failedStep = 0;
};

// The upload's steps, and with --verify the read-back. A device lost meanwhile fails the step
// under way, or the read-back.
UnitOutcome programAndVerify(vl48::Link& link, const Job& job) {
    UnitOutcome outcome;
    int acknowledged = 0;
    int failedStep = 0;
    try {
        failedStep = vl48::runUpload(
            link, job.steps, [&](const vl48::UploadStep& step) { acknowledged = step.number; });
    } catch (const vl48::EComError& e) {
        failedStep = acknowledged + 1;
        tell(QStringLiteral("port: %1").arg(e.text()));
    }
    if (failedStep != 0)
        return {vl48::resultFailedAtStep(failedStep), ExitExchange, {}, failedStep};
    if (job.verify) {
        try {
            outcome.comparison = vl48::compareWithTransmitter(link, job.values);
        } catch (const vl48::EComError& e) {
            tell(QStringLiteral("port: %1").arg(e.text()));
        }
        if (!outcome.comparison.complete) {
            outcome.result = vl48::resultVerifyFailed();
            outcome.exit = ExitReadBack;
            return outcome;
        }
        if (!outcome.comparison.differences.empty()) {
            outcome.result = vl48::resultVerifyMismatch(outcome.comparison.cellNames());
            outcome.exit = ExitMismatch;
            return outcome;
        }
    }
    outcome.result = vl48::resultOk();
    return outcome;
}

// The unit's result line, or object with --json.
void reportUnit(const Session& session, const QString& identifier, const UnitOutcome& outcome,
                const Output& out, int unit) {
    const vl48::Identification& id = session.identification();
    QJsonObject object;
    if (unit > 0) object.insert(QStringLiteral("unit"), unit);
    object.insert(QStringLiteral("port"), session.portName());
    addIdentification(object, id);
    object.insert(QStringLiteral("identifier"), identifier);
    object.insert(QStringLiteral("result"), outcome.result);
    object.insert(QStringLiteral("exit_code"), outcome.exit);
    const vl48::Comparison& comparison = outcome.comparison;
    if (!comparison.differences.empty())
        object.insert(QStringLiteral("differences"), differencesJson(comparison));
    QString text = (unit > 0 ? QStringLiteral("unit %1: ").arg(unit) : QString()) +
                   QStringLiteral("%1 %2 %3: %4")
                       .arg(deviceTypeText(id), id.firmwareText.full,
                            identifier.isEmpty() ? QStringLiteral("(no identifier)") : identifier,
                            outcome.result);
    if (!comparison.differences.empty()) text += QLatin1Char('\n') + differencesText(comparison);
    tellResult(out, object, text);
}

}  // namespace

int programUnit(Session& session, const Job& job, const Output& out, int unit) {
    const vl48::Identification& id = session.identification();
    vl48::UnitRecord record;
    record.log = draftRecord(session, job);
    record.written = vl48::recordValues(job.values);
    UnitOutcome outcome;
    if (id.accepted) {
        // The identifier names the unit in the log; a unit without the command has none. A unit
        // pulled out meanwhile fails its first step.
        record.log.identifier = session.readIdentifier().value_or(QString());
    }
    // The unit's line must fit, and its record be begun, before its first write: a unit
    // programmed and not recorded is what the log and the database are there to rule out.
    if (job.log) {
        if (const QString problem = job.log->prepare(record.log); !problem.isEmpty()) {
            tell(QStringLiteral("log %1 cannot take the line for this unit, so it was not "
                                "programmed: %2")
                     .arg(job.log->path(), problem));
            job.logFailed = true;
            return ExitFile;
        }
    }
    if (job.records) {
        if (const QString problem = job.records->begin(record); !problem.isEmpty()) {
            tell(QStringLiteral("the records database cannot take the record of this unit, so it "
                                "was not programmed: %1")
                     .arg(problem));
            job.logFailed = true;
            return ExitFile;
        }
    }
    if (!id.accepted) {
        outcome = {vl48::resultRefused(), ExitRefused, {}};
    } else {
        const QString programming =
            QStringLiteral("programming %1 %2").arg(deviceTypeText(id), record.log.identifier);
        tellProgress("programming", unit, programming, programming);
        outcome = programAndVerify(session.link(), job);
    }
    record.log.result = outcome.result;
    record.failedStep = outcome.failedStep;
    if (outcome.comparison.complete) record.readBack = vl48::recordValues(outcome.comparison.found);
    if (job.log) {
        record.log.time = QDateTime::currentDateTime();
        if (const QString problem = job.log->append(record.log); !problem.isEmpty()) {
            tell(QStringLiteral("log %1: the line for this unit was not written: %2")
                     .arg(job.log->path(), problem));
            job.logFailed = true;
            if (outcome.exit == ExitDone) outcome.exit = ExitUnlogged;
        }
    }
    if (job.records) {
        if (const QString problem = job.records->complete(record); !problem.isEmpty()) {
            tell(QStringLiteral("records database: the outcome of this unit was not recorded: %1")
                     .arg(problem));
            job.logFailed = true;
            if (outcome.exit == ExitDone) outcome.exit = ExitUnlogged;
        }
        sayWaiting(job);
    }
    reportUnit(session, record.log.identifier, outcome, out, unit);
    return outcome.exit;
}

}  // namespace vl48cli
