#include "ConsoleText.h"

#include <cctype>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <iomanip>
#include <ostream>
#include <sstream>

namespace vl48sim {

// Decimal, or hexadecimal with 0x; the whole text must be the number.
std::optional<long long> parseNumber(const std::string& text, long long min, long long max) {
    if (text.empty()) {
        return std::nullopt;
    }
    const bool negative = text[0] == '-';
    const std::string digits = negative ? text.substr(1) : text;
    int base = 10;
    size_t skip = 0;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) {
        base = 16;
        skip = 2;
    }
    if (digits.size() <= skip || !std::isxdigit(static_cast<unsigned char>(digits[skip]))) {
        return std::nullopt;
    }
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(digits.c_str() + skip, &end, base);
    if (errno != 0 || *end != '\0') {
        return std::nullopt;
    }
    const long long signedValue = negative ? -value : value;
    if (signedValue < min || signedValue > max) {
        return std::nullopt;
    }
    return signedValue;
}

// "MS" or "MS:JITTER", milliseconds each.
std::optional<std::pair<int, int>> parseTurnaround(const std::string& text) {
    const auto colon = text.find(':');
    const auto ms = parseNumber(text.substr(0, colon), 0, 60'000);
    const auto jitter = colon == std::string::npos ? std::optional<long long>(0)
                                                   : parseNumber(text.substr(colon + 1), 0, 60'000);
    if (!ms || !jitter) {
        return std::nullopt;
    }
    return std::make_pair(static_cast<int>(*ms), static_cast<int>(*jitter));
}

namespace {

// A percentage as people type it, in the C locale whatever the process's is.
std::optional<double> parsePercent(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc{} || end != text.data() + text.size() ||
        !std::isfinite(value) || std::fabs(value) > 50) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::optional<std::pair<double, double>> parseOutputError(const std::string& text) {
    const auto colon = text.find(':');
    if (colon == std::string::npos) {
        return std::nullopt;
    }
    const auto gain = parsePercent(std::string_view(text).substr(0, colon));
    const auto offset = parsePercent(std::string_view(text).substr(colon + 1));
    if (!gain || !offset) {
        return std::nullopt;
    }
    return std::make_pair(*gain, *offset);
}

// "55AA", "55 AA" or "55:aa".
std::optional<std::vector<uint8_t>> parseHex(const std::string& text) {
    std::string digits;
    for (char c : text) {
        if (c == ' ' || c == ':' || c == '\t') {
            continue;
        }
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            return std::nullopt;
        }
        digits += c;
    }
    if (digits.empty() || digits.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < digits.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

std::string hex(const std::vector<uint8_t>& bytes) {
    std::ostringstream out;
    out << std::hex << std::uppercase << std::setfill('0');
    for (size_t i = 0; i < bytes.size(); ++i) {
        out << (i ? " " : "") << std::setw(2) << static_cast<int>(bytes[i]);
    }
    return out.str();
}

void printRow(std::ostream& out, const std::string& left, std::string_view text, size_t column) {
    out << left;
    if (left.size() < column) {
        out << std::string(column - left.size(), ' ');
    } else {
        out << '\n' << std::string(column, ' ');
    }
    for (size_t start = 0;;) {
        const size_t end = text.find('\n', start);
        out << text.substr(start, end - start) << '\n';
        if (end == std::string_view::npos) {
            break;
        }
        out << std::string(column, ' ');
        start = end + 1;
    }
}

}  // namespace vl48sim
