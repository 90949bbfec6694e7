// The configuration-file loader on any bytes: what it promises of a load, and that a fully read
// file saved again reads back as the values it was saved from.
#include <QBuffer>
#include <QByteArray>
#include <QDate>
#include <QLocale>
#include <cstddef>
#include <cstdint>

#include "FuzzCheck.h"
#include "core/device/Cp1250.h"
#include "core/device/MemoryMap.h"
#include "core/records/ConfigFile.h"

using namespace vl48;

namespace {

ConfigFileLoad read(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    return readConfigFile(buffer);
}

// A text as it comes back from the file: characters Windows-1250 has no byte for are "?".
QString throughCodePage(const QString& text) { return fromCp1250(toCp1250(text)); }

// The values other than the note that a save then a load gives back: the documented losses of
// the code page.
ConfigFileValues afterSave(const ConfigFileValues& v) {
    ConfigFileValues expected = v;
    expected.rangeBegin = throughCodePage(v.rangeBegin);
    expected.rangeEnd = throughCodePage(v.rangeEnd);
    expected.compTemp = throughCodePage(v.compTemp);
    expected.lineRes = throughCodePage(v.lineRes);
    return expected;
}

// The note keeps its place and its bytes, undefined ones included: a printable character comes
// back as it was, any other as it was or as a space, and nothing that would end line 12 stays.
void checkNoteAfterSave(const ConfigFileValues& before, const ConfigFileValues& after) {
    const QByteArray was = toCp1250Keeping(before.note, before.noteBytes);
    const QByteArray is = toCp1250Keeping(after.note, after.noteBytes);
    FUZZ_CHECK_TEXT(is.size() == was.size() && after.note.size() == before.note.size(), after.note);
    for (qsizetype i = 0; i < is.size(); ++i) {
        if (before.note.at(i).isPrint()) FUZZ_CHECK_TEXT(is.at(i) == was.at(i), after.note);
        FUZZ_CHECK_TEXT(is.at(i) == was.at(i) || is.at(i) == ' ', after.note);
    }
    FUZZ_CHECK_TEXT(!is.contains('\r') && !is.contains('\n'), after.note);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The regional settings of the unit tests: a date format with points, "dd.MM.yy".
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const ConfigFileLoad load = read(bytes);
    const ConfigFileValues& v = load.values;

    FUZZ_CHECK(load.linesRead >= 0 && load.linesRead <= ConfigFileLines);
    // A buffer never fails to read: only a conversion stops a load, and it always says why.
    FUZZ_CHECK(load.error.isEmpty() == (load.linesRead == ConfigFileLines));
    FUZZ_CHECK(v.note.size() <= NoteMaxLength);
    for (const QString* line : {&v.rangeBegin, &v.rangeEnd, &v.compTemp, &v.lineRes})
        FUZZ_CHECK(line->size() <= ConfigFileLineLimit);

    // Lines after the one that stopped the load leave their defaults.
    const ConfigFileValues defaults;
    const int n = load.linesRead;
    FUZZ_CHECK(n >= 1 || v.inputType == defaults.inputType);
    FUZZ_CHECK(n >= 2 || v.outputType == defaults.outputType);
    FUZZ_CHECK(n >= 3 || v.sensorFault == defaults.sensorFault);
    FUZZ_CHECK(n >= 4 || v.rangeBegin.isNull());
    FUZZ_CHECK(n >= 5 || v.rangeEnd.isNull());
    FUZZ_CHECK(n >= 6 || v.filter == defaults.filter);
    FUZZ_CHECK(n >= 7 || v.compMode == defaults.compMode);
    FUZZ_CHECK(n >= 8 || v.compTemp.isNull());
    FUZZ_CHECK(n >= 9 || v.outputLimit == defaults.outputLimit);
    FUZZ_CHECK(n >= 10 || v.wiring == defaults.wiring);
    FUZZ_CHECK(n >= 11 || !v.date.isValid());
    FUZZ_CHECK(n >= 12 || v.note.isNull());
    FUZZ_CHECK(n >= 13 || v.lineRes.isNull());
    if (n >= 11)
        FUZZ_CHECK(v.date.isValid() && v.date >= QDate(100, 1, 1) && v.date <= QDate(9999, 12, 31));
    if (n < ConfigFileLines) return 0;

    // Saved and read again: the same values, less what the code page and the note's line
    // discipline cannot carry; and a second save writes the very same bytes.
    const QByteArray saved = configFileBytes(v);
    const ConfigFileLoad again = read(saved);
    FUZZ_CHECK(again.linesRead == ConfigFileLines && again.error.isEmpty());
    ConfigFileValues expected = afterSave(v);
    expected.note = again.values.note;
    expected.noteBytes = again.values.noteBytes;
    FUZZ_CHECK(again.values == expected);
    checkNoteAfterSave(v, again.values);
    FUZZ_CHECK(configFileBytes(again.values) == saved);

    // Narrower date bounds only ever stop a load at the date line.
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    const ConfigFileLoad bounded = readConfigFile(buffer, v.date.addDays(1), QDate(9999, 12, 31));
    FUZZ_CHECK(bounded.linesRead == 10 && !bounded.error.isEmpty());
    return 0;
}
