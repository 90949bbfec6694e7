// The records database: one record for every programming attempt of every unit, in a SQLite file
// on one bench or on a PostgreSQL server that a line of benches shares, queryable by identifier.
// A record is begun before the unit's first write and completed with its outcome, so a program
// killed in the middle leaves an attempt without an outcome, never nothing.
//
// On PostgreSQL every record is first committed to a SQLite spool on the bench and then sent to
// the server, in order, as soon as the server can be reached: a bench whose server is away goes
// on programming and loses nothing. A record carries an id made on the bench, and the server
// keeps one row per id, so a record sent twice is stored once.
#pragma once

#include <QDateTime>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "core/device/Configuration.h"
#include "core/records/ProductionLog.h"

namespace vl48 {

// Where the records go: "sqlite:PATH", "postgresql://USER@HOST[:PORT]/DBNAME" (HOST
// percent-encoded; one that starts with "/" is the folder of the server's Unix socket). The
// password comes from PGPASSWORD or ~/.pgpass, never from the address.
struct DatabaseAddress {
    enum class Engine { SQLite, PostgreSQL };
    Engine engine = Engine::SQLite;
    QString path;  // SQLite
    QString user, host, name;
    int port = 5432;

    // The address parsed; nothing, with `error` set, when it is none of the forms above.
    static std::optional<DatabaseAddress> parse(const QString& text, QString* error = nullptr);
    // The SQLite file in the user's data folder, the same for the window and vl48-cli.
    static DatabaseAddress defaultSQLite();
    // The address as the forms above write it.
    QString text() const;
};

// The thirteen configuration values as numbers, in the order of the configuration table: list
// codes and the number fields' values (in their own unit: °C, ohms), the date as yyyy-MM-dd,
// the note as text.
using ConfigRecordValues = std::array<QVariant, ConfigFieldCount>;
ConfigRecordValues recordValues(const ConfigFileValues& values);

struct UnitRecord {
    QString id;            // made on the bench when the record is begun
    ProductionRecord log;  // what the production log's line holds; result empty until completed
    QDateTime finished;
    QString bench;           // the host name
    QString programVersion;  // of the program that programmed the unit
    int failedStep = 0;      // the step whose write failed, 0 for none
    ConfigRecordValues written;
    std::optional<ConfigRecordValues> readBack;  // with a verify that answered
    bool completed() const { return !log.result.isEmpty(); }
};

// A calibration of a unit: what was calibrated and how, against which reference, with its
// tables as found and as left and its verdict. A single procedure's record is written once, when
// it is over; a calibration session's is begun before the unit's first write and changed as the
// session goes on, so that a program killed in the middle leaves the session without an outcome.
struct CalibrationRecord {
    QString id;  // made on the bench
    QDateTime time;
    QDateTime finished;  // invalid while a session is under way
    QString bench, programVersion;
    QString port, deviceType, firmware, identifier;
    QString procedure;  // "output trim", "output check", "input check", "calibration session"
    QString subject;    // "current", "voltage", "°C", "Ω"; a session's: "input", "input, current"
    QString reference;  // the meter's identity (*IDN?), or "typed"
    double tolerancePercent = 0;
    // An input check's tolerance in the input's unit (°C, Ω), where it is not a % of the span.
    std::optional<double> tolerance;
    // JSON texts: the tables ([{"target":4,"code":3281,"reading":4.0012,...}, ...]) and the
    // codes ({"zero":1640,"end":16380}); empty where the procedure has none. A session's tables
    // are an object of the input's and the output's ({"input":{"unit":"°C","tolerance":0.3,
    // "points":[...]},"output":{"subject":"current","tolerance_percent":0.05,"points":[...]}}).
    QString asFound, asLeft, codesBefore, codesAfter;
    // A session's: the configuration as read ({"EEInputType":8,...}), the adjustments made
    // ([{"cell":"EEPT100Const","old":12,"new":-31}, ...]) and the ambient temperature typed.
    QString configuration, adjustments;
    std::optional<double> ambient;
    // JSON text: the lab's instruments used ([{"name":..,"certificate":..,"due":"2027-01-31",
    // "overdue":true}, ...]); an overdue one only where the technician overrode its due date.
    QString instruments;
    QString verdict;  // "pass", "fail"; empty when the procedure did not finish
    QString problem;  // why it did not finish
    QString operatorNote;
    QString technician;  // who calibrated, as the certificate names them
};

// One of the lab's reference instruments, with the certificate of its own calibration.
struct Instrument {
    QString name;  // how a check names it; unique
    QString model, serial, certificate;
    QDate due;  // calibration due date: past it, the instrument is refused for a check
};

// A selection of records; an empty field does not restrict.
struct RecordFilter {
    QString identifier;
    QDate since, until;  // local dates, both included
    QString result;      // "ok" (ok only) or "failed" (every other outcome, none included)
    QString bench;
};

class RecordStore {
public:
    // Opens the database (and on PostgreSQL the bench's spool), bringing the schema up to date;
    // for recording, it also proves that a record can be added. A server that cannot be reached
    // is no error here: the records wait in the spool. Nothing, with `error` saying why, when
    // the database cannot be used: a file that cannot be opened or written, a server that
    // refuses this user.
    enum class Use { Recording, LookingUp };
    static std::unique_ptr<RecordStore> open(const DatabaseAddress& address, QString& error,
                                             Use use = Use::Recording);
    virtual ~RecordStore();

    const DatabaseAddress& address() const { return m_address; }

    // A new record for a unit about to be programmed: fills id, bench and version and commits
    // it. Empty on success, else why the database cannot take it (nothing may be written then).
    QString begin(UnitRecord& record);
    // The record's outcome (result, finished, read-back). Empty on success, else why not.
    QString complete(UnitRecord& record);

    // Oldest first. Nothing, with `error` set, when the database cannot be read.
    std::optional<std::vector<UnitRecord>> select(const RecordFilter& filter, QString& error);

    // A calibration, its id, time, bench and version filled in. Empty on success, else why not.
    QString addCalibration(CalibrationRecord& record);
    // A calibration session: begun (id, time, bench and version filled in, not finished) before
    // the unit's first write, changed as it goes on, completed (finished now) at its end. Each
    // commits the record as it is; empty on success, else why not.
    QString beginCalibration(CalibrationRecord& record);
    QString updateCalibration(const CalibrationRecord& record);
    QString completeCalibration(CalibrationRecord& record);
    // One unit's calibrations, oldest first (every unit's when `identifier` is empty).
    std::optional<std::vector<CalibrationRecord>> calibrations(const QString& identifier,
                                                               QString& error);

    // The lab's instruments, by name; an instrument added under a name already there replaces
    // it (a new certificate). On a server these need the server: they are not spooled.
    std::optional<std::vector<Instrument>> instruments(QString& error);
    QString addInstrument(const Instrument& instrument);
    // The instruments a check names, as CalibrationRecord::instruments holds them. Nothing, with
    // `error` saying which, for a name not in the list, or for one past its due date on `today`
    // unless `overrideDue` (then marked "overdue" in the record).
    std::optional<QString> instrumentsForCheck(const QStringList& names, bool overrideDue,
                                               const QDate& today, QString& error);

    // PostgreSQL: records committed on this bench and not yet on the server, oldest first, after
    // one more attempt to send them; `serverProblem` why they could not go, when they could not.
    std::vector<UnitRecord> pending();
    QString serverProblem() const { return m_serverProblem; }

protected:
    RecordStore(DatabaseAddress address, Use use) : m_address(std::move(address)), m_use(use) {}
    virtual QString store(const UnitRecord& record, bool first) = 0;
    virtual std::optional<std::vector<UnitRecord>> query(const RecordFilter& filter,
                                                         QString& error) = 0;
    virtual std::vector<UnitRecord> waiting() { return {}; }
    virtual QString storeCalibration(const CalibrationRecord& record) = 0;
    virtual std::optional<std::vector<CalibrationRecord>> queryCalibrations(
        const QString& identifier, QString& error) = 0;
    // The database the instruments are kept in, now; invalid with `error` set when none.
    virtual QSqlDatabase instrumentDatabase(QString& error) = 0;
    // Id, bench and version of a record begun now.
    void stamp(QString& id, QDateTime& time, QString& bench, QString& version);

    DatabaseAddress m_address;
    Use m_use;
    QString m_serverProblem;
    QDateTime m_lastBegun;
};

// The CSV of a selection: the production log's columns, the bench, then the values written and
// those read back; one line each with CR LF, the header line first.
QByteArray recordsCsv(const std::vector<UnitRecord>& records);

}  // namespace vl48
