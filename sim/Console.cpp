#include "Console.h"

#include <algorithm>
#include <cstdint>
#include <iomanip>
#include <iostream>
#include <optional>
#include <string_view>

#include "ConsoleText.h"
#include "ProgramOptions.h"

namespace vl48sim {

namespace {

// How a command takes the rest of its line.
enum class Take {
    Words,        // split at white space
    Line,         // the rest of the line as one argument
    WordAndLine,  // one word, then the rest of the line
};

constexpr size_t kAny = SIZE_MAX;

std::string rest(std::istringstream& in) {
    std::string text;
    std::getline(in >> std::ws, text);
    return text;
}

std::vector<std::string> collect(Take take, std::istringstream& in) {
    switch (take) {
        case Take::Line:
            return {rest(in)};
        case Take::WordAndLine: {
            std::string word;
            in >> word;
            return {word, rest(in)};
        }
        case Take::Words:
            break;
    }
    std::vector<std::string> words;
    for (std::string a; in >> a;) {
        words.push_back(a);
    }
    return words;
}

void say(const std::string& text) { std::cout << text << std::endl; }
void bad(const std::string& text) { say("error: " + text + " (try help)"); }

}  // namespace

struct Console::Entry {
    std::string_view name;
    void (Console::*handler)(const Args&);
    Take take = Take::Words;
    size_t minWords = 0;  // for Take::Words
    size_t maxWords = 0;
    bool onOff = false;         // the one word must be "on" or "off"
    std::string_view synopsis;  // as the usage lists it; empty: not listed
    std::string_view help;

    bool fits(const Args& args) const {
        if (take != Take::Words) {
            return true;
        }
        if (args.size() < minWords || args.size() > maxWords) {
            return false;
        }
        return !onOff || args[0] == "on" || args[0] == "off";
    }
};

// In the order the usage lists them.
const std::vector<Console::Entry>& Console::commands() {
    using C = Console;
    static const std::vector<Entry> table = {
        {"unplug", &C::unplug, Take::Words, 0, 0, false, "unplug",
         "pull the cable (the port link disappears)"},
        {"plug", &C::plugSame, Take::Words, 0, 0, false, "plug", "plug the same unit back in"},
        {"plug", &C::plugAnother, Take::Words, 3, 3, false, "plug TYPE FIRMWARE SERIAL",
         "plug in another unit, with factory memory"},
        {"set", &C::setCell, Take::Words, 2, 2, false, "set ADDR VALUE",
         "write a memory cell (numbers decimal or 0x hex)"},
        {"get", &C::getCell, Take::Words, 1, 1, false, "get ADDR", "show a memory cell"},
        {"note", &C::setNote, Take::Line, 0, 0, false, "note TEXT",
         "set the note (the rest of the line)"},
        {"measure", &C::measure, Take::Words, 1, 1, false, "measure VALUE|auto",
         "measured value x100 (auto: from the input type)"},
        {"mv", &C::milliVolt, Take::Words, 1, 1, false, "mv VALUE|auto",
         "command 249: thousandths of a mV for thermocouples,\n"
         "hundredths of an ohm for resistance inputs"},
        {"temp", &C::terminalTemp, Take::Words, 1, 1, false, "temp VALUE",
         "terminal temperature in 0.1 degC"},
        {"fault", &C::fault, Take::WordAndLine, 0, 0, false, "fault KIND [PARAM]",
         "misbehave on the next request: noreply, badcrc,\n"
         "wrongecho, short N, late MS, stray HEXBYTES, unplug,\n"
         "unplugmid N (send N bytes of the reply, then unplug)"},
        {"stray", &C::stray, Take::Line, 0, 0, false, "stray HEXBYTES",
         "put bytes on the line now (e.g. stray 55AA)"},
        {"turnaround", &C::turnaround, Take::Words, 1, 1, false, "turnaround MS[:JITTER]",
         "pause before every reply from now on"},
        {"stream", &C::stream, Take::Words, 1, 1, true, "stream on|off",
         "another device sending without pause: filler bytes\n"
         "at the line rate, requests logged but not answered"},
        {"lineerror", &C::lineError, Take::Words, 1, 2, false, "lineerror KIND [N]",
         "count N (default 1) line errors of KIND: frame,\n"
         "overrun, parity, break, bufoverrun (in the port\n"
         "link's .linestatus file)"},
        {"stall", &C::stall, Take::Words, 1, 1, true, "stall on|off",
         "hold the tool's writes (they stay pending) or let\nthem go"},
        {"jumper", &C::jumper, Take::Words, 1, 1, true, "jumper on|off",
         "fit or remove the write-enable jumper"},
        {"meter", &C::meter, Take::Words, 1, 1, false, "meter KIND|plug",
         "the meter's next query goes unanswered (noreply),\n"
         "gets #?!garbage (garbage) or pulls its cable\n"
         "(unplug); plug puts the meter back (with --meter)"},
        {"log", &C::log, Take::Words, 0, 0, false, "log",
         "print the requests received so far, then forget them"},
        {"help", &C::help, Take::Words, 0, kAny, false, "help", "this text"},
        {"quit", &C::quit, Take::Words, 0, kAny, false, "quit", "remove the port and exit"},
        {"exit", &C::quit, Take::Words, 0, kAny, false, "", ""},
    };
    return table;
}

void Console::printCommands(std::ostream& out) {
    for (const Entry& entry : commands()) {
        if (!entry.synopsis.empty()) {
            printRow(out, "  " + std::string(entry.synopsis), entry.help, 30);
        }
    }
}

bool Console::run(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    std::istringstream in(line);
    std::string word;
    if (!(in >> word)) {
        return true;
    }
    try {
        dispatch(word, in);
    } catch (const std::exception& e) {
        say(std::string("error: ") + e.what());
    }
    return !quitting_;
}

// A name can have several entries, told apart by their number of words; they take their
// arguments alike.
void Console::dispatch(const std::string& word, std::istringstream& in) {
    const auto& table = commands();
    const auto named = [&](const Entry& entry) { return entry.name == word; };
    auto entry = std::find_if(table.begin(), table.end(), named);
    if (entry != table.end()) {
        const Args args = collect(entry->take, in);
        for (; entry != table.end(); entry = std::find_if(entry + 1, table.end(), named)) {
            if (entry->fits(args)) {
                return (this->*entry->handler)(args);
            }
        }
    }
    bad("unknown command or wrong arguments: " + word);
}

void Console::unplug(const Args&) {
    sim_.unplug();
    say("unplugged");
}

void Console::plugSame(const Args&) {
    sim_.plug();
    say("plugged: " + sim_.linkPath() + " -> " + sim_.slavePath());
}

void Console::plugAnother(const Args& args) {
    const auto type = parseNumber(args[0], 10, 12);
    const auto firmware = parseNumber(args[1], INT32_MIN, INT32_MAX);
    const auto serial = parseNumber(args[2], 0, 65535);
    if (!type || !firmware || !serial) {
        return bad("plug TYPE FIRMWARE SERIAL: TYPE 10..12, SERIAL 0..65535");
    }
    Identity id;
    id.deviceType = static_cast<int>(*type);
    id.firmware = static_cast<int32_t>(*firmware);
    id.serial = static_cast<uint16_t>(*serial);
    sim_.plug(id);
    say("plugged another unit (type " + std::to_string(id.deviceType) + ", serial " +
        std::to_string(id.serial) + "): " + sim_.linkPath() + " -> " + sim_.slavePath());
}

void Console::setCell(const Args& args) {
    const auto address = parseNumber(args[0], 0, 255);
    const auto value = parseNumber(args[1], -32768, 65535);
    if (!address || !value) {
        return bad("set ADDR VALUE: ADDR 0..255, VALUE 0..65535");
    }
    sim_.setCell(static_cast<int>(*address), static_cast<uint16_t>(*value));
    showCell(static_cast<int>(*address));
}

void Console::getCell(const Args& args) {
    const auto address = parseNumber(args[0], 0, 255);
    if (!address) {
        return bad("get ADDR: ADDR 0..255");
    }
    showCell(static_cast<int>(*address));
}

void Console::showCell(int address) {
    const uint16_t value = sim_.cell(address);
    std::ostringstream out;
    out << "cell " << address << " = " << value << " (0x" << std::hex << std::uppercase
        << std::setw(4) << std::setfill('0') << value << ")";
    say(out.str());
}

void Console::setNote(const Args& args) {
    const std::string& text = args[0];
    sim_.setNote(text);
    const uint16_t length = sim_.cell(88);
    say("note set (" + std::to_string(length) + " bytes" +
        (length < text.size() ? ", cut to fit" : "") + ")");
}

void Console::measure(const Args& args) {
    auto readings = sim_.readings();
    if (args[0] == "auto") {
        readings.measured.reset();
        sim_.setReadings(readings);
        return say("measured value follows the input type");
    }
    const auto value = parseNumber(args[0], INT32_MIN, INT32_MAX);
    if (!value) {
        return bad("measure VALUE: a 32-bit number (x100) or auto");
    }
    readings.measured = static_cast<int32_t>(*value);
    sim_.setReadings(readings);
    say("measured value " + std::to_string(*value));
}

void Console::milliVolt(const Args& args) {
    auto readings = sim_.readings();
    if (args[0] == "auto") {
        readings.milliVolt.reset();
        sim_.setReadings(readings);
        return say("command 249 follows the input type");
    }
    const auto value = parseNumber(args[0], INT32_MIN, INT32_MAX);
    if (!value) {
        return bad("mv VALUE: a 32-bit number or auto");
    }
    readings.milliVolt = static_cast<int32_t>(*value);
    sim_.setReadings(readings);
    say("command 249 answers " + std::to_string(*value));
}

void Console::terminalTemp(const Args& args) {
    const auto value = parseNumber(args[0], INT16_MIN, INT16_MAX);
    if (!value) {
        return bad("temp VALUE: -32768..32767 (0.1 degC)");
    }
    auto readings = sim_.readings();
    readings.terminalTemp = static_cast<int16_t>(*value);
    sim_.setReadings(readings);
    say("terminal temperature " + std::to_string(*value));
}

namespace {

// The faults the console can arm, and what their parameter means.
struct FaultChoice {
    enum class Param { None, Count, Delay, Bytes };
    std::string_view name;
    Fault::Kind kind;
    Param param = Param::None;
    long long byDefault = 0;      // Count, Delay: when no parameter is given
    long long max = 0;            // Count, Delay
    std::string_view usage = {};  // when the parameter is wrong
};

const FaultChoice kFaultChoices[] = {
    {"noreply", Fault::Kind::NoReply},
    {"badcrc", Fault::Kind::BadCrc},
    {"wrongecho", Fault::Kind::WrongEcho},
    {"unplug", Fault::Kind::Unplug},
    {"unplugmid", Fault::Kind::UnplugMidReply, FaultChoice::Param::Count, 5, 1000,
     "fault unplugmid N: N 0..1000 bytes"},
    {"short", Fault::Kind::ShortReply, FaultChoice::Param::Count, 5, 6, "fault short N: N 0..6"},
    {"late", Fault::Kind::LateReply, FaultChoice::Param::Delay, 1000, 3'600'000,
     "fault late MS: milliseconds"},
    {"stray", Fault::Kind::StrayBytes, FaultChoice::Param::Bytes, 0, 0,
     "fault stray HEXBYTES: pairs of hex digits"},
};

// Fills in the fault's parameter; false if it is wrong.
bool takeFaultParam(const FaultChoice& choice, const std::string& param, Fault& fault) {
    using Param = FaultChoice::Param;
    if (choice.param == Param::Bytes) {
        const auto bytes = parseHex(param);
        fault.bytes = bytes.value_or(std::vector<uint8_t>{});
        return bytes.has_value();
    }
    const auto n = param.empty() ? std::optional<long long>(choice.byDefault)
                                 : parseNumber(param, 0, choice.max);
    if (!n) {
        return false;
    }
    (choice.param == Param::Count ? fault.count : fault.delayMs) = static_cast<int>(*n);
    return true;
}

}  // namespace

void Console::fault(const Args& args) {
    const std::string& kind = args[0];
    const std::string& param = args[1];
    const auto choice = std::find_if(std::begin(kFaultChoices), std::end(kFaultChoices),
                                     [&](const FaultChoice& c) { return c.name == kind; });
    if (choice == std::end(kFaultChoices) ||
        (choice->param == FaultChoice::Param::None && !param.empty())) {
        return bad(
            "fault KIND: noreply|badcrc|wrongecho|short N|late MS|stray HEX|unplug|"
            "unplugmid N");
    }
    Fault f(choice->kind);
    if (choice->param != FaultChoice::Param::None && !takeFaultParam(*choice, param, f)) {
        return bad(std::string(choice->usage));
    }
    sim_.injectFault(f, 0);
    say("fault armed for the next request: " + kind + (param.empty() ? "" : " " + param));
}

void Console::stray(const Args& args) {
    const auto bytes = parseHex(args[0]);
    if (!bytes) {
        return bad("stray HEXBYTES: pairs of hex digits, e.g. stray 55AA");
    }
    sim_.sendStray(*bytes);
    say("sent " + hex(*bytes));
}

void Console::turnaround(const Args& args) {
    const auto turnaround = parseTurnaround(args[0]);
    if (!turnaround) {
        return bad("turnaround MS[:JITTER]: milliseconds, e.g. turnaround 5:3");
    }
    sim_.setTurnaround(turnaround->first, turnaround->second);
    say("turnaround " + std::to_string(turnaround->first) + " ms + 0.." +
        std::to_string(turnaround->second) + " ms");
}

void Console::stream(const Args& args) {
    sim_.setStreaming(args[0] == "on");
    say(args[0] == "on" ? "streaming: filler on the line, requests go unanswered"
                        : "streaming stopped");
}

void Console::lineError(const Args& args) {
    static const std::vector<std::pair<std::string, LineError>> kinds = {
        {"frame", LineError::Frame},
        {"overrun", LineError::Overrun},
        {"parity", LineError::Parity},
        {"break", LineError::Break},
        {"bufoverrun", LineError::BufferOverrun},
    };
    const auto kind =
        std::find_if(kinds.begin(), kinds.end(), [&](const auto& k) { return k.first == args[0]; });
    const auto count =
        args.size() == 2 ? parseNumber(args[1], 1, 1'000'000) : std::optional<long long>(1);
    if (kind == kinds.end() || !count) {
        return bad("lineerror frame|overrun|parity|break|bufoverrun [N]");
    }
    if (!sim_.plugged()) {
        return bad("lineerror: the unit is unplugged");
    }
    sim_.raiseLineError(kind->second, static_cast<int>(*count));
    say(std::to_string(*count) + " " + kind->first + " error(s) counted in " +
        sim_.lineStatusPath());
}

void Console::stall(const Args& args) {
    sim_.setWritesStalled(args[0] == "on");
    say(args[0] == "on" ? "writes stalled: the tool's bytes stay pending" : "writes flow again");
}

void Console::jumper(const Args& args) {
    sim_.setWriteEnabled(args[0] == "on");
    say(args[0] == "on" ? "jumper fitted: writes are stored"
                        : "jumper removed: writes are acknowledged but not stored");
}

void Console::meter(const Args& args) {
    static const std::vector<std::pair<std::string, MeterFault>> kinds = {
        {"noreply", MeterFault::NoReply},
        {"garbage", MeterFault::Garbage},
        {"unplug", MeterFault::Unplug},
    };
    if (sim_.meterLinkPath().empty()) {
        return bad("meter: there is none (start with --meter PATH)");
    }
    if (args[0] == "plug") {
        sim_.meterPlug();
        return say("meter plugged in: " + sim_.meterLinkPath());
    }
    const auto kind =
        std::find_if(kinds.begin(), kinds.end(), [&](const auto& k) { return k.first == args[0]; });
    if (kind == kinds.end()) {
        return bad("meter noreply|garbage|unplug|plug");
    }
    sim_.meterFault(kind->second);
    say("meter fault armed for the next query: " + kind->first);
}

void Console::log(const Args&) {
    const auto frames = sim_.requests();
    sim_.clearLog();
    for (const auto& f : frames) {
        std::cout << hex(f.bytes) << (f.crcOk ? "" : "  (bad CRC)") << '\n';
    }
    say(std::to_string(frames.size()) + " request(s)");
}

void Console::help(const Args&) {
    printUsage(std::cout);
    std::cout.flush();
}

void Console::quit(const Args&) {
    say("bye");
    quitting_ = true;
}

}  // namespace vl48sim
