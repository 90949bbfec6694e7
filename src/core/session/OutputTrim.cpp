#include "core/session/OutputTrim.h"

#include <algorithm>
#include <cmath>

#include "core/link/Link.h"
#include "core/session/Cells.h"
#include "core/session/OutputCorrection.h"

namespace vl48 {

namespace {

constexpr int MaxCode = 16383;
// The correction panel's window around the calibration copy.
constexpr int CorrectionWindow = 48;

// Releases the output however the procedure ends: a meter that went away, a Ctrl+C, a port
// error raised through it.
class DrivenOutput {
public:
    explicit DrivenOutput(Link& link) : m_link(link) {}
    ~DrivenOutput() { m_link.DA(CmdOutputRelease, 0); }
    DrivenOutput(const DrivenOutput&) = delete;
    DrivenOutput& operator=(const DrivenOutput&) = delete;
    // Drives the code, waits for the output to settle and reads the meter.
    std::optional<double> readAt(uint16_t code, double target, const OutputSettings& settings,
                                 const MeterRead& read, const SettleWait& wait, QString& problem) {
        m_link.DA(CmdOutputSet, code);
        if (!wait(settings.settleMs)) {
            problem = QStringLiteral("stopped");
            return std::nullopt;
        }
        auto reading = read(target, code, problem);
        if (reading && !std::isfinite(*reading)) {
            problem = QStringLiteral("the reading is no number");
            reading.reset();
        }
        return reading;
    }

private:
    Link& m_link;
};

int rounded(double code) { return int(std::lround(code)); }

}  // namespace

const OutputRange& outputRange(OutputKind kind) {
    static const OutputRange current{
        OutputKind::Current, "current", "mA", EEAOIZero, EEAOIEnd, 20.0, 4.0, {4, 8, 12, 16, 20}};
    static const OutputRange voltage{
        OutputKind::Voltage, "voltage", "V", EEAOUZero, EEAOUEnd, 10.0, 1.0, {0, 2.5, 5, 7.5, 10}};
    return kind == OutputKind::Current ? current : voltage;
}

uint16_t codeForTarget(double target, uint16_t zero, uint16_t end, double fullScale) {
    const double code = zero + (double(end) - double(zero)) * target / fullScale;
    return uint16_t(std::clamp(rounded(code), 0, MaxCode));
}

CheckResult checkOutput(Link& link, OutputKind kind, uint16_t zero, uint16_t end,
                        const OutputSettings& settings, const MeterRead& read,
                        const SettleWait& wait) {
    const OutputRange& range = outputRange(kind);
    CheckResult result;
    DrivenOutput output(link);
    for (double target : settings.points.empty() ? range.checkPoints : settings.points) {
        CheckPoint point;
        point.target = target;
        point.code = codeForTarget(target, zero, end, range.fullScale);
        const auto reading =
            output.readAt(point.code, target, settings, read, wait, result.problem);
        if (!reading) return result;
        point.reading = *reading;
        point.errorPercent = (point.reading - target) / range.fullScale * 100.0;
        // Rounded as shown, so that a point shown within the tolerance passes.
        point.pass =
            std::fabs(std::round(point.errorPercent * 1e4) / 1e4) <= settings.tolerancePercent;
        result.points.push_back(point);
    }
    result.complete = true;
    result.pass = std::all_of(result.points.begin(), result.points.end(),
                              [](const CheckPoint& p) { return p.pass; });
    return result;
}

TrimResult trimOutput(Link& link, OutputKind kind, uint16_t zero, uint16_t end,
                      const OutputSettings& settings, const MeterRead& read,
                      const SettleWait& wait) {
    const OutputRange& range = outputRange(kind);
    const double within = settings.trimPercent / 100.0 * range.fullScale;
    TrimResult result;
    DrivenOutput output(link);
    for (int round = 0; round < settings.trimRounds; ++round) {
        TrimRound r;
        r.lowCode = codeForTarget(range.lowTarget, zero, end, range.fullScale);
        r.endCode = end;
        const auto low =
            output.readAt(r.lowCode, range.lowTarget, settings, read, wait, result.problem);
        if (!low) return result;
        const auto high =
            output.readAt(r.endCode, range.fullScale, settings, read, wait, result.problem);
        if (!high) return result;
        r.lowReading = *low;
        r.endReading = *high;
        result.rounds.push_back(r);
        result.zero = zero;
        result.end = end;
        result.withinTarget = std::fabs(r.lowReading - range.lowTarget) <= within &&
                              std::fabs(r.endReading - range.fullScale) <= within;
        if (result.withinTarget) break;
        // The unit's line through the two readings, per code. A current output that reads
        // nothing at the low point is clipped there: no line can be told from it.
        const double slope = (r.endReading - r.lowReading) / (double(r.endCode) - r.lowCode);
        if (r.endCode == r.lowCode || !(slope > 0) ||
            (kind == OutputKind::Current && r.lowReading <= 0.01 * range.fullScale)) {
            result.problem = QStringLiteral(
                                 "the output does not follow the code (%1 %3 at code %2, %4 %3 "
                                 "at code %5)")
                                 .arg(r.lowReading, 0, 'f', 4)
                                 .arg(r.lowCode)
                                 .arg(QLatin1String(range.unit))
                                 .arg(r.endReading, 0, 'f', 4)
                                 .arg(r.endCode);
            return result;
        }
        const int newZero = rounded(r.endCode - r.endReading / slope);
        const int newEnd = rounded(r.endCode + (range.fullScale - r.endReading) / slope);
        if (newZero < 0 || newEnd > MaxCode || newZero >= newEnd) {
            result.problem = QStringLiteral(
                                 "the output cannot give 0 and %1 %2 within the converter's "
                                 "codes (zero %3, end %4 needed)")
                                 .arg(range.fullScale)
                                 .arg(QLatin1String(range.unit))
                                 .arg(newZero)
                                 .arg(newEnd);
            return result;
        }
        // Codes that no longer change are as good as this converter gets.
        if (newZero == zero && newEnd == end) break;
        zero = uint16_t(newZero);
        end = uint16_t(newEnd);
        result.zero = zero;
        result.end = end;
    }
    result.done = true;
    return result;
}

CodesStored storeOutputCodes(Link& link, OutputKind kind, TrimPanel panel, uint16_t zero,
                              uint16_t end) {
    const OutputRange& range = outputRange(kind);
    const std::array<std::pair<Cell, uint16_t>, 2> codes = {
        {{range.zeroCell, zero}, {range.endCell, end}}};
    if (panel == TrimPanel::Correction) {
        const std::optional<uint16_t> state = readCell(link, EEDACorrState);
        if (!state) return {false, QStringLiteral("the correction state could not be read")};
        if (*state == CorrectionNeverEnabled)
            return {false, QStringLiteral("the output correction is not enabled")};
        const std::optional<OutputCodes> copy = readCalibrationCopy(link);
        if (!copy) return {false, QStringLiteral("the calibration copy could not be read")};
        const size_t first = kind == OutputKind::Current ? 0 : 2;
        for (size_t i = 0; i < 2; ++i) {
            const int beyond =
                std::abs(int(codes[i].second) - int((*copy)[first + i])) - CorrectionWindow;
            if (beyond > 0)
                return {false, QStringLiteral("the %1 code %2 is %3 codes beyond the correction's "
                                              "window of %4 codes around the calibration copy %5")
                                   .arg(i == 0 ? QStringLiteral("zero") : QStringLiteral("end"))
                                   .arg(codes[i].second)
                                   .arg(beyond)
                                   .arg(CorrectionWindow)
                                   .arg((*copy)[first + i])};
        }
    }
    for (const auto& [cell, code] : codes)
        if (!writeCell(link, cell, code))
            return {
                false,
                QStringLiteral("the write of %1 failed").arg(QLatin1String(cellInfo(cell).name))};
    if (panel == TrimPanel::Correction && !markCorrectedByUser(link))
        return {false, QStringLiteral("the write of EEDACorrState failed")};
    return {true, {}};
}

OutputCalibration calibrateOutput(Link& link, OutputKind kind, TrimPanel panel,
                                  const OutputSettings& settings, const MeterRead& read,
                                  const SettleWait& wait,
                                  const std::function<void(const OutputCalibration&)>& onStage) {
    const OutputRange& range = outputRange(kind);
    OutputCalibration c;
    c.kind = kind;
    c.panel = panel;
    c.tolerancePercent = settings.tolerancePercent;
    const auto told = [&] {
        if (onStage) onStage(c);
    };
    const std::optional<uint16_t> zero = readCell(link, range.zeroCell);
    const std::optional<uint16_t> end = zero ? readCell(link, range.endCell) : std::nullopt;
    if (!end) {
        c.problem = QStringLiteral("the output's codes could not be read");
        return c;
    }
    c.codesBefore = {std::min<uint16_t>(*zero, MaxCode), std::min<uint16_t>(*end, MaxCode)};
    c.codesAfter = c.codesBefore;
    c.asFound = checkOutput(link, kind, c.codesBefore[0], c.codesBefore[1], settings, read, wait);
    told();
    if (!c.asFound.complete) {
        c.problem = c.asFound.problem;
        return c;
    }
    c.trim = trimOutput(link, kind, c.codesBefore[0], c.codesBefore[1], settings, read, wait);
    told();
    if (!c.trim.done) {
        c.problem = c.trim.problem;
        return c;
    }
    const CodesStored store = storeOutputCodes(link, kind, panel, c.trim.zero, c.trim.end);
    if (!store.stored) {
        c.problem = store.problem;
        return c;
    }
    c.stored = true;
    c.codesAfter = {c.trim.zero, c.trim.end};
    c.asLeft = checkOutput(link, kind, c.codesAfter[0], c.codesAfter[1], settings, read, wait);
    c.pass = c.asLeft.pass;
    if (!c.asLeft.complete) c.problem = c.asLeft.problem;
    told();
    return c;
}

}  // namespace vl48
