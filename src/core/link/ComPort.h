// The serial port object: the transmitter's fixed line settings over QSerialPort, blocking
// reads with the per-byte total time-out, and one line-error event per lost device or new
// line-status condition (framing, overrun, parity, break).
#pragma once

#include <QDeadlineTimer>
#include <QLoggingCategory>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <cstdint>
#include <stdexcept>

namespace vl48 {

// The port's own trace (opening, closing, line errors, a lost device, stale bytes thrown away),
// off unless enabled the usual Qt way: QT_LOGGING_RULES="vl48.port.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPort)

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
    leBreak = 16,
    leBufferOverrun = 32,  // the driver's own input buffer overflowed
};
using TLineErrors = unsigned;

// The line-status counters a Linux serial driver keeps (TIOCGICOUNT), cumulative since the
// device appeared.
struct LineCounters {
    quint32 frame = 0, overrun = 0, parity = 0, brk = 0, bufOverrun = 0;
};

class TComPort : public QObject {
    Q_OBJECT
public:
    static constexpr int BaudRate = 4800;
    static constexpr int ReadMultiplierMs = 100;
    static constexpr int ReadConstantMs = 100;
    // How often an open, idle port looks at the driver's line-status counters.
    static constexpr int LineStatusPollMs = 200;

    static const char* const ClosedPortText;
    static const char* const OpenPortText;
    static const char* const TimeoutText;

    explicit TComPort(QObject* parent = nullptr);
    ~TComPort() override;

    // The ports published by running simulators, then the system's serial ports in the system's
    // order.
    static void ListPorts(QStringList& list);
    // Where simulators publish their stable port links.
    static QString publishedPortDir();

    QString DeviceName() const { return m_deviceName; }
    void setDeviceName(const QString& name);
    // The transmitter's 4800 baud unless set otherwise before opening (a reference meter on the
    // same port object talks at its own rate); always 8 data bits, no parity, one stop bit.
    void setBaudRate(int baud) { m_baudRate = baud; }

    bool Active() const { return m_open; }
    void setActive(bool active);

    void PortWrite(const uint8_t* data, int n);
    // Waits until the written bytes are out, then looks at the line-status counters unless
    // `checkLineStatus` is false (a request that gets no reply: see Link::DA).
    void PortWaitWrite(bool checkLineStatus = true);
    void PortRead(uint8_t* buffer, int n);
    // How many bytes the last PortRead took, also when it failed (for the trace).
    int lastReadCount() const { return m_lastReadCount; }
    // A line of text up to its LF (not included, a CR before it dropped), for instruments that
    // answer in lines: waits at most `timeoutMs` in all, and takes at most `maxBytes`, so that a
    // peer sending without end cannot hold the program. Raises the time-out or the lost device.
    QByteArray PortReadLine(int timeoutMs, int maxBytes = 256);
    // Throws away whatever has arrived unasked, without waiting for more; returns how many bytes
    // that was.
    qint64 PortDiscardInput();
    // True when a byte is waiting, or arrives within `ms`.
    bool PortWaitInput(int ms);

    // Where the driver keeps no line-status counters (a pseudo-terminal), a simulator stands in
    // for them with a side file beside the port's path: one line of five decimal counters
    // "frame overrun parity brk buf_overrun", rewritten whole as they grow. The port reads it
    // only when the driver has no counters and the file exists at the moment the port opens.
    static QString lineStatusFile(const QString& deviceName);

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
    // Compares the line-status counters with the last ones seen and reports the new conditions
    // once (OnLineError, from the event loop); returns them, so that a transfer that met them
    // can fail.
    TLineErrors pollLineStatus();
    // A transfer fails when the line reported an error meanwhile.
    void failOnLineStatus();
    bool readCounters(LineCounters& counters) const;
    // Waits, until `deadline`, for the bytes handed to the driver to have left the computer.
    void drainLine(const QDeadlineTimer& deadline);

    enum class CounterSource { None, Driver, SideFile };
    CounterSource m_counterSource = CounterSource::None;
    LineCounters m_counters;
    QTimer m_lineStatusPoll;

    QSerialPort m_port;
    QString m_deviceName = QStringLiteral("COM1");
    int m_baudRate = BaudRate;
    bool m_open = false;
    // Bumped at every open, so that a report queued for an earlier device is dropped.
    quint64 m_generation = 0;
    bool m_lossPending = false;
    QSerialPort::SerialPortError m_lostError = QSerialPort::NoError;
    qint64 m_pendingWrite = 0;
    int m_lastReadCount = 0;
};

// Why the system refused to open a port, where the device file tells: this user may not open
// it (joining `group`, which may read and write it, would help), or another program holds it.
struct PortRefusal {
    enum class Reason { Other, NoAccess, InUse };
    Reason reason = Reason::Other;
    QString group;  // NoAccess: the group owning the device file
};
// `error` is the code of the failed open (EComError::code()); `accessErrno` is what access(2)
// answered for reading and writing the device file (0 when it may).
PortRefusal portRefusal(const QString& deviceName, int error, int accessErrno);
// The same, asking access(2) itself.
PortRefusal portRefusal(const QString& deviceName, int error);

// A readable text for a port error code (never the port's possibly stale errorString()).
QString portErrorText(QSerialPort::SerialPortError error);

}  // namespace vl48
