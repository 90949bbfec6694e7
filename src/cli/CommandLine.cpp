#include "CommandLine.h"

#include <QCommandLineParser>
#include <QLoggingCategory>
#include <cstdio>
#include <utility>
#include <vector>

#include "Commands.h"
#include "Station.h"
#include "core/link/ComPort.h"

namespace vl48cli {

namespace {

const QList<QCommandLineOption>& allOptions() {
    static const QList<QCommandLineOption> options = {
        {{QStringLiteral("p"), QStringLiteral("port")},
         QStringLiteral("The serial port, or a simulator's port link; series takes several, "
                        "one for each cable of a station."),
         QStringLiteral("PORT")},
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("The file to write: read saves the configuration to FILE.vl4 as the "
                        "window's basic tab saves it, certificate writes FILE.pdf."),
         QStringLiteral("FILE")},
        {QStringLiteral("verify"),
         QStringLiteral("After programming, read the unit back and compare it with the file.")},
        {QStringLiteral("log"),
         QStringLiteral("Append a line for every unit to the production log LOG.csv; a log that "
                        "cannot be written stops the program before anything is programmed."),
         QStringLiteral("LOG.csv")},
        {QStringLiteral("note"), QStringLiteral("The operator's note in the log's lines."),
         QStringLiteral("TEXT")},
        {QStringLiteral("db"),
         QStringLiteral("The records database: sqlite:PATH, postgresql://USER@HOST[:PORT]/DBNAME "
                        "(the password from PGPASSWORD or ~/.pgpass), or --db alone for the "
                        "SQLite file in the user's data folder; without it, VL48_DB. A database "
                        "that cannot take a unit's record stops the program before that unit is "
                        "programmed."),
         QStringLiteral("URL")},
        {QStringLiteral("since"), QStringLiteral("Records from this day on (yyyy-MM-dd)."),
         QStringLiteral("DATE")},
        {QStringLiteral("until"), QStringLiteral("Records up to this day (yyyy-MM-dd)."),
         QStringLiteral("DATE")},
        {QStringLiteral("result"),
         QStringLiteral("Records of units programmed (ok) or not (failed)."),
         QStringLiteral("ok|failed")},
        {QStringLiteral("bench"), QStringLiteral("Records of one bench (its host name)."),
         QStringLiteral("NAME")},
        {QStringLiteral("csv"),
         QStringLiteral("The records as CSV: the production log's columns, the bench, the values "
                        "written and those read back.")},
        {QStringLiteral("meter"),
         QStringLiteral("The reference multimeter's serial port (SCPI, 9600 baud 8N1, line end "
                        "LF); without it, each reading is asked on the terminal."),
         QStringLiteral("METERPORT")},
        {QStringLiteral("meter-baud"), QStringLiteral("The meter's baud rate (default 9600)."),
         QStringLiteral("BAUD")},
        {QStringLiteral("meter-query"),
         QStringLiteral("The meter's measurement query (default MEAS:CURR:DC? or "
                        "MEAS:VOLT:DC?)."),
         QStringLiteral("QUERY")},
        {QStringLiteral("tolerance"),
         QStringLiteral("A point passes within this: % of full scale for the output (default "
                        "0.05), °C or Ω for the input (default 0.3)."),
         QStringLiteral("VALUE")},
        {QStringLiteral("tolerance-span"),
         QStringLiteral("check-input: a point passes within this % of the range's span instead."),
         QStringLiteral("PCT")},
        {QStringLiteral("settle"),
         QStringLiteral("Milliseconds from driving a point to reading it (default 300)."),
         QStringLiteral("MS")},
        {QStringLiteral("points"),
         QStringLiteral("The points of a check in mA or V, separated by commas (default 4,8,12,"
                        "16,20 or 0,2.5,5,7.5,10)."),
         QStringLiteral("LIST")},
        {QStringLiteral("panel"),
         QStringLiteral("Store the trimmed codes as the service panel does (default) or as the "
                        "correction panel does, within 48 codes of the calibration copy."),
         QStringLiteral("service|correction")},
        {QStringLiteral("instrument"),
         QStringLiteral("The lab's instruments the check uses, by name, separated by commas (from "
                        "the records database's list; one past its due date is refused)."),
         QStringLiteral("NAMES")},
        {QStringLiteral("override-due"),
         QStringLiteral("Use an instrument past its calibration due date all the same; the "
                        "record says so.")},
        {QStringLiteral("technician"),
         QStringLiteral("Who calibrates, as the record and the certificate name them (default "
                        "VL48_TECHNICIAN, else the login name)."),
         QStringLiteral("NAME")},
        {QStringLiteral("add"), QStringLiteral("Add an instrument to the list, or replace it."),
         QStringLiteral("NAME")},
        {QStringLiteral("model"), QStringLiteral("The instrument's model."),
         QStringLiteral("TEXT")},
        {QStringLiteral("serial"), QStringLiteral("The instrument's serial number."),
         QStringLiteral("TEXT")},
        {QStringLiteral("certificate"),
         QStringLiteral("The number of the instrument's calibration certificate."),
         QStringLiteral("TEXT")},
        {QStringLiteral("due"), QStringLiteral("The instrument's calibration due date."),
         QStringLiteral("yyyy-MM-dd")},
        {QStringLiteral("lang"),
         QStringLiteral("The certificate's language: Czech (cs, the default) or English (en)."),
         QStringLiteral("cs|en")},
        {QStringLiteral("lab"),
         QStringLiteral("The lab that issues the certificate: an INI file with name, address "
                        "(lines separated by |), place and logo (default "
                        "~/.config/vl48/lab.ini)."),
         QStringLiteral("FILE")},
        {QStringLiteral("pending"),
         QStringLiteral("The records kept on this bench that its server has not received yet "
                        "(after one more attempt to send them).")},
        {QStringLiteral("count"),
         QStringLiteral("Stop after N units (series) or N measurements (measure); without it, "
                        "Ctrl+C stops."),
         QStringLiteral("N")},
        {QStringLiteral("every"),
         QStringLiteral("Seconds from one measurement to the next (default 1)."),
         QStringLiteral("SECONDS")},
        {QStringLiteral("new-after-silence"),
         QStringLiteral("A unit answering with the identifier of the unit just programmed after "
                        "more than a second of silence is the next unit (units that share an "
                        "identifier, such as factory-fresh ones); without it, it is the same "
                        "unit.")},
        {QStringLiteral("json"), QStringLiteral("Results as one compact JSON object per line.")},
        {QStringLiteral("trace"),
         QStringLiteral("Write the conversation with the transmitter to standard error (the "
                        "categories vl48.link and vl48.port).")},
    };
    return options;
}

// check-output's and trim-output's --output names the analogue output, not read's file: an option
// of its own under the same name, given only to those commands.
const QCommandLineOption OutputKindOption(QStringLiteral("output"),
                                          QStringLiteral("The analogue output: current or "
                                                         "voltage."),
                                          QStringLiteral("current|voltage"));

const QCommandLineOption HelpOption({QStringLiteral("h"), QStringLiteral("help")},
                                    QStringLiteral("Show this help."));
const QCommandLineOption VersionOption(QStringLiteral("version"),
                                       QStringLiteral("Show the program's version."));

QCommandLineOption option(const QString& name) {
    if (name == QLatin1String("output-kind")) return OutputKindOption;
    for (const QCommandLineOption& o : allOptions())
        if (o.names().contains(name)) return o;
    Q_UNREACHABLE();
}

struct Command {
    const char* name;
    const char* synopsis;
    const char* summary;
    QStringList options;   // besides --json, --trace and --help
    const char* argument;  // the one argument it takes ("FILE.vl4"), or none
    int (*run)(const Invocation&, const Output&);
};

const char* const FileArgument = "FILE.vl4";

const std::vector<Command>& commands() {
    static const std::vector<Command> list = {
        {"ports",
         "ports",
         "List the serial ports, simulators' port links first, then the system's stable names "
         "(/dev/serial/by-id, /dev/serial/by-path) with the device each points to.",
         {},
         nullptr,
         runPorts},
        {"identify",
         "identify -p PORT",
         "Show who is on the port: device type, firmware, identifier, terminal temperature and "
         "input value.",
         {QStringLiteral("port")},
         nullptr,
         runIdentify},
        {"read",
         "read -p PORT [-o FILE.vl4]",
         "Read the transmitter's configuration; with -o also save it as a configuration file.",
         {QStringLiteral("port"), QStringLiteral("output")},
         nullptr,
         runRead},
        {"diff",
         "diff -p PORT FILE.vl4",
         "Show the values in which the transmitter differs from the file (exit code 5 when it "
         "does).",
         {QStringLiteral("port")},
         FileArgument,
         runDiff},
        {"write",
         "write -p PORT FILE.vl4 [--verify] [--log LOG.csv] [--db [URL]] [--note TEXT]",
         "Program one unit with the file, as the bulk tab uploads it.",
         {QStringLiteral("port"), QStringLiteral("verify"), QStringLiteral("log"),
          QStringLiteral("db"), QStringLiteral("note")},
         FileArgument,
         runWrite},
        {"series",
         "series -p PORT [-p PORT ...] FILE.vl4 [--count N] [--verify] [--log LOG.csv]\n"
         "         [--db [URL]] [--note TEXT] [--new-after-silence]",
         "Program every unit put on the port, one after another, each once: a unit answering with "
         "another identifier is the next one at once, the same identifier after a silence only "
         "with --new-after-silence. A failed unit is reported and logged and the series goes on "
         "(a log failure stops it); a summary of the units ends it, and the exit code is 0 only "
         "when every unit was programmed, else the first failure's (9 after Ctrl+C). Several -p "
         "make a station: a series on each port at once (--count N units on each), every line "
         "naming its port; a unit that fails on one port does not stop the others, and the exit "
         "code is that of the first unit that failed on any port.",
         {QStringLiteral("port"), QStringLiteral("count"), QStringLiteral("verify"),
          QStringLiteral("log"), QStringLiteral("db"), QStringLiteral("note"),
          QStringLiteral("new-after-silence")},
         FileArgument,
         runSeries},
        {"measure",
         "measure -p PORT [--every SECONDS] [--count N]",
         "Print the input value and the terminal temperature, one line each time.",
         {QStringLiteral("port"), QStringLiteral("every"), QStringLiteral("count")},
         nullptr,
         runMeasure},
        {"check-output",
         "check-output -p PORT --output current|voltage [--meter METERPORT] [--tolerance PCT]\n"
         "         [--points LIST] [--settle MS]",
         "Drive the analogue output to each point and compare the meter's readings with it: the "
         "error in % of full scale and pass or fail (exit code 11 when a point fails).",
         {QStringLiteral("port"), QStringLiteral("output-kind"), QStringLiteral("meter"),
          QStringLiteral("meter-baud"), QStringLiteral("meter-query"), QStringLiteral("tolerance"),
          QStringLiteral("points"), QStringLiteral("settle"), QStringLiteral("db"),
          QStringLiteral("note"), QStringLiteral("instrument"), QStringLiteral("override-due"),
          QStringLiteral("technician")},
         nullptr,
         runCheckOutput},
        {"trim-output",
         "trim-output -p PORT --output current|voltage [--meter METERPORT]\n"
         "         [--panel service|correction] [--tolerance PCT] [--settle MS]",
         "Check the output as found, trim its zero and end codes against the meter, store them "
         "as the panel does and check it as left (exit code 11 when the as-left check fails).",
         {QStringLiteral("port"), QStringLiteral("output-kind"), QStringLiteral("meter"),
          QStringLiteral("meter-baud"), QStringLiteral("meter-query"), QStringLiteral("tolerance"),
          QStringLiteral("points"), QStringLiteral("settle"), QStringLiteral("panel"),
          QStringLiteral("db"), QStringLiteral("note"), QStringLiteral("instrument"),
          QStringLiteral("override-due")},
         nullptr,
         runTrimOutput},
        {"check-input",
         "check-input -p PORT [--points LIST] [--tolerance VALUE | --tolerance-span PCT]",
         "At each point (the range begin, middle and end by default) ask for the calibrator's "
         "reference, wait until the transmitter's reading is stable (3 readings 0.5 s apart "
         "within 0.05, at most 30 s) and compare it: the error and pass or fail (exit code 11 "
         "when a point fails).",
         {QStringLiteral("port"), QStringLiteral("points"), QStringLiteral("tolerance"),
          QStringLiteral("tolerance-span"), QStringLiteral("db"), QStringLiteral("note"),
          QStringLiteral("instrument"), QStringLiteral("override-due"),
          QStringLiteral("technician")},
         nullptr,
         runCheckInput},
        {"instruments",
         "instruments [--db URL] [--add NAME --model TEXT --serial TEXT --certificate TEXT\n"
         "         --due DATE]",
         "List the lab's reference instruments with their certificates and due dates; --add puts "
         "one into the list (or replaces the one of that name).",
         {QStringLiteral("db"), QStringLiteral("add"), QStringLiteral("model"),
          QStringLiteral("serial"), QStringLiteral("certificate"), QStringLiteral("due")},
         nullptr,
         runInstruments},
        {"history",
         "history IDENT [--db URL]",
         "Every record of one unit, oldest first: when, where and with what it was programmed, "
         "the values written and read back, and the result.",
         {QStringLiteral("db")},
         "IDENT",
         runHistory},
        {"records",
         "records [--since DATE] [--until DATE] [--result ok|failed] [--bench NAME]\n"
         "         [--db URL] [--csv] [--pending]",
         "A selection of the records, as a table, as CSV or as JSON lines; --pending lists the "
         "records this bench keeps for a server that has not received them yet.",
         {QStringLiteral("since"), QStringLiteral("until"), QStringLiteral("result"),
          QStringLiteral("bench"), QStringLiteral("db"), QStringLiteral("csv"),
          QStringLiteral("pending")},
         nullptr,
         runRecords},
        {"certificate",
         "certificate RECORD-ID -o FILE.pdf [--lang cs|en] [--db URL] [--lab FILE]",
         "Write one calibration record (its id as history --json gives it) as a calibration "
         "certificate, an A4 PDF, in Czech or English (exit code 10 when the record is not in "
         "the database).",
         {QStringLiteral("output"), QStringLiteral("lang"), QStringLiteral("db"),
          QStringLiteral("lab")},
         "RECORD-ID",
         runCertificate},
    };
    return list;
}

const char* const ExitCodesText =
    "Exit codes:\n"
    "  0  done (a series: every unit it started was programmed, and verified with --verify)\n"
    "  1  usage: unknown command or option, a value missing or wrong\n"
    "  2  the port cannot be opened, or no transmitter answers on it\n"
    "  3  a device this tool does not configure\n"
    "  4  a read went unanswered (nothing compared or saved), or the write failed at step N\n"
    "     (steps before N are stored, none after)\n"
    "  5  the transmitter holds other values than the file (write/series --verify, diff)\n"
    "  6  nothing written: a configuration file that cannot be read or is refused, or a log\n"
    "     or a records database that cannot take the unit's record; certificate: the lab\n"
    "     file cannot be read or the PDF cannot be written\n"
    "  7  the unit was programmed, but its log line or its record could not be written\n"
    "  8  the write went through, but the read-back of --verify did not answer\n"
    "  9  stopped by Ctrl+C, SIGTERM or SIGHUP, nothing left half-written\n"
    " 10  the records database cannot be opened or read (history, records, certificate), or\n"
    "     it holds no calibration record of the id given (certificate)\n"
    " 11  outside the tolerance (check-output, trim-output as left, check-input)\n"
    "130  a second request abandoned a unit half-written\n"
    "A series ends with the code of its first unit that was not programmed, and prints a\n"
    "summary of the units ok, failed and skipped (a station: of each port and of all, with\n"
    "the code of the first unit that was not programmed on any port). With --json every\n"
    "outcome is one JSON object with its \"exit_code\", failures before any exchange\n"
    "included.\n";

void print(const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

// Words filled into lines of at most 80 columns, each indented.
QString wrapped(const char* text, int indent) {
    QString out, line;
    for (const QString& word : QString::fromLatin1(text).split(QLatin1Char(' '))) {
        if (!line.isEmpty() && indent + line.size() + 1 + word.size() > 80) {
            out += QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
            line.clear();
        }
        line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + word;
    }
    return out + QString(indent, QLatin1Char(' ')) + line + QLatin1Char('\n');
}

QString generalHelp() {
    QString text = QStringLiteral(
        "Usage: vl48-cli COMMAND [options]\n"
        "The VL48 command-line programmer: identifies, reads, compares and programs VL48\n"
        "transmitters on a serial port, one unit or a series, with a production log and a\n"
        "records database, and looks the records up.\n\n"
        "Commands:\n");
    for (const Command& c : commands())
        text += QStringLiteral("  %1\n%2").arg(QLatin1String(c.synopsis), wrapped(c.summary, 6));
    text += QStringLiteral(
        "\nEvery command takes --json (results as one JSON object per line on standard output),\n"
        "--trace (the exchanges on standard error) and --help; \"vl48-cli COMMAND --help\"\n"
        "describes its options. Messages and progress go to standard error. --version prints\n"
        "the version.\n\n");
    return text + QLatin1String(ExitCodesText);
}

bool wholeNumber(const QString& text, int& value) {
    bool ok = false;
    value = text.toInt(&ok);
    return ok && value > 0;
}

int dispatch(const QStringList& arguments, QString& name, const Output& out);

}  // namespace

int run(const QStringList& arguments) {
    // Decided before anything is parsed, so that a usage error is reported as JSON too.
    const Output out(arguments.contains(QStringLiteral("--json")));
    QString name;
    const int exit = dispatch(arguments, name, out);
    out.finish(name, exit);
    return exit;
}

namespace {

// The command's arguments and options as an invocation; empty, or what is wrong with them.
QString invocationFrom(const QCommandLineParser& parser, const Command& command, Invocation& call) {
    const QStringList positional = parser.positionalArguments();
    if (positional.size() != (command.argument ? 2 : 1))
        return !command.argument                  ? QStringLiteral("unexpected argument")
               : command.argument == FileArgument ? QStringLiteral("one configuration file wanted")
                                                  : QStringLiteral("one identifier wanted");
    if (command.argument == FileArgument)
        call.file = positional[1];
    else if (command.argument)
        call.identifier = positional[1];
    if (command.options.contains(QStringLiteral("port"))) {
        call.port = parser.value(QStringLiteral("port"));
        if (call.port.isEmpty()) return QStringLiteral("no port given (-p PORT)");
    }
    // Only the command's own options may be asked for.
    const auto has = [&](const char* o) {
        return command.options.contains(QLatin1String(o)) && parser.isSet(QLatin1String(o));
    };
    const auto value = [&](const char* o) {
        return has(o) ? parser.value(QLatin1String(o)) : QString();
    };
    call.output = value("output");
    call.log = value("log");
    call.note = value("note");
    call.verify = has("verify");
    call.newAfterSilence = has("new-after-silence");
    if (has("count") && !wholeNumber(value("count"), call.count))
        return QStringLiteral("--count wants a whole number from 1");
    if (has("db")) call.db = value("db");
    call.bench = value("bench");
    call.csv = has("csv");
    call.pending = has("pending");
    call.result = value("result");
    if (has("result") && call.result != QLatin1String("ok") &&
        call.result != QLatin1String("failed"))
        return QStringLiteral("--result wants ok or failed");
    for (const auto& [name, date] : {std::pair{"since", &call.since}, {"until", &call.until}}) {
        if (!has(name)) continue;
        *date = QDate::fromString(value(name), Qt::ISODate);
        if (!date->isValid())
            return QStringLiteral("--%1 wants a date yyyy-MM-dd").arg(QLatin1String(name));
    }
    if (command.options.contains(QStringLiteral("output-kind"))) {
        call.outputKind = parser.value(QStringLiteral("output"));
        if (call.outputKind.isEmpty())
            return QStringLiteral("no output given (--output current|voltage)");
    }
    call.meter = value("meter");
    call.meterQuery = value("meter-query");
    call.panel = value("panel");
    if (has("meter-baud") && !wholeNumber(value("meter-baud"), call.meterBaud))
        return QStringLiteral("--meter-baud wants a whole number");
    if (has("panel") && call.panel != QLatin1String("service") &&
        call.panel != QLatin1String("correction"))
        return QStringLiteral("--panel wants service or correction");
    if (has("tolerance")) {
        bool ok = false;
        call.tolerance = value("tolerance").toDouble(&ok);
        if (!ok || *call.tolerance <= 0 || *call.tolerance > 1000)
            return QStringLiteral("--tolerance wants a number above 0");
    }
    if (has("instrument"))
        call.instruments = value("instrument").split(QLatin1Char(','), Qt::SkipEmptyParts);
    call.overrideDue = has("override-due");
    call.technician = value("technician");
    if (call.technician.isEmpty()) call.technician = qEnvironmentVariable("VL48_TECHNICIAN");
    if (call.technician.isEmpty()) call.technician = qEnvironmentVariable("USER");
    call.add = value("add");
    call.model = value("model");
    call.serial = value("serial");
    call.certificate = value("certificate");
    if (has("due")) {
        call.due = QDate::fromString(value("due"), Qt::ISODate);
        if (!call.due.isValid()) return QStringLiteral("--due wants a date yyyy-MM-dd");
    }
    call.lang = has("lang") ? value("lang") : QStringLiteral("cs");
    if (call.lang != QLatin1String("cs") && call.lang != QLatin1String("en"))
        return QStringLiteral("--lang wants cs or en");
    call.lab = value("lab");
    if (has("tolerance-span")) {
        bool ok = false;
        call.toleranceSpan = value("tolerance-span").toDouble(&ok);
        if (!ok || *call.toleranceSpan <= 0 || *call.toleranceSpan > 100)
            return QStringLiteral("--tolerance-span wants a percentage above 0");
    }
    if (has("settle")) {
        int ms = 0;
        if (!wholeNumber(value("settle"), ms) || ms > 60000)
            return QStringLiteral("--settle wants milliseconds from 1 to 60000");
        call.settleMs = ms;
    }
    if (has("points"))
        for (const QString& point : value("points").split(QLatin1Char(','))) {
            bool ok = false;
            call.points.push_back(point.trimmed().toDouble(&ok));
            if (!ok) return QStringLiteral("--points wants numbers separated by commas");
        }
    if (call.csv && parser.isSet(QStringLiteral("json")))
        return QStringLiteral("--csv and --json exclude each other");
    if (has("every")) {
        bool ok = false;
        call.every = value("every").toDouble(&ok);
        if (!ok || call.every < 0 || call.every > 86400)
            return QStringLiteral("--every wants seconds from 0 to 86400");
    }
    return {};
}

// "--db" alone is the default file: it takes the next argument as its value only when that is a
// database's address, so that "write --db FILE.vl4" is not read as a database named FILE.vl4.
QStringList withDatabaseValue(QStringList arguments) {
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != QLatin1String("--db")) continue;
        const QString next = i + 1 < arguments.size() ? arguments[i + 1] : QString();
        if (next.startsWith(QLatin1String("sqlite:")) || next.startsWith(QLatin1String("postgres")))
            ++i;
        else
            arguments[i] = QStringLiteral("--db=");
    }
    return arguments;
}

int dispatch(const QStringList& arguments, QString& name, const Output& out) {
    // The command's name: the first argument that is neither an option nor an option's value.
    // Unknown options are left to the command's own parser below.
    QCommandLineParser first;
    first.addOptions(allOptions());
    first.addOption(HelpOption);
    first.addOption(VersionOption);
    first.addPositionalArgument(QStringLiteral("command"), QString());
    first.parse(withDatabaseValue(arguments));
    if (first.positionalArguments().isEmpty()) {
        if (first.isSet(QStringLiteral("help"))) {
            print(generalHelp());
            return ExitDone;
        }
        if (first.isSet(QStringLiteral("version"))) {
            print(QStringLiteral("vl48-cli " VL48_VERSION "\n"));
            return ExitDone;
        }
        say(QStringLiteral("no command given; see vl48-cli --help"));
        return ExitUsage;
    }
    name = first.positionalArguments().first();
    const Command* command = nullptr;
    for (const Command& c : commands())
        if (name == QLatin1String(c.name)) command = &c;
    if (!command) {
        say(QStringLiteral("unknown command \"%1\"; see vl48-cli --help").arg(name));
        return ExitUsage;
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QString::fromLatin1(command->summary));
    parser.addOption(HelpOption);
    for (const QString& o : command->options) parser.addOption(option(o));
    parser.addOption(option(QStringLiteral("json")));
    parser.addOption(option(QStringLiteral("trace")));
    parser.addPositionalArgument(name, QStringLiteral("The command."), name);
    if (command->argument == FileArgument)
        parser.addPositionalArgument(QStringLiteral("file"),
                                     QStringLiteral("The configuration file."),
                                     QLatin1String(FileArgument));
    else if (command->argument)
        parser.addPositionalArgument(
            QStringLiteral("identifier"),
            command->run == runCertificate
                ? QStringLiteral("The calibration record's id, as history --json gives it.")
                : QStringLiteral("The unit's identifier, as its records name it (00042)."),
            QLatin1String(command->argument));
    if (!parser.parse(withDatabaseValue(arguments))) {
        say(parser.errorText() + QStringLiteral("; see vl48-cli %1 --help").arg(name));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // The usage line names the program as it is installed, not the path it was started by.
        QString help = parser.helpText();
        help.replace(0, help.indexOf(QLatin1String(" [options]")),
                     QStringLiteral("Usage: vl48-cli"));
        print(help + QLatin1Char('\n') + QLatin1String(ExitCodesText));
        return ExitDone;
    }
    Invocation call;
    if (const QString problem = invocationFrom(parser, *command, call); !problem.isEmpty()) {
        say(problem + QStringLiteral("; see vl48-cli %1 --help").arg(name));
        return ExitUsage;
    }
    if (parser.isSet(QStringLiteral("trace")))
        QLoggingCategory::setFilterRules(
            QStringLiteral("vl48.link.debug=true\nvl48.port.debug=true"));

    try {
        // Several ports: a station, a series on each at once.
        if (const QStringList ports = parser.values(QStringLiteral("port"));
            command->run == runSeries && ports.size() > 1)
            return runStation(ports, call, out);
        return command->run(call, out);
    } catch (const vl48::EComError& e) {
        // A device lost before an exchange: the exchange could not take place.
        say(QStringLiteral("port %1: %2").arg(call.port, e.text()));
        return ExitExchange;
    }
}

}  // namespace

}  // namespace vl48cli
