#include "Meter.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <utility>

namespace vl48sim {

namespace {

constexpr const char* kIdentity = "VL48SIM,DMM-6,00000001,1.0";
constexpr const char* kGarbage = "#?!garbage";
// A six-digit bench meter: uniform noise of 0.001 % of the output's full scale.
constexpr double kCurrentNoisemA = 0.001 / 100 * 20.0;
constexpr double kVoltageNoiseV = 0.001 / 100 * 10.0;

std::string upper(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return out;
}

std::string_view trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::vector<std::string_view> nodes(std::string_view header) {
    if (!header.empty() && header.front() == ':') {
        header.remove_prefix(1);
    }
    std::vector<std::string_view> out;
    for (size_t start = 0;;) {
        const size_t colon = header.find(':', start);
        out.push_back(header.substr(start, colon - start));
        if (colon == std::string_view::npos) {
            return out;
        }
        start = colon + 1;
    }
}

// MEAS[URE]:CURR[ENT][:DC] or MEAS[URE]:VOLT[AGE][:DC], header already in capitals.
MeterRequest measurement(std::string_view header) {
    const auto n = nodes(header);
    const auto is = [](std::string_view node, std::string_view shortForm,
                       std::string_view longForm) { return node == shortForm || node == longForm; };
    if (n.size() < 2 || n.size() > 3 || !is(n[0], "MEAS", "MEASURE") ||
        (n.size() == 3 && n[2] != "DC")) {
        return MeterRequest::UnknownQuery;
    }
    if (is(n[1], "CURR", "CURRENT")) {
        return MeterRequest::Current;
    }
    if (is(n[1], "VOLT", "VOLTAGE")) {
        return MeterRequest::Voltage;
    }
    return MeterRequest::UnknownQuery;
}

}  // namespace

MeterRequest parseMeterRequest(std::string_view line) {
    const std::string text = upper(trimmed(line));
    // Whatever follows the question mark (range and resolution) does not change the answer.
    const size_t mark = text.find('?');
    if (mark == std::string::npos) {
        return MeterRequest::Command;
    }
    const std::string_view header = trimmed(std::string_view(text).substr(0, mark));
    if (header == "*IDN") {
        return MeterRequest::Identify;
    }
    return measurement(header);
}

std::string scpiReal(double value) {
    char buf[32];
    const auto end = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 5);
    std::string text(buf, end.ptr);
    std::replace(text.begin(), text.end(), 'e', 'E');
    return text.front() == '-' ? text : "+" + text;
}

MeterHost::Reply MeterInstrument::answer(const std::string& line, const DeviceModel& device) {
    log_.push_back(line);
    const MeterRequest request = parseMeterRequest(line);
    if (request == MeterRequest::Command) {
        return {};
    }
    if (const auto fault = std::exchange(armed_, std::nullopt)) {
        switch (*fault) {
            case MeterFault::NoReply:
                return {};
            case MeterFault::Garbage:
                return {kGarbage};
            case MeterFault::Unplug:
                return {std::nullopt, true};
        }
    }
    switch (request) {
        case MeterRequest::Identify:
            return {kIdentity};
        case MeterRequest::Current: {
            // The output cannot go below 0 mA, and neither does what the meter makes of it.
            const double mA = std::max(device.outputCurrentmANow() + noise(kCurrentNoisemA), 0.0);
            return {scpiReal(mA / 1000)};
        }
        case MeterRequest::Voltage:
            return {scpiReal(device.outputVoltsNow() + noise(kVoltageNoiseV))};
        case MeterRequest::Command:
        case MeterRequest::UnknownQuery:
            break;
    }
    return {};
}

double MeterInstrument::noise(double amplitude) {
    return std::uniform_real_distribution<double>(-amplitude, amplitude)(rng_);
}

}  // namespace vl48sim
