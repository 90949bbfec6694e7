#include "core/device/CalibrationMath.h"

#include <QRegularExpression>
#include <cmath>

namespace vl48 {

double roundHalfEven(double x) {
    if (!std::isfinite(x)) return x;
    const double lower = std::floor(x);
    const double above = x - lower;  // exact: both lie within one binade of each other
    if (above < 0.5) return lower;
    if (above > 0.5) return lower + 1;
    return std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
}

uint16_t adcWord(const std::array<bool, 16>& bitsFrom15) {
    uint16_t word = 0;
    for (size_t i = 0; i < bitsFrom15.size(); ++i)
        if (bitsFrom15[i]) word |= uint16_t(1u << (15 - i));
    return word & uint16_t(~AdcUnusedBits);
}

QString adcWordText(uint16_t word) {
    return QStringLiteral("0x") +
           QStringLiteral("%1").arg(uint(word), 4, 16, QLatin1Char('0')).toUpper() +
           QStringLiteral("h");
}

std::optional<double> parseDecimal(const QString& text, QChar separator) {
    const QRegularExpression number(QStringLiteral("^[+-]?\\d+(") +
                                    QRegularExpression::escape(QString(separator)) +
                                    QStringLiteral("\\d+)?$"));
    if (!number.match(text).hasMatch()) return std::nullopt;
    QString plain = text;
    plain.replace(separator, QLatin1Char('.'));
    bool ok = false;
    const double value = plain.toDouble(&ok);  // always the C locale's full stop
    if (!ok) return std::nullopt;
    return value;
}

double maskedDecimal(const QString& maskedText) {
    return parseDecimal(maskedText, QLatin1Char(',')).value_or(0.0);
}

std::optional<int64_t> parseWhole(const QString& text) {
    static const QRegularExpression whole(QStringLiteral("^\\s*[+-]?\\d+\\s*$"));
    if (!whole.match(text).hasMatch()) return std::nullopt;
    bool ok = false;
    const qlonglong value = text.trimmed().toLongLong(&ok, 10);
    if (!ok) return std::nullopt;
    return int64_t(value);
}

QString arithmeticFaultText(ArithmeticFault fault) {
    switch (fault) {
        case ArithmeticFault::InvalidOperation:
            return QStringLiteral("Invalid floating point operation");
        case ArithmeticFault::DivisionByZero:
            return QStringLiteral("Floating point division by zero");
        case ArithmeticFault::None:
            break;
    }
    return QString();
}

QString notAFloatText(const QString& text) {
    return QStringLiteral("'%1' is not a valid floating point value").arg(text);
}

namespace {

// A quotient as the floating-point unit would refuse it: 0/0 is no number at all, x/0 is a
// division by zero. The first fault stops the whole computation.
double divide(double numerator, double denominator, ArithmeticFault& fault) {
    if (fault != ArithmeticFault::None) return 0;
    if (denominator == 0) {
        fault =
            numerator == 0 ? ArithmeticFault::InvalidOperation : ArithmeticFault::DivisionByZero;
        return 0;
    }
    return numerator / denominator;
}

}  // namespace

ResistanceCalibration resistanceCalibration(AdcPair start, AdcPair end, double rMin, double rMax,
                                            double nominal) {
    ResistanceCalibration result;
    const double rA = divide(start.a, start.b, result.fault);
    const double rB = divide(end.a, end.b, result.fault);
    const double scale = divide(rMax - rMin, rB - rA, result.fault);
    if (result.fault != ArithmeticFault::None) return result;
    result.scale = scale;
    result.constant = roundHalfEven((scale - nominal) * 1000.0);
    return result;
}

int64_t terminalOffset(double trueTemp, int reading) {
    return int64_t(roundHalfEven(trueTemp * 10.0)) - reading;
}

MilliVoltGain milliVoltGain(double measuredMV, double trueMV) {
    MilliVoltGain result;
    const double factor = divide(MilliVoltGainNominal, measuredMV * 1000.0, result.fault);
    if (result.fault != ArithmeticFault::None) return result;
    result.constant = roundHalfEven(trueMV * 1000.0 * factor);
    return result;
}

QString generalNumberText(double value, QChar separator) {
    QString text = QString::number(value, 'g', 15);
    // The exponent as the run-time writes it: "1E20", "1.5E-7" rather than "1e+20", "1.5e-07".
    const qsizetype e = text.indexOf(QLatin1Char('e'));
    if (e >= 0) {
        const int exponent = text.mid(e + 1).toInt();
        text = text.left(e) + QLatin1Char('E') + QString::number(exponent);
    }
    text.replace(QLatin1Char('.'), separator);
    return text;
}

QString wholeText(double value) {
    if (std::fabs(value) < 9.0e18) return QString::number(qint64(value));
    return QString::number(value, 'f', 0);
}

}  // namespace vl48
