#include "core/session/CalibrationSession.h"

#include <QJsonDocument>

#include "core/link/Link.h"
#include "core/session/Cells.h"

namespace vl48 {

std::optional<CellValues> readAdjustable(Link& link) {
    CellValues values;
    for (Cell cell : AdjustableCells) {
        const std::optional<uint16_t> word = readCell(link, cell);
        if (!word) return std::nullopt;
        values[cell] = cellValue(cell, *word);
    }
    return values;
}

QJsonArray adjustmentsOf(const CellValues& before, const CellValues& after) {
    QJsonArray changed;
    for (Cell cell : AdjustableCells) {
        const auto old = before.find(cell);
        const auto now = after.find(cell);
        if (old == before.end() || now == after.end() || old->second == now->second) continue;
        changed.append(QJsonObject{{QStringLiteral("cell"), QLatin1String(cellInfo(cell).name)},
                                   {QStringLiteral("old"), old->second},
                                   {QStringLiteral("new"), now->second}});
    }
    return changed;
}

QJsonObject configurationJson(const TransmitterConfig& config) {
    QJsonObject object;
    for (const auto& [cell, word] : config.words)
        object.insert(QLatin1String(cellInfo(cell).name), cellValue(cell, word));
    return object;
}

QJsonArray inputPointsJson(const InputCheckResult& check) {
    QJsonArray points;
    for (const InputPoint& p : check.points)
        points.append(QJsonObject{
            {QStringLiteral("point"), p.point},
            {QStringLiteral("reference"), p.reference},
            {QStringLiteral("reading"), p.reading ? QJsonValue(*p.reading) : QJsonValue()},
            {QStringLiteral("error"), p.reading ? QJsonValue(p.error) : QJsonValue()},
            {QStringLiteral("fault"), p.fault.isEmpty() ? QJsonValue() : QJsonValue(p.fault)},
            {QStringLiteral("pass"), p.pass}});
    return points;
}

QJsonArray outputPointsJson(const CheckResult& check) {
    QJsonArray points;
    for (const CheckPoint& p : check.points)
        points.append(QJsonObject{{QStringLiteral("target"), p.target},
                                  {QStringLiteral("code"), p.code},
                                  {QStringLiteral("reading"), p.reading},
                                  {QStringLiteral("error_percent"), p.errorPercent},
                                  {QStringLiteral("pass"), p.pass}});
    return points;
}

bool SessionChecks::complete() const {
    return done() && (!input || input->complete) && (!output || output->result.complete);
}

bool SessionChecks::pass() const {
    return complete() && (!input || input->pass) && (!output || output->result.pass);
}

QJsonObject SessionChecks::json() const {
    QJsonObject object;
    if (input)
        object.insert(QStringLiteral("input"),
                      QJsonObject{{QStringLiteral("unit"),
                                   input->ohms ? QStringLiteral("Ω") : QStringLiteral("°C")},
                                  {QStringLiteral("tolerance"), input->tolerance},
                                  {QStringLiteral("complete"), input->complete},
                                  {QStringLiteral("pass"), input->pass},
                                  {QStringLiteral("problem"), input->problem},
                                  {QStringLiteral("points"), inputPointsJson(*input)}});
    if (output)
        object.insert(
            QStringLiteral("output"),
            QJsonObject{{QStringLiteral("subject"), QLatin1String(outputRange(output->kind).name)},
                        {QStringLiteral("tolerance_percent"), output->tolerancePercent},
                        {QStringLiteral("complete"), output->result.complete},
                        {QStringLiteral("pass"), output->result.pass},
                        {QStringLiteral("problem"), output->result.problem},
                        {QStringLiteral("points"), outputPointsJson(output->result)}});
    return object;
}

QString sessionSubject(const SessionChecks& checks) {
    QStringList parts;
    if (checks.input) parts << QStringLiteral("input");
    if (checks.output) parts << QLatin1String(outputRange(checks.output->kind).name);
    return parts.join(QStringLiteral(", "));
}

QString compactJson(const QJsonObject& object) {
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Compact));
}
QString compactJson(const QJsonArray& array) {
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

}  // namespace vl48
