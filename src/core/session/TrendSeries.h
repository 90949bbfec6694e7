// The live trend of the readings as numbers: the samples as they were read, what those of a
// span of time add up to, and the series as CSV. Widget-free, so the figures a technician reads
// off the window come from code that never touches a chart.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <cstdint>
#include <optional>
#include <vector>

namespace vl48 {

// One repetition of the measurement. A value whose exchange failed is absent, never a guess.
struct TrendSample {
    QDateTime time;
    std::optional<int32_t> measured;  // command 248 as read, fault codes included (hundredths)
    std::optional<int> temperature;   // terminal temperature, tenths of a degree
};

// Figures of one quantity over the samples of a span, in its own unit (hundredths for the
// input, tenths for the terminal); nothing counted means nothing to show.
struct SeriesFigures {
    int count = 0;
    int64_t current = 0, min = 0, max = 0, sum = 0;
    // The mean in hundredths of the quantity's unit, rounded.
    int64_t meanHundredths(int decimals) const;
};

struct TrendFigures {
    SeriesFigures input;        // measured values only; fault codes are no value
    SeriesFigures temperature;  // tenths of a degree
    // The newest input code that is a value or a fault, so that a sensor gone faulty shows as
    // such rather than as its last good value.
    std::optional<int32_t> currentInput;
};

// The figures of the samples taken at `from` or later.
TrendFigures trendFigures(const std::vector<TrendSample>& samples, const QDateTime& from);

// The series as CSV: a header line, then time (ISO 8601 with milliseconds and the offset from
// UTC), input value and terminal temperature, each line ended by CR LF. Numbers carry a decimal
// point; a fault reads "Err +T" or "Err -T"; a value not read (or a code that means nothing) is
// an empty field.
QByteArray trendCsv(const std::vector<TrendSample>& samples);

}  // namespace vl48
