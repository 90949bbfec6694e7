// Programming one unit with a configuration file: the upload's refusals and steps, the
// read-back, the production log's line and the result line. `write` programs one unit with it,
// `series` one after another.
#pragma once

#include <QString>
#include <optional>
#include <vector>

#include "Output.h"
#include "files/ConfigFile.h"
#include "files/ProductionLog.h"
#include "files/Upload.h"

namespace vl48cli {

class Session;

struct Job {
    QString file;  // as given on the command line
    vl48::ConfigFileValues values;
    std::vector<vl48::UploadStep> steps;
    bool verify = false;
    std::optional<vl48::ProductionLog> log;
    QString operatorNote;
};

// Loads a whole configuration file; says why not on standard error.
bool loadConfiguration(const QString& path, vl48::ConfigFileValues& values);

// Loads the file, refuses what the upload refuses and makes sure the log can be written, all
// before any port is opened. ExitDone, or ExitFile with the reason said.
int prepareJob(Job& job, const QString& file, bool verify, const QString& logPath,
               const QString& note);

// Programs the identified unit on the session's port (`unit` numbers the result of a series,
// 0 for a single unit), logs the attempt and prints its result. Returns the exit code of this
// unit: ExitDone, ExitRefused, ExitExchange, ExitMismatch, or ExitFile when all went well but
// the log line could not be written.
int programUnit(Session& session, const Job& job, const Output& out, int unit);

}  // namespace vl48cli
