// The serial port object: the transmitter's fixed line settings over QSerialPort, blocking
// reads with the per-byte total time-out, and one line-error event per lost device.
#pragma once

#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <stdexcept>

namespace vl48 {

// A port error. The program looks only at the class; the text is for the person.
class EComError : public std::runtime_error {
public:
    explicit EComError(const QString& message, int code = 0)
        : std::runtime_error(message.toStdString()), m_code(code) {}
    int code() const { return m_code; }  // 0 for the port object's own errors
    QString text() const { return QString::fromStdString(what()); }

private:
    int m_code;
};

// Line-status conditions; the handler of OnLineError does not look at them.
enum TLineError : unsigned {
    leFrame = 1,
    leOverrun = 2,
    leParity = 4,
    leDeviceLost = 8,  // the device vanished (USB adapter pulled, pseudo-terminal closed)
};
using TLineErrors = unsigned;

class TComPort : public QObject {
    Q_OBJECT
public:
    static constexpr int BaudRate = 4800;
    static constexpr int ReadMultiplierMs = 100;
    static constexpr int ReadConstantMs = 100;

    static const char* const ClosedPortText;
    static const char* const OpenPortText;
    static const char* const TimeoutText;

    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    // The system's serial ports, then the ports published by running simulators.
    static void ListPorts(QStringList& list);
    // Where simulators publish their stable port links.
    static QString publishedPortDir();

    QString DeviceName() const { return m_deviceName; }
    void setDeviceName(const QString& name);

    bool Active() const { return m_open; }
    void setActive(bool active);

    void PortWrite(const uint8_t* data, int n);
    void PortWaitWrite();
    void PortRead(uint8_t* buffer, int n);
    // Throws away whatever has arrived unasked, without waiting for more.
    void PortDiscardInput();
    // True when a byte is waiting, or arrives within `ms`.
    bool PortWaitInput(int ms);

    // Total time-out of a transfer of n bytes.
    static int totalTimeoutMs(int n) { return ReadMultiplierMs * n + ReadConstantMs; }

signals:
    // Delivered from the event loop, once per condition. A lost device has already been closed
    // by the time this runs, so Active reads false.
    void OnLineError(vl48::TLineErrors errors);

private:
    void onPortError(QSerialPort::SerialPortError error);
    void deviceLost(QSerialPort::SerialPortError error);
    void requireOpen() const;
    [[noreturn]] void raiseLost() const;

    QSerialPort m_port;
    QString m_deviceName = QStringLiteral("COM1");
    bool m_open = false;
    // Bumped at every open, so that a report queued for an earlier device is dropped.
    quint64 m_generation = 0;
    bool m_lossPending = false;
    QSerialPort::SerialPortError m_lostError = QSerialPort::NoError;
    qint64 m_pendingWrite = 0;
};

// A readable text for a port error code (never the port's possibly stale errorString()).
QString portErrorText(QSerialPort::SerialPortError error);

}  // namespace vl48
