#include "core/records/ConfigFile.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

#include "core/device/Cp1250.h"
#include "core/device/MemoryMap.h"

namespace vl48 {

namespace {

const QByteArray LineEnd = QByteArrayLiteral("\r\n");

// A decimal integer as the file holds it: an optional sign and digits, nothing around them, and
// within 32 bits. Anything else is a conversion error, never a silent 0.
bool parseCode(const QString& text, int& value) {
    int i = 0;
    const bool negative = text.startsWith(QLatin1Char('-'));
    if (negative || text.startsWith(QLatin1Char('+'))) i = 1;
    if (i >= text.size()) return false;
    qint64 magnitude = 0;
    for (; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) return false;
        magnitude = magnitude * 10 + (c.unicode() - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1) return false;
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int>::max()) return false;
    value = int(signedValue);
    return true;
}

// The note's bytes in the file: the bytes it was read from where it is unchanged, control
// characters (a CR or LF read from a transmitter) as spaces so the file keeps its thirteen lines.
QByteArray noteForFile(const ConfigFileValues& v) {
    QByteArray bytes = toCp1250Keeping(v.note.left(NoteMaxLength), v.noteBytes);
    for (char& b : bytes)
        if (uint8_t(b) < 0x20 || uint8_t(b) == 0x7F) b = ' ';
    return bytes;
}

// One line of the file without its line end. Past the end of the file it is empty; a line
// longer than the limit keeps its start and loses the rest. CR LF ends a line, and so does a
// lone LF or CR, so a file edited elsewhere still reads line by line. False on a read error.
bool readLine(QIODevice& in, QByteArray& line) {
    line.clear();
    char c = 0;
    while (true) {
        if (!in.getChar(&c)) return in.atEnd();
        if (c == '\n') return true;
        if (c == '\r') {
            char next = 0;
            if (in.peek(&next, 1) == 1 && next == '\n') in.getChar(&next);
            return true;
        }
        if (line.size() < ConfigFileLineLimit) line.append(c);
    }
}

}  // namespace

QByteArray configFileLine(const ConfigFileValues& v, int line) {
    if (line < 1 || line > ConfigFileLines) return {};
    const FieldDef& def = ConfigFields[size_t(line - 1)];
    if (def.kind == FieldKind::Note) return noteForFile(v) + LineEnd;
    return toCp1250(valueText(def, v)) + LineEnd;
}

QByteArray configFileBytes(const ConfigFileValues& values) {
    QByteArray bytes;
    for (int line = 1; line <= ConfigFileLines; ++line) bytes += configFileLine(values, line);
    return bytes;
}

QString saveConfigFile(const QString& path, const ConfigFileValues& values) {
    QSaveFile file(path);
    // Unbuffered, so that a write that fails (a full disk) is seen at its own line: Qt's saved
    // file does not notice a failure of the buffered rest written out while it is committed.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return file.errorString();
    for (int line = 1; line <= ConfigFileLines; ++line) {
        const QByteArray bytes = configFileLine(values, line);
        // A short write is no error yet; writing the rest tells whether the disk refuses it.
        for (qint64 done = 0; done < bytes.size();) {
            const qint64 n = file.write(bytes.constData() + done, bytes.size() - done);
            if (n <= 0) {
                const QString error = file.errorString();
                file.cancelWriting();
                return error;
            }
            done += n;
        }
    }
    // Only the commit replaces the earlier file, and only once every byte is on the disk.
    if (!file.commit()) return file.errorString();
    return {};
}

ConfigFileLoad readConfigFile(QIODevice& in, const QDate& earliest, const QDate& latest) {
    ConfigFileLoad load;
    ConfigFileValues& v = load.values;
    QByteArray bytes;
    for (int line = 1; line <= ConfigFileLines; ++line) {
        if (!readLine(in, bytes)) {
            load.error = in.errorString();
            return load;
        }
        const QString text = fromCp1250(bytes);
        const FieldDef& def = ConfigFields[size_t(line - 1)];
        switch (def.kind) {
            case FieldKind::List:
                if (!parseCode(text, v.*def.code)) {
                    load.error = notAnIntegerText(text);
                    return load;
                }
                break;
            case FieldKind::Number:
                // As the bulk tab's field takes it, so that the window and the command line
                // program the same number from the same line.
                v.*def.text = fieldReading(def, text);
                break;
            case FieldKind::Date: {
                const QDate date = configDateFromText(text);
                if (!date.isValid() || date < earliest || date > latest) {
                    load.error = notADateText(text);
                    return load;
                }
                v.date = date;
                break;
            }
            case FieldKind::Note: {
                // The transmitter has room for 30 characters; the rest could never be stored.
                v.note = text.left(NoteMaxLength);
                const QByteArray noteBytes = bytes.left(NoteMaxLength);
                if (toCp1250(v.note) != noteBytes) v.noteBytes = noteBytes;
                break;
            }
        }
        load.linesRead = line;
    }
    return load;
}

ConfigFileLoad loadConfigFile(const QString& path, const QDate& earliest, const QDate& latest) {
    // A path that names nothing fails to open below, with the platform's own text.
    const QFileInfo info(path);
    if (info.exists() && (!info.isFile() || info.size() > ConfigFileSizeLimit)) {
        ConfigFileLoad refused;
        refused.notAConfigFile = true;
        return refused;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ConfigFileLoad failed;
        failed.error = file.errorString();
        return failed;
    }
    return readConfigFile(file, earliest, latest);
}

QString notAnIntegerText(const QString& text) {
    return QStringLiteral("'%1' is not a valid integer value").arg(text);
}

QString notADateText(const QString& text) {
    return QStringLiteral("'%1' is not a valid date").arg(text);
}

}  // namespace vl48
