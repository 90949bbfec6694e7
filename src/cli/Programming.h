// Programming one unit with a configuration file: the upload's refusals and steps, the
// read-back, the production log's line and the result line. `write` programs one unit with it,
// `series` one after another.
#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "Output.h"
#include "core/records/ConfigFile.h"
#include "core/records/ProductionLog.h"
#include "core/records/RecordStore.h"
#include "core/session/Upload.h"

namespace vl48cli {

class Session;

struct Job {
    QString file;  // as given on the command line
    vl48::ConfigFileValues values;
    std::vector<vl48::UploadStep> steps;
    bool verify = false;
    std::optional<vl48::ProductionLog> log;
    std::unique_ptr<vl48::RecordStore> records;
    QString operatorNote;
    // Set when the log or the database could not take a unit's record: nothing further could be
    // recorded.
    mutable bool logFailed = false;
    // What was last said about records waiting on this bench for their server.
    mutable QString toldWaiting;
};

// A value in the form the file writes it (Difference::wanted, found) as JSON: codes and numbers
// as numbers (lead resistance in ohms), the date as yyyy-MM-dd, the note as text.
QJsonValue fieldJson(const vl48::FieldDef& def, const QString& text);
// The differences as lines ("  input type: file 10, transmitter 1") and as JSON.
QString differencesText(const vl48::Comparison& comparison);
QJsonArray differencesJson(const vl48::Comparison& comparison);

// Loads a whole configuration file; says why not on standard error.
bool loadConfiguration(const QString& path, vl48::ConfigFileValues& values);

// The records database a command is given: --db URL, --db alone for the default file, else
// VL48_DB; nothing when none is given and `fallback` is false, else the default file.
std::optional<vl48::DatabaseAddress> databaseOf(const std::optional<QString>& db, bool fallback,
                                                QString& error);

// Loads the file, refuses what the upload refuses and makes sure the log and the database can
// be written, all before any port is opened. ExitDone, or ExitFile with the reason said.
int prepareJob(Job& job, const QString& file, bool verify, const QString& logPath,
               const std::optional<QString>& db, const QString& note);

// Programs the identified unit on the session's port (`unit` numbers the result of a series,
// 0 for a single unit), logs the attempt and prints its result. Returns the exit code of this
// unit: ExitDone, ExitRefused, ExitExchange (the write failed), ExitReadBack, ExitMismatch,
// ExitFile (the log or the database could not take the unit's record: nothing written) or
// ExitUnlogged (all went well but the log line or the record's outcome could not be written).
int programUnit(Session& session, const Job& job, const Output& out, int unit);

// The units of one port's series and how they went.
struct SeriesTally {
    int units = 0, ok = 0, failed = 0, skipped = 0;
    int firstFailure = ExitDone;
    bool portRefused = false;  // a port this user may not use, or another program holds

    void add(int exit);
    // Its exit code: the first unit's that was not programmed, else a refused port's, else an
    // interruption's.
    int exit() const;
    // "3 units: 2 ok, 1 failed, 0 skipped"
    QString text() const;
};

// The series on one port (`count` units, 0: until stopped) with a prepared job, to its end; the
// port is closed then. Said and printed through Station.h, so that it also serves a station.
SeriesTally seriesOn(const QString& port, const Job& job, const Output& out, int count,
                     bool newAfterSilence);

}  // namespace vl48cli
