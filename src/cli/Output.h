// What the command-line programmer prints: results on standard output, as text lines or as one
// compact JSON object per line (--json), and messages for the person on standard error.
#pragma once

#include <QJsonObject>
#include <QString>

namespace vl48cli {

// The exit codes, as --help and the README list them.
enum Exit : int {
    ExitDone = 0,
    ExitUsage = 1,
    ExitNoAnswer = 2,  // the port cannot be opened, or nothing answers on it
    ExitRefused = 3,   // a device this tool does not configure
    ExitExchange = 4,  // an exchange with the transmitter failed
    ExitMismatch = 5,  // the transmitter holds other values than the file
    ExitFile = 6,      // a configuration file or the log cannot be read or written
};

class Output {
public:
    explicit Output(bool json) : m_json(json) {}
    bool json() const { return m_json; }
    // One result: the object as a single line with --json, else the text (its own lines).
    // Flushed at once, so that a program reading the lines sees each as it happens.
    void result(const QJsonObject& object, const QString& text) const;

private:
    bool m_json;
};

// A line for the person on standard error, after the program's name.
void say(const QString& text);

// A number with a fixed count of decimals as text and as JSON: 235, 1 -> "23.5" / 23.5.
QString decimalText(qint64 n, int decimals);
double decimalValue(qint64 n, int decimals);

}  // namespace vl48cli
