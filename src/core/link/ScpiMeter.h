// A reference multimeter that speaks SCPI on a serial port (RS-232 or USB-serial), through the
// same port object as the transmitter: its identity at the start, then one measurement per
// request, each wait bounded. Widget-free: the window and vl48-cli check and trim the analogue
// output against the same meter.
#pragma once

#include <QString>
#include <optional>

#include "core/link/ComPort.h"

namespace vl48 {

struct ScpiMeterSettings {
    QString port;
    int baud = 9600;                                         // 8 data bits, no parity, one stop bit
    QString currentQuery = QStringLiteral("MEAS:CURR:DC?");  // answers in amperes
    QString voltageQuery = QStringLiteral("MEAS:VOLT:DC?");  // answers in volts
    // A DC measurement of a bench meter takes a fraction of a second; more is a meter that will
    // not answer.
    int replyTimeoutMs = 3000;
};

class ScpiMeter {
public:
    explicit ScpiMeter(ScpiMeterSettings settings);
    // Opens the port and asks *IDN?; empty on success, else why not.
    QString open();
    void close() { m_port.setActive(false); }
    // The answer to *IDN? ("MAKER,MODEL,SERIAL,FIRMWARE").
    const QString& identity() const { return m_identity; }
    const ScpiMeterSettings& settings() const { return m_settings; }
    // One measurement with the query, as the meter answers it (amperes, volts); nothing with
    // `error` set when the meter did not answer, answered what is no number, or went away.
    std::optional<double> measure(const QString& query, QString& error);

private:
    // The query sent and its answer line; raises the port's errors.
    QByteArray ask(const QString& query);
    ScpiMeterSettings m_settings;
    TComPort m_port;
    QString m_identity;
};

// An answer such as "+4.00123E-03" read as a number; a meter's overload ("+9.9E+37") and
// anything else that is no finite number give nothing.
std::optional<double> scpiNumber(const QByteArray& answer);

}  // namespace vl48
