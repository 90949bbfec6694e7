// The line-status counters a real serial driver keeps, in a side file beside the port link,
// since a pseudo-terminal has none: one line "frame overrun parity brk buf_overrun\n".
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "Types.h"

namespace vl48sim {

class LineStatusFile {
public:
    explicit LineStatusFile(std::string path) : path_(std::move(path)) {}

    const std::string& path() const { return path_; }
    // Zeros, written out. Throws std::system_error.
    void reset();
    // Adds to one counter and writes the file out. Throws std::system_error.
    void count(LineError error, uint64_t n);
    void remove();

private:
    void write();

    const std::string path_;
    std::array<uint64_t, 5> counters_{};  // in LineError order
};

}  // namespace vl48sim
