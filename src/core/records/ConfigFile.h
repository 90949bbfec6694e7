// The configuration file (*.vl4): thirteen CR LF lines of Windows-1250 text, one value each, in a
// fixed order. Widget-free, so a production-line programmer can read and write the same files as
// the window.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QIODevice>
#include <QString>

#include "core/device/Configuration.h"

namespace vl48 {

constexpr int ConfigFileLines = 13;
// A longer line is no configuration value: only its start is kept, so that a wrong file picked
// by mistake neither floods a message box nor fills the memory.
constexpr int ConfigFileLineLimit = 1024;
// Thirteen short lines: a bigger file is none of ours, and reading it would only take time.
constexpr qint64 ConfigFileSizeLimit = 64 * 1024;

// The thirteen lines, each ended by CR LF, in Windows-1250. Control characters of the note
// (a CR or LF read from a transmitter) become spaces, so the file always has thirteen lines.
QByteArray configFileLine(const ConfigFileValues& values, int line);
QByteArray configFileBytes(const ConfigFileValues& values);

// Writes the file whole or not at all: the lines go to a temporary file that replaces `path`
// only when all thirteen are written, so a failed save never destroys an earlier file. Returns
// an empty text on success, else the platform's error text.
QString saveConfigFile(const QString& path, const ConfigFileValues& values);

// What a load got: lines 1..linesRead converted; when linesRead < 13, `error` tells why the
// next line stopped it. A number line is read as its field reads it (fieldReading). Reading past
// the end of the file yields empty lines: an empty code or date line fails its conversion, an
// empty number line is a field of zeros, an empty note line an empty note.
struct ConfigFileLoad {
    ConfigFileValues values;
    int linesRead = 0;
    QString error;
    // The path names no regular file of at most ConfigFileSizeLimit bytes (a FIFO, a device, a
    // folder, a huge file): nothing was opened, and `error` is empty for the caller to explain.
    bool notAConfigFile = false;
};
// `earliest` and `latest` bound the dates the receiving control can show: a date beyond them
// would be moved silently, so it counts as no valid date.
ConfigFileLoad readConfigFile(QIODevice& in, const QDate& earliest = QDate(100, 1, 1),
                              const QDate& latest = QDate(9999, 12, 31));
// Opens only a regular file of at most ConfigFileSizeLimit bytes: opening a FIFO waits for a
// writer, and a device such as /dev/zero never ends, either of which would freeze the window.
ConfigFileLoad loadConfigFile(const QString& path, const QDate& earliest = QDate(100, 1, 1),
                              const QDate& latest = QDate(9999, 12, 31));

// The run-time's conversion error texts.
QString notAnIntegerText(const QString& text);  // "'abc' is not a valid integer value"
QString notADateText(const QString& text);      // "'abc' is not a valid date"

}  // namespace vl48
