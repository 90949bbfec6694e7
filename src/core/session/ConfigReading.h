// Reading a transmitter's configuration: the seventeen cells in their order, then the note, and
// how each value is shown. Widget-free: the window's reading and the command-line programmer
// share it.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <array>
#include <map>
#include <optional>
#include <vector>

#include "core/device/MemoryMap.h"
#include "core/link/Link.h"

namespace vl48 {

// The cells of a configuration read, in the order they are read. The connection's progress bar
// counts them as steps 4..20 (the first step number is ConfigReadFirstStep).
constexpr std::array<Cell, 17> ConfigReadCells = {
    EEInputType, EEOutputType, EESensorFault, EERangeBegin, EERangeEnd, EEFilter,
    EECompMode,  EECompTemp,   EEOutputLimit, EEWiring,     EEDayMonth, EEYear,
    EELineRes,   EEAOIZero,    EEAOIEnd,      EEAOUZero,    EEAOUEnd};
constexpr int ConfigReadFirstStep = 4;

enum class NoteRead {
    Read,        // the note's bytes came (none for an empty note)
    NoNote,      // the length cell holds what no note can have (65535 of a blank memory)
    PortFailed,  // the note's bytes did not come: the device is gone
    // The length cell did not answer: `bytes` hold whatever came to the note's request, which
    // cannot be told from an empty or a cut note. Shown, but never compared or saved as read.
    LengthUnanswered,
};
struct NoteReading {
    NoteRead outcome = NoteRead::Read;
    QByteArray bytes;
};
// The note: its length cell, then the note read (command 26, a pause, the raw bytes). A failed
// length read sends the request all the same and reads an empty note; the next exchange waits
// for whatever the transmitter answered to pass.
NoteReading readNote(Link& link);

// What a configuration read got: the words of the cells that answered (a failed read is
// silent: the cell is missing here), and the note.
struct TransmitterConfig {
    std::map<Cell, uint16_t> words;
    NoteReading note;
    std::optional<uint16_t> word(Cell cell) const;
    // Whether the note, or that there is none, is known as the transmitter holds it.
    bool noteKnown() const {
        return note.outcome == NoteRead::Read || note.outcome == NoteRead::NoNote;
    }
};
// Told each cell as soon as its read is over: its word, or nothing when the read failed.
using CellHook = std::function<void(Cell cell, std::optional<uint16_t> word)>;
// Reads `cells` one after another, then the note unless `withNote` is false. `progress` is told
// firstStep, firstStep + 1, ... while each cell's request is out.
TransmitterConfig readCells(Link& link, const std::vector<Cell>& cells, bool withNote,
                            const ProgressHook& progress = {}, int firstStep = 1,
                            const CellHook& onCell = {});
// The whole configuration: ConfigReadCells as steps 4..20, then the note.
TransmitterConfig readConfiguration(Link& link, const ProgressHook& progress = {},
                                    bool withNote = true, const CellHook& onCell = {});

// A signed cell as its fixed-width field can show it: there is no room for more digits.
int rangeValue(uint16_t word);     // range begin and end: -999..9999
int compTempValue(uint16_t word);  // fixed terminal temperature: -99..999
int lineResValue(uint16_t word);   // lead resistance, hundredths of an ohm: -999..9999
// An output converter code as its field can hold it: at most 16383.
int outputCodeValue(uint16_t word);
// The date of setting, or nothing when the words are no calendar date within [earliest, latest].
std::optional<QDate> dateOfSetting(uint16_t dayMonth, uint16_t year, const QDate& earliest,
                                   const QDate& latest);

}  // namespace vl48
