// Which request misbehaves and how: faults aimed at the k-th request from now on or at the next
// request with a given command code, and what each fault does to the request and its reply.
#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <utility>
#include <vector>

#include "Types.h"

namespace vl48sim {

class FaultPlan {
public:
    // f applies to the k-th request counted from now (k = 0: the next one).
    void inject(const Fault& fault, int k);
    // f applies to the next request with this command code and a good CRC.
    void injectOnCommand(uint8_t cmd, const Fault& fault);
    void clear();

    // Counts one received request and hands out the fault it gets, if any. A positional fault
    // wins; a command fault that matches as well waits for the next match.
    std::optional<Fault> take(bool crcOk, uint8_t cmd);

private:
    uint64_t received_ = 0;  // never reset: positions count from here
    std::map<uint64_t, Fault> at_;
    std::deque<std::pair<uint8_t, Fault>> onCommand_;
};

inline bool isFault(const std::optional<Fault>& fault, Fault::Kind kind) {
    return fault && fault->kind == kind;
}

// The request is lost on the way: the unit neither carries it out nor answers it.
inline bool swallowsRequest(const std::optional<Fault>& fault) {
    return isFault(fault, Fault::Kind::NoReply) || isFault(fault, Fault::Kind::Unplug);
}

// Bends the reply the unit would send: its bytes (`framed` when they are a 7-byte frame, not the
// raw note) and the pause before them. Faults that act on the line rather than on the reply
// (Unplug, Stream, FramingError) leave both alone.
void shapeReply(const Fault& fault, bool framed, std::vector<uint8_t>& bytes,
                std::chrono::steady_clock::duration& delay);

}  // namespace vl48sim
