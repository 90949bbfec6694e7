#include "Programming.h"

#include <QDateTime>
#include <QFileInfo>
#include <QJsonArray>

#include "Session.h"
#include "core/link/Frame.h"

namespace vl48cli {

namespace {

// The bulk tab's refusal, in English, naming the field as the command line does.
QString refusalText(const vl48::ConfigFileValues& values, const vl48::UploadRefusal& refusal) {
    const vl48::FieldDef& def = vl48::fieldDef(refusal.field);
    QString text = vl48::uploadRefusalText(1, refusal, QLatin1String(def.name));
    if (def.kind == vl48::FieldKind::List)
        text += QStringLiteral(" (line %1 holds %2; the list has the codes 0 to %3)")
                    .arg(def.line())
                    .arg(values.*def.code)
                    .arg(def.listLength - 1);
    return text;
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
        say(QStringLiteral("%1: %2").arg(
            path, load.notAConfigFile
                      ? QStringLiteral("not a configuration file")
                      : QStringLiteral("line %1: %2").arg(load.linesRead + 1).arg(load.error)));
        return false;
    }
    values = load.values;
    return true;
}

int prepareJob(Job& job, const QString& file, bool verify, const QString& logPath,
               const QString& note) {
    job.file = file;
    job.verify = verify;
    job.operatorNote = note;
    if (!loadConfiguration(file, job.values)) return ExitFile;
    if (const auto refusal = vl48::uploadRefusal(job.values)) {
        say(QStringLiteral("%1: not programmed: %2").arg(file, refusalText(job.values, *refusal)));
        return ExitFile;
    }
    job.steps = vl48::uploadSteps(job.values);
    if (!logPath.isEmpty()) {
        job.log.emplace(logPath);
        if (const QString problem = job.log->prepare(); !problem.isEmpty()) {
            say(QStringLiteral("log %1 cannot be written: %2").arg(logPath, problem));
            return ExitFile;
        }
    }
    return ExitDone;
}

int programUnit(Session& session, const Job& job, const Output& out, int unit) {
    const vl48::Identification& id = session.identification();
    vl48::Link& link = session.link();
    QString identifier;
    QString result;
    int exit = ExitDone;
    vl48::Comparison comparison;
    vl48::ProductionRecord draft;
    draft.time = QDateTime::currentDateTime();
    draft.port = session.portName();
    draft.deviceType = deviceTypeText(id);
    draft.firmware = id.firmwareText.full;
    draft.configFile = QFileInfo(job.file).fileName();
    draft.configSha256 = vl48::configSha256(job.values);
    draft.operatorNote = job.operatorNote;

    if (!id.accepted) {
        result = vl48::resultRefused();
        exit = ExitRefused;
    } else {
        // The identifier names the unit in the log; a unit without the command has none.
        // A unit pulled out meanwhile fails its first step below.
        vl48::Frame reply;
        try {
            if (link.Send(vl48::CmdSerialNumber, 0, reply))
                identifier = vl48::identifierText(vl48::replyWord(reply));
        } catch (const vl48::EComError&) {
        }
        draft.identifier = identifier;
        // The unit's line must fit before its first write: a unit programmed and not recorded
        // is what the log is there to rule out.
        if (job.log) {
            if (const QString problem = job.log->prepare(draft); !problem.isEmpty()) {
                say(QStringLiteral("log %1 cannot take the line for this unit, so it was not "
                                   "programmed: %2")
                        .arg(job.log->path(), problem));
                return ExitFile;
            }
        }
        say(QStringLiteral("programming %1 %2").arg(deviceTypeText(id), identifier));
        int acknowledged = 0;
        int failedStep = 0;
        try {
            failedStep = vl48::runUpload(
                link, job.steps, [&](const vl48::UploadStep& step) { acknowledged = step.number; });
        } catch (const vl48::EComError& e) {
            failedStep = acknowledged + 1;
            say(QStringLiteral("port: %1").arg(e.text()));
        }
        if (failedStep != 0) {
            result = vl48::resultFailedAtStep(failedStep);
            exit = ExitExchange;
        } else if (job.verify) {
            try {
                comparison = vl48::compareWithTransmitter(link, job.values);
            } catch (const vl48::EComError& e) {
                say(QStringLiteral("port: %1").arg(e.text()));
            }
            if (!comparison.complete) {
                result = vl48::resultVerifyFailed();
                exit = ExitReadBack;
            } else if (!comparison.differences.empty()) {
                result = vl48::resultVerifyMismatch(comparison.cellNames());
                exit = ExitMismatch;
            }
        }
        if (result.isEmpty()) result = vl48::resultOk();
    }

    if (job.log) {
        vl48::ProductionRecord record = draft;
        record.time = QDateTime::currentDateTime();
        record.result = result;
        if (const QString problem = job.log->append(record); !problem.isEmpty()) {
            say(QStringLiteral("log %1: the line for this unit was not written: %2")
                    .arg(job.log->path(), problem));
            if (exit == ExitDone) exit = ExitUnlogged;
        }
    }

    QJsonObject object;
    if (unit > 0) object.insert(QStringLiteral("unit"), unit);
    object.insert(QStringLiteral("port"), session.portName());
    addIdentification(object, id);
    object.insert(QStringLiteral("identifier"), identifier);
    object.insert(QStringLiteral("result"), result);
    object.insert(QStringLiteral("exit_code"), exit);
    if (!comparison.differences.empty())
        object.insert(QStringLiteral("differences"), differencesJson(comparison));
    QString text =
        (unit > 0 ? QStringLiteral("unit %1: ").arg(unit) : QString()) +
        QStringLiteral("%1 %2 %3: %4")
            .arg(deviceTypeText(id), id.firmwareText.full,
                 identifier.isEmpty() ? QStringLiteral("(no identifier)") : identifier, result);
    if (!comparison.differences.empty()) text += QLatin1Char('\n') + differencesText(comparison);
    out.result(object, text);
    return exit;
}

}  // namespace vl48cli
