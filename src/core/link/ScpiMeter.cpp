#include "core/link/ScpiMeter.h"

#include <cmath>

namespace vl48 {

ScpiMeter::ScpiMeter(ScpiMeterSettings settings) : m_settings(std::move(settings)) {
    m_port.setDeviceName(m_settings.port);
    m_port.setBaudRate(m_settings.baud);
}

QByteArray ScpiMeter::ask(const QString& query) {
    // An answer that came too late for the last query must not pass for this one's.
    m_port.PortDiscardInput();
    const QByteArray line = query.toLatin1() + '\n';
    m_port.PortWrite(reinterpret_cast<const uint8_t*>(line.constData()), int(line.size()));
    m_port.PortWaitWrite(false);
    return m_port.PortReadLine(m_settings.replyTimeoutMs).trimmed();
}

QString ScpiMeter::open() {
    try {
        m_port.setActive(true);
        const QByteArray identity = ask(QStringLiteral("*IDN?"));
        if (identity.isEmpty() || identity.contains('\0'))
            return QStringLiteral("the meter on %1 gave no identity").arg(m_settings.port);
        m_identity = QString::fromLatin1(identity);
        // Bench meters on RS-232 take measurement queries only in remote mode; those that do
        // not know the command ignore it (it asks nothing, so nothing comes back).
        const QByteArray remote("SYST:REM\n");
        m_port.PortWrite(reinterpret_cast<const uint8_t*>(remote.constData()), int(remote.size()));
        m_port.PortWaitWrite(false);
        return {};
    } catch (const EComError& e) {
        m_port.setActive(false);
        return QStringLiteral("meter on %1: %2").arg(m_settings.port, e.text());
    }
}

std::optional<double> ScpiMeter::measure(const QString& query, QString& error) {
    try {
        const QByteArray answer = ask(query);
        if (const std::optional<double> value = scpiNumber(answer)) return value;
        error = QStringLiteral("the meter answered \"%1\" to %2, which is no measurement")
                    .arg(QString::fromLatin1(answer.left(40)), query);
    } catch (const EComError& e) {
        error = QStringLiteral("meter on %1: %2").arg(m_settings.port, e.text());
    }
    return std::nullopt;
}

std::optional<double> scpiNumber(const QByteArray& answer) {
    bool ok = false;
    const double value = answer.trimmed().toDouble(&ok);
    // SCPI's "not a number" and overload values are 9.91E37 and 9.9E37.
    if (!ok || !std::isfinite(value) || std::fabs(value) >= 9e37) return std::nullopt;
    return value;
}

}  // namespace vl48
