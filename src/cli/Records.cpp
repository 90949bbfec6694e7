// Looking the records up: one unit's history, a selection as a table, CSV or JSON lines, and the
// records a bench keeps for a server that has not received them yet.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <cstdio>

#include "Commands.h"
#include "Programming.h"

namespace vl48cli {

namespace {

QString resultText(const vl48::UnitRecord& r) {
    return r.completed() ? r.log.result : QStringLiteral("(no outcome: the program ended)");
}

QJsonValue json(const QVariant& value) {
    return value.isNull() ? QJsonValue() : QJsonValue::fromVariant(value);
}

QJsonObject valuesJson(const vl48::ConfigRecordValues& values) {
    QJsonObject object;
    for (const vl48::FieldDef& def : vl48::ConfigFields)
        object.insert(QLatin1String(def.name), json(values[size_t(def.field)]));
    return object;
}

QJsonObject recordJson(const vl48::UnitRecord& r) {
    const auto text = [](const QString& s) { return s.isEmpty() ? QJsonValue() : QJsonValue(s); };
    return {
        {QStringLiteral("record_id"), r.id},
        {QStringLiteral("time"), timeText(r.log.time)},
        {QStringLiteral("finished"),
         r.finished.isValid() ? QJsonValue(timeText(r.finished)) : QJsonValue()},
        {QStringLiteral("bench"), r.bench},
        {QStringLiteral("program_version"), r.programVersion},
        {QStringLiteral("port"), r.log.port},
        {QStringLiteral("device_type"), r.log.deviceType},
        {QStringLiteral("firmware"), r.log.firmware},
        {QStringLiteral("identifier"), r.log.identifier},
        {QStringLiteral("config_file"), r.log.configFile},
        {QStringLiteral("config_sha256"), r.log.configSha256},
        {QStringLiteral("result"), text(r.log.result)},
        {QStringLiteral("failed_step"), r.failedStep > 0 ? QJsonValue(r.failedStep) : QJsonValue()},
        {QStringLiteral("operator_note"), r.log.operatorNote},
        {QStringLiteral("written"), valuesJson(r.written)},
        {QStringLiteral("read_back"),
         r.readBack ? QJsonValue(valuesJson(*r.readBack)) : QJsonValue()}};
}

// "input type 10, range begin -50, ..., note "Kotel č. 5"".
QString valuesText(const vl48::ConfigRecordValues& values) {
    QStringList parts;
    for (const vl48::FieldDef& def : vl48::ConfigFields) {
        const QVariant& value = values[size_t(def.field)];
        QString shown = value.isNull() ? QStringLiteral("-") : value.toString();
        if (def.kind == vl48::FieldKind::Note) shown = QLatin1Char('"') + shown + QLatin1Char('"');
        parts << QStringLiteral("%1 %2").arg(QLatin1String(def.name), shown);
    }
    return parts.join(QStringLiteral(", "));
}

QString historyText(const vl48::UnitRecord& r) {
    QString text =
        QStringLiteral("%1  %2  bench %3, %4, %5 %6, %7 (sha256 %8)")
            .arg(timeText(r.log.time), resultText(r), r.bench, r.log.port, r.log.deviceType,
                 r.log.firmware, r.log.configFile, r.log.configSha256.left(12));
    text += QStringLiteral("\n  written: ") + valuesText(r.written);
    if (r.readBack) text += QStringLiteral("\n  read back: ") + valuesText(*r.readBack);
    if (!r.log.operatorNote.isEmpty())
        text += QStringLiteral("\n  operator's note: ") + r.log.operatorNote;
    return text;
}

// One line per record, the columns as wide as their widest text.
QString tableText(const std::vector<vl48::UnitRecord>& records) {
    std::vector<QStringList> rows = {{QStringLiteral("time"), QStringLiteral("bench"),
                                      QStringLiteral("identifier"), QStringLiteral("result"),
                                      QStringLiteral("file")}};
    for (const vl48::UnitRecord& r : records)
        rows.push_back(
            {timeText(r.log.time), r.bench, r.log.identifier, resultText(r), r.log.configFile});
    std::vector<qsizetype> widths(rows.front().size(), 0);
    for (const QStringList& row : rows)
        for (qsizetype i = 0; i < row.size(); ++i)
            widths[size_t(i)] = qMax(widths[size_t(i)], row[i].size());
    QStringList lines;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype i = 0; i < row.size(); ++i)
            line += i + 1 < row.size() ? row[i].leftJustified(widths[size_t(i)] + 2) : row[i];
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

std::unique_ptr<vl48::RecordStore> openStore(const Invocation& call) {
    QString problem;
    const auto address = databaseOf(call.db, true, problem);
    if (!address) {
        say(problem);
        return nullptr;
    }
    auto store = vl48::RecordStore::open(*address, problem, vl48::RecordStore::Use::LookingUp);
    if (!store) say(QStringLiteral("records database: %1").arg(problem));
    return store;
}

void print(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

void show(const std::vector<vl48::UnitRecord>& records, const Invocation& call, const Output& out,
          bool history) {
    if (call.csv) return print(vl48::recordsCsv(records));
    if (out.json()) {
        for (const vl48::UnitRecord& r : records) out.result(recordJson(r), {});
        return;
    }
    if (history) {
        for (const vl48::UnitRecord& r : records) out.result({}, historyText(r));
        return;
    }
    if (!records.empty()) out.result({}, tableText(records));
}

// A unit's calibrations after its programmings: one line each, or one JSON object with the
// tables as they are stored.
void showCalibrations(const std::vector<vl48::CalibrationRecord>& calibrations, const Output& out) {
    for (const vl48::CalibrationRecord& c : calibrations) {
        const auto parsed = [](const QString& json) {
            return QJsonDocument::fromJson(json.toUtf8()).toVariant();
        };
        const QJsonObject object{
            {QStringLiteral("record_id"), c.id},
            {QStringLiteral("time"), timeText(c.time)},
            {QStringLiteral("bench"), c.bench},
            {QStringLiteral("identifier"), c.identifier},
            {QStringLiteral("procedure"), c.procedure},
            {QStringLiteral("subject"), c.subject},
            {QStringLiteral("reference"), c.reference},
            {QStringLiteral("tolerance_percent"), c.tolerancePercent},
            {QStringLiteral("tolerance"), c.tolerance ? QJsonValue(*c.tolerance) : QJsonValue()},
            {QStringLiteral("as_found"), QJsonValue::fromVariant(parsed(c.asFound))},
            {QStringLiteral("as_left"), QJsonValue::fromVariant(parsed(c.asLeft))},
            {QStringLiteral("codes_before"), QJsonValue::fromVariant(parsed(c.codesBefore))},
            {QStringLiteral("codes_after"), QJsonValue::fromVariant(parsed(c.codesAfter))},
            {QStringLiteral("instruments"), QJsonValue::fromVariant(parsed(c.instruments))},
            {QStringLiteral("verdict"), c.verdict.isEmpty() ? QJsonValue() : QJsonValue(c.verdict)},
            {QStringLiteral("problem"), c.problem},
            {QStringLiteral("operator_note"), c.operatorNote},
            {QStringLiteral("technician"), c.technician}};
        const auto codes = [&](const QString& json) {
            const QJsonObject o = QJsonDocument::fromJson(json.toUtf8()).object();
            return QStringLiteral("%1/%2")
                .arg(o[QStringLiteral("zero")].toInt())
                .arg(o[QStringLiteral("end")].toInt());
        };
        out.result(object,
                   QStringLiteral("%1  %2 %3  bench %4, meter %5, codes %6 -> %7: %8")
                       .arg(timeText(c.time), c.procedure, c.subject, c.bench, c.reference,
                            codes(c.codesBefore), codes(c.codesAfter),
                            c.verdict.isEmpty() ? QStringLiteral("not finished: ") + c.problem
                                                : c.verdict));
    }
}

// Shows what the filter selects, and says so when it selects nothing.
int showSelection(const Invocation& call, const Output& out, const vl48::RecordFilter& filter,
                  bool history) {
    const auto store = openStore(call);
    if (!store) return ExitDatabase;
    QString problem;
    const auto records = store->select(filter, problem);
    if (!records) {
        say(QStringLiteral("records database: %1").arg(problem));
        return ExitDatabase;
    }
    std::vector<vl48::CalibrationRecord> calibrations;
    if (history) {
        auto found = store->calibrations(call.identifier, problem);
        if (!found) {
            say(QStringLiteral("records database: %1").arg(problem));
            return ExitDatabase;
        }
        calibrations = std::move(*found);
    }
    if (records->empty() && calibrations.empty())
        say(history ? QStringLiteral("no records of unit %1 in %2")
                          .arg(call.identifier, store->address().text())
                    : QStringLiteral("no records match"));
    show(*records, call, out, history);
    // The CSV holds programmings only: calibrations have columns of their own.
    if (!call.csv) showCalibrations(calibrations, out);
    return ExitDone;
}

}  // namespace

std::optional<QString> instrumentsOf(const Invocation& call, vl48::RecordStore* store) {
    if (call.instruments.isEmpty()) return QStringLiteral("[]");
    if (!store) {
        say(
            QStringLiteral("--instrument needs the records database that lists the instruments "
                           "(--db or VL48_DB)"));
        return std::nullopt;
    }
    QString problem;
    auto used = store->instrumentsForCheck(call.instruments, call.overrideDue, QDate::currentDate(),
                                           problem);
    if (!used)
        say(problem + (problem.contains(QLatin1String("was due"))
                           ? QStringLiteral(" (--override-due uses it all the same, and the "
                                            "record says so)")
                           : QString()));
    else if (used->contains(QLatin1String("\"overdue\"")))
        say(QStringLiteral("an overdue instrument is used: the record says so"));
    return used;
}

int prepareCalibration(const Invocation& call, CalibrationRecords& records) {
    QString problem;
    if (const auto address = databaseOf(call.db, false, problem)) {
        records.store = vl48::RecordStore::open(*address, problem);
        if (!records.store) {
            say(QStringLiteral("records database cannot be written: %1").arg(problem));
            return ExitFile;
        }
    } else if (!problem.isEmpty()) {
        say(problem);
        return ExitFile;
    }
    const std::optional<QString> instruments = instrumentsOf(call, records.store.get());
    if (!instruments) return ExitFile;
    records.instruments = *instruments;
    return ExitDone;
}

std::optional<double> typedNumber(const QString& prompt, QString& error) {
    std::fputs(("vl48-cli: " + prompt + QStringLiteral(": ")).toUtf8().constData(), stderr);
    std::fflush(stderr);
    char line[128];
    if (!std::fgets(line, sizeof line, stdin)) {
        error = QStringLiteral("nothing typed");
        return std::nullopt;
    }
    QString text = QString::fromLocal8Bit(line).trimmed();
    text.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (ok) return value;
    error = QStringLiteral("\"%1\" is no number").arg(text);
    return std::nullopt;
}

int runInstruments(const Invocation& call, const Output& out) {
    QString problem;
    const auto address = databaseOf(call.db, true, problem);
    if (!address) {
        say(problem);
        return ExitDatabase;
    }
    const auto store = vl48::RecordStore::open(
        *address, problem,
        call.add.isEmpty() ? vl48::RecordStore::Use::LookingUp : vl48::RecordStore::Use::Recording);
    if (!store) {
        say(QStringLiteral("records database: %1").arg(problem));
        return ExitDatabase;
    }
    if (!call.add.isEmpty()) {
        if (!call.due.isValid()) {
            say(QStringLiteral("--add wants the instrument's --due date (yyyy-MM-dd)"));
            return ExitUsage;
        }
        if (const QString failed = store->addInstrument(
                {call.add, call.model, call.serial, call.certificate, call.due});
            !failed.isEmpty()) {
            say(QStringLiteral("records database: %1").arg(failed));
            return ExitDatabase;
        }
    }
    const auto list = store->instruments(problem);
    if (!list) {
        say(QStringLiteral("records database: %1").arg(problem));
        return ExitDatabase;
    }
    const QDate today = QDate::currentDate();
    for (const vl48::Instrument& i : *list) {
        const bool overdue = !i.due.isValid() || i.due < today;
        out.result({{QStringLiteral("name"), i.name},
                    {QStringLiteral("model"), i.model},
                    {QStringLiteral("serial"), i.serial},
                    {QStringLiteral("certificate"), i.certificate},
                    {QStringLiteral("due"), i.due.toString(Qt::ISODate)},
                    {QStringLiteral("overdue"), overdue}},
                   QStringLiteral("%1  %2 %3, certificate %4, due %5%6")
                       .arg(i.name, i.model, i.serial, i.certificate, i.due.toString(Qt::ISODate),
                            overdue ? QStringLiteral(" (OVERDUE)") : QString()));
    }
    if (list->empty()) say(QStringLiteral("no instruments in %1").arg(store->address().text()));
    return ExitDone;
}

int runHistory(const Invocation& call, const Output& out) {
    vl48::RecordFilter filter;
    filter.identifier = call.identifier;
    return showSelection(call, out, filter, true);
}

int runRecords(const Invocation& call, const Output& out) {
    if (call.pending) {
        const auto store = openStore(call);
        if (!store) return ExitDatabase;
        const std::vector<vl48::UnitRecord> waiting = store->pending();
        if (waiting.empty())
            say(QStringLiteral("no records wait on this bench for %1")
                    .arg(store->address().text()));
        else
            say(QStringLiteral("%1 record(s) wait on this bench: %2")
                    .arg(waiting.size())
                    .arg(store->serverProblem()));
        show(waiting, call, out, false);
        return ExitDone;
    }
    vl48::RecordFilter filter;
    filter.since = call.since;
    filter.until = call.until;
    filter.result = call.result;
    filter.bench = call.bench;
    return showSelection(call, out, filter, false);
}

}  // namespace vl48cli
