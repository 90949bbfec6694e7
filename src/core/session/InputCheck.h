// The input checked against a reference: at each point the technician's calibrator applies a
// known value (typed: °C, or Ω for the ohm meter), the transmitter's reading is taken once it is
// stable, and its error is held against a tolerance. Before a calibration it is the check as
// found, after it as left. Widget-free: the window and vl48-cli run the same check.
#pragma once

#include <QString>
#include <functional>
#include <optional>
#include <vector>

namespace vl48 {

class Link;

struct InputCheckSettings {
    // The points, in the input's unit; empty: the range begin, its middle and its end.
    std::vector<double> points;
    // A point passes when its error is within this, in the input's unit (°C, Ω)...
    double tolerance = 0.3;
    // ... or, when set, within this % of the range's span.
    std::optional<double> tolerancePercentOfSpan;
    // Stable: `stableReadings` readings in a row, `readEveryMs` apart, that span no more than
    // `stableBand`; a reading that does not settle within `stableTimeoutMs` fails its point.
    int stableReadings = 3;
    double stableBand = 0.05;
    int readEveryMs = 500;
    int stableTimeoutMs = 30000;
};

struct InputPoint {
    double point = 0;               // the value asked for
    double reference = 0;           // the value the calibrator applied, as typed
    std::optional<double> reading;  // the mean of the stable readings
    QString fault;     // "Err +T", "Err -T", "not stable", "no answer": the point failed so
    double error = 0;  // reading - reference
    bool pass = false;
};
struct InputCheckResult {
    std::vector<InputPoint> points;
    double tolerance = 0;  // in the input's unit, as applied
    bool ohms = false;     // the ohm meter: points in Ω, else °C
    bool complete = false;
    bool pass = false;
    QString problem;  // why not complete (the reference was not given, stopped)
};

// The reference applied for a point: asks the person to apply `point` (in Ω for the ohm meter,
// else in °C) and returns the value the calibrator shows; nothing (with `error`) when the person
// cancelled.
using ReferenceApply =
    std::function<std::optional<double>(double point, bool ohms, QString& error)>;
// Waits `ms`; false when the check is to stop (Ctrl+C).
using CheckWait = std::function<bool(int ms)>;

// The default points of a range: its begin, its middle, its end.
std::vector<double> rangePoints(double begin, double end);

// Reads the range (EERangeBegin, EERangeEnd) for the default points and the span, then checks
// each point. The transmitter's readings are command 248's, in hundredths.
InputCheckResult checkInput(Link& link, const InputCheckSettings& settings,
                            const ReferenceApply& apply, const CheckWait& wait);

}  // namespace vl48
