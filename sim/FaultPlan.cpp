#include "FaultPlan.h"

#include <algorithm>

#include "WireFrame.h"

namespace vl48sim {

void FaultPlan::inject(const Fault& fault, int k) {
    at_[received_ + static_cast<uint64_t>(std::max(k, 0))] = fault;
}

void FaultPlan::injectOnCommand(uint8_t cmd, const Fault& fault) {
    onCommand_.emplace_back(cmd, fault);
}

void FaultPlan::clear() {
    at_.clear();
    onCommand_.clear();
}

std::optional<Fault> FaultPlan::take(bool crcOk, uint8_t cmd) {
    const uint64_t index = received_++;
    std::optional<Fault> fault;
    if (auto it = at_.find(index); it != at_.end()) {
        fault = std::move(it->second);
        at_.erase(it);
        return fault;
    }
    // A frame with a broken CRC carries no trustworthy command code.
    if (crcOk) {
        auto it = std::find_if(onCommand_.begin(), onCommand_.end(),
                               [cmd](const auto& entry) { return entry.first == cmd; });
        if (it != onCommand_.end()) {
            fault = std::move(it->second);
            onCommand_.erase(it);
        }
    }
    return fault;
}

void shapeReply(const Fault& fault, bool framed, std::vector<uint8_t>& bytes,
                std::chrono::steady_clock::duration& delay) {
    switch (fault.kind) {
        case Fault::Kind::BadCrc:
            if (framed) {
                bytes[5] ^= 0xFF;
            }
            break;
        case Fault::Kind::WrongEcho:
            if (framed) {
                bytes[0] = static_cast<uint8_t>(bytes[0] == 255 ? 254 : bytes[0] + 1);
                sealFrame(bytes.data());
            }
            break;
        case Fault::Kind::ShortReply:
        case Fault::Kind::UnplugMidReply:
            bytes.resize(std::min(bytes.size(), static_cast<size_t>(std::max(fault.count, 0))));
            break;
        case Fault::Kind::LateReply:
            delay += std::chrono::milliseconds(std::max(fault.delayMs, 0));
            break;
        case Fault::Kind::StrayBytes:
            bytes.insert(bytes.begin(), fault.bytes.begin(), fault.bytes.end());
            break;
        case Fault::Kind::NoReply:
        case Fault::Kind::Unplug:
        case Fault::Kind::Stream:
        case Fault::Kind::FramingError:
            break;
    }
}

}  // namespace vl48sim
