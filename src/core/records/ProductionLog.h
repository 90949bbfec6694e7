// The production log: one CSV line (RFC 4180, UTF-8) for every upload attempt, so that what
// went into which unit can be proven afterwards. A line is written whole or not at all.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include "core/records/ConfigFile.h"

namespace vl48 {

struct ProductionRecord {
    QDateTime time;  // local time; written in ISO 8601 with its offset from UTC
    QString port;
    QString deviceType;
    QString firmware;    // "1.310/250312"
    QString identifier;  // "01234"
    QString configFile;  // the configuration file's name
    QString configSha256;
    QString result;  // see the result texts below
    QString operatorNote;
};

// The result column.
QString resultOk();                                  // "ok"
QString resultRefused();                             // "refused"
QString resultFailedAtStep(int step);                // "failed at step 3"
QString resultVerifyMismatch(const QString& cells);  // "verify mismatch: EEYear EENoteText"
QString resultVerifyFailed();  // "verify failed": the read-back did not answer

// The SHA-256 (lower-case hex) of the configuration as a file holds it: the bytes the tool
// saves for these values, so for a file saved by the tool and programmed unchanged it is the
// file's own digest.
QString configSha256(const ConfigFileValues& values);

// One record as a CSV line with its CR LF; the header line likewise.
QByteArray csvHeader();
QByteArray csvLine(const ProductionRecord& record);
// The same as fields, and any fields as one line (quoted where they need it, CR LF).
QStringList csvColumns();
QStringList csvFields(const ProductionRecord& record);
QByteArray csvRecord(const QStringList& fields);

class ProductionLog {
public:
    explicit ProductionLog(QString path) : m_path(std::move(path)) {}
    const QString& path() const { return m_path; }
    // Makes sure a line can be appended now: creates the file with its header line when new,
    // and, given the unit's record as far as it is known before its first write, proves that the
    // file can take that unit's line, whatever its result turns out to be. Empty on success,
    // else why not (the platform's text).
    QString prepare() const;
    QString prepare(const ProductionRecord& draft) const;
    // Appends the line (and the header first when the file is new or empty), flushes it to the
    // disk, and takes back a line that did not fit whole. Empty on success, else why not.
    QString append(const ProductionRecord& record) const;

private:
    QString write(const QByteArray& line, qsizetype room = 0) const;
    QString m_path;
};

}  // namespace vl48
