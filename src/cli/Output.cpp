#include "Output.h"

#include <QJsonDocument>
#include <cmath>
#include <cstdio>

#include "config/NumberTexts.h"

namespace vl48cli {

namespace {

void writeLine(FILE* stream, const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

}  // namespace

void Output::result(const QJsonObject& object, const QString& text) const {
    writeLine(stdout,
              m_json ? QJsonDocument(object).toJson(QJsonDocument::Compact) : text.toUtf8());
}

void say(const QString& text) { writeLine(stderr, "vl48-cli: " + text.toUtf8()); }

QString decimalText(qint64 n, int decimals) {
    return vl48::scaledText(n, decimals, QLatin1Char('.'));
}

double decimalValue(qint64 n, int decimals) { return double(n) / std::pow(10.0, decimals); }

}  // namespace vl48cli
