// Numbers, timings and bytes as people type them on vl48-sim's command line and console, and
// the rows of its usage text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vl48sim {

// Decimal, or hexadecimal with 0x; the whole text must be the number, within min..max.
std::optional<long long> parseNumber(const std::string& text, long long min, long long max);
// "MS" or "MS:JITTER", milliseconds each (0..60000).
std::optional<std::pair<int, int>> parseTurnaround(const std::string& text);
// "GAIN:OFFSET", percent each (-50..50), e.g. "0.3:0.2" or "-0.1:0".
std::optional<std::pair<double, double>> parseOutputError(const std::string& text);
// "55AA", "55 AA" or "55:aa".
std::optional<std::vector<uint8_t>> parseHex(const std::string& text);
// "55 AA".
std::string hex(const std::vector<uint8_t>& bytes);

// A row of a usage list: `left` padded to `column`, or on a line of its own when it does not
// fit; the further lines of `text` (separated by newlines) indented to the column.
void printRow(std::ostream& out, const std::string& left, std::string_view text, size_t column);

}  // namespace vl48sim
