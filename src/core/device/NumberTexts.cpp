#include "core/device/NumberTexts.h"

#include <QLocale>

namespace vl48 {

QString scaledText(int64_t n, int decimals, QChar separator) {
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i) scale *= 10;
    const bool negative = n < 0;
    const uint64_t magnitude = negative ? uint64_t(-(n + 1)) + 1 : uint64_t(n);
    QString text = QString::number(magnitude / uint64_t(scale));
    QString fraction =
        QString::number(magnitude % uint64_t(scale)).rightJustified(decimals, QLatin1Char('0'));
    while (fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    if (!fraction.isEmpty()) text += separator + fraction;
    return negative && text != QLatin1String("0") ? QLatin1Char('-') + text : text;
}

QString scaledText(int64_t n, int decimals) {
    return scaledText(n, decimals, QLocale().decimalPoint().at(0));
}

namespace {
// printf's "%.Nd": at least N digits, the minus sign in front.
QString digits(int value, int atLeast) {
    const QString body = QString::number(qAbs(qint64(value))).rightJustified(atLeast, '0');
    return value < 0 ? QLatin1Char('-') + body : body;
}
}  // namespace

QString rangeText(int value) { return digits(value, value > 0 ? 4 : 3); }

QString compTempText(int value) { return digits(value, value > 0 ? 3 : 2); }

FirmwareTexts firmwareTexts(int32_t firmware) {
    const QString digits = QString::number(firmware);
    FirmwareTexts texts;
    texts.version = digits.mid(0, 4).insert(1, QLatin1Char('.'));
    const QString date = digits.mid(4, 6);
    texts.date =
        date.mid(0, 2) + QLatin1Char('.') + date.mid(2, 2) + QStringLiteral(".20") + date.mid(4, 2);
    texts.full = digits;
    texts.full.insert(1, QLatin1Char('.'));
    if (texts.full.size() >= 5) texts.full.insert(5, QLatin1Char('/'));
    return texts;
}

QString lineResText(int hundredths) {
    const int magnitude = qAbs(hundredths);
    const QString text = (hundredths < 0 ? QStringLiteral("-") : QString()) +
                         QString::number(magnitude / 100) + QLatin1Char(',') +
                         QString::number(magnitude % 100).rightJustified(2, QLatin1Char('0'));
    return text.rightJustified(5, QLatin1Char(' '));
}

}  // namespace vl48

namespace vl48 {

int maskedInteger(const QString& text) { return text.toInt(); }

int maskedHundredths(const QString& text) {
    // The field has exactly two decimals, so removing the comma multiplies by 100 exactly.
    QString digits = text;
    digits.remove(QLatin1Char(','));
    return digits.toInt();
}

}  // namespace vl48
