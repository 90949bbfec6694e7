// The analogue output checked and trimmed against a reference meter: a check drives the output
// to a set of points and compares the meter's readings with them; a trim computes, from readings
// in the output's linear range, the zero and end codes that give exactly the labelled values
// (0 and 20 mA, 0 and 10 V) and refines them; the calibration runs an as-found check, the trim,
// the store and an as-left check. Widget-free, and the meter is a function, so that a typed
// reading and a SCPI meter serve alike. The output is released however any of them ends.
#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/device/MemoryMap.h"

namespace vl48 {

class Link;

enum class OutputKind { Current, Voltage };

struct OutputRange {
    OutputKind kind;
    const char* name;  // "current", "voltage": how vl48-cli and the records name it
    const char* unit;  // "mA", "V"
    Cell zeroCell, endCell;
    double fullScale;                 // 20 mA, 10 V: the labelled value of the end code
    double lowTarget;                 // the lower point a trim reads, well inside the linear range
    std::vector<double> checkPoints;  // a check's points by default
};
const OutputRange& outputRange(OutputKind kind);

// The converter code that the line through the zero and end codes gives for `target`, in 0..16383.
uint16_t codeForTarget(double target, uint16_t zero, uint16_t end, double fullScale);

// A reading of the meter at a point, in the output's unit (mA, V); nothing with `error` set when
// there is none (the meter did not answer, the person cancelled).
using MeterRead =
    std::function<std::optional<double>(double target, uint16_t code, QString& error)>;
// Waits `ms` for the output to settle; false when the procedure is to stop (Ctrl+C).
using SettleWait = std::function<bool(int ms)>;

struct OutputSettings {
    double tolerancePercent = 0.05;  // of full scale, for a check's pass or fail
    int settleMs = 300;
    std::vector<double> points;  // empty: the range's check points
    // A trim is done when both of its points read within this, in % of full scale.
    double trimPercent = 0.01;
    int trimRounds = 5;
};

struct CheckPoint {
    double target = 0;
    uint16_t code = 0;
    double reading = 0;
    double errorPercent = 0;  // (reading - target) / full scale * 100
    bool pass = false;
};
struct CheckResult {
    std::vector<CheckPoint> points;
    bool complete = false;  // every point read
    bool pass = false;      // complete and every point within the tolerance
    QString problem;        // why not complete
};
// Drives each point in turn with the code the line through `zero` and `end` gives it.
CheckResult checkOutput(Link& link, OutputKind kind, uint16_t zero, uint16_t end,
                        const OutputSettings& settings, const MeterRead& read,
                        const SettleWait& wait);

struct TrimRound {
    uint16_t lowCode = 0, endCode = 0;
    double lowReading = 0, endReading = 0;
};
struct TrimResult {
    bool done = false;  // codes found; else `problem` says why and nothing may be stored
    uint16_t zero = 0, end = 0;
    std::vector<TrimRound> rounds;
    bool withinTarget = false;  // the last round read within trimPercent at both points
    QString problem;
};
// Reads the low point and the end point through the line of the codes given, fits the line of
// the unit's output through the two readings and takes from it the code of the labelled zero
// (found by extrapolation: a current output clips at 0 mA, where no reading tells the code) and
// of the labelled end; then again with the new codes, until both points read within trimPercent
// or the codes stop changing.
TrimResult trimOutput(Link& link, OutputKind kind, uint16_t zero, uint16_t end,
                      const OutputSettings& settings, const MeterRead& read,
                      const SettleWait& wait);

// Where the codes are stored: as the service panel's fields store them (the cells written), or
// as the correction panel does (within 48 codes of the calibration copy, then the correction
// state 1).
enum class TrimPanel { Service, Correction };
struct CodesStored {
    bool stored = false;
    QString problem;  // why not: a refusal (nothing written) or a write that failed
};
CodesStored storeOutputCodes(Link& link, OutputKind kind, TrimPanel panel, uint16_t zero,
                              uint16_t end);

// As found, trim, store, as left.
struct OutputCalibration {
    OutputKind kind = OutputKind::Current;
    TrimPanel panel = TrimPanel::Service;
    double tolerancePercent = 0;
    std::array<uint16_t, 2> codesBefore{}, codesAfter{};  // zero, end
    CheckResult asFound, asLeft;
    TrimResult trim;
    bool stored = false;
    bool pass = false;  // the as-left check passed
    QString problem;    // why the procedure stopped, empty when it ran to its end
};
// `onStage` is told "as found", "trim", "as left" as each begins, and each table as it is done.
OutputCalibration calibrateOutput(
    Link& link, OutputKind kind, TrimPanel panel, const OutputSettings& settings,
    const MeterRead& read, const SettleWait& wait,
    const std::function<void(const OutputCalibration&)>& onStage = {});

}  // namespace vl48
