#include "core/session/InputCheck.h"

#include <algorithm>
#include <cmath>

#include "core/device/MemoryMap.h"
#include "core/link/Frame.h"
#include "core/link/Link.h"
#include "core/session/Cells.h"
#include "core/session/Identification.h"

namespace vl48 {

namespace {

// One reading of command 248: the value, or the fault text it stands for ("no answer" when it
// did not come).
std::optional<double> readOnce(Link& link, QString& fault) {
    Frame reply;
    if (!link.Send(CmdMeasure, 0, reply)) {
        fault = QStringLiteral("no answer");
        return std::nullopt;
    }
    const int32_t measured = replyLong(reply);
    if (measured >= LiveMeasureFaultFrom) {
        fault = measuredText(measured, LiveMeasureFaultFrom, QLatin1Char('.'));
        if (fault.isEmpty()) fault = QStringLiteral("code %1").arg(measured);
        return std::nullopt;
    }
    return measured / 100.0;
}

// Readings until the last few agree within the band: their mean.
std::optional<double> stableReading(Link& link, const InputCheckSettings& s, const CheckWait& wait,
                                    QString& fault) {
    std::vector<double> last;
    for (int waited = 0;; waited += s.readEveryMs) {
        const std::optional<double> value = readOnce(link, fault);
        if (!value) return std::nullopt;
        last.push_back(*value);
        if (int(last.size()) > s.stableReadings) last.erase(last.begin());
        if (int(last.size()) == s.stableReadings &&
            *std::max_element(last.begin(), last.end()) -
                    *std::min_element(last.begin(), last.end()) <=
                s.stableBand + 1e-9) {
            double sum = 0;
            for (double v : last) sum += v;
            return sum / double(last.size());
        }
        if (waited >= s.stableTimeoutMs) {
            fault = QStringLiteral("not stable");
            return std::nullopt;
        }
        if (!wait(s.readEveryMs)) {
            fault = QStringLiteral("stopped");
            return std::nullopt;
        }
    }
}

double signedCell(uint16_t word) { return double(int16_t(word)); }

}  // namespace

std::vector<double> rangePoints(double begin, double end) {
    return {begin, (begin + end) / 2.0, end};
}

InputCheckResult checkInput(Link& link, const InputCheckSettings& settings,
                            const ReferenceApply& apply, const CheckWait& wait) {
    InputCheckResult result;
    const std::optional<uint16_t> input = readCell(link, EEInputType);
    const std::optional<uint16_t> begin = input ? readCell(link, EERangeBegin) : std::nullopt;
    const std::optional<uint16_t> end = begin ? readCell(link, EERangeEnd) : std::nullopt;
    if (!end) {
        result.problem = QStringLiteral("the range could not be read");
        return result;
    }
    result.ohms = *input == InputTypeOhmMeter;
    const double span = std::fabs(signedCell(*end) - signedCell(*begin));
    result.tolerance = settings.tolerancePercentOfSpan
                           ? *settings.tolerancePercentOfSpan / 100.0 * span
                           : settings.tolerance;
    const std::vector<double> points = settings.points.empty()
                                           ? rangePoints(signedCell(*begin), signedCell(*end))
                                           : settings.points;
    for (double point : points) {
        InputPoint p;
        p.point = point;
        const std::optional<double> reference = apply(point, result.ohms, result.problem);
        if (!reference) return result;
        p.reference = *reference;
        p.reading = stableReading(link, settings, wait, p.fault);
        if (p.fault == QLatin1String("stopped")) {
            result.problem = p.fault;
            return result;
        }
        if (p.reading) {
            p.error = *p.reading - p.reference;
            // Compared as shown, to the hundredth the transmitter reads in.
            p.pass = std::fabs(std::round(p.error * 100.0) / 100.0) <= result.tolerance + 1e-9;
        }
        result.points.push_back(p);
    }
    result.complete = true;
    result.pass = std::all_of(result.points.begin(), result.points.end(),
                              [](const InputPoint& p) { return p.pass; });
    return result;
}

}  // namespace vl48
