#include "core/records/ProductionLog.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstring>

#include "core/device/MemoryMap.h"

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

// strerror_r, not strerror: a station appends to the log from a thread for each port.
QString errnoText(int error) {
    char text[256];
    return QString::fromLocal8Bit(::strerror_r(error, text, sizeof text));
}

// Proves that `room` more bytes fit at the end of the file, before a unit is programmed: a full
// disk, a size limit or a file system gone read-only must stop the unit before its first
// write, not after it, when the unit could no longer go unrecorded. The blocks are allocated
// past the end without changing the file's size, so they are there for the line later and a
// program killed meanwhile leaves no trace in the file. Where the file system cannot allocate
// ahead, the bytes are written and taken back.
QString reserveRoom(int fd, qsizetype room) {
    struct stat st {};
    if (::fstat(fd, &st) != 0) return errnoText(errno);
    rlimit limit{};
    if (::getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY &&
        rlim_t(st.st_size + room) > limit.rlim_cur)
        return errnoText(EFBIG);
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, st.st_size, room) == 0) return {};
    if (errno != EOPNOTSUPP) return errnoText(errno);
    const QByteArray filler(room, ' ');
    const ssize_t n = ::write(fd, filler.constData(), size_t(room));
    const int error = errno;
    const bool back = ::ftruncate(fd, st.st_size) == 0;
    if (n != ssize_t(room)) return errnoText(n < 0 ? error : ENOSPC);
    return back ? QString() : errnoText(errno);
}

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

QByteArray csvRecord(const QStringList& fields) {
    QByteArray line;
    for (qsizetype i = 0; i < fields.size(); ++i) {
        if (i > 0) line += ',';
        line += csvField(fields[i]);
    }
    return line + "\r\n";
}

QStringList csvColumns() {
    return {QStringLiteral("time"),          QStringLiteral("port"),
            QStringLiteral("device_type"),   QStringLiteral("firmware"),
            QStringLiteral("identifier"),    QStringLiteral("config_file"),
            QStringLiteral("config_sha256"), QStringLiteral("result"),
            QStringLiteral("operator_note")};
}

QStringList csvFields(const ProductionRecord& r) {
    return {r.time.toOffsetFromUtc(r.time.offsetFromUtc()).toString(Qt::ISODate),
            r.port,
            r.deviceType,
            r.firmware,
            r.identifier,
            r.configFile,
            r.configSha256,
            r.result,
            r.operatorNote};
}

QByteArray csvHeader() { return csvRecord(csvColumns()); }

QByteArray csvLine(const ProductionRecord& r) { return csvRecord(csvFields(r)); }

QString ProductionLog::prepare() const { return write({}); }

QString ProductionLog::prepare(const ProductionRecord& draft) const {
    // The longest result there is: a mismatch in every cell that verify reads.
    ProductionRecord longest = draft;
    QStringList cells;
    for (const CellInfo& info : Cells) cells << QString::fromLatin1(info.name);
    longest.result = resultVerifyMismatch(cells.join(QLatin1Char(' ')));
    return write({}, csvLine(longest).size());
}

QString ProductionLog::append(const ProductionRecord& record) const {
    return write(csvLine(record));
}

QString ProductionLog::write(const QByteArray& line, qsizetype room) const {
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
    // Two programs logging into one file: the header is written once, each line whole. The
    // size is looked at again under the lock, as the other program may just have written.
    if (::flock(fd, LOCK_EX) != 0 || ::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return errnoText(error);
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
    if (problem.isEmpty() && room > 0) problem = reserveRoom(fd, room);
    if (::close(fd) != 0 && problem.isEmpty()) problem = errnoText(errno);
    return problem;
}

}  // namespace vl48
