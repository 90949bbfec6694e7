#include "ProgramOptions.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QStringList>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "Console.h"
#include "ConsoleText.h"

namespace vl48sim {

namespace {

struct ProgramOption {
    const char* name;
    const char* shortName;  // nullptr: none
    const char* valueName;  // nullptr: a switch without a value
    // Lines of the usage text; {dir} stands for the folder where links are published.
    std::string_view help;
};

// In the order the usage lists them.
const ProgramOption kOptions[] = {
    {"link", nullptr, "PATH", "path of the port link (default: a new name in {dir})"},
    {"type", nullptr, "N", "device type answered to identify: 10, 11 or 12 (default 11)"},
    {"firmware", nullptr, "N", "firmware identifier (default 1310250312)"},
    {"serial", nullptr, "N", "serial number 0..65535 (default 42)"},
    {"pace", nullptr, nullptr, "real line timing: 4800 baud each way"},
    {"turnaround", nullptr, "MS[:JITTER]",
     "pause before every reply: MS plus a random 0..JITTER ms\n(default 5:3)"},
    {"seed", nullptr, "N",
     "seed of the random jitter, filler and meter noise, for\nrepeatable runs"},
    {"output-error", nullptr, "GAIN:OFFSET",
     "the unit's output error to trim out, in percent: gain of\n"
     "the output, offset of full scale (default 0.3:-0.2; 0:0 is\nan ideal unit)"},
    {"meter", nullptr, "PATH",
     "a reference multimeter on the unit's output, on a second\n"
     "pseudo-terminal linked at PATH (SCPI: *IDN?,\nMEAS:CURR:DC?, MEAS:VOLT:DC?)"},
    {"jumper-off", nullptr, nullptr,
     "write-enable jumper removed: writes are acknowledged, not stored"},
    {"units", nullptr, "N",
     "N units (1..32), each on a link of its own and with the next\n"
     "serial number: a fixture with N programming cables; with\n"
     "--link PATH their links are PATH-1 ... PATH-N"},
    {"version", nullptr, nullptr, "print the program's version and exit"},
    {"help", "h", nullptr, "this text"},
};

constexpr size_t kOptionColumn = 20;

void printOptions(std::ostream& out) {
    for (const ProgramOption& entry : kOptions) {
        std::string left = std::string("  --") + entry.name;
        if (entry.valueName) {
            left += std::string(" ") + entry.valueName;
        }
        std::string help(entry.help);
        // Only here, not when parsing: looking up the folder creates it.
        if (const auto at = help.find("{dir}"); at != std::string::npos) {
            help.replace(at, 5, publishedDir());
        }
        printRow(out, left, help, kOptionColumn);
    }
}

[[noreturn]] void fail(const std::string& message) {
    std::cerr << "vl48-sim: " << message << " (see --help)\n";
    std::exit(2);
}

// The parser's complaint in the program's words: "unknown option --x", "missing value after
// '--link'".
std::string parseError(const QCommandLineParser& parser) {
    const QStringList unknown = parser.unknownOptionNames();
    if (!unknown.isEmpty()) {
        const QString& name = unknown.first();
        return "unknown option " + std::string(name.size() == 1 ? "-" : "--") +
               name.toLocal8Bit().toStdString();
    }
    QString text = parser.errorText();
    if (text.endsWith(QLatin1Char('.'))) {
        text.chop(1);
    }
    if (!text.isEmpty()) {
        text[0] = text[0].toLower();
    }
    return text.toLocal8Bit().toStdString();
}

long long number(const QCommandLineParser& parser, const char* name, long long min, long long max) {
    const auto n = parseNumber(parser.value(QString::fromLatin1(name)).toStdString(), min, max);
    if (!n) {
        fail(std::string("bad value for --") + name);
    }
    return *n;
}

void setUp(QCommandLineParser& parser) {
    for (const ProgramOption& entry : kOptions) {
        QStringList names{QString::fromLatin1(entry.name)};
        if (entry.shortName) {
            names.prepend(QString::fromLatin1(entry.shortName));
        }
        QCommandLineOption option(
            names, QString::fromUtf8(entry.help.data(), static_cast<qsizetype>(entry.help.size())));
        if (entry.valueName) {
            option.setValueName(QString::fromLatin1(entry.valueName));
        }
        parser.addOption(option);
    }
}

ProgramArgs takeValues(const QCommandLineParser& parser) {
    ProgramArgs args;
    // A real transmitter takes a few milliseconds to answer, never exactly the same.
    args.options.turnaroundMs = 5;
    args.options.turnaroundJitterMs = 3;
    Identity& identity = args.options.identity;
    const auto isSet = [&](const char* name) { return parser.isSet(QString::fromLatin1(name)); };
    if (isSet("link")) {
        args.options.linkPath = parser.value(QStringLiteral("link")).toLocal8Bit().toStdString();
    }
    if (isSet("type")) {
        identity.deviceType = static_cast<int>(number(parser, "type", 10, 12));
    }
    if (isSet("firmware")) {
        identity.firmware = static_cast<int32_t>(number(parser, "firmware", INT32_MIN, INT32_MAX));
    }
    if (isSet("serial")) {
        identity.serial = static_cast<uint16_t>(number(parser, "serial", 0, 65535));
    }
    args.options.pace = isSet("pace");
    if (isSet("turnaround")) {
        const auto turnaround =
            parseTurnaround(parser.value(QStringLiteral("turnaround")).toStdString());
        if (!turnaround) {
            fail("bad value for --turnaround (MS or MS:JITTER)");
        }
        args.options.turnaroundMs = turnaround->first;
        args.options.turnaroundJitterMs = turnaround->second;
    }
    if (isSet("seed")) {
        args.options.seed = static_cast<uint32_t>(number(parser, "seed", 0, UINT32_MAX));
    }
    if (isSet("output-error")) {
        const auto error =
            parseOutputError(parser.value(QStringLiteral("output-error")).toStdString());
        if (!error) {
            fail("bad value for --output-error (GAIN:OFFSET in percent, -50..50 each)");
        }
        args.options.outputGainPercent = error->first;
        args.options.outputOffsetPercent = error->second;
    }
    if (isSet("meter")) {
        args.options.meterLinkPath =
            parser.value(QStringLiteral("meter")).toLocal8Bit().toStdString();
        if (args.options.meterLinkPath.empty()) {
            fail("bad value for --meter (a path)");
        }
        // One link cannot lead to both terminals.
        if (args.options.meterLinkPath == args.options.linkPath) {
            fail("--meter needs a path of its own, not the port's");
        }
    }
    args.jumperOff = isSet("jumper-off");
    if (isSet("units")) {
        args.units = static_cast<int>(number(parser, "units", 1, 32));
    }
    return args;
}

}  // namespace

std::string unitLinkPath(const std::string& linkPath, int units, int index) {
    if (linkPath.empty() || units == 1) {
        return linkPath;
    }
    return linkPath + "-" + std::to_string(index + 1);
}

void printUsage(std::ostream& out) {
    out << "usage: vl48-sim [options]\n"
           "Simulates a VL48 transmitter on a pseudo-terminal. The first output line is the port\n"
           "to open (a stable link that survives unplug/plug); with --meter, the second line is\n"
           "the meter's. With --units N, the first N lines are the units' ports.\n"
           "\n"
           "options:\n";
    printOptions(out);
    out << "\n"
           "commands on stdin (one per line):\n";
    Console::printCommands(out);
    printRow(out, "  unit K", "with --units: the unit the commands after it apply to", 30);
    out << "Without stdin the simulator serves until SIGINT or SIGTERM.\n";
}

ProgramArgs parseCommandLine(int argc, char** argv) {
    QCommandLineParser parser;
    setUp(parser);
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    if (!parser.parse(arguments)) {
        fail(parseError(parser));
    }
    if (const QStringList extra = parser.positionalArguments(); !extra.isEmpty()) {
        fail("unknown option " + extra.first().toLocal8Bit().toStdString());
    }
    if (parser.isSet(QStringLiteral("help"))) {
        printUsage(std::cout);
        std::exit(0);
    }
    if (parser.isSet(QStringLiteral("version"))) {
        std::cout << "vl48-sim " VL48_VERSION "\n";
        std::exit(0);
    }
    return takeValues(parser);
}

}  // namespace vl48sim
