#include "Commands.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QJsonArray>
#include <QStringList>
#include <utility>
#include <vector>

#include "Interrupt.h"
#include "Programming.h"
#include "Session.h"
#include "core/device/Cp1250.h"
#include "core/device/NumberTexts.h"
#include "core/records/ConfigFile.h"
#include "core/session/ConfigReading.h"
#include "core/session/Upload.h"

namespace vl48cli {

namespace {

// The dates the basic tab can show; a stored date outside them is no date of setting.
const QDate EarliestShownDate(2000, 1, 1);
const QDate LatestShownDate(9999, 12, 31);

// The configuration as the basic tab shows a transmitter's and saves it. `read` holds every cell.
vl48::ConfigFileValues valuesOf(const vl48::TransmitterConfig& read) {
    const auto word = [&read](vl48::Cell cell) { return *read.word(cell); };
    vl48::ConfigFileValues v;
    for (const vl48::FieldDef& def : vl48::ConfigFields) {
        if (def.kind == vl48::FieldKind::List) v.*def.code = word(def.cell);
        if (def.kind == vl48::FieldKind::Number)
            v.*def.text = vl48::fieldTextOfWord(def, word(def.cell));
    }
    const auto date = vl48::dateOfSetting(word(vl48::EEDayMonth), word(vl48::EEYear),
                                          EarliestShownDate, LatestShownDate);
    if (!date)
        say(QStringLiteral("the transmitter holds no valid date of setting (day.month %1.%2, year "
                           "%3); today's date stands in for it")
                .arg(vl48::dayOf(word(vl48::EEDayMonth)))
                .arg(vl48::monthOf(word(vl48::EEDayMonth)))
                .arg(word(vl48::EEYear)));
    v.date = date.value_or(QDate::currentDate());
    if (read.note.outcome == vl48::NoteRead::Read) {
        v.note = vl48::fromCp1250(read.note.bytes);
        v.noteBytes = read.note.bytes;
    }
    return v;
}

QString jsonKey(const vl48::FieldDef& def) {
    return QString::fromLatin1(def.name).replace(QLatin1Char(' '), QLatin1Char('_'));
}

QString measuredShown(int32_t measured, int32_t faultFrom) {
    const QString text = vl48::measuredText(measured, faultFrom, QLatin1Char('.'));
    return text.isEmpty() ? QStringLiteral("(code %1)").arg(measured) : text;
}

void addMeasured(QJsonObject& object, int32_t measured, int32_t faultFrom) {
    if (vl48::measuredKind(measured, faultFrom) == vl48::Measured::Reading)
        object.insert(QStringLiteral("input"), decimalValue(measured, 2));
    else
        object.insert(QStringLiteral("input_fault"), measuredShown(measured, faultFrom));
}

}  // namespace

int runPorts(const Invocation&, const Output& out) {
    QStringList ports;
    vl48::TComPort::ListPorts(ports);
    for (const QString& port : ports) out.result({{QStringLiteral("port"), port}}, port);
    // The system's stable names of USB adapters, by the adapter's identity and by the USB socket:
    // a fixture's cables keep them across replugging, where ttyUSB numbers follow the order of
    // plugging in. VL48_SERIAL_LINKS stands for /dev/serial (a test's own folder).
    const QString linkDir = qEnvironmentVariableIsSet("VL48_SERIAL_LINKS")
                                ? qEnvironmentVariable("VL48_SERIAL_LINKS")
                                : QStringLiteral("/dev/serial");
    qsizetype links = 0;
    for (const char* kind : {"by-id", "by-path"}) {
        const QDir dir(linkDir + QLatin1Char('/') + QLatin1String(kind));
        for (const QFileInfo& link :
             dir.entryInfoList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
            const QString target = link.canonicalFilePath();
            if (!link.isSymLink() || target.isEmpty()) continue;
            out.result({{QStringLiteral("port"), link.absoluteFilePath()},
                        {QStringLiteral("target"), target}},
                       QStringLiteral("%1 -> %2").arg(link.absoluteFilePath(), target));
            ++links;
        }
    }
    if (ports.isEmpty() && links == 0) say(QStringLiteral("no serial ports"));
    return ExitDone;
}

int runIdentify(const Invocation& call, const Output& out) {
    Session session(call.port);
    if (const int exit = session.connect(false)) return exit;
    const vl48::Identification& id = session.identification();
    QJsonObject object{{QStringLiteral("port"), call.port}};
    addIdentification(object, id);
    QString text = QStringLiteral("device: %1 (type %2)\nfirmware: %3 (version %4 of %5)")
                       .arg(id.status)
                       .arg(id.deviceType)
                       .arg(id.firmwareText.full, id.firmwareText.version, id.firmwareText.date);
    int exit = ExitDone;
    if (!id.accepted) {
        text += QStringLiteral("\nthis tool does not configure this device");
        exit = ExitRefused;
    } else if (const auto readings = vl48::readDeviceReadings(session.link())) {
        const QString identifier =
            readings->serial ? vl48::identifierText(*readings->serial) : QString();
        object.insert(QStringLiteral("identifier"), identifier);
        object.insert(QStringLiteral("terminal_temperature"),
                      decimalValue(readings->temperature, 1));
        addMeasured(object, readings->measured, vl48::MeasureFaultFrom);
        text += QStringLiteral("\nidentifier: %1\nterminal temperature: %2 °C\ninput: %3")
                    .arg(readings->serial ? identifier : QStringLiteral("not supported"),
                         decimalText(readings->temperature, 1),
                         measuredShown(readings->measured, vl48::MeasureFaultFrom));
    } else {
        say(QStringLiteral("the transmitter did not answer the readings"));
        return ExitExchange;
    }
    out.result(object, text);
    return exit;
}

int runRead(const Invocation& call, const Output& out) {
    Session session(call.port);
    if (const int exit = session.connect()) return exit;
    const vl48::TransmitterConfig read = vl48::readConfiguration(session.link());
    // A value missing would be shown or saved as whatever stood in for it: nothing rather than
    // a wrong one.
    if (read.words.size() != vl48::ConfigReadCells.size() || !read.noteKnown()) {
        say(QStringLiteral("the transmitter did not answer every read; nothing %1")
                .arg(call.output.isEmpty() ? QStringLiteral("shown") : QStringLiteral("saved")));
        return ExitExchange;
    }
    const vl48::ConfigFileValues values = valuesOf(read);
    QJsonObject object{{QStringLiteral("port"), call.port}};
    QStringList lines;
    // Today's date stands in only in the file, as the basic tab saves it; the unit holds none.
    const bool noDate = !vl48::dateOfSetting(*read.word(vl48::EEDayMonth), *read.word(vl48::EEYear),
                                             EarliestShownDate, LatestShownDate);
    for (const vl48::FieldDef& def : vl48::ConfigFields) {
        const bool none = noDate && def.kind == vl48::FieldKind::Date;
        const QString text = none ? QStringLiteral("(none)") : vl48::valueText(def, values);
        object.insert(jsonKey(def), none ? QJsonValue() : fieldJson(def, text));
        lines << QStringLiteral("%1: %2").arg(QLatin1String(def.name), text);
    }
    if (!call.output.isEmpty()) {
        if (const QString problem = vl48::saveConfigFile(call.output, values); !problem.isEmpty()) {
            say(QStringLiteral("%1: %2").arg(call.output, problem));
            return ExitFile;
        }
        object.insert(QStringLiteral("saved"), call.output);
        say(QStringLiteral("saved to %1").arg(call.output));
    }
    out.result(object, lines.join(QLatin1Char('\n')));
    return ExitDone;
}

int runDiff(const Invocation& call, const Output& out) {
    vl48::ConfigFileValues values;
    if (!loadConfiguration(call.file, values)) return ExitFile;
    Session session(call.port);
    if (const int exit = session.connect()) return exit;
    const vl48::Comparison comparison = vl48::compareWithTransmitter(session.link(), values);
    if (!comparison.complete) {
        say(QStringLiteral("the transmitter did not answer every read; nothing compared"));
        return ExitExchange;
    }
    const bool equal = comparison.differences.empty();
    const int exit = equal ? ExitDone : ExitMismatch;
    QJsonObject object{{QStringLiteral("port"), call.port},
                       {QStringLiteral("file"), call.file},
                       {QStringLiteral("equal"), equal},
                       {QStringLiteral("exit_code"), exit}};
    if (!equal) object.insert(QStringLiteral("differences"), differencesJson(comparison));
    out.result(object, equal
                           ? QStringLiteral("the transmitter holds the values of %1").arg(call.file)
                           : QStringLiteral("the transmitter differs from %1:\n%2")
                                 .arg(call.file, differencesText(comparison)));
    return exit;
}

int runWrite(const Invocation& call, const Output& out) {
    Job job;
    if (const int exit = prepareJob(job, call.file, call.verify, call.log, call.db, call.note))
        return exit;
    Session session(call.port);
    // A refused device is refused by the programming, which logs the attempt.
    if (const int exit = session.connect(false)) return exit;
    // Until here a Ctrl+C ends the program as usual: nothing has been written.
    catchInterrupt();
    const UnitUnderWay unit;
    return programUnit(session, job, out, 0);
}

int runMeasure(const Invocation& call, const Output& out) {
    Session session(call.port);
    if (const int exit = session.connect()) return exit;
    catchInterrupt();
    QElapsedTimer clock;
    clock.start();
    for (int n = 0; call.count == 0 || n < call.count; ++n) {
        // Each measurement at its own time from the start, so that slow answers do not add up.
        if (n > 0 && !pause(int(qRound64(n * call.every * 1000) - clock.elapsed())))
            return ExitInterrupted;
        const auto m = vl48::measureOnce(session.link());
        if (!m) {
            say(QStringLiteral("the transmitter did not answer the measurement"));
            return ExitExchange;
        }
        QJsonObject object{
            {QStringLiteral("time"), timeText(QDateTime::currentDateTime())},
            {QStringLiteral("terminal_temperature"), decimalValue(m->temperature, 1)}};
        addMeasured(object, m->measured, vl48::LiveMeasureFaultFrom);
        out.result(object, QStringLiteral("input: %1  terminal temperature: %2 °C")
                               .arg(measuredShown(m->measured, vl48::LiveMeasureFaultFrom),
                                    decimalText(m->temperature, 1)));
        if (interrupted()) return ExitInterrupted;
    }
    return ExitDone;
}

}  // namespace vl48cli
