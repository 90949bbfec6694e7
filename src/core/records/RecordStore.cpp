#include "core/records/RecordStore.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QSysInfo>
#include <QThread>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <cmath>

namespace vl48 {

// ---------------------------------------------------------------------------------------------
// Addresses and values

std::optional<DatabaseAddress> DatabaseAddress::parse(const QString& text, QString* error) {
    const auto fail = [&](const QString& why) -> std::optional<DatabaseAddress> {
        if (error) *error = why;
        return std::nullopt;
    };
    DatabaseAddress a;
    if (text.startsWith(QLatin1String("sqlite:"))) {
        a.path = text.mid(7);
        if (a.path.isEmpty()) return fail(QStringLiteral("sqlite: wants the path of the file"));
        return a;
    }
    QString rest;
    for (const char* scheme : {"postgresql://", "postgres://"})
        if (text.startsWith(QLatin1String(scheme))) rest = text.mid(int(qstrlen(scheme)));
    if (rest.isEmpty())
        return fail(
            QStringLiteral("a database is sqlite:PATH or postgresql://USER@HOST[:PORT]/DBNAME"));
    a.engine = Engine::PostgreSQL;
    const qsizetype at = rest.indexOf(QLatin1Char('@'));
    const qsizetype slash = rest.indexOf(QLatin1Char('/'), at + 1);
    if (at <= 0 || slash < 0 || slash == rest.size() - 1)
        return fail(QStringLiteral("a server's address is postgresql://USER@HOST[:PORT]/DBNAME"));
    a.user = QUrl::fromPercentEncoding(rest.left(at).toUtf8());
    if (a.user.contains(QLatin1Char(':')))
        return fail(QStringLiteral("no password in the address: PGPASSWORD or ~/.pgpass gives it"));
    QString host = rest.mid(at + 1, slash - at - 1);
    if (const qsizetype colon = host.lastIndexOf(QLatin1Char(':')); colon >= 0) {
        bool ok = false;
        a.port = host.mid(colon + 1).toInt(&ok);
        if (!ok || a.port < 1 || a.port > 65535)
            return fail(QStringLiteral("the server's port is a number from 1 to 65535"));
        host.truncate(colon);
    }
    a.host = QUrl::fromPercentEncoding(host.toUtf8());
    a.name = QUrl::fromPercentEncoding(rest.mid(slash + 1).toUtf8());
    if (a.host.isEmpty()) return fail(QStringLiteral("the address names no server"));
    return a;
}

DatabaseAddress DatabaseAddress::defaultSQLite() {
    DatabaseAddress a;
    a.path = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
             QStringLiteral("/vl48/records.sqlite");
    return a;
}

QString DatabaseAddress::text() const {
    if (engine == Engine::SQLite) return QStringLiteral("sqlite:") + path;
    const auto encoded = [](const QString& part) {
        return QString::fromUtf8(QUrl::toPercentEncoding(part));
    };
    // In one go: a percent-encoded part must not be taken for a place of the next argument.
    return QStringLiteral("postgresql://%1@%2:%3/%4")
        .arg(encoded(user), encoded(host), QString::number(port), encoded(name));
}

ConfigRecordValues recordValues(const ConfigFileValues& values) {
    ConfigRecordValues numbers;
    for (const FieldDef& def : ConfigFields) {
        QVariant& value = numbers[size_t(def.field)];
        switch (def.kind) {
            case FieldKind::List:
                value = values.*def.code;
                break;
            case FieldKind::Number:
                value = fieldNumber(def, values.*def.text) / std::pow(10.0, def.decimals);
                break;
            case FieldKind::Date:
                if (values.date.isValid()) value = values.date.toString(Qt::ISODate);
                break;
            case FieldKind::Note:
                value = values.note;
                break;
        }
    }
    return numbers;
}

namespace {

// ---------------------------------------------------------------------------------------------
// The schema, the same SQL on both engines. Each version's statements run once, in order, when a
// database is opened by a program that knows more versions than the database has seen.

// "input type" -> "input_type": the columns of the thirteen values, named as the table names
// them, those read back with "read_" before.
QString columnOf(const FieldDef& def, bool readBack = false) {
    return (readBack ? QStringLiteral("read_") : QString()) +
           QString::fromLatin1(def.name).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString sqlTypeOf(const FieldDef& def) {
    switch (def.kind) {
        case FieldKind::List:
            return QStringLiteral("INTEGER");
        case FieldKind::Number:
            return QStringLiteral("DOUBLE PRECISION");
        case FieldKind::Date:
        case FieldKind::Note:
            break;
    }
    return QStringLiteral("TEXT");
}

// The columns before the values, in the order of the table.
const QStringList& recordColumns() {
    static const QStringList columns = {
        QStringLiteral("record_id"),    QStringLiteral("time"),
        QStringLiteral("time_utc"),     QStringLiteral("finished"),
        QStringLiteral("bench"),        QStringLiteral("program_version"),
        QStringLiteral("port"),         QStringLiteral("device_type"),
        QStringLiteral("firmware"),     QStringLiteral("identifier"),
        QStringLiteral("config_file"),  QStringLiteral("config_sha256"),
        QStringLiteral("result"),       QStringLiteral("failed_step"),
        QStringLiteral("operator_note")};
    return columns;
}

QStringList allColumns() {
    QStringList columns = recordColumns();
    for (bool readBack : {false, true})
        for (const FieldDef& def : ConfigFields) columns << columnOf(def, readBack);
    return columns;
}

QString createRecordsTable() {
    QString values;
    for (bool readBack : {false, true})
        for (const FieldDef& def : ConfigFields)
            values += QStringLiteral(",\n  %1 %2").arg(columnOf(def, readBack), sqlTypeOf(def));
    // Times are text: the local time with its offset as the production log writes it, and the
    // same instant in UTC with milliseconds, which sorts and selects alike on both engines. A
    // NULL result is an attempt whose outcome never came (the program ended in the middle).
    return QStringLiteral(
               "CREATE TABLE unit_records (\n"
               "  record_id TEXT PRIMARY KEY,\n"
               "  time TEXT NOT NULL,\n"
               "  time_utc TEXT NOT NULL,\n"
               "  finished TEXT,\n"
               "  bench TEXT NOT NULL,\n"
               "  program_version TEXT NOT NULL,\n"
               "  port TEXT NOT NULL,\n"
               "  device_type TEXT NOT NULL,\n"
               "  firmware TEXT NOT NULL,\n"
               "  identifier TEXT NOT NULL,\n"
               "  config_file TEXT NOT NULL,\n"
               "  config_sha256 TEXT NOT NULL,\n"
               "  result TEXT,\n"
               "  failed_step INTEGER,\n"
               "  operator_note TEXT NOT NULL") +
           values + QStringLiteral(")");
}

struct Migration {
    int version;
    QStringList statements;
};

const std::vector<Migration>& migrations() {
    static const std::vector<Migration> list = {
        {1,
         {createRecordsTable(),
          // One unit's history, and a selection by dates.
          QStringLiteral("CREATE INDEX unit_records_identifier ON unit_records (identifier, "
                         "time_utc)"),
          QStringLiteral("CREATE INDEX unit_records_time ON unit_records (time_utc)")}},
        // Calibrations: the procedure, its reference and its tables as found and as left.
        {2,
         {QStringLiteral("CREATE TABLE calibration_records (\n"
                         "  record_id TEXT PRIMARY KEY,\n"
                         "  time TEXT NOT NULL,\n"
                         "  time_utc TEXT NOT NULL,\n"
                         "  bench TEXT NOT NULL,\n"
                         "  program_version TEXT NOT NULL,\n"
                         "  port TEXT NOT NULL,\n"
                         "  device_type TEXT NOT NULL,\n"
                         "  firmware TEXT NOT NULL,\n"
                         "  identifier TEXT NOT NULL,\n"
                         "  procedure TEXT NOT NULL,\n"
                         "  subject TEXT NOT NULL,\n"
                         "  reference TEXT NOT NULL,\n"
                         "  tolerance_percent DOUBLE PRECISION,\n"
                         "  as_found TEXT NOT NULL,\n"
                         "  as_left TEXT NOT NULL,\n"
                         "  codes_before TEXT NOT NULL,\n"
                         "  codes_after TEXT NOT NULL,\n"
                         "  verdict TEXT,\n"
                         "  problem TEXT NOT NULL,\n"
                         "  operator_note TEXT NOT NULL)"),
          QStringLiteral("CREATE INDEX calibration_records_identifier ON calibration_records "
                         "(identifier, time_utc)")}},
        // The lab's reference instruments, and those a calibration used.
        {3,
         {QStringLiteral("CREATE TABLE instruments (name TEXT PRIMARY KEY, model TEXT NOT NULL, "
                         "serial TEXT NOT NULL, certificate TEXT NOT NULL, due_date TEXT NOT "
                         "NULL)"),
          QStringLiteral("ALTER TABLE calibration_records ADD COLUMN instruments TEXT NOT NULL "
                         "DEFAULT '[]'")}},
        // Who calibrated.
        {4,
         {QStringLiteral("ALTER TABLE calibration_records ADD COLUMN technician TEXT NOT NULL "
                         "DEFAULT ''")}},
        // Calibration sessions: the configuration, the adjustments, the ambient temperature, and
        // when the session was over (a single procedure's record is over when it is written).
        {5,
         {QStringLiteral("ALTER TABLE calibration_records ADD COLUMN configuration TEXT NOT NULL "
                         "DEFAULT ''"),
          QStringLiteral("ALTER TABLE calibration_records ADD COLUMN adjustments TEXT NOT NULL "
                         "DEFAULT ''"),
          QStringLiteral("ALTER TABLE calibration_records ADD COLUMN ambient DOUBLE PRECISION"),
          QStringLiteral("ALTER TABLE calibration_records ADD COLUMN finished TEXT"),
          QStringLiteral("UPDATE calibration_records SET finished = time")}},
        // An input check's absolute tolerance.
        {6,
         {QStringLiteral("ALTER TABLE calibration_records ADD COLUMN tolerance DOUBLE PRECISION")}},
    };
    return list;
}

const QStringList& calibrationColumns() {
    static const QStringList columns = {
        QStringLiteral("record_id"),         QStringLiteral("time"),
        QStringLiteral("time_utc"),          QStringLiteral("bench"),
        QStringLiteral("program_version"),   QStringLiteral("port"),
        QStringLiteral("device_type"),       QStringLiteral("firmware"),
        QStringLiteral("identifier"),        QStringLiteral("procedure"),
        QStringLiteral("subject"),           QStringLiteral("reference"),
        QStringLiteral("tolerance_percent"), QStringLiteral("as_found"),
        QStringLiteral("as_left"),           QStringLiteral("codes_before"),
        QStringLiteral("codes_after"),       QStringLiteral("verdict"),
        QStringLiteral("problem"),           QStringLiteral("operator_note"),
        QStringLiteral("instruments"),       QStringLiteral("technician"),
        QStringLiteral("configuration"),     QStringLiteral("adjustments"),
        QStringLiteral("ambient"),           QStringLiteral("finished"),
        QStringLiteral("tolerance")};
    return columns;
}

QString utcText(const QDateTime& time) {
    return time.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ"));
}
QString localText(const QDateTime& time) {
    return time.isValid() ? time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs)
                          : QString();
}

// A database connection of Qt SQL's, removed with this object.
class Connection {
public:
    Connection(const QString& driver) : m_name(QUuid::createUuid().toString(QUuid::Id128)) {
        QSqlDatabase::addDatabase(driver, m_name);
    }
    ~Connection() {
        db().close();
        QSqlDatabase::removeDatabase(m_name);
    }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;
    QSqlDatabase db() const { return QSqlDatabase::database(m_name, false); }

private:
    QString m_name;
};

// A statement that failed, with the engine's code (PostgreSQL's SQLSTATE) where it gave one.
struct SqlFailure {
    QString text;
    QString code;
    bool refused = false;  // ours: waiting does not mend it
};
using SqlResult = std::optional<SqlFailure>;  // nothing: it went through

SqlFailure failureOf(const QSqlError& error) {
    // The server's messages come in lines with hints indented below: one line is enough here.
    QString text = error.databaseText().simplified();
    if (text.isEmpty()) text = error.driverText().simplified();
    return {text.isEmpty() ? QStringLiteral("unknown database error") : text,
            error.nativeErrorCode()};
}

SqlResult exec(QSqlQuery& query) {
    if (query.exec()) return std::nullopt;
    return failureOf(query.lastError());
}

SqlResult exec(const QSqlDatabase& db, const QString& statement) {
    QSqlQuery query(db);
    if (query.exec(statement)) return std::nullopt;
    return failureOf(query.lastError());
}

bool isSQLite(const QSqlDatabase& db) { return db.driverName() == QLatin1String("QSQLITE"); }

// The schema's version; nothing where the database has none yet or this user may not read it.
std::optional<int> schemaVersion(const QSqlDatabase& db) {
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.next())
        return std::nullopt;
    return query.value(0).toInt();
}

// Brings the schema up to the last version, inside one transaction that a second program
// opening the same database at the same moment waits for. A schema already up to date is only
// read: a bench's user on a server may be allowed to add records and no more.
SqlResult migrate(const QSqlDatabase& db) {
    const int latest = migrations().back().version;
    const std::optional<int> known = schemaVersion(db);
    if (known == latest) return std::nullopt;
    if (known > latest)
        return SqlFailure{QStringLiteral("the database's schema is version %1, newer than this "
                                         "program's %2: a newer version of the program is needed")
                              .arg(*known)
                              .arg(latest),
                          {},
                          true};
    const bool sqlite = isSQLite(db);
    if (auto failure =
            exec(db, sqlite ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")))
        return failure;
    const auto fail = [&](SqlFailure failure) {
        exec(db, QStringLiteral("ROLLBACK"));
        return SqlResult(std::move(failure));
    };
    if (!sqlite)
        if (auto failure = exec(db, QStringLiteral("SELECT pg_advisory_xact_lock(4848001)")))
            return fail(*failure);
    if (auto failure = exec(
            db,
            QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)")))
        return fail(*failure);
    QSqlQuery current(db);
    if (!current.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !current.next())
        return fail(failureOf(current.lastError()));
    // Read again under the lock: another program may have brought it up to date meanwhile.
    const int version = current.value(0).toInt();
    current.finish();
    for (const Migration& m : migrations()) {
        if (m.version <= version) continue;
        for (const QString& statement : m.statements)
            if (auto failure = exec(db, statement)) return fail(*failure);
        if (auto failure = exec(
                db,
                QStringLiteral("INSERT INTO schema_version (version) VALUES (%1)").arg(m.version)))
            return fail(*failure);
    }
    if (auto failure = exec(db, QStringLiteral("COMMIT"))) return fail(*failure);
    return std::nullopt;
}

QVariant nullOf(QMetaType::Type type) { return QVariant(QMetaType(type)); }
// Qt SQL binds a null text as NULL: an empty one must stay empty.
QVariant textOf(const QString& text) { return text.isNull() ? QStringLiteral("") : text; }

void bindRecord(QSqlQuery& query, const UnitRecord& r) {
    const ProductionRecord& log = r.log;
    const QList<QVariant> fields = {
        r.id,
        localText(log.time),
        utcText(log.time),
        r.finished.isValid() ? QVariant(localText(r.finished)) : nullOf(QMetaType::QString),
        textOf(r.bench),
        textOf(r.programVersion),
        textOf(log.port),
        textOf(log.deviceType),
        textOf(log.firmware),
        textOf(log.identifier),
        textOf(log.configFile),
        textOf(log.configSha256),
        log.result.isEmpty() ? nullOf(QMetaType::QString) : QVariant(log.result),
        r.failedStep > 0 ? QVariant(r.failedStep) : nullOf(QMetaType::Int),
        textOf(log.operatorNote)};
    for (const QVariant& field : fields) query.addBindValue(field);
    for (bool readBack : {false, true})
        for (const FieldDef& def : ConfigFields) {
            const QMetaType::Type type = def.kind == FieldKind::List     ? QMetaType::Int
                                         : def.kind == FieldKind::Number ? QMetaType::Double
                                                                         : QMetaType::QString;
            QVariant value = nullOf(type);
            if (!readBack)
                value = r.written[size_t(def.field)];
            else if (r.readBack)
                value = (*r.readBack)[size_t(def.field)];
            if (def.kind == FieldKind::Note && !value.isNull()) value = textOf(value.toString());
            query.addBindValue(value.isNull() ? nullOf(type) : value);
        }
}

// The statement that inserts the record; `replace` makes a copy sent again (from a spool, or by
// two benches draining one spool) land once, the outcome taken where the stored row has none.
bool prepareInsert(QSqlQuery& query, const UnitRecord& record, bool replace) {
    const QStringList columns = allColumns();
    QString statement =
        QStringLiteral("INSERT INTO unit_records (%1) VALUES (%2)")
            .arg(columns.join(QLatin1Char(',')),
                 QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')));
    if (replace) {
        QStringList outcome = {QStringLiteral("finished"), QStringLiteral("result"),
                               QStringLiteral("failed_step")};
        for (const FieldDef& def : ConfigFields) outcome << columnOf(def, true);
        for (QString& column : outcome) column = column + QStringLiteral(" = excluded.") + column;
        statement += QStringLiteral(
                         " ON CONFLICT (record_id) DO UPDATE SET %1 WHERE unit_records.result IS "
                         "NULL")
                         .arg(outcome.join(QLatin1Char(',')));
    }
    if (!query.prepare(statement)) return false;
    bindRecord(query, record);
    return true;
}

SqlResult insertRecord(const QSqlDatabase& db, const UnitRecord& record, bool replace) {
    QSqlQuery query(db);
    if (!prepareInsert(query, record, replace)) return failureOf(query.lastError());
    return exec(query);
}

SqlResult updateOutcome(const QSqlDatabase& db, const UnitRecord& record) {
    QStringList sets = {QStringLiteral("finished = ?"), QStringLiteral("result = ?"),
                        QStringLiteral("failed_step = ?")};
    for (const FieldDef& def : ConfigFields) sets << columnOf(def, true) + QStringLiteral(" = ?");
    QSqlQuery query(db);
    if (!query.prepare(QStringLiteral("UPDATE unit_records SET %1 WHERE record_id = ?")
                           .arg(sets.join(QLatin1Char(',')))))
        return failureOf(query.lastError());
    query.addBindValue(localText(record.finished));
    query.addBindValue(record.log.result);
    query.addBindValue(record.failedStep > 0 ? QVariant(record.failedStep)
                                             : nullOf(QMetaType::Int));
    for (const FieldDef& def : ConfigFields) {
        const QVariant value = record.readBack ? (*record.readBack)[size_t(def.field)] : QVariant();
        query.addBindValue(value.isNull()                ? nullOf(QMetaType::QString)
                           : def.kind == FieldKind::Note ? textOf(value.toString())
                                                         : value);
    }
    query.addBindValue(record.id);
    if (auto failure = exec(query)) return failure;
    if (query.numRowsAffected() != 1)
        return SqlFailure{QStringLiteral("the record begun for this unit is gone"), {}};
    return std::nullopt;
}

QVariant valueOf(const FieldDef& def, const QVariant& stored) {
    if (stored.isNull()) return {};
    switch (def.kind) {
        case FieldKind::List:
            return stored.toInt();
        case FieldKind::Number:
            return stored.toDouble();
        case FieldKind::Date:
        case FieldKind::Note:
            break;
    }
    return stored.toString();
}

UnitRecord recordOf(const QSqlQuery& row) {
    UnitRecord r;
    int i = 0;
    const auto next = [&] { return row.value(i++); };
    r.id = next().toString();
    r.log.time = QDateTime::fromString(next().toString(), Qt::ISODate);
    next();  // time_utc
    r.finished = QDateTime::fromString(next().toString(), Qt::ISODate);
    r.bench = next().toString();
    r.programVersion = next().toString();
    r.log.port = next().toString();
    r.log.deviceType = next().toString();
    r.log.firmware = next().toString();
    r.log.identifier = next().toString();
    r.log.configFile = next().toString();
    r.log.configSha256 = next().toString();
    r.log.result = next().toString();
    r.failedStep = next().toInt();
    r.log.operatorNote = next().toString();
    for (const FieldDef& def : ConfigFields) r.written[size_t(def.field)] = valueOf(def, next());
    ConfigRecordValues read;
    bool anyRead = false;
    for (const FieldDef& def : ConfigFields) {
        read[size_t(def.field)] = valueOf(def, next());
        anyRead = anyRead || !read[size_t(def.field)].isNull();
    }
    if (anyRead) r.readBack = read;
    return r;
}

// The records of `from` that meet `where` (bound to `values`), oldest first.
std::optional<std::vector<UnitRecord>> selectWhere(const QSqlDatabase& db, const QString& from,
                                                   const QStringList& where,
                                                   const QVariantList& values, QString& error) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    const QString statement =
        QStringLiteral("SELECT %1 FROM %2").arg(allColumns().join(QLatin1Char(',')), from) +
        (where.isEmpty() ? QString()
                         : QStringLiteral(" WHERE ") + where.join(QStringLiteral(" AND "))) +
        QStringLiteral(" ORDER BY time_utc, record_id");
    if (!query.prepare(statement)) {
        error = failureOf(query.lastError()).text;
        return std::nullopt;
    }
    for (const QVariant& value : values) query.addBindValue(value);
    if (auto failure = exec(query)) {
        error = failure->text;
        return std::nullopt;
    }
    std::vector<UnitRecord> records;
    while (query.next()) records.push_back(recordOf(query));
    return records;
}

std::optional<std::vector<UnitRecord>> selectRecords(const QSqlDatabase& db,
                                                     const RecordFilter& filter, QString& error) {
    QStringList where;
    QVariantList values;
    if (!filter.identifier.isEmpty()) {
        where << QStringLiteral("identifier = ?");
        values << filter.identifier;
    }
    if (filter.since.isValid()) {
        where << QStringLiteral("time_utc >= ?");
        values << utcText(filter.since.startOfDay());
    }
    if (filter.until.isValid()) {
        where << QStringLiteral("time_utc < ?");
        values << utcText(filter.until.addDays(1).startOfDay());
    }
    if (filter.result == QLatin1String("ok"))
        where << QStringLiteral("result = 'ok'");
    else if (filter.result == QLatin1String("failed"))
        where << QStringLiteral("(result IS NULL OR result <> 'ok')");
    if (!filter.bench.isEmpty()) {
        where << QStringLiteral("bench = ?");
        values << filter.bench;
    }
    return selectWhere(db, QStringLiteral("unit_records"), where, values, error);
}

// Stores a calibration as it is now: one already there (a session going on, a record sent again
// from a spool) takes the new values, so a record is there once, as it was last committed.
SqlResult storeCalibrationRow(const QSqlDatabase& db, const CalibrationRecord& r) {
    const QStringList& columns = calibrationColumns();
    QStringList updates;
    for (const QString& column : columns.mid(1))
        updates << QStringLiteral("%1 = excluded.%1").arg(column);
    QSqlQuery query(db);
    if (!query.prepare(
            QStringLiteral("INSERT INTO calibration_records (%1) VALUES (%2) ON CONFLICT "
                           "(record_id) DO UPDATE SET %3")
                .arg(columns.join(QLatin1Char(',')),
                     QStringList(columns.size(), QStringLiteral("?")).join(QLatin1Char(',')),
                     updates.join(QLatin1Char(',')))))
        return failureOf(query.lastError());
    for (const QVariant& value :
         {QVariant(r.id),
          QVariant(localText(r.time)),
          QVariant(utcText(r.time)),
          textOf(r.bench),
          textOf(r.programVersion),
          textOf(r.port),
          textOf(r.deviceType),
          textOf(r.firmware),
          textOf(r.identifier),
          textOf(r.procedure),
          textOf(r.subject),
          textOf(r.reference),
          QVariant(r.tolerancePercent),
          textOf(r.asFound),
          textOf(r.asLeft),
          textOf(r.codesBefore),
          textOf(r.codesAfter),
          r.verdict.isEmpty() ? nullOf(QMetaType::QString) : QVariant(r.verdict),
          textOf(r.problem),
          textOf(r.operatorNote),
          r.instruments.isEmpty() ? QVariant(QStringLiteral("[]")) : QVariant(r.instruments),
          textOf(r.technician),
          textOf(r.configuration),
          textOf(r.adjustments),
          r.ambient ? QVariant(*r.ambient) : nullOf(QMetaType::Double),
          r.finished.isValid() ? QVariant(localText(r.finished)) : nullOf(QMetaType::QString),
          r.tolerance ? QVariant(*r.tolerance) : nullOf(QMetaType::Double)})
        query.addBindValue(value);
    return exec(query);
}

// The calibrations whose `column` (identifier, record_id) holds `key`; all for a null key.
std::optional<std::vector<CalibrationRecord>> selectCalibrations(
    const QSqlDatabase& db, const QString& key, QString& error,
    const QString& column = QStringLiteral("identifier")) {
    QSqlQuery query(db);
    query.setForwardOnly(true);
    if (!query.prepare(
            QStringLiteral("SELECT %1 FROM calibration_records%2 ORDER BY time_utc, "
                           "record_id")
                .arg(calibrationColumns().join(QLatin1Char(',')),
                     key.isNull() ? QString() : QStringLiteral(" WHERE %1 = ?").arg(column)))) {
        error = failureOf(query.lastError()).text;
        return std::nullopt;
    }
    if (!key.isNull()) query.addBindValue(key);
    if (auto failure = exec(query)) {
        error = failure->text;
        return std::nullopt;
    }
    std::vector<CalibrationRecord> records;
    while (query.next()) {
        int i = 0;
        const auto next = [&] { return query.value(i++).toString(); };
        CalibrationRecord r;
        r.id = next();
        r.time = QDateTime::fromString(next(), Qt::ISODate);
        next();  // time_utc
        r.bench = next();
        r.programVersion = next();
        r.port = next();
        r.deviceType = next();
        r.firmware = next();
        r.identifier = next();
        r.procedure = next();
        r.subject = next();
        r.reference = next();
        r.tolerancePercent = query.value(i++).toDouble();
        r.asFound = next();
        r.asLeft = next();
        r.codesBefore = next();
        r.codesAfter = next();
        r.verdict = next();
        r.problem = next();
        r.operatorNote = next();
        r.instruments = next();
        r.technician = next();
        r.configuration = next();
        r.adjustments = next();
        if (const QVariant ambient = query.value(i++); !ambient.isNull())
            r.ambient = ambient.toDouble();
        if (const QString finished = next(); !finished.isEmpty())
            r.finished = QDateTime::fromString(finished, Qt::ISODate);
        if (const QVariant tolerance = query.value(i++); !tolerance.isNull())
            r.tolerance = tolerance.toDouble();
        records.push_back(r);
    }
    return records;
}

// Whether the database takes a record from this program: one is added and taken back at once.
// A file that became read-only, a user who may read and not add, are told when the database is
// opened, before any unit is programmed.
SqlResult probeWrite(const QSqlDatabase& db) {
    if (auto failure =
            exec(db, isSQLite(db) ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN")))
        return failure;
    UnitRecord probe;
    probe.id = QStringLiteral("probe-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    probe.log.time = QDateTime::currentDateTime();
    // The statement lives until the transaction is over: PostgreSQL would refuse to free it in
    // a transaction that failed.
    QSqlQuery insert(db);
    SqlResult failure;
    if (!prepareInsert(insert, probe, false) || !insert.exec())
        failure = failureOf(insert.lastError());
    if (SqlResult rolledBack = exec(db, QStringLiteral("ROLLBACK")); !failure) failure = rolledBack;
    return failure;
}

// SQLite's own "database is locked": another program holds the file for a moment.
bool busy(const SqlFailure& failure) {
    return failure.code == QLatin1String("5") || failure.code == QLatin1String("6");
}

// Opens a SQLite file: waits for another program's write instead of failing, and commits to the
// disk before it returns (write-ahead log, synchronous), so a record committed survives a killed
// program and a power cut. `probe`: also proves that a record can be added.
SqlResult openSQLite(Connection& connection, const QString& path, bool probe) {
    QSqlDatabase db = connection.db();
    db.setDatabaseName(path);
    db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    if (!db.open()) return failureOf(db.lastError());
    const auto prepare = [&]() -> SqlResult {
        for (const char* pragma : {"PRAGMA journal_mode=WAL", "PRAGMA synchronous=FULL"}) {
            // A read-only file keeps its journal mode; its writes fail below, where they are told.
            QSqlQuery query(db);
            if (!query.exec(QLatin1String(pragma))) {
                const SqlFailure failure = failureOf(query.lastError());
                if (!failure.text.contains(QLatin1String("readonly"))) return failure;
            }
        }
        if (SqlResult failure = migrate(db)) return failure;
        return probe ? probeWrite(db) : std::nullopt;
    };
    // Switching a new file to its write-ahead log, which two programs opening it at once may
    // do together, does not wait for the other as writes do: it is tried again for a while.
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        SqlResult failure = prepare();
        if (!failure || !busy(*failure) || waited.elapsed() > 10000) return failure;
        QThread::msleep(20);
    }
}

// Every write to a SQLite file in one transaction that takes the write lock at once, so that
// two programs writing the same file queue up instead of failing midway.
template <typename Body>
SqlResult inTransaction(const QSqlDatabase& db, Body body) {
    if (auto failure = exec(db, QStringLiteral("BEGIN IMMEDIATE"))) return failure;
    if (SqlResult failure = body()) {
        exec(db, QStringLiteral("ROLLBACK"));
        return failure;
    }
    if (auto failure = exec(db, QStringLiteral("COMMIT"))) {
        exec(db, QStringLiteral("ROLLBACK"));
        return failure;
    }
    return std::nullopt;
}

// ---------------------------------------------------------------------------------------------
// A SQLite file on this bench.

class SQLiteStore final : public RecordStore {
public:
    SQLiteStore(DatabaseAddress address, Use use)
        : RecordStore(std::move(address), use), m_connection(QStringLiteral("QSQLITE")) {}
    SqlResult open() {
        const QFileInfo file(m_address.path);
        // The default file's folder is made; a path typed by the user is taken as typed.
        if (m_address.path == DatabaseAddress::defaultSQLite().path)
            QDir().mkpath(file.absolutePath());
        if (file.exists() && !file.isFile()) return SqlFailure{QStringLiteral("not a file"), {}};
        // Looking up never makes a database: a mistyped path would only show none of the records.
        if (m_use == Use::LookingUp && !file.exists())
            return SqlFailure{QStringLiteral("no such file"), {}};
        return openSQLite(m_connection, m_address.path, m_use == Use::Recording);
    }

protected:
    QString store(const UnitRecord& record, bool first) override {
        const QSqlDatabase db = m_connection.db();
        const SqlResult failure =
            first ? insertRecord(db, record, false) : updateOutcome(db, record);
        return failure ? failure->text : QString();
    }
    std::optional<std::vector<UnitRecord>> query(const RecordFilter& filter,
                                                 QString& error) override {
        return selectRecords(m_connection.db(), filter, error);
    }
    QString storeCalibration(const CalibrationRecord& record) override {
        const SqlResult failure = storeCalibrationRow(m_connection.db(), record);
        return failure ? failure->text : QString();
    }
    std::optional<std::vector<CalibrationRecord>> queryCalibrations(const QString& identifier,
                                                                    QString& error) override {
        return selectCalibrations(m_connection.db(), identifier, error);
    }
    QSqlDatabase instrumentDatabase(QString&) override { return m_connection.db(); }

private:
    Connection m_connection;
};

// ---------------------------------------------------------------------------------------------
// A PostgreSQL server, through a spool on this bench.

// Whether a failure of the server is its refusal (this user may not, the database is not there,
// the record breaks a rule), which waiting does not mend, rather than the server being away.
// SQLSTATE where the server sent one; the connection's own failures come as text only.
bool refusal(const SqlFailure& failure) {
    if (failure.refused) return true;
    static const QStringList refusedClasses = {
        QStringLiteral("22"), QStringLiteral("23"), QStringLiteral("25"), QStringLiteral("28"),
        QStringLiteral("3D"), QStringLiteral("42"), QStringLiteral("44")};
    if (failure.code.size() == 5) return refusedClasses.contains(failure.code.left(2));
    static const QStringList refusedTexts = {QStringLiteral("authentication failed"),
                                             QStringLiteral("no pg_hba.conf entry"),
                                             QStringLiteral("does not exist"),
                                             QStringLiteral("permission denied"),
                                             QStringLiteral("no password supplied"),
                                             QStringLiteral("password authentication"),
                                             QStringLiteral("read-only")};
    for (const QString& text : refusedTexts)
        if (failure.text.contains(text, Qt::CaseInsensitive)) return true;
    return false;
}

// How long a server found away is left alone before the next record tries it again: the
// attempt can take up to the connection's time-out. Closing the store always tries.
constexpr qint64 RetryAfterMs = 10000;
constexpr int ConnectTimeoutS = 2;

class ServerStore final : public RecordStore {
public:
    ServerStore(DatabaseAddress address, Use use)
        : RecordStore(std::move(address), use), m_spool(QStringLiteral("QSQLITE")) {}
    ~ServerStore() override {
        // What is still waiting goes now if it can: the end of a series often comes right after
        // the server is back.
        send(true);
        m_server.reset();
    }

    QString open() {
        // One spool for each server and database, shared by the programs of this user.
        const QString folder =
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
            QStringLiteral("/vl48/spool");
        QDir().mkpath(folder);
        m_spoolPath = QStringLiteral("%1/%2@%3_%4_%5.sqlite")
                          .arg(folder, safe(m_address.user), safe(m_address.host))
                          .arg(m_address.port)
                          .arg(safe(m_address.name));
        if (SqlResult failure = openSQLite(m_spool, m_spoolPath, true))
            return QStringLiteral("the bench's spool %1: %2").arg(m_spoolPath, failure->text);
        // The outbox: records to be sent, in the order they were committed, and of which kind
        // (a unit's record, a calibration); `version` counts the changes, so that a copy sent
        // while its outcome came is sent again. A spool begun before calibrations were recorded
        // gets the kind.
        const QSqlDatabase spool = m_spool.db();
        SqlResult failure = exec(
            spool, QStringLiteral("CREATE TABLE IF NOT EXISTS outbox (seq INTEGER PRIMARY KEY "
                                  "AUTOINCREMENT, record_id TEXT NOT NULL UNIQUE, version INTEGER "
                                  "NOT NULL, kind TEXT NOT NULL DEFAULT 'unit')"));
        if (!failure && exec(spool, QStringLiteral("SELECT kind FROM outbox LIMIT 0")))
            failure = exec(spool, QStringLiteral("ALTER TABLE outbox ADD COLUMN kind TEXT NOT "
                                                 "NULL DEFAULT 'unit'"));
        if (failure)
            return QStringLiteral("the bench's spool %1: %2").arg(m_spoolPath, failure->text);
        // A server that refuses this user is told now, before anything is programmed; one
        // that is away is not: the records wait.
        if (send(true) == Sent::Refused) return m_serverProblem;
        return {};
    }

protected:
    QString store(const UnitRecord& record, bool first) override {
        const QSqlDatabase spool = m_spool.db();
        const SqlResult spooled = inTransaction(spool, [&]() -> SqlResult {
            if (auto failure =
                    first ? insertRecord(spool, record, false) : updateOutcome(spool, record))
                return failure;
            QSqlQuery outbox(spool);
            outbox.prepare(QStringLiteral(
                "INSERT INTO outbox (record_id, version) VALUES (?, 1) ON CONFLICT (record_id) "
                "DO UPDATE SET version = version + 1"));
            outbox.addBindValue(record.id);
            return exec(outbox);
        });
        if (spooled)
            return QStringLiteral("the bench's spool %1: %2").arg(m_spoolPath, spooled->text);
        if (send(false) == Sent::Refused && first) {
            // Not programmed, so not recorded: the attempt never began.
            inTransaction(spool, [&]() -> SqlResult {
                for (const char* table : {"outbox", "unit_records"}) {
                    QSqlQuery drop(spool);
                    drop.prepare(QStringLiteral("DELETE FROM %1 WHERE record_id = ?")
                                     .arg(QLatin1String(table)));
                    drop.addBindValue(record.id);
                    if (auto failure = exec(drop)) return failure;
                }
                return std::nullopt;
            });
            return m_serverProblem;
        }
        return {};
    }

    QString storeCalibration(const CalibrationRecord& record) override {
        const QSqlDatabase spool = m_spool.db();
        const SqlResult spooled = inTransaction(spool, [&]() -> SqlResult {
            if (auto failure = storeCalibrationRow(spool, record)) return failure;
            QSqlQuery outbox(spool);
            outbox.prepare(QStringLiteral(
                "INSERT INTO outbox (record_id, version, kind) VALUES (?, 1, 'calibration') ON "
                "CONFLICT (record_id) DO UPDATE SET version = version + 1"));
            outbox.addBindValue(record.id);
            return exec(outbox);
        });
        if (spooled)
            return QStringLiteral("the bench's spool %1: %2").arg(m_spoolPath, spooled->text);
        // The calibration is done: kept on the bench whatever the server says.
        send(false);
        return {};
    }

    std::optional<std::vector<CalibrationRecord>> queryCalibrations(const QString& identifier,
                                                                    QString& error) override {
        send(true);
        if (!m_server) {
            error = m_serverProblem;
            return std::nullopt;
        }
        return selectCalibrations(m_server->db(), identifier, error);
    }

    QSqlDatabase instrumentDatabase(QString& error) override {
        send(true);
        if (m_server) return m_server->db();
        error = m_serverProblem;
        return {};
    }

    std::optional<std::vector<UnitRecord>> query(const RecordFilter& filter,
                                                 QString& error) override {
        send(true);
        if (!m_server) {
            error = m_serverProblem;
            return std::nullopt;
        }
        auto records = selectRecords(m_server->db(), filter, error);
        if (!records) dropServer(SqlFailure{error, {}});
        return records;
    }

    std::vector<UnitRecord> waiting() override {
        send(true);
        QString error;
        return selectWhere(m_spool.db(), QStringLiteral("unit_records"),
                           {QStringLiteral("record_id IN (SELECT record_id FROM outbox)")}, {},
                           error)
            .value_or(std::vector<UnitRecord>{});
    }

private:
    enum class Sent { All, Away, Refused };

    static QString safe(QString text) {
        return text.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9._-]")),
                            QStringLiteral("_"));
    }

    void dropServer(const SqlFailure& failure) {
        m_server.reset();
        m_serverProblem = QStringLiteral("server %1: %2").arg(m_address.text(), failure.text);
        m_awaySince.start();
    }

    // A connection to the server with the schema up to date; false with the problem kept.
    bool connectServer(SqlFailure& failure) {
        m_server = std::make_unique<Connection>(QStringLiteral("QPSQL"));
        QSqlDatabase db = m_server->db();
        db.setHostName(m_address.host);
        db.setPort(m_address.port);
        db.setUserName(m_address.user);
        db.setDatabaseName(m_address.name);
        // Bounded waits: a server that does not answer the connection, a network that goes
        // while a record is on its way (unacknowledged data gives up after 5 s instead of the
        // system's many minutes), a statement held up on the server.
        db.setConnectOptions(
            QStringLiteral("connect_timeout=%1;keepalives=1;keepalives_idle=5;"
                           "keepalives_interval=2;keepalives_count=2;tcp_user_timeout=5000;"
                           "options='-c statement_timeout=5000'")
                .arg(ConnectTimeoutS));
        if (!db.open()) {
            failure = failureOf(db.lastError());
            return false;
        }
        if (SqlResult migrated = migrate(db)) {
            failure = *migrated;
            return false;
        }
        if (m_use == Use::Recording)
            if (SqlResult refused = probeWrite(db)) {
                failure = *refused;
                return false;
            }
        return true;
    }

    // Sends what the outbox holds, oldest first. Unless `now`, a server found away lately is
    // not tried again yet. A connection that broke is made again once at once: the server may
    // have restarted since.
    Sent send(bool now) {
        if (!m_server && !now && m_awaySince.isValid() && m_awaySince.elapsed() < RetryAfterMs)
            return Sent::Away;
        for (int attempt = 0; attempt < 2; ++attempt) {
            const bool fresh = !m_server;
            SqlFailure failure;
            if (fresh && !connectServer(failure)) {
                dropServer(failure);
                return refusal(failure) ? Sent::Refused : Sent::Away;
            }
            if (drain(failure)) {
                m_serverProblem.clear();
                m_awaySince.invalidate();
                return Sent::All;
            }
            dropServer(failure);
            if (refusal(failure)) return Sent::Refused;
            if (fresh) return Sent::Away;
        }
        return Sent::Away;
    }

    // One record of the spool to the server; `complete`: it will not change any more.
    bool sendOne(const QString& id, bool calibration, bool& complete, SqlFailure& failure) {
        const QSqlDatabase spool = m_spool.db();
        QString error;
        SqlResult sent;
        if (calibration) {
            const auto rows = selectCalibrations(spool, id, error, QStringLiteral("record_id"));
            if (rows && !rows->empty()) sent = storeCalibrationRow(m_server->db(), rows->front());
            if (!rows) sent = SqlFailure{error, {}};
            // A session still going on stays in the spool for its next change.
            complete = rows && !rows->empty() && rows->front().finished.isValid();
        } else {
            const auto rows = selectWhere(spool, QStringLiteral("unit_records"),
                                          {QStringLiteral("record_id = ?")}, {id}, error);
            if (rows && !rows->empty()) sent = insertRecord(m_server->db(), rows->front(), true);
            if (!rows) sent = SqlFailure{error, {}};
            complete = rows && !rows->empty() && rows->front().completed();
        }
        if (sent) failure = *sent;
        return !sent;
    }

    bool drain(SqlFailure& failure) {
        const QSqlDatabase spool = m_spool.db();
        for (;;) {
            QSqlQuery next(spool);
            if (!next.exec(QStringLiteral(
                    "SELECT record_id, version, kind FROM outbox ORDER BY seq LIMIT 1"))) {
                failure = failureOf(next.lastError());
                failure.code.clear();  // the spool's trouble, not the server's refusal
                return false;
            }
            if (!next.next()) return true;
            const QString id = next.value(0).toString();
            const int version = next.value(1).toInt();
            const bool calibration = next.value(2).toString() == QLatin1String("calibration");
            next.finish();
            bool complete = true;
            if (!sendOne(id, calibration, complete, failure)) return false;
            // Sent as it was read: out of the outbox, and out of the spool once complete, unless
            // it changed meanwhile (its outcome came in another program sharing the spool).
            const SqlResult cleared = inTransaction(spool, [&]() -> SqlResult {
                QSqlQuery done(spool);
                done.prepare(
                    QStringLiteral("DELETE FROM outbox WHERE record_id = ? AND version = ?"));
                done.addBindValue(id);
                done.addBindValue(version);
                if (auto failed = exec(done)) return failed;
                if (done.numRowsAffected() != 1 || !complete) return std::nullopt;
                QSqlQuery drop(spool);
                drop.prepare(QStringLiteral("DELETE FROM %1 WHERE record_id = ?")
                                 .arg(calibration ? QStringLiteral("calibration_records")
                                                  : QStringLiteral("unit_records")));
                drop.addBindValue(id);
                return exec(drop);
            });
            if (cleared) {
                failure = {cleared->text, {}};
                return false;
            }
        }
    }

    Connection m_spool;
    QString m_spoolPath;
    std::unique_ptr<Connection> m_server;
    QElapsedTimer m_awaySince;
};

}  // namespace

// ---------------------------------------------------------------------------------------------

std::unique_ptr<RecordStore> RecordStore::open(const DatabaseAddress& address, QString& error,
                                               Use use) {
    if (address.engine == DatabaseAddress::Engine::SQLite) {
        auto store = std::make_unique<SQLiteStore>(address, use);
        if (SqlResult failure = store->open()) {
            error = QStringLiteral("%1: %2").arg(address.path, failure->text);
            return nullptr;
        }
        return store;
    }
    auto store = std::make_unique<ServerStore>(address, use);
    if (const QString problem = store->open(); !problem.isEmpty()) {
        error = problem;
        return nullptr;
    }
    return store;
}

RecordStore::~RecordStore() = default;

void RecordStore::stamp(QString& id, QDateTime& time, QString& bench, QString& version) {
    id = QUuid::createUuid().toString(QUuid::WithoutBraces);
    if (!time.isValid()) time = QDateTime::currentDateTime();
    // Records sort by their time, to the millisecond: two begun within one millisecond would
    // come back in any order. A program's records keep the order in which they were begun.
    if (m_lastBegun.isValid() && time <= m_lastBegun) time = m_lastBegun.addMSecs(1);
    m_lastBegun = time;
    const QString named = qEnvironmentVariable("VL48_BENCH");
    bench = named.isEmpty() ? QSysInfo::machineHostName() : named;
    version = QStringLiteral(VL48_VERSION);
}

QString RecordStore::addCalibration(CalibrationRecord& record) {
    stamp(record.id, record.time, record.bench, record.programVersion);
    record.finished = record.time;
    return storeCalibration(record);
}

QString RecordStore::beginCalibration(CalibrationRecord& record) {
    stamp(record.id, record.time, record.bench, record.programVersion);
    record.finished = {};
    return storeCalibration(record);
}

QString RecordStore::updateCalibration(const CalibrationRecord& record) {
    return storeCalibration(record);
}

QString RecordStore::completeCalibration(CalibrationRecord& record) {
    record.finished = QDateTime::currentDateTime();
    if (record.finished < record.time) record.finished = record.time;
    return storeCalibration(record);
}

std::optional<std::vector<CalibrationRecord>> RecordStore::calibrations(const QString& identifier,
                                                                        QString& error) {
    return queryCalibrations(identifier.isEmpty() ? QString() : identifier, error);
}

std::optional<std::vector<Instrument>> RecordStore::instruments(QString& error) {
    const QSqlDatabase db = instrumentDatabase(error);
    if (!db.isValid()) return std::nullopt;
    QSqlQuery query(db);
    if (!query.exec(QStringLiteral(
            "SELECT name, model, serial, certificate, due_date FROM instruments ORDER BY name"))) {
        error = failureOf(query.lastError()).text;
        return std::nullopt;
    }
    std::vector<Instrument> list;
    while (query.next())
        list.push_back({query.value(0).toString(), query.value(1).toString(),
                        query.value(2).toString(), query.value(3).toString(),
                        QDate::fromString(query.value(4).toString(), Qt::ISODate)});
    return list;
}

QString RecordStore::addInstrument(const Instrument& i) {
    QString error;
    const QSqlDatabase db = instrumentDatabase(error);
    if (!db.isValid()) return error;
    QSqlQuery query(db);
    query.prepare(QStringLiteral(
        "INSERT INTO instruments (name, model, serial, certificate, due_date) VALUES (?, ?, ?, ?, "
        "?) ON CONFLICT (name) DO UPDATE SET model = excluded.model, serial = excluded.serial, "
        "certificate = excluded.certificate, due_date = excluded.due_date"));
    for (const QVariant& value : {textOf(i.name), textOf(i.model), textOf(i.serial),
                                  textOf(i.certificate), QVariant(i.due.toString(Qt::ISODate))})
        query.addBindValue(value);
    const SqlResult failure = exec(query);
    return failure ? failure->text : QString();
}

std::optional<QString> RecordStore::instrumentsForCheck(const QStringList& names, bool overrideDue,
                                                        const QDate& today, QString& error) {
    const auto list = instruments(error);
    if (!list) return std::nullopt;
    QJsonArray used;
    for (const QString& name : names) {
        const auto found = std::find_if(list->begin(), list->end(),
                                        [&](const Instrument& i) { return i.name == name; });
        if (found == list->end()) {
            error = QStringLiteral("no instrument \"%1\" in the list").arg(name);
            return std::nullopt;
        }
        const bool overdue = !found->due.isValid() || found->due < today;
        if (overdue && !overrideDue) {
            error = QStringLiteral("instrument \"%1\" was due for calibration on %2")
                        .arg(name, found->due.toString(Qt::ISODate));
            return std::nullopt;
        }
        QJsonObject entry{{QStringLiteral("name"), found->name},
                          {QStringLiteral("model"), found->model},
                          {QStringLiteral("serial"), found->serial},
                          {QStringLiteral("certificate"), found->certificate},
                          {QStringLiteral("due"), found->due.toString(Qt::ISODate)}};
        if (overdue) entry.insert(QStringLiteral("overdue"), true);
        used.append(entry);
    }
    return QString::fromUtf8(QJsonDocument(used).toJson(QJsonDocument::Compact));
}

QString RecordStore::begin(UnitRecord& record) {
    stamp(record.id, record.log.time, record.bench, record.programVersion);
    record.log.result.clear();
    return store(record, true);
}

QString RecordStore::complete(UnitRecord& record) {
    if (!record.finished.isValid()) record.finished = QDateTime::currentDateTime();
    return store(record, false);
}

std::optional<std::vector<UnitRecord>> RecordStore::select(const RecordFilter& filter,
                                                           QString& error) {
    return query(filter, error);
}

std::vector<UnitRecord> RecordStore::pending() { return waiting(); }

QByteArray recordsCsv(const std::vector<UnitRecord>& records) {
    QStringList header = csvColumns();
    header << QStringLiteral("bench");
    for (bool readBack : {false, true})
        for (const FieldDef& def : ConfigFields) header << columnOf(def, readBack);
    QByteArray csv = csvRecord(header);
    for (const UnitRecord& r : records) {
        QStringList fields = csvFields(r.log);
        fields << r.bench;
        for (bool readBack : {false, true})
            for (const FieldDef& def : ConfigFields) {
                const QVariant value =
                    readBack ? (r.readBack ? (*r.readBack)[size_t(def.field)] : QVariant())
                             : r.written[size_t(def.field)];
                fields << value.toString();
            }
        csv += csvRecord(fields);
    }
    return csv;
}

}  // namespace vl48
