// The transmitter's memory through the frames: reading and writing one cell, and writing the note
// cell by cell. The one place where the memory map meets the link.
#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

#include "core/device/MemoryMap.h"
#include "core/link/Link.h"

namespace vl48 {

// A read answers the word, or nothing when the exchange failed.
std::optional<uint16_t> readCell(Link& link, Cell cell);
bool writeCell(Link& link, Cell cell, uint16_t word);
// The note's cells (noteCells) one after another, the length first; false at the first write
// that failed, and nothing after it is sent.
bool writeNote(Link& link, const QByteArray& text);

}  // namespace vl48
