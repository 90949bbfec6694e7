// A calibration session of one unit, as its record keeps it: the unit's configuration as read,
// the checks of the input and the output as found, the adjustments made between them (each cell
// the input calibration or the output trim may change, with the value read before and after),
// the checks as left, and the verdict. Widget-free; the window runs the stages and the records
// database keeps the record, begun before the first write and completed at the end.
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>
#include <array>
#include <map>
#include <optional>

#include "core/device/MemoryMap.h"
#include "core/session/ConfigReading.h"
#include "core/session/InputCheck.h"
#include "core/session/OutputTrim.h"

namespace vl48 {

class Link;

// What a calibration adjusts: the input's constants and the output's zero and end codes.
constexpr std::array<Cell, 8> AdjustableCells = {EEMVCorr,  EEADCOffset, EEPT100Const, EEPT1KConst,
                                                 EEAOIZero, EEAOIEnd,    EEAOUZero,    EEAOUEnd};
using CellValues = std::map<Cell, int>;
// Reads every adjustable cell; nothing when one of them did not answer, so that an adjustment is
// never recorded from a value that was not read.
std::optional<CellValues> readAdjustable(Link& link);
// The cells whose value changed, old and new: [{"cell":"EEPT100Const","old":12,"new":-31}, ...].
QJsonArray adjustmentsOf(const CellValues& before, const CellValues& after);

// The configuration cells that answered, by name, as the numbers they hold.
QJsonObject configurationJson(const TransmitterConfig& config);

// The points of a check as the records keep them, the same from the window and vl48-cli.
QJsonArray inputPointsJson(const InputCheckResult& check);
QJsonArray outputPointsJson(const CheckResult& check);

struct OutputCheck {
    OutputKind kind = OutputKind::Current;
    double tolerancePercent = 0;
    CheckResult result;
};

// The checks of one stage (as found, as left): the input's, the output's, or both.
struct SessionChecks {
    std::optional<InputCheckResult> input;
    std::optional<OutputCheck> output;
    bool done() const { return input || output; }
    // Every check of the stage read every point...
    bool complete() const;
    // ... and every point passed.
    bool pass() const;
    // {"input":{"unit":"°C","tolerance":0.3,"complete":true,"pass":false,"points":[...]},
    //  "output":{"subject":"current","tolerance_percent":0.05,...,"points":[...]}}
    QJsonObject json() const;
};

// The record's subject of a session: "input", "current", "input, current", ...
QString sessionSubject(const SessionChecks& checks);

QString compactJson(const QJsonObject& object);
QString compactJson(const QJsonArray& array);

}  // namespace vl48
