#include "core/link/ComPort.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QThread>
#include <cerrno>
#include <vector>

#include "core/link/Frame.h"

#ifdef __linux__
#include <linux/serial.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#endif

namespace vl48 {

Q_LOGGING_CATEGORY(lcPort, "vl48.port", QtInfoMsg)

const char* const TComPort::ClosedPortText = "Can't perform this operation on a closed port";
const char* const TComPort::OpenPortText = "Can't perform this operation on an open port";
const char* const TComPort::TimeoutText = "Timeout";

namespace {

const char* const LineStatusText = "The line reported a transmission error";

}  // namespace

QString portErrorText(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
            return QStringLiteral("No error");
        case QSerialPort::DeviceNotFoundError:
            return QStringLiteral("The port does not exist");
        case QSerialPort::PermissionError:
            return QStringLiteral("The port is in use by another program or access was denied");
        case QSerialPort::OpenError:
            return QStringLiteral("The port is already open");
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::ResourceError:
            return QStringLiteral("The device was removed or stopped responding");
        case QSerialPort::UnsupportedOperationError:
            return QStringLiteral("The port does not support this setting");
        case QSerialPort::TimeoutError:
            return QString::fromLatin1(TComPort::TimeoutText);
        case QSerialPort::NotOpenError:
            return QString::fromLatin1(TComPort::ClosedPortText);
        default:
            return QStringLiteral("Serial port error");
    }
}

TComPort::TComPort(QObject* parent) : QObject(parent) {
    connect(&m_port, &QSerialPort::errorOccurred, this, &TComPort::onPortError);
    // An idle connection hears of a noisy line too, not only the next exchange.
    m_lineStatusPoll.setInterval(LineStatusPollMs);
    connect(&m_lineStatusPoll, &QTimer::timeout, this, [this] {
        if (m_open) pollLineStatus();
    });
}

TComPort::~TComPort() {
    if (m_port.isOpen()) m_port.close();
}

QString TComPort::publishedPortDir() { return QDir::tempPath() + QStringLiteral("/vl48-sim"); }

QString TComPort::lineStatusFile(const QString& deviceName) {
    return deviceName + QStringLiteral(".linestatus");
}

void TComPort::ListPorts(QStringList& list) {
    // Simulators publish a stable link per unit; a link whose terminal is gone is left out. A
    // running simulator is what the person started the tool for, so its links come first and the
    // port box offers one as its text; without one the system's ports keep the system's order.
    const QDir dir(publishedPortDir());
    const QFileInfoList links =
        dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name);
    for (const QFileInfo& link : links) {
        if (link.isSymLink() && QFileInfo::exists(link.symLinkTarget()))
            list.append(link.absoluteFilePath());
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        list.append(info.systemLocation());
}

PortRefusal portRefusal(const QString& deviceName, int error, int accessErrno) {
    // Qt reports a device file this user may not open and a port another program holds (its
    // lock file, or the exclusive mode of the terminal) with the same code; only the file's own
    // permissions tell the two apart.
    if (error != QSerialPort::PermissionError) return {};
    if (accessErrno == 0) return {PortRefusal::Reason::InUse, {}};
    if (accessErrno != EACCES && accessErrno != EPERM) return {};
    struct stat info {};
    if (::stat(QFile::encodeName(deviceName).constData(), &info) != 0) return {};
    // Advice to join the owning group only helps where that group may read and write.
    if ((info.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
    // Reentrant: a station refuses the ports of several threads at once.
    group entry{};
    group* owner = nullptr;
    std::vector<char> buffer(16384);
    ::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &owner);
    return {PortRefusal::Reason::NoAccess,
            owner ? QString::fromLocal8Bit(owner->gr_name) : QString::number(info.st_gid)};
}

PortRefusal portRefusal(const QString& deviceName, int error) {
    if (error != QSerialPort::PermissionError) return {};
    const int accessErrno =
        ::access(QFile::encodeName(deviceName).constData(), R_OK | W_OK) == 0 ? 0 : errno;
    return portRefusal(deviceName, error, accessErrno);
}

void TComPort::setDeviceName(const QString& name) {
    if (name == m_deviceName) return;
    if (m_open) throw EComError(QString::fromLatin1(OpenPortText));
    m_deviceName = name;
}

void TComPort::setActive(bool active) {
    if (!active) {
        if (m_open || m_port.isOpen()) qCDebug(lcPort).noquote() << "close" << m_deviceName;
        // Closing restores the line's earlier settings at once (often another baud rate): the
        // last request (the output release of a closing window) must be off the wire first.
        if (m_open) drainLine(QDeadlineTimer(totalTimeoutMs(FrameSize)));
        m_open = false;
        m_pendingWrite = 0;
        m_lineStatusPoll.stop();
        // Also closes a port whose device was lost and whose close is still queued.
        if (m_port.isOpen()) m_port.close();
        return;
    }
    if (m_open) return;
    if (m_port.isOpen()) m_port.close();

    m_port.setPortName(m_deviceName);
    m_port.setBaudRate(m_baudRate);
    m_port.setDataBits(QSerialPort::Data8);
    m_port.setParity(QSerialPort::NoParity);
    m_port.setStopBits(QSerialPort::OneStop);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.clearError();
    if (!m_port.open(QIODevice::ReadWrite)) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        qCDebug(lcPort).noquote() << "open" << m_deviceName << "failed:" << portErrorText(error);
        throw EComError(portErrorText(error) + QStringLiteral(": ") + m_deviceName, int(error));
    }
    // Pseudo-terminals refuse the modem lines ("Inappropriate ioctl"); the line still works, and
    // real adapters take them. Anything else that fails here is a real failure.
    const auto modemLine = [this](bool ok) {
        if (ok) return;
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        if (error == QSerialPort::UnsupportedOperationError) return;
        m_port.close();
        throw EComError(portErrorText(error) + QStringLiteral(": ") + m_deviceName, int(error));
    };
    modemLine(m_port.setDataTerminalReady(false));
    modemLine(m_port.setRequestToSend(true));
    m_port.clear(QSerialPort::AllDirections);
    m_port.readAll();
    m_port.clearError();
    ++m_generation;
    m_lossPending = false;
    m_pendingWrite = 0;
    m_open = true;

    // Conditions counted before this open belong to an earlier session on the line.
    m_counterSource = CounterSource::Driver;
    if (!readCounters(m_counters)) {
        m_counterSource = QFileInfo::exists(lineStatusFile(m_deviceName)) ? CounterSource::SideFile
                                                                          : CounterSource::None;
        m_counters = LineCounters{};
        if (m_counterSource == CounterSource::SideFile) readCounters(m_counters);
    }
    if (m_counterSource != CounterSource::None) m_lineStatusPoll.start();
    qCDebug(lcPort).noquote() << "open" << m_deviceName << "line-status counters:"
                              << (m_counterSource == CounterSource::Driver     ? "driver"
                                  : m_counterSource == CounterSource::SideFile ? "side file"
                                                                               : "none");
}

bool TComPort::readCounters(LineCounters& counters) const {
    switch (m_counterSource) {
        case CounterSource::None:
            return false;
        case CounterSource::Driver: {
#ifdef __linux__
            serial_icounter_struct ic{};
            if (::ioctl(int(m_port.handle()), TIOCGICOUNT, &ic) != 0) return false;
            counters = {quint32(ic.frame), quint32(ic.overrun), quint32(ic.parity), quint32(ic.brk),
                        quint32(ic.buf_overrun)};
            return true;
#else
            return false;
#endif
        }
        case CounterSource::SideFile: {
            QFile file(lineStatusFile(m_deviceName));
            if (!file.open(QIODevice::ReadOnly)) return false;  // the unit is being re-plugged
            const QList<QByteArray> fields = file.read(256).simplified().split(' ');
            if (fields.size() != 5) return false;
            quint32 values[5];
            for (int i = 0; i < 5; ++i) {
                bool ok = false;
                values[i] = fields[i].toUInt(&ok);
                if (!ok) return false;
            }
            counters = {values[0], values[1], values[2], values[3], values[4]};
            return true;
        }
    }
    return false;
}

TLineErrors TComPort::pollLineStatus() {
    LineCounters now;
    if (!m_open || !readCounters(now)) return 0;
    TLineErrors errors = 0;
    // Counters only grow while the device lives; any change is a new condition.
    if (now.frame != m_counters.frame) errors |= leFrame;
    if (now.overrun != m_counters.overrun) errors |= leOverrun;
    if (now.parity != m_counters.parity) errors |= leParity;
    if (now.brk != m_counters.brk) errors |= leBreak;
    if (now.bufOverrun != m_counters.bufOverrun) errors |= leBufferOverrun;
    m_counters = now;
    if (errors == 0) return 0;
    qCDebug(lcPort).nospace() << "line error (" << Qt::hex << errors << "): frame " << now.frame
                              << ", overrun " << now.overrun << ", parity " << now.parity
                              << ", break " << now.brk << ", buffer overrun " << now.bufOverrun;
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation, errors] {
            if (generation == m_generation) emit OnLineError(errors);
        },
        Qt::QueuedConnection);
    return errors;
}

void TComPort::failOnLineStatus() {
    if (m_counterSource != CounterSource::None && pollLineStatus() != 0)
        throw EComError(QString::fromLatin1(LineStatusText));
}

void TComPort::onPortError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
        case QSerialPort::ResourceError:
        case QSerialPort::UnknownError:
            deviceLost(error);
            break;
        default:
            // Time-outs of the blocking waits, refused modem lines: the blocking operations
            // handle these where they happen.
            break;
    }
}

void TComPort::deviceLost(QSerialPort::SerialPortError error) {
    // The port stays open underneath and keeps signalling; report the loss once. The real
    // close runs from the event loop, not inside QSerialPort's own notification.
    if (!m_open || m_lossPending) return;
    m_open = false;
    m_lossPending = true;
    m_lostError = error;
    qCDebug(lcPort).noquote() << "device lost:" << m_deviceName << portErrorText(error);
    const quint64 generation = m_generation;
    QMetaObject::invokeMethod(
        this,
        [this, generation] {
            if (generation != m_generation) return;  // reopened since: the report is stale
            m_lossPending = false;
            if (m_port.isOpen()) m_port.close();
            m_port.clearError();
            emit OnLineError(leDeviceLost);
        },
        Qt::QueuedConnection);
}

void TComPort::requireOpen() const {
    if (!m_open) throw EComError(QString::fromLatin1(ClosedPortText));
}

void TComPort::raiseLost() const { throw EComError(portErrorText(m_lostError), int(m_lostError)); }

void TComPort::PortWrite(const uint8_t* data, int n) {
    requireOpen();
    if (m_pendingWrite > 0) PortWaitWrite();
    if (n <= 0) return;
    const qint64 written = m_port.write(reinterpret_cast<const char*>(data), n);
    if (!m_open) raiseLost();
    if (written != n) {
        const QSerialPort::SerialPortError error = m_port.error();
        m_port.clearError();
        throw EComError(portErrorText(error), int(error));
    }
    m_pendingWrite = n;
}

void TComPort::PortWaitWrite(bool checkLineStatus) {
    requireOpen();
    const qint64 handedOver = m_pendingWrite;
    m_pendingWrite = 0;
    if (handedOver == 0) return;
    QDeadlineTimer deadline(totalTimeoutMs(int(handedOver)));
    while (m_port.bytesToWrite() > 0) {
        if (!m_open) raiseLost();
        if (deadline.hasExpired()) {
            // Left queued, the request would go out whenever the line frees up, and its answer
            // would be taken for a later request's.
            m_port.clear(QSerialPort::Output);
            m_port.clearError();
            throw EComError(QString::fromLatin1(TimeoutText));
        }
        if (!m_port.waitForBytesWritten(int(deadline.remainingTime()))) {
            if (!m_open) raiseLost();
            m_port.clearError();
        }
    }
    if (!m_open) raiseLost();
    // The reply's time-out starts once the request is out, not a frame's time earlier.
    drainLine(deadline);
    if (checkLineStatus) failOnLineStatus();
}

void TComPort::drainLine(const QDeadlineTimer& deadline) {
#ifdef __linux__
    // An empty Qt buffer means only that the driver has the bytes: they may still wait in its
    // queue, the UART's FIFO or a USB adapter. The queue is waited for in steps, so that a line
    // that never drains cannot hold the tool beyond the deadline; tcdrain then waits for the
    // last bytes in the hardware, which take at most a few byte times.
    const int fd = int(m_port.handle());
    int queued = 0;
    while (::ioctl(fd, TIOCOUTQ, &queued) == 0 && queued > 0) {
        if (deadline.hasExpired()) return;
        QThread::msleep(1);
    }
    while (::tcdrain(fd) != 0 && errno == EINTR) {
    }
#else
    Q_UNUSED(deadline);
#endif
}

void TComPort::PortRead(uint8_t* buffer, int n) {
    m_lastReadCount = 0;
    requireOpen();
    if (n <= 0) return;
    failOnLineStatus();
    QDeadlineTimer deadline(totalTimeoutMs(n));
    int& got = m_lastReadCount;
    got = 0;
    while (got < n) {
        if (m_port.bytesAvailable() > 0) {
            const qint64 r = m_port.read(reinterpret_cast<char*>(buffer) + got, n - got);
            if (r > 0) {
                got += int(r);
                continue;
            }
        }
        if (!m_open) raiseLost();
        if (deadline.hasExpired()) throw EComError(QString::fromLatin1(TimeoutText));
        if (!m_port.waitForReadyRead(int(deadline.remainingTime()))) {
            if (!m_open) raiseLost();
            m_port.clearError();
        }
    }
    failOnLineStatus();
}

QByteArray TComPort::PortReadLine(int timeoutMs, int maxBytes) {
    requireOpen();
    failOnLineStatus();
    QDeadlineTimer deadline(timeoutMs);
    QByteArray line;
    char c = 0;
    for (;;) {
        while (m_port.bytesAvailable() > 0 && m_port.getChar(&c)) {
            if (c == '\n') {
                if (line.endsWith('\r')) line.chop(1);
                failOnLineStatus();
                return line;
            }
            if (line.size() >= maxBytes)
                throw EComError(QStringLiteral("the answer is longer than %1 bytes").arg(maxBytes));
            line += c;
        }
        if (!m_open) raiseLost();
        if (deadline.hasExpired()) throw EComError(QString::fromLatin1(TimeoutText));
        if (!m_port.waitForReadyRead(int(deadline.remainingTime()))) {
            if (!m_open) raiseLost();
            m_port.clearError();
        }
    }
}

bool TComPort::PortWaitInput(int ms) {
    requireOpen();
    if (m_port.bytesAvailable() > 0) return true;
    if (m_port.waitForReadyRead(ms)) return true;
    if (!m_open) raiseLost();
    m_port.clearError();
    return m_port.bytesAvailable() > 0;
}

qint64 TComPort::PortDiscardInput() {
    if (!m_open) return 0;
#ifdef __linux__
    // A device that vanished since the last transfer (a cable pulled right after a request
    // that gets no reply) is noticed here, before the next request, and not by chance somewhere
    // inside it.
    pollfd line{int(m_port.handle()), POLLIN, 0};
    if (::poll(&line, 1, 0) > 0 && (line.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        deviceLost(QSerialPort::ResourceError);
        return 0;
    }
#endif
    qint64 count = m_port.bytesAvailable();
#ifdef __linux__
    int queued = 0;  // what the driver holds and the port has not fetched yet
    if (::ioctl(int(m_port.handle()), FIONREAD, &queued) == 0 && queued > 0) count += queued;
#endif
    m_port.clear(QSerialPort::Input);
    m_port.readAll();
    if (count > 0) qCDebug(lcPort) << "discarded" << count << "stale bytes";
    return count;
}

}  // namespace vl48
