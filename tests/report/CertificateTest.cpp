// vl48-cli certificate: a record stored in a SQLite file, written as a PDF in both languages and
// read back as text, the way a customer's copy is checked against the database.
#include <gtest/gtest.h>

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include "core/records/RecordStore.h"
#include "report/Certificate.h"

namespace {

struct Finished {
    int exitCode = -1;
    QString out, err;
};

Finished run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    Finished r;
    if (p.waitForFinished(60000) && p.exitStatus() == QProcess::NormalExit)
        r.exitCode = p.exitCode();
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class Certificate : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        db = QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("records.db"));
        QString error;
        auto store = vl48::RecordStore::open(*vl48::DatabaseAddress::parse(db), error);
        ASSERT_TRUE(store) << error.toStdString();
        const auto add = [&](vl48::CalibrationRecord r) {
            r.deviceType = QStringLiteral("VL48 Pt100");
            r.firmware = QStringLiteral("1.31");
            r.identifier = QStringLiteral("00042");
            r.technician = QStringLiteral("Jiří Šťastný");
            EXPECT_EQ(store->addCalibration(r), QString());
        };
        vl48::CalibrationRecord trim;
        trim.procedure = QStringLiteral("output trim");
        trim.subject = QStringLiteral("current");
        trim.reference = QStringLiteral("KEITHLEY,2000,4012345,A20");
        trim.tolerancePercent = 0.05;
        trim.asFound = QStringLiteral(
            R"([{"target":4,"code":3281,"reading":4.0321,"error_percent":0.1605,"pass":false},)"
            R"({"target":20,"code":16380,"reading":19.9422,"error_percent":-0.289,"pass":false}])");
        trim.asLeft = QStringLiteral(
            R"([{"target":4,"code":3262,"reading":4.0004,"error_percent":0.002,"pass":true},)"
            R"({"target":12,"code":9823,"reading":11.9987,"error_percent":-0.0065,"pass":true}])");
        trim.codesBefore = QStringLiteral(R"({"zero":1640,"end":16380})");
        trim.codesAfter = QStringLiteral(R"({"zero":1652,"end":16447})");
        trim.instruments = QStringLiteral(
            R"([{"name":"dmm","model":"2000","serial":"4012345","certificate":"K-2026-117",)"
            R"("due":"2027-03-31"},{"name":"cal","model":"Fluke 726","serial":"99812",)"
            R"("certificate":"K-2025-088","due":"2026-11-30","overdue":true}])");
        trim.verdict = QStringLiteral("pass");
        add(trim);
        vl48::CalibrationRecord input;
        input.procedure = QStringLiteral("input check");
        input.subject = QStringLiteral("°C");
        input.reference = QStringLiteral("typed");
        input.tolerance = 0.3;
        input.asFound = QStringLiteral(
            R"([{"point":-50,"reference":-49.98,"reading":-49.87,"error":0.11,"fault":null,)"
            R"("pass":true},{"point":150,"reference":150.02,"reading":null,"error":null,)"
            R"("fault":"unstable reading","pass":false}])");
        input.problem = QStringLiteral("the reading did not settle");
        input.instruments = QStringLiteral("[]");
        add(input);
        const auto stored = store->calibrations(QString(), error);
        ASSERT_TRUE(stored && stored->size() == 2) << error.toStdString();
        records = *stored;
        lab = dir.filePath(QStringLiteral("lab.ini"));
        QFile ini(lab);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(
            "name = Laboratoř Žďár\naddress = Náměstí 1|591 01 Žďár nad Sázavou\n"
            "place = Žďár nad Sázavou\n");
    }
    QTemporaryDir dir;
    QString db, lab;
    std::vector<vl48::CalibrationRecord> records;
};

// Every text of the record the certificate must show, in either language; the numbers written
// with a point become a decimal comma in Czech.
TEST_F(Certificate, HoldsTheRecordInEitherLanguage) {
    struct Case {
        const char* lang;
        size_t record;
        QStringList words, numbers;
    };
    const QStringList trimNumbers{"4.000",   "3281",    "4.0321",  "0.1605", "20.000", "16380",
                                  "19.9422", "-0.2890", "3262",    "4.0004", "0.0020", "12.000",
                                  "9823",    "11.9987", "-0.0065", "1652",   "16447"};
    const QStringList inputNumbers{"-50.00", "-49.98", "-49.87",    "0.11",
                                   "150.00", "150.02", "± 0.300 °C"};
    const Case cases[] = {
        {"cs",
         0,
         {"Kalibrační list", "VYHOVUJE", "K-2026-117", "K-2025-088",
          "po termínu kalibrace – použito na výslovný pokyn technika", "Laboratoř Žďár",
          "591 01 Žďár nad Sázavou"},
         trimNumbers},
        {"en",
         0,
         {"Calibration certificate", "PASS", "K-2026-117", "K-2025-088",
          "past its calibration due date – used on the technician's explicit decision"},
         trimNumbers},
        {"cs", 1, {"NEDOKONČENO", "the reading did not settle", "unstable reading"}, inputNumbers},
        {"en", 1, {"NOT FINISHED", "the reading did not settle", "unstable reading"}, inputNumbers},
    };
    for (const Case& c : cases) {
        const vl48::CalibrationRecord& r = records[c.record];
        SCOPED_TRACE(std::string(c.lang) + " " + r.procedure.toStdString());
        const QString pdf = dir.filePath(QStringLiteral("%1-%2.pdf").arg(c.lang).arg(c.record));
        const Finished cli =
            run(QStringLiteral(VL48_CLI),
                {"certificate", r.id, "-o", pdf, "--lang", c.lang, "--db", db, "--lab", lab});
        ASSERT_EQ(cli.exitCode, 0) << cli.err.toStdString();
        const Finished text = run(QStringLiteral("pdftotext"), {"-layout", pdf, "-"});
        ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
        const QString page = text.out.simplified();
        QStringList wanted = c.words;
        wanted << r.identifier << r.technician << r.id << vl48::recordDigest(r)
               << vl48::certificateNumber(r);
        for (QString n : c.numbers)
            wanted << (c.lang == QLatin1String("cs") ? n.replace('.', ',') : n);
        for (const QString& w : wanted)
            EXPECT_TRUE(page.contains(w)) << w.toStdString() << " not in:\n" << page.toStdString();
    }
}

TEST_F(Certificate, UnknownRecordWritesNothing) {
    const QString pdf = dir.filePath(QStringLiteral("none.pdf"));
    const Finished cli = run(QStringLiteral(VL48_CLI), {"certificate", "no-such-record", "-o", pdf,
                                                        "--db", db, "--lab", lab});
    EXPECT_EQ(cli.exitCode, 10);
    EXPECT_TRUE(cli.err.contains("no calibration record no-such-record")) << cli.err.toStdString();
    EXPECT_FALSE(QFile::exists(pdf));
}

// The digest changes with every field a copy could be altered in, and not with nothing.
TEST_F(Certificate, DigestCoversTheFields) {
    const vl48::CalibrationRecord& r = records[0];
    EXPECT_EQ(vl48::recordDigest(r), vl48::recordDigest(vl48::CalibrationRecord(r)));
    for (QString vl48::CalibrationRecord::*field :
         {&vl48::CalibrationRecord::asLeft, &vl48::CalibrationRecord::verdict,
          &vl48::CalibrationRecord::technician, &vl48::CalibrationRecord::instruments}) {
        vl48::CalibrationRecord altered = r;
        altered.*field += QLatin1Char('x');
        EXPECT_NE(vl48::recordDigest(altered), vl48::recordDigest(r));
    }
}

}  // namespace
