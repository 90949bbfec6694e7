// Programming one unit with a configuration file: the upload's refusals and steps, the
// read-back, the production log's line and the result line. `write` programs one unit with it,
// `series` one after another.
#pragma once

#include <QJsonArray>
#include <QJsonValue>
#include <QString>
#include <optional>
#include <vector>

#include "Output.h"
#include "core/records/ConfigFile.h"
#include "core/records/ProductionLog.h"
#include "core/session/Upload.h"

namespace vl48cli {

class Session;

struct Job {
    QString file;  // as given on the command line
    vl48::ConfigFileValues values;
    std::vector<vl48::UploadStep> steps;
    bool verify = false;
    std::optional<vl48::ProductionLog> log;
    QString operatorNote;
    // Set when the log could not take a unit's line: nothing further could be recorded.
    mutable bool logFailed = false;
};

// A value in the form the file writes it (Difference::wanted, found) as JSON: codes and numbers
// as numbers (lead resistance in ohms), the date as yyyy-MM-dd, the note as text.
QJsonValue fieldJson(const vl48::FieldDef& def, const QString& text);
// The differences as lines ("  input type: file 10, transmitter 1") and as JSON.
QString differencesText(const vl48::Comparison& comparison);
QJsonArray differencesJson(const vl48::Comparison& comparison);

// Loads a whole configuration file; says why not on standard error.
bool loadConfiguration(const QString& path, vl48::ConfigFileValues& values);

// Loads the file, refuses what the upload refuses and makes sure the log can be written, all
// before any port is opened. ExitDone, or ExitFile with the reason said.
int prepareJob(Job& job, const QString& file, bool verify, const QString& logPath,
               const QString& note);

// Programs the identified unit on the session's port (`unit` numbers the result of a series,
// 0 for a single unit), logs the attempt and prints its result. Returns the exit code of this
// unit: ExitDone, ExitRefused, ExitExchange (the write failed), ExitReadBack, ExitMismatch,
// ExitFile (the log could not take the unit's line: nothing written) or ExitUnlogged (all went
// well but the log line could not be written).
int programUnit(Session& session, const Job& job, const Output& out, int unit);

}  // namespace vl48cli
