// Programming a stored configuration into a transmitter: the refusals that come before any
// write, the fourteen steps in their order, and the read-back that compares a transmitter with a
// configuration (after an upload, or before one to see what it would change). Widget-free: the
// bulk tab and the command-line programmer run the same steps.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>
#include <vector>

#include "ConfigFile.h"
#include "config/MemoryMap.h"

namespace vl48 {

class Link;

// The thirteen values of a configuration, in the order of the file's lines.
enum class ConfigField {
    InputType,
    OutputType,
    SensorFault,
    RangeBegin,
    RangeEnd,
    Filter,
    CompMode,
    CompTemp,
    OutputLimit,
    Wiring,
    Date,
    Note,
    LineRes,
};
constexpr int ConfigFieldCount = 13;
// "input type", ...: how the command-line programmer and the log name a value.
const char* fieldName(ConfigField field);

// Why an upload is refused before anything is written: a list without an entry would put 65535
// into its cell, and a date before 2000 would be stored where the basic tab cannot show it.
struct UploadRefusal {
    enum class Reason { NoListEntry, EarlyDate } reason;
    ConfigField field;
};
std::optional<UploadRefusal> uploadRefusal(const ConfigFileValues& values);

// One step of the upload: one cell write, or (step 13) the note with its length.
struct UploadStep {
    int number;  // 1..14
    ConfigField field;
    Cell cell;          // the cell written; EENoteLength for the note
    uint16_t word = 0;  // the value written, when not the note
    QByteArray note;    // the note's bytes, for step 13
};
// The fourteen steps for a configuration that uploadRefusal lets through.
std::vector<UploadStep> uploadSteps(const ConfigFileValues& values);
// The note as the transmitter is given it: Windows-1250, at most 30 bytes, bytes read from a
// file kept where the text was left as read.
QByteArray noteBytesOf(const ConfigFileValues& values);

// Runs the steps in order; `done` is told each step that the transmitter acknowledged, before
// the next one goes out. Returns 0 when all went through, else the number of the step whose
// write failed (nothing after it was sent).
int runUpload(Link& link, const std::vector<UploadStep>& steps,
              const std::function<void(const UploadStep&)>& done = {});

// A value the transmitter holds otherwise than the configuration says.
struct Difference {
    ConfigField field;
    std::vector<Cell> cells;       // the cells that differ
    QString wanted;                // the configuration's value, as the file writes it
    QString found;                 // the transmitter's value, in the same form
    std::optional<int> foundCode;  // for a list: the code the transmitter holds
};
struct Comparison {
    bool complete = false;  // every read answered; when false, `differences` is meaningless
    std::vector<Difference> differences;
    // "EEInputType EENoteText": the cells named in the differences, in address order.
    QString cellNames() const;
};
// Reads the thirteen cells and the note (reads only, nothing written) and compares them with
// what the upload of `values` writes.
Comparison compareWithTransmitter(Link& link, const ConfigFileValues& values);

}  // namespace vl48
