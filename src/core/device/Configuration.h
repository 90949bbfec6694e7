// The thirteen values of a configuration in one table: their names, where the transmitter and the
// file hold them, what each may hold, and how each is converted both ways. The file format, the
// bulk tab, the upload, the comparison and the command-line programmer all work from it, so a
// value reads, writes and compares the same wherever it goes. Widget-free.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <array>
#include <optional>

#include "core/device/MemoryMap.h"

namespace vl48 {

// The values in the order of the file's lines.
enum class ConfigField {
    InputType,
    OutputType,
    SensorFault,
    RangeBegin,
    RangeEnd,
    Filter,
    CompMode,
    CompTemp,
    OutputLimit,
    Wiring,
    Date,
    Note,
    LineRes,
};
constexpr int ConfigFieldCount = 13;

// The values of one configuration. Codes are cell codes (-1: no list entry selected); the number
// values are fixed-width field texts whose blanks are already the digit 0 ("-050", "01,50").
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

enum class FieldKind { List, Number, Date, Note };

struct FieldDef {
    ConfigField field;
    // "input type": how the command-line programmer, its JSON keys and the log name the value.
    const char* name;
    FieldKind kind;
    // The cell written: the date's day and month (its year follows in EEYear), the note's
    // length (its text follows from EENoteText).
    Cell cell;
    // The upload's step that writes it (the date takes two, 11 and 12). The upload writes the
    // lists first, in this order, which is also the order in which it refuses them.
    int step;
    // List: codes 0..listLength-1 are the entries the bulk tab's list offers.
    int listLength = 0;
    int ConfigFileValues::*code = nullptr;
    // Number: the field's mask ('#' a sign or a digit, '0' a digit, ',' fixed) and the decimals
    // the cell counts in (hundredths of an ohm for the lead resistance).
    const char* mask = nullptr;
    int decimals = 0;
    QString ConfigFileValues::*text = nullptr;

    int line() const { return int(field) + 1; }
    // The numbers the field has room for: -999..9999 for "#000".
    int minimum() const;
    int maximum() const;
};
extern const std::array<FieldDef, ConfigFieldCount> ConfigFields;
const FieldDef& fieldDef(ConfigField field);
const char* fieldName(ConfigField field);

// A number field's line read as the field reads text put into it: each character goes to the
// next position whose mask takes it (a comma jumps to the field's comma), a character no position
// takes is dropped, what does not fit is lost, and every blank is the digit 0.
// "1,5" -> "10,50", "1.50" -> "15,00", "50" -> "5000", "99999" -> "9999", "" -> "0000".
QString fieldReading(const FieldDef& def, const QString& line);
// The number a field's text stands for, in the cell's unit: "-050" -> -50, "01,50" -> 150. Every
// text the field can hold has one; a position that holds no digit counts as 0.
int fieldNumber(const FieldDef& def, const QString& text);
// The field's text of a number, which is first brought into the field's room.
QString fieldText(const FieldDef& def, int number);
// A cell's word as the field can show it, and as the file saves it.
QString fieldTextOfWord(const FieldDef& def, uint16_t word);

// A value as its file line holds it: "10", "-050", "24.12.2017", the note.
QString valueText(const FieldDef& def, const ConfigFileValues& values);

// The date line, the same on every computer: d.M.yyyy. Read back from that, yyyy-MM-dd, or the
// regional short format, so files saved under other settings still load; invalid means no date.
QString configDateText(const QDate& date);
QDate configDateFromText(const QString& text);

// The note as the transmitter is given it: Windows-1250, at most 30 bytes, bytes read from a
// file kept where the text was left as read.
QByteArray noteBytesOf(const ConfigFileValues& values);

// Why a configuration cannot be uploaded, before anything is written: a code its list does not
// offer (a file's 25, -1 of a list left empty) would store what no list can show, and a date
// before 2000 would be stored where the basic tab cannot show it.
struct UploadRefusal {
    enum class Reason { NoListEntry, EarlyDate } reason;
    ConfigField field;
};
std::optional<UploadRefusal> uploadRefusal(const ConfigFileValues& values);

}  // namespace vl48
