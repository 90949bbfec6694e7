#include "ProductionLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstring>

namespace vl48 {

namespace {

// A field quoted when it holds a comma, a quote or a line break, quotes doubled (RFC 4180).
QByteArray csvField(const QString& text) {
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\n') &&
        !bytes.contains('\r'))
        return bytes;
    bytes.replace("\"", "\"\"");
    return '"' + bytes + '"';
}

QByteArray csvRecord(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}

QString errnoText(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

}  // namespace

QString resultOk() { return QStringLiteral("ok"); }
QString resultRefused() { return QStringLiteral("refused"); }
QString resultFailedAtStep(int step) { return QStringLiteral("failed at step %1").arg(step); }
QString resultVerifyMismatch(const QString& cells) {
    return QStringLiteral("verify mismatch: ") + cells;
}
QString resultVerifyFailed() { return QStringLiteral("verify failed"); }

QString configSha256(const ConfigFileValues& values) {
    return QString::fromLatin1(
        QCryptographicHash::hash(configFileBytes(values), QCryptographicHash::Sha256).toHex());
}

QByteArray csvHeader() {
    return csvRecord({QStringLiteral("time"), QStringLiteral("port"), QStringLiteral("device_type"),
                      QStringLiteral("firmware"), QStringLiteral("identifier"),
                      QStringLiteral("config_file"), QStringLiteral("config_sha256"),
                      QStringLiteral("result"), QStringLiteral("operator_note")});
}

QByteArray csvLine(const ProductionRecord& r) {
    return csvRecord({r.time.toOffsetFromUtc(r.time.offsetFromUtc()).toString(Qt::ISODate), r.port,
                      r.deviceType, r.firmware, r.identifier, r.configFile, r.configSha256,
                      r.result, r.operatorNote});
}

QString ProductionLog::prepare() const { return write({}); }

QString ProductionLog::append(const ProductionRecord& record) const {
    return write(csvLine(record));
}

QString ProductionLog::write(const QByteArray& line) const {
    const QByteArray path = QFile::encodeName(m_path);
    // O_APPEND: two programs logging into one file never overwrite each other's lines.
    const int fd =
        ::open(path.constData(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) return errnoText(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return errnoText(error);
    }
    // A FIFO or a device would swallow the lines, or block the upload until read.
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        return errnoText(EINVAL);
    }
    const QByteArray bytes = (st.st_size == 0 ? csvHeader() : QByteArray()) + line;
    QString problem;
    if (!bytes.isEmpty()) {
        const ssize_t n = ::write(fd, bytes.constData(), size_t(bytes.size()));
        if (n != ssize_t(bytes.size())) {
            problem = n < 0 ? errnoText(errno) : errnoText(ENOSPC);
            // Half a line would be read as a record; take it back.
            if (n > 0 && ::ftruncate(fd, st.st_size) != 0)
                problem += QStringLiteral(" (a part of the line is left in the file)");
        } else if (::fsync(fd) != 0) {
            problem = errnoText(errno);
        }
    }
    if (::close(fd) != 0 && problem.isEmpty()) problem = errnoText(errno);
    return problem;
}

}  // namespace vl48
