#include "core/session/TrendSeries.h"

#include <QStringList>
#include <cmath>

#include "core/session/Identification.h"

namespace vl48 {

namespace {

void add(SeriesFigures& f, int64_t value) {
    if (f.count == 0) {
        f.min = f.max = value;
    } else {
        f.min = std::min(f.min, value);
        f.max = std::max(f.max, value);
    }
    f.current = value;
    f.sum += value;
    ++f.count;
}

}  // namespace

int64_t SeriesFigures::meanHundredths(int decimals) const {
    if (count == 0) return 0;
    const double scale = decimals >= 2 ? 1.0 : std::pow(10.0, 2 - decimals);
    return std::llround(double(sum) * scale / count);
}

TrendFigures trendFigures(const std::vector<TrendSample>& samples, const QDateTime& from) {
    TrendFigures figures;
    for (const TrendSample& s : samples) {
        if (s.time < from) continue;
        if (s.measured) {
            const Measured kind = measuredKind(*s.measured, LiveMeasureFaultFrom);
            if (kind == Measured::Reading) add(figures.input, *s.measured);
            if (kind != Measured::Unknown) figures.currentInput = *s.measured;
        }
        if (s.temperature) add(figures.temperature, *s.temperature);
    }
    return figures;
}

QByteArray trendCsv(const std::vector<TrendSample>& samples) {
    QByteArray out = QByteArrayLiteral("time,input,terminal_temperature\r\n");
    for (const TrendSample& s : samples) {
        const QDateTime time = s.time.toOffsetFromUtc(s.time.offsetFromUtc());
        const QStringList fields = {
            time.toString(Qt::ISODateWithMs),
            s.measured ? measuredText(*s.measured, LiveMeasureFaultFrom, QLatin1Char('.'))
                       : QString(),
            s.temperature ? scaledText(*s.temperature, 1, QLatin1Char('.')) : QString()};
        out += fields.join(QLatin1Char(',')).toUtf8() + "\r\n";
    }
    return out;
}

}  // namespace vl48
