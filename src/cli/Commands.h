// The commands of the command-line programmer, each given its parsed command line.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "Output.h"

namespace vl48 {
class RecordStore;
}

namespace vl48cli {

struct Invocation {
    QString port;
    QString file;    // the configuration file of diff, write and series
    QString output;  // read -o
    QString log;
    QString note;
    bool verify = false;
    // series: the identifier just programmed, answering again after a silence, is a new unit
    bool newAfterSilence = false;
    int count = 0;       // 0: no limit
    double every = 1.0;  // seconds between measurements
    // The records database: --db URL; an empty text for --db alone (the default file).
    std::optional<QString> db;
    QString identifier;  // history
    // records: the selection, and the form of the answer
    QDate since, until;
    QString result, bench;
    bool csv = false;
    bool pending = false;
    // check-output, trim-output
    QString outputKind;  // current, voltage
    QString meter;       // the meter's serial port; empty: typed readings
    int meterBaud = 0;
    QString meterQuery;
    std::optional<double> tolerance;      // % of full scale (output), °C or Ω (input)
    std::optional<double> toleranceSpan;  // check-input: % of the range's span
    std::optional<int> settleMs;
    std::vector<double> points;
    QString panel;  // service, correction
    // The lab's instruments a check used, and whether an overdue one may serve; instruments:
    // one to add or replace in the list.
    QStringList instruments;
    bool overrideDue = false;
    QString technician;  // who calibrates: --technician, else VL48_TECHNICIAN, else the login
    QString add, model, serial, certificate;
    QDate due;
    // certificate: its language (cs, en) and the lab file; the record's id is `identifier`
    QString lang;
    QString lab;
};

// The instruments a check names, checked against the list of the records database, as the
// calibration record holds them ("[]" for none). Nothing when one is unknown or overdue without
// --override-due, or named without a database (said).
std::optional<QString> instrumentsOf(const Invocation& call, vl48::RecordStore* store);

// What a calibration command settles before anything is driven: the records database, when one
// is given, opened for recording, and the instruments it names, checked. ExitDone, or ExitFile
// with the reason said.
struct CalibrationRecords {
    std::unique_ptr<vl48::RecordStore> store;
    QString instruments;  // as CalibrationRecord::instruments holds them
};
int prepareCalibration(const Invocation& call, CalibrationRecords& records);

// A number typed on the terminal after `prompt`, with a decimal comma or point; nothing, with
// `error`, for no line or no number.
std::optional<double> typedNumber(const QString& prompt, QString& error);

int runPorts(const Invocation& call, const Output& out);
int runIdentify(const Invocation& call, const Output& out);
int runRead(const Invocation& call, const Output& out);
int runDiff(const Invocation& call, const Output& out);
int runWrite(const Invocation& call, const Output& out);
int runSeries(const Invocation& call, const Output& out);
int runMeasure(const Invocation& call, const Output& out);
int runHistory(const Invocation& call, const Output& out);
int runRecords(const Invocation& call, const Output& out);
int runCheckOutput(const Invocation& call, const Output& out);
int runTrimOutput(const Invocation& call, const Output& out);
int runCheckInput(const Invocation& call, const Output& out);
int runInstruments(const Invocation& call, const Output& out);
int runCertificate(const Invocation& call, const Output& out);

}  // namespace vl48cli
