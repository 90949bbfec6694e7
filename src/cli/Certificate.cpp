// certificate: one calibration record of the records database as a calibration certificate in
// PDF, in Czech or English, issued by the lab that the lab file describes.
#include "report/Certificate.h"

#include "Commands.h"
#include "Programming.h"

namespace vl48cli {

int runCertificate(const Invocation& call, const Output& out) {
    if (call.output.isEmpty()) {
        say(QStringLiteral("no file given (-o FILE.pdf); see vl48-cli certificate --help"));
        return ExitUsage;
    }
    QString problem;
    const QString labPath = call.lab.isEmpty() ? vl48::LabSettings::defaultPath() : call.lab;
    const vl48::LabSettings lab = vl48::LabSettings::load(labPath, problem);
    if (!problem.isEmpty()) {
        say(problem);
        return ExitFile;
    }
    const auto address = databaseOf(call.db, true, problem);
    if (!address) {
        say(problem);
        return ExitDatabase;
    }
    const auto store =
        vl48::RecordStore::open(*address, problem, vl48::RecordStore::Use::LookingUp);
    if (!store) {
        say(QStringLiteral("records database: %1").arg(problem));
        return ExitDatabase;
    }
    const auto calibrations = store->calibrations(QString(), problem);
    if (!calibrations) {
        say(QStringLiteral("records database: %1").arg(problem));
        return ExitDatabase;
    }
    const auto found = std::find_if(calibrations->begin(), calibrations->end(),
                                    [&](const auto& c) { return c.id == call.identifier; });
    if (found == calibrations->end()) {
        say(QStringLiteral("no calibration record %1 in %2")
                .arg(call.identifier, store->address().text()));
        return ExitDatabase;
    }
    const bool english = call.lang == QLatin1String("en");
    if (const QString failed = vl48::writeCertificate(*found, lab, english, call.output);
        !failed.isEmpty()) {
        say(QStringLiteral("certificate: %1").arg(failed));
        return ExitFile;
    }
    out.result({{QStringLiteral("record_id"), found->id},
                {QStringLiteral("certificate"), vl48::certificateNumber(*found)},
                {QStringLiteral("digest"), vl48::recordDigest(*found)},
                {QStringLiteral("file"), call.output},
                {QStringLiteral("exit_code"), ExitDone}},
               QStringLiteral("certificate %1 of record %2 written to %3")
                   .arg(vl48::certificateNumber(*found), found->id, call.output));
    return ExitDone;
}

}  // namespace vl48cli
