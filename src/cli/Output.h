// What the command-line programmer prints: results on standard output, as text lines or as one
// compact JSON object per line (--json), and messages for the person on standard error.
#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QString>

namespace vl48cli {

// The exit codes, as --help and the README list them.
enum Exit : int {
    ExitDone = 0,
    ExitUsage = 1,
    ExitNoAnswer = 2,  // the port cannot be opened, or nothing answers on it
    ExitRefused = 3,   // a device this tool does not configure
    ExitExchange = 4,  // a read went unanswered, or the write failed at step N
    ExitMismatch = 5,  // the transmitter holds other values than the file
    ExitFile = 6,      // a file refused or unreadable, or a log or a database that cannot take
                       // the unit's record: nothing was written into the unit
    ExitUnlogged = 7,  // the unit was programmed, but its log line or record could not be written
    ExitReadBack = 8,  // the write went through, the read-back of --verify did not answer
    ExitInterrupted = 9,      // stopped by Ctrl+C, SIGTERM or SIGHUP with nothing left half done
    ExitDatabase = 10,        // the records database cannot be read (history, records)
    ExitOutOfTolerance = 11,  // outside the tolerance (check-output, trim-output, check-input)
    ExitAbandoned = 130,      // a second request abandoned a unit half-written
};

class Output {
public:
    explicit Output(bool json) : m_json(json) {}
    bool json() const { return m_json; }
    // One result: the object as a single line with --json, else the text (its own lines).
    // Flushed at once, so that a program reading the lines sees each as it happens. An object
    // with an "exit_code" reports the command's outcome.
    void result(const QJsonObject& object, const QString& text) const;
    // The end of a command: with --json, an outcome no result reported (a refusal, a failure
    // before any frame, an interruption) is reported as one object with the code and the last
    // message said.
    void finish(const QString& command, int exit) const;

private:
    bool m_json;
    mutable bool m_outcomeReported = false;
};

// A line for the person on standard error, after the program's name.
void say(const QString& text);

// A moment with its offset from UTC, to the millisecond: "2026-12-09T10:15:00.123+01:00".
QString timeText(const QDateTime& time);

// A number with a fixed count of decimals as text and as JSON: 235, 1 -> "23.5" / 23.5.
QString decimalText(qint64 n, int decimals);
double decimalValue(qint64 n, int decimals);

}  // namespace vl48cli
