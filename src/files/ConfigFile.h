// The configuration file (*.vl4): thirteen CR LF lines of Windows-1250 text, one value each, in a
// fixed order. Widget-free, so a production-line programmer can read and write the same files as
// the window.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QIODevice>
#include <QString>

namespace vl48 {

constexpr int ConfigFileLines = 13;
// A longer line is no configuration value: only its start is kept, so that a wrong file picked
// by mistake neither floods a message box nor fills the memory.
constexpr int ConfigFileLineLimit = 1024;
// Thirteen short lines: a bigger file is none of ours, and reading it would only take time.
constexpr qint64 ConfigFileSizeLimit = 64 * 1024;

// The values of one file, line by line. Codes are cell codes (-1: no list entry selected);
// the value lines are fixed-width field texts whose blanks are already the digit 0.
struct ConfigFileValues {
    int inputType = -1;    // line 1
    int outputType = -1;   // line 2
    int sensorFault = -1;  // line 3
    QString rangeBegin;    // line 4, "0050", "-050"
    QString rangeEnd;      // line 5
    int filter = -1;       // line 6
    int compMode = -1;     // line 7
    QString compTemp;      // line 8, "020", "-05"
    int outputLimit = -1;  // line 9
    int wiring = -1;       // line 10
    QDate date;            // line 11
    QString note;          // line 12, at most 30 characters
    QString lineRes;       // line 13, "01,50"
    // The bytes line 12 was read from, when its text alone cannot give them back (a byte
    // Windows-1250 leaves undefined, shown as U+FFFD): written for the part of `note` left as
    // read (toCp1250Keeping). Empty otherwise.
    QByteArray noteBytes;
    bool operator==(const ConfigFileValues&) const = default;
};

// The short date format of the regional settings with a four-digit year: a two-digit year would
// read 16 back as 1916.
QString configDateFormat();
// The date line: as written, and as read back (that format, or d.M.yyyy, or yyyy-MM-dd, so files
// made under other regional settings still load). An invalid result means no date.
QString configDateText(const QDate& date);
QDate configDateFromText(const QString& text);

// The thirteen lines, each ended by CR LF, in Windows-1250. Control characters of the note
// (a CR or LF read from a transmitter) become spaces, so the file always has thirteen lines.
QByteArray configFileLine(const ConfigFileValues& values, int line);
QByteArray configFileBytes(const ConfigFileValues& values);

// Writes the file whole or not at all: the lines go to a temporary file that replaces `path`
// only when all thirteen are written, so a failed save never destroys an earlier file. Returns
// an empty text on success, else the platform's error text.
QString saveConfigFile(const QString& path, const ConfigFileValues& values);

// What a load got: lines 1..linesRead converted; when linesRead < 13, `error` tells why the
// next line stopped it. Reading past the end of the file yields empty lines: an empty code or
// date line fails its conversion, an empty value or note line is an empty field.
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
// Why a path was not loaded (ConfigFileLoad::notAConfigFile), language 0 Czech, 1 English.
QString notAConfigFileText(int language, const QString& path);

}  // namespace vl48
