// A reply off the line: the first seven input bytes are checked against every request command
// and decoded the way the windows decode each command's reply; the bytes after them are the raw
// note bytes of command 26, decoded as Windows-1250.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>

#include "FuzzCheck.h"
#include "core/device/CalibrationMath.h"
#include "core/device/Cp1250.h"
#include "core/device/MemoryMap.h"
#include "core/device/NumberTexts.h"
#include "core/link/Frame.h"

using namespace vl48;

namespace {

constexpr std::array<uint8_t, 16> Commands = {
    CmdReadCell, CmdReadNote,     CmdOutputRelease, CmdOutputSet, CmdWriteCell, CmdTempSecond,
    CmdAdcRead,  CmdSerialNumber, CmdMeasure,       CmdMilliVolt, CmdTemp,      CmdAin1,
    CmdAin2,     CmdAin3,         CmdFirmware,      CmdIdentify,
};

// The fault thresholds of the measured value: at connection, and in the measurement and terminal
// views.
constexpr int32_t FaultThresholds[] = {327670, 655350};

// The configuration cells by the encoding the memory map documents for them.
constexpr Cell SignedCells[] = {EERangeBegin, EERangeEnd, EECompTemp, EELineRes};
constexpr Cell UnsignedCells[] = {EEInputType,   EEOutputType,  EEFilter, EECompMode,   EEWiring,
                                  EEOutputLimit, EESensorFault, EEYear,   EENoteLength, EEAOIZero,
                                  EEAOIEnd,      EEAOUZero,     EEAOUEnd};

// CRC-16/ARC bit by bit (reflected polynomial 0xA001, start 0): the textbook form the table-free
// nibble-parity step must agree with.
uint16_t referenceCrc(const uint8_t* data, size_t length) {
    uint16_t crc = 0;
    for (size_t i = 0; i < length; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

// A scaled text read back exactly: the integer digits and the fraction padded to `decimals`.
std::optional<int64_t> unscale(const QString& text, int decimals, QChar separator) {
    const qsizetype at = text.indexOf(separator);
    QString digits = at < 0 ? text : text.left(at);
    const QString fraction = at < 0 ? QString() : text.mid(at + 1);
    if (fraction.size() > decimals) return std::nullopt;
    digits += fraction.leftJustified(decimals, QLatin1Char('0'));
    bool ok = false;
    const qlonglong value = digits.toLongLong(&ok);
    if (!ok) return std::nullopt;
    return value;
}

void checkScaled(int64_t value, int decimals) {
    const QString text = scaledText(value, decimals, QLatin1Char(','));
    FUZZ_CHECK_TEXT(unscale(text, decimals, QLatin1Char(',')) == value, text);
}

void checkCellRead(const Frame& reply) {
    const uint16_t word = replyWord(reply);
    // Either reading of the 16 bits, and the same bits written back.
    for (const CellInfo& info : Cells) {
        const int value = cellValue(info.cell, word);
        FUZZ_CHECK(value == int(word) || value == int(word) - 65536);
        FUZZ_CHECK(cellWord(value) == word);
    }
    // Two's complement: the top bit is the sign, and the value stays within 16 bits.
    for (const Cell cell : SignedCells) {
        const int value = cellValue(cell, word);
        FUZZ_CHECK(value >= -32768 && value <= 32767);
        FUZZ_CHECK((value < 0) == ((reply[3] & 0x80) != 0));
    }
    for (const Cell cell : UnsignedCells)
        FUZZ_CHECK(cellValue(cell, word) == reply[3] * 256 + reply[4]);
    // The fixed-width fields show a signed cell clamped to what they hold, and the value read
    // back from the field is the clamped value.
    const int range = std::clamp(cellValue(EERangeBegin, word), -999, 9999);
    FUZZ_CHECK_TEXT(maskedInteger(rangeText(range)) == range, rangeText(range));
    const int comp = std::clamp(cellValue(EECompTemp, word), -99, 999);
    FUZZ_CHECK_TEXT(maskedInteger(compTempText(comp)) == comp, compTempText(comp));
    const int lineRes = std::clamp(cellValue(EELineRes, word), -999, 9999);
    QString lineResField = lineResText(lineRes);
    FUZZ_CHECK_TEXT(lineResField.size() == 5, lineResField);
    lineResField.replace(QLatin1Char(' '), QLatin1Char('0'));  // the mask's blanks
    FUZZ_CHECK_TEXT(maskedHundredths(lineResField) == lineRes, lineResField);

    // The date of setting: the day travels in the first of the two bytes, the month in the
    // second.
    FUZZ_CHECK(dayOf(word) == reply[3] && monthOf(word) == reply[4]);
    FUZZ_CHECK(encodeDayMonth(dayOf(word), monthOf(word)) == word);
}

void checkMeasured(int32_t value) {
    // Which value is which fault is checked value by value in the window tests; here the
    // classification runs for the sanitizers, over any value.
    for (const int32_t from : FaultThresholds) (void)measuredKind(value, from);
    // Past the largest threshold no value can lie one or two above it: nothing there may wrap
    // around into a fault.
    const Measured past = measuredKind(value, INT32_MAX);
    FUZZ_CHECK(past != Measured::FaultHigh && past != Measured::FaultLow);
    checkScaled(value, 2);
}

void checkFirmware(int32_t firmware) {
    const FirmwareTexts texts = firmwareTexts(firmware);
    // The full text is the number with a point and a slash put in, and starts with the version.
    QString full = texts.full;
    bool ok = false;
    const qlonglong number = full.remove(QLatin1Char('.')).remove(QLatin1Char('/')).toLongLong(&ok);
    FUZZ_CHECK_TEXT(ok && number == firmware, texts.full);
    FUZZ_CHECK_TEXT(texts.full.startsWith(texts.version), texts.full);
    // Ten digits VVVVDDMMYY: the version and the release date read back as the number's parts.
    if (firmware < 1000000000) return;
    QString version = texts.version;
    FUZZ_CHECK_TEXT(version.remove(QLatin1Char('.')).toInt() == firmware / 1000000, texts.version);
    const QStringList date = texts.date.split(QLatin1Char('.'));
    FUZZ_CHECK_TEXT(date.size() == 3, texts.date);
    const int day = date[0].toInt(), month = date[1].toInt(), year = date[2].toInt();
    FUZZ_CHECK_TEXT(year >= 2000 && year <= 2099, texts.date);
    FUZZ_CHECK_TEXT(day * 10000 + month * 100 + (year - 2000) == firmware % 1000000, texts.date);
}

void checkNote(const QByteArray& raw, uint16_t lengthWord) {
    const QString text = fromCp1250(raw);
    FUZZ_CHECK(text.size() == raw.size());
    bool ok = false;
    const QByteArray back = toCp1250(text, &ok);
    FUZZ_CHECK(back.size() == raw.size());
    bool defined = true;
    for (qsizetype i = 0; i < raw.size(); ++i) {
        const bool undefinedByte = text.at(i) == QChar(0xFFFD);
        defined = defined && !undefinedByte;
        FUZZ_CHECK(back.at(i) == (undefinedByte ? '?' : raw.at(i)));
    }
    FUZZ_CHECK(ok == defined);

    // The note as the window reads it: the length cell, then that many bytes; and the cells
    // that would store it again.
    if (lengthWord > NoteMaxLength) return;
    const QByteArray note = raw.left(lengthWord);
    const std::vector<CellWrite> writes = noteCells(note);
    FUZZ_CHECK(!writes.empty() && writes[0].address == EENoteLength &&
               writes[0].value == note.size());
    // The text cells lie in 90..118, each once; read in the order of their addresses they give
    // back the note and at most the one filler byte.
    std::map<int, uint16_t> cells;
    for (size_t k = 1; k < writes.size(); ++k) {
        FUZZ_CHECK(writes[k].address >= 90 && writes[k].address <= 118 &&
                   writes[k].address % 2 == 0);
        FUZZ_CHECK(cells.emplace(writes[k].address, writes[k].value).second);
    }
    QByteArray stored;
    for (const auto& [address, value] : cells) {
        stored.append(char(value >> 8));
        stored.append(char(value & 0xFF));
    }
    FUZZ_CHECK(stored.size() - note.size() <= 1);
    FUZZ_CHECK(stored.left(note.size()) == note);
    if (note.size() % 2 == 1) FUZZ_CHECK(stored.back() == '0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < size_t(FrameSize)) return -1;  // no reply at all: not worth keeping
    Frame reply;
    std::copy(data, data + FrameSize, reply.begin());

    FUZZ_CHECK(crc16(data, int(std::min<size_t>(size, 4096))) ==
               referenceCrc(data, std::min<size_t>(size, 4096)));

    // Valid for a command exactly when it is the request frame of its own first five bytes (the
    // reply carries the same complemented CRC) and echoes that command.
    const Frame rebuilt = buildRequest(reply[0], reply[1], reply[2], reply[3], reply[4]);
    int validFor = 0;
    for (int command = 0; command < 256; ++command) {
        const bool valid = replyIsValid(reply, uint8_t(command));
        FUZZ_CHECK(valid == (rebuilt == reply && reply[0] == command));
        validFor += valid;
    }
    FUZZ_CHECK(validFor <= 1);
    FUZZ_CHECK(replyIsValid(rebuilt, reply[0]));
    // The two request forms put their data in the same bytes.
    const uint32_t data24 = (uint32_t(reply[2]) << 16) | (uint32_t(reply[3]) << 8) | reply[4];
    FUZZ_CHECK(buildSendRequest(reply[0], reply[1], data24) == rebuilt);
    FUZZ_CHECK(buildSendEERequest(reply[0], reply[1], reply[2], replyWord(reply)) == rebuilt);

    // The reply values from their bytes, high byte first: the long from bytes 1..4, the word
    // from bytes 3 and 4.
    const uint16_t word = replyWord(reply);
    const int32_t value = replyLong(reply);
    FUZZ_CHECK(uint32_t(value) == ((uint32_t(reply[1]) << 24) | (uint32_t(reply[2]) << 16) |
                                   (uint32_t(reply[3]) << 8) | reply[4]));
    FUZZ_CHECK(word == reply[3] * 256 + reply[4]);
    const int16_t signedWord = replySignedWord(reply);
    FUZZ_CHECK(uint16_t(signedWord) == word && (signedWord < 0) == (reply[3] >= 0x80));

    const QByteArray noteBytes(reinterpret_cast<const char*>(data) + FrameSize,
                               qsizetype(size - FrameSize));
    for (const uint8_t command : Commands) {
        // Decoded whether or not the check passed: decoding must hold up on any bytes.
        (void)replyIsValid(reply, command);
        switch (command) {
            case CmdReadCell:
                checkCellRead(reply);
                checkNote(noteBytes, word);
                break;
            case CmdTemp:
            case CmdTempSecond:
                checkScaled(replySignedWord(reply), 1);
                break;
            case CmdMeasure:
                checkMeasured(value);
                break;
            case CmdMilliVolt:
                checkScaled(value, 2);
                checkScaled(value, 3);
                break;
            case CmdFirmware:
                checkFirmware(value);
                break;
            default:
                // The identification answers its type in byte 4; the writes and the output
                // commands answer nothing the windows read; the identifier and the converter
                // readings are shown as plain decimals by the window itself.
                break;
        }
    }
    return 0;
}
