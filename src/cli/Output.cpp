#include "Output.h"

#include <QJsonDocument>
#include <cmath>
#include <cstdio>

#include "core/device/NumberTexts.h"

namespace vl48cli {

namespace {

void writeLine(FILE* stream, const QByteArray& line) {
    std::fwrite(line.constData(), 1, size_t(line.size()), stream);
    std::fputc('\n', stream);
    std::fflush(stream);
}

// The last message said, which a JSON outcome without a result of its own reports as its error.
QString lastSaid;

}  // namespace

void Output::result(const QJsonObject& object, const QString& text) const {
    if (object.contains(QStringLiteral("exit_code"))) m_outcomeReported = true;
    writeLine(stdout,
              m_json ? QJsonDocument(object).toJson(QJsonDocument::Compact) : text.toUtf8());
}

void Output::finish(const QString& command, int exit) const {
    if (!m_json || m_outcomeReported || exit == ExitDone) return;
    QJsonObject object{{QStringLiteral("command"), command}, {QStringLiteral("exit_code"), exit}};
    if (!lastSaid.isEmpty()) object.insert(QStringLiteral("error"), lastSaid);
    writeLine(stdout, QJsonDocument(object).toJson(QJsonDocument::Compact));
}

void say(const QString& text) {
    lastSaid = text;
    writeLine(stderr, "vl48-cli: " + text.toUtf8());
}

QString timeText(const QDateTime& time) {
    // A local time alone is written without its offset, which a log read elsewhere needs.
    return time.toOffsetFromUtc(time.offsetFromUtc()).toString(Qt::ISODateWithMs);
}

QString decimalText(qint64 n, int decimals) {
    return vl48::scaledText(n, decimals, QLatin1Char('.'));
}

double decimalValue(qint64 n, int decimals) { return double(n) / std::pow(10.0, decimals); }

}  // namespace vl48cli
