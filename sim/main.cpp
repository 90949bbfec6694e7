// vl48-sim: a simulated VL48 transmitter on a pseudo-terminal, for trying the configuration tool
// without hardware. The first line of output is the port to open; commands on stdin play with
// the cable, the memory and the line.
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iomanip>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "Simulator.h"

namespace {

int signalPipe[2] = {-1, -1};

extern "C" void onSignal(int) {
    const int saved = errno;
    const char c = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[1], &c, 1);
    errno = saved;
}

void printUsage(std::ostream& out) {
    out << "usage: vl48-sim [options]\n"
           "Simulates a VL48 transmitter on a pseudo-terminal. The first output line is the port\n"
           "to open (a stable link that survives unplug/plug).\n"
           "\n"
           "options:\n"
           "  --link PATH       path of the port link (default: a new name in "
        << vl48sim::publishedDir()
        << ")\n"
           "  --type N          device type answered to identify: 10, 11 or 12 (default 11)\n"
           "  --firmware N      firmware identifier (default 1310250312)\n"
           "  --serial N        serial number 0..65535 (default 42)\n"
           "  --pace            real line timing: 4800 baud each way\n"
           "  --turnaround MS[:JITTER]\n"
           "                    pause before every reply: MS plus a random 0..JITTER ms\n"
           "                    (default 5:3)\n"
           "  --seed N          seed of the random jitter and filler, for repeatable runs\n"
           "  --jumper-off      write-enable jumper removed: writes are acknowledged, not stored\n"
           "  --help            this text\n"
           "\n"
           "commands on stdin (one per line):\n"
           "  unplug                      pull the cable (the port link disappears)\n"
           "  plug                        plug the same unit back in\n"
           "  plug TYPE FIRMWARE SERIAL   plug in another unit, with factory memory\n"
           "  set ADDR VALUE              write a memory cell (numbers decimal or 0x hex)\n"
           "  get ADDR                    show a memory cell\n"
           "  note TEXT                   set the note (the rest of the line)\n"
           "  measure VALUE|auto          measured value x100 (auto: from the input type)\n"
           "  mv VALUE|auto               command 249: thousandths of a mV for thermocouples,\n"
           "                              hundredths of an ohm for resistance inputs\n"
           "  temp VALUE                  terminal temperature in 0.1 degC\n"
           "  fault KIND [PARAM]          misbehave on the next request: noreply, badcrc,\n"
           "                              wrongecho, short N, late MS, stray HEXBYTES, unplug,\n"
           "                              unplugmid N (send N bytes of the reply, then unplug)\n"
           "  stray HEXBYTES              put bytes on the line now (e.g. stray 55AA)\n"
           "  turnaround MS[:JITTER]      pause before every reply from now on\n"
           "  stream on|off               another device sending without pause: filler bytes\n"
           "                              at the line rate, requests logged but not answered\n"
           "  lineerror KIND [N]          count N (default 1) line errors of KIND: frame,\n"
           "                              overrun, parity, break, bufoverrun (in the port\n"
           "                              link's .linestatus file)\n"
           "  stall on|off                hold the tool's writes (they stay pending) or let\n"
           "                              them go\n"
           "  jumper on|off               fit or remove the write-enable jumper\n"
           "  log                         print the requests received so far, then forget them\n"
           "  help                        this text\n"
           "  quit                        remove the port and exit\n"
           "Without stdin the simulator serves until SIGINT or SIGTERM.\n";
}

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

std::string rest(std::istringstream& in) {
    std::string text;
    std::getline(in >> std::ws, text);
    return text;
}

class Console {
public:
    explicit Console(vl48sim::Simulator& sim) : sim_(sim) {}

    // Runs one command line; false once the user asked to quit.
    bool run(std::string line) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::istringstream in(line);
        std::string word;
        if (!(in >> word)) {
            return true;
        }
        try {
            if (word == "quit" || word == "exit") {
                say("bye");
                return false;
            }
            dispatch(word, in);
        } catch (const std::exception& e) {
            say(std::string("error: ") + e.what());
        }
        return true;
    }

private:
    static void say(const std::string& text) { std::cout << text << std::endl; }
    static void bad(const std::string& text) { say("error: " + text + " (try help)"); }

    void dispatch(const std::string& word, std::istringstream& in) {
        std::vector<std::string> args;
        if (word == "note") {
            setNote(rest(in));
            return;
        }
        if (word == "stray") {
            stray(rest(in));
            return;
        }
        if (word == "fault") {
            std::string kind;
            in >> kind;
            fault(kind, rest(in));
            return;
        }
        for (std::string a; in >> a;) {
            args.push_back(a);
        }
        if (word == "help") {
            printUsage(std::cout);
            std::cout.flush();
        } else if (word == "unplug" && args.empty()) {
            sim_.unplug();
            say("unplugged");
        } else if (word == "plug" && args.empty()) {
            sim_.plug();
            say("plugged: " + sim_.linkPath() + " -> " + sim_.slavePath());
        } else if (word == "plug" && args.size() == 3) {
            plugAnother(args);
        } else if (word == "set" && args.size() == 2) {
            const auto address = parseNumber(args[0], 0, 255);
            const auto value = parseNumber(args[1], -32768, 65535);
            if (!address || !value) {
                return bad("set ADDR VALUE: ADDR 0..255, VALUE 0..65535");
            }
            sim_.setCell(static_cast<int>(*address), static_cast<uint16_t>(*value));
            showCell(static_cast<int>(*address));
        } else if (word == "get" && args.size() == 1) {
            const auto address = parseNumber(args[0], 0, 255);
            if (!address) {
                return bad("get ADDR: ADDR 0..255");
            }
            showCell(static_cast<int>(*address));
        } else if (word == "measure" && args.size() == 1) {
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
        } else if (word == "mv" && args.size() == 1) {
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
        } else if (word == "temp" && args.size() == 1) {
            const auto value = parseNumber(args[0], INT16_MIN, INT16_MAX);
            if (!value) {
                return bad("temp VALUE: -32768..32767 (0.1 degC)");
            }
            auto readings = sim_.readings();
            readings.terminalTemp = static_cast<int16_t>(*value);
            sim_.setReadings(readings);
            say("terminal temperature " + std::to_string(*value));
        } else if (word == "jumper" && args.size() == 1 && (args[0] == "on" || args[0] == "off")) {
            sim_.setWriteEnabled(args[0] == "on");
            say(args[0] == "on" ? "jumper fitted: writes are stored"
                                : "jumper removed: writes are acknowledged but not stored");
        } else if (word == "turnaround" && args.size() == 1) {
            const auto turnaround = parseTurnaround(args[0]);
            if (!turnaround) {
                return bad("turnaround MS[:JITTER]: milliseconds, e.g. turnaround 5:3");
            }
            sim_.setTurnaround(turnaround->first, turnaround->second);
            say("turnaround " + std::to_string(turnaround->first) + " ms + 0.." +
                std::to_string(turnaround->second) + " ms");
        } else if (word == "stream" && args.size() == 1 && (args[0] == "on" || args[0] == "off")) {
            sim_.setStreaming(args[0] == "on");
            say(args[0] == "on" ? "streaming: filler on the line, requests go unanswered"
                                : "streaming stopped");
        } else if (word == "lineerror" && (args.size() == 1 || args.size() == 2)) {
            lineError(args);
        } else if (word == "stall" && args.size() == 1 && (args[0] == "on" || args[0] == "off")) {
            sim_.setWritesStalled(args[0] == "on");
            say(args[0] == "on" ? "writes stalled: the tool's bytes stay pending"
                                : "writes flow again");
        } else if (word == "log" && args.empty()) {
            const auto frames = sim_.requests();
            sim_.clearLog();
            for (const auto& f : frames) {
                std::cout << hex(f.bytes) << (f.crcOk ? "" : "  (bad CRC)") << '\n';
            }
            say(std::to_string(frames.size()) + " request(s)");
        } else {
            bad("unknown command or wrong arguments: " + word);
        }
    }

    void showCell(int address) {
        const uint16_t value = sim_.cell(address);
        std::ostringstream out;
        out << "cell " << address << " = " << value << " (0x" << std::hex << std::uppercase
            << std::setw(4) << std::setfill('0') << value << ")";
        say(out.str());
    }

    void plugAnother(const std::vector<std::string>& args) {
        const auto type = parseNumber(args[0], 10, 12);
        const auto firmware = parseNumber(args[1], INT32_MIN, INT32_MAX);
        const auto serial = parseNumber(args[2], 0, 65535);
        if (!type || !firmware || !serial) {
            return bad("plug TYPE FIRMWARE SERIAL: TYPE 10..12, SERIAL 0..65535");
        }
        vl48sim::Identity id;
        id.deviceType = static_cast<int>(*type);
        id.firmware = static_cast<int32_t>(*firmware);
        id.serial = static_cast<uint16_t>(*serial);
        sim_.plug(id);
        say("plugged another unit (type " + std::to_string(id.deviceType) + ", serial " +
            std::to_string(id.serial) + "): " + sim_.linkPath() + " -> " + sim_.slavePath());
    }

    void lineError(const std::vector<std::string>& args) {
        using vl48sim::LineError;
        static const std::vector<std::pair<std::string, LineError>> kinds = {
            {"frame", LineError::Frame},
            {"overrun", LineError::Overrun},
            {"parity", LineError::Parity},
            {"break", LineError::Break},
            {"bufoverrun", LineError::BufferOverrun},
        };
        const auto kind = std::find_if(kinds.begin(), kinds.end(),
                                       [&](const auto& k) { return k.first == args[0]; });
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

    void setNote(const std::string& text) {
        sim_.setNote(text);
        const uint16_t length = sim_.cell(88);
        say("note set (" + std::to_string(length) + " bytes" +
            (length < text.size() ? ", cut to fit" : "") + ")");
    }

    void stray(const std::string& text) {
        const auto bytes = parseHex(text);
        if (!bytes) {
            return bad("stray HEXBYTES: pairs of hex digits, e.g. stray 55AA");
        }
        sim_.sendStray(*bytes);
        say("sent " + hex(*bytes));
    }

    void fault(const std::string& kind, const std::string& param) {
        using Kind = vl48sim::Fault::Kind;
        vl48sim::Fault f;
        if (kind == "noreply" && param.empty()) {
            f.kind = Kind::NoReply;
        } else if (kind == "badcrc" && param.empty()) {
            f.kind = Kind::BadCrc;
        } else if (kind == "wrongecho" && param.empty()) {
            f.kind = Kind::WrongEcho;
        } else if (kind == "unplug" && param.empty()) {
            f.kind = Kind::Unplug;
        } else if (kind == "unplugmid") {
            const auto count =
                param.empty() ? std::optional<long long>(5) : parseNumber(param, 0, 1000);
            if (!count) {
                return bad("fault unplugmid N: N 0..1000 bytes");
            }
            f.kind = Kind::UnplugMidReply;
            f.count = static_cast<int>(*count);
        } else if (kind == "short") {
            const auto count =
                param.empty() ? std::optional<long long>(5) : parseNumber(param, 0, 6);
            if (!count) {
                return bad("fault short N: N 0..6");
            }
            f.kind = Kind::ShortReply;
            f.count = static_cast<int>(*count);
        } else if (kind == "late") {
            const auto ms =
                param.empty() ? std::optional<long long>(1000) : parseNumber(param, 0, 3'600'000);
            if (!ms) {
                return bad("fault late MS: milliseconds");
            }
            f.kind = Kind::LateReply;
            f.delayMs = static_cast<int>(*ms);
        } else if (kind == "stray") {
            const auto bytes = parseHex(param);
            if (!bytes) {
                return bad("fault stray HEXBYTES: pairs of hex digits");
            }
            f.kind = Kind::StrayBytes;
            f.bytes = *bytes;
        } else {
            return bad(
                "fault KIND: noreply|badcrc|wrongecho|short N|late MS|stray HEX|unplug|"
                "unplugmid N");
        }
        sim_.injectFault(f, 0);
        say("fault armed for the next request: " + kind + (param.empty() ? "" : " " + param));
    }

    vl48sim::Simulator& sim_;
};

struct Args {
    vl48sim::Options options;
    bool jumperOff = false;
};

// Exits on --help and on bad options.
Args parseArgs(int argc, char** argv) {
    Args args;
    // A real transmitter takes a few milliseconds to answer, never exactly the same.
    args.options.turnaroundMs = 5;
    args.options.turnaroundJitterMs = 3;
    auto fail = [](const std::string& message) {
        std::cerr << "vl48-sim: " << message << " (see --help)\n";
        std::exit(2);
    };
    for (int i = 1; i < argc; ++i) {
        std::string option = argv[i];
        std::optional<std::string> inlineValue;
        if (const auto eq = option.find('=');
            option.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = option.substr(eq + 1);
            option.resize(eq);
        }
        auto value = [&]() -> std::string {
            if (inlineValue) {
                return *inlineValue;
            }
            if (i + 1 >= argc) {
                fail(option + " needs a value");
            }
            return argv[++i];
        };
        auto number = [&](long long min, long long max) {
            const auto n = parseNumber(value(), min, max);
            if (!n) {
                fail("bad value for " + option);
            }
            return *n;
        };
        if (option == "--help" || option == "-h") {
            printUsage(std::cout);
            std::exit(0);
        } else if (option == "--link") {
            args.options.linkPath = value();
        } else if (option == "--type") {
            args.options.identity.deviceType = static_cast<int>(number(10, 12));
        } else if (option == "--firmware") {
            args.options.identity.firmware = static_cast<int32_t>(number(INT32_MIN, INT32_MAX));
        } else if (option == "--serial") {
            args.options.identity.serial = static_cast<uint16_t>(number(0, 65535));
        } else if (option == "--pace") {
            args.options.pace = true;
        } else if (option == "--turnaround") {
            const auto turnaround = parseTurnaround(value());
            if (!turnaround) {
                fail("bad value for --turnaround (MS or MS:JITTER)");
            }
            args.options.turnaroundMs = turnaround->first;
            args.options.turnaroundJitterMs = turnaround->second;
        } else if (option == "--seed") {
            args.options.seed = static_cast<uint32_t>(number(0, UINT32_MAX));
        } else if (option == "--jumper-off") {
            args.jumperOff = true;
        } else {
            fail("unknown option " + option);
        }
    }
    return args;
}

}  // namespace

int main(int argc, char** argv) {
    const Args args = parseArgs(argc, argv);

    if (::pipe(signalPipe) < 0) {
        std::perror("vl48-sim: pipe");
        return 1;
    }
    struct sigaction sa {};
    sa.sa_handler = onSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    // In the background a read from the terminal would stop the process; fail it instead and
    // wait to be brought to the foreground.
    ::signal(SIGTTIN, SIG_IGN);

    // The serving thread inherits a mask with the signals blocked, so they reach this thread.
    sigset_t handled;
    sigemptyset(&handled);
    sigaddset(&handled, SIGINT);
    sigaddset(&handled, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &handled, nullptr);

    vl48sim::Simulator sim(args.options);
    sim.setWriteEnabled(!args.jumperOff);
    try {
        sim.start();
    } catch (const std::exception& e) {
        std::cerr << "vl48-sim: cannot create the port: " << e.what() << '\n';
        return 1;
    }
    pthread_sigmask(SIG_UNBLOCK, &handled, nullptr);

    std::cout << sim.linkPath() << std::endl;
    std::cout << "vl48-sim: type " << args.options.identity.deviceType << " unit on "
              << sim.slavePath() << (args.options.pace ? ", paced" : "") << ", turnaround "
              << args.options.turnaroundMs << "+0.." << args.options.turnaroundJitterMs << " ms"
              << "; 'help' lists the commands" << std::endl;

    Console console(sim);
    enum class Input { Open, Background, Closed } input = Input::Open;
    auto inBackground = [] { return isatty(0) && tcgetpgrp(0) != getpgrp(); };
    std::string pending;
    bool quit = false;
    while (!quit) {
        if (input == Input::Open && inBackground()) {
            input = Input::Background;
        }
        pollfd fds[2] = {{signalPipe[0], POLLIN, 0}, {0, POLLIN, 0}};
        const nfds_t count = input == Input::Open ? 2 : 1;
        const int ready = ::poll(fds, count, input == Input::Background ? 500 : -1);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;
        }
        if (fds[0].revents) {
            break;  // SIGINT or SIGTERM
        }
        if (input == Input::Background) {
            if (!inBackground()) {
                input = Input::Open;
            }
            continue;
        }
        if (count < 2 || !fds[1].revents) {
            continue;
        }
        char buf[4096];
        const ssize_t n = ::read(0, buf, sizeof buf);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (n < 0 && errno == EIO && isatty(0)) {
            input = Input::Background;
            continue;
        }
        if (n <= 0) {
            // End of input: the last line may lack its newline. Keep serving until a signal.
            if (!pending.empty()) {
                quit = !console.run(pending);
                pending.clear();
            }
            input = Input::Closed;
            continue;
        }
        pending.append(buf, static_cast<size_t>(n));
        for (size_t eol; !quit && (eol = pending.find('\n')) != std::string::npos;) {
            const std::string line = pending.substr(0, eol);
            pending.erase(0, eol + 1);
            quit = !console.run(line);
        }
        if (pending.size() > 65536) {
            pending.clear();  // no line is that long; somebody piped in a binary
        }
    }
    sim.stop();
    return 0;
}
