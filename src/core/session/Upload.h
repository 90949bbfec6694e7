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

#include "core/device/MemoryMap.h"
#include "core/records/ConfigFile.h"

namespace vl48 {

class Link;

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
    // Every read answered, the note's length included; when false, `differences` is meaningless.
    bool complete = false;
    std::vector<Difference> differences;
    // What the transmitter holds, as a configuration: the values compared, those that differ
    // replaced by the transmitter's (a date that is no calendar date stays invalid).
    ConfigFileValues found;
    // "EEInputType EENoteText": the cells named in the differences, in address order.
    QString cellNames() const;
};
// Reads the thirteen cells and the note (reads only, nothing written) and compares them with
// what the upload of `values` writes, word for word: a cell holding more than its field can
// show differs from the field's nearest value.
Comparison compareWithTransmitter(Link& link, const ConfigFileValues& values);

}  // namespace vl48
