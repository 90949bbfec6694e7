// The records database on both engines, a real SQLite file and the test script's PostgreSQL
// server: what a record keeps and gives back, the selections, the schema's versions, refusals
// before anything is programmed, and a server that goes away under a bench.
#include <sys/stat.h>

#include <QBuffer>
#include <QDir>
#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>

#include "SimFixture.h"
#include "TestPostgres.h"
#include "core/records/RecordStore.h"

using namespace vl48;
using vl48test::TestPostgres;

namespace {

TEST(DatabaseAddress, ReadsTheFormsAndRefusesTheRest) {
    struct Case {
        const char* text;
        bool ok;
        const char* wanted;  // text() of the address read, or a part of the error
    };
    const Case cases[] = {
        {"sqlite:/var/lib/vl48/line.sqlite", true, "sqlite:/var/lib/vl48/line.sqlite"},
        {"postgresql://line@db.example:5433/records", true,
         "postgresql://line@db.example:5433/records"},
        {"postgres://bench%201@%2Frun%2Fpg/records", true,
         "postgresql://bench%201@%2Frun%2Fpg:5432/records"},
        {"postgresql://line:secret@db/records", false, "no password"},
        {"postgresql://db/records", false, "USER@HOST"},
        {"postgresql://line@db:70000/records", false, "port"},
        {"postgresql://line@db/", false, "USER@HOST"},
        {"sqlite:", false, "path"},
        {"mysql://line@db/records", false, "sqlite:PATH"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        QString error;
        const auto address = DatabaseAddress::parse(QString::fromUtf8(c.text), &error);
        ASSERT_EQ(address.has_value(), c.ok);
        if (c.ok)
            EXPECT_EQ(address->text().toStdString(), c.wanted);
        else
            EXPECT_TRUE(error.contains(QLatin1String(c.wanted))) << error.toStdString();
    }
    EXPECT_EQ(DatabaseAddress::parse("postgres://bench%201@%2Frun%2Fpg/records")->host, "/run/pg");
}

ConfigFileValues distinctValues() {
    QByteArray bytes(
        "10\r\n2\r\n2\r\n-050\r\n0450\r\n2\r\n2\r\n-05\r\n1\r\n1\r\n3.4.2021\r\nKotel \xE8. 5\r\n"
        "01,50\r\n");
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return readConfigFile(buffer).values;
}

UnitRecord draft(const QString& identifier) {
    UnitRecord r;
    r.log.time = QDateTime::currentDateTime();
    r.log.port = QStringLiteral("/dev/ttyUSB0");
    r.log.deviceType = QStringLiteral("VL48");
    r.log.firmware = QStringLiteral("1.310/250312");
    r.log.identifier = identifier;
    r.log.configFile = QStringLiteral("kotel.vl4");
    r.log.configSha256 = configSha256(distinctValues());
    r.log.operatorNote = QStringLiteral("šarže 7");
    r.written = recordValues(distinctValues());
    return r;
}

enum class Engine { SQLite, PostgreSQL };

class Records : public ::testing::TestWithParam<Engine> {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        // The bench's spool goes into the user's data folder: one of this test's own.
        qputenv("XDG_DATA_HOME", home.path().toUtf8());
        if (GetParam() == Engine::PostgreSQL) {
            REQUIRE_TEST_POSTGRES();
            address = TestPostgres::freshDatabase();
        } else {
            address = QStringLiteral("sqlite:") + home.filePath(QStringLiteral("records.sqlite"));
        }
    }
    std::unique_ptr<RecordStore> open(RecordStore::Use use = RecordStore::Use::Recording,
                                      const QString& at = {}) {
        QString error;
        auto store =
            RecordStore::open(*DatabaseAddress::parse(at.isEmpty() ? address : at), error, use);
        lastError = error;
        return store;
    }
    // A statement on the database itself, past the store.
    int count(const QString& query) {
        if (GetParam() == Engine::PostgreSQL)
            return TestPostgres::count(query, TestPostgres::databaseOf(address));
        int n = -1;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("peek"));
            db.setDatabaseName(address.mid(7));
            QSqlQuery q(db);
            if (db.open() && q.exec(query) && q.next()) n = q.value(0).toInt();
        }
        QSqlDatabase::removeDatabase(QStringLiteral("peek"));
        return n;
    }
    QTemporaryDir home;
    QString address, lastError;
};

TEST_P(Records, KeepEveryAttemptAndSelectThem) {
    {
        auto store = open();
        ASSERT_TRUE(store) << lastError.toStdString();
        UnitRecord ok = draft(QStringLiteral("00042"));
        ASSERT_EQ(store->begin(ok).toStdString(), "");
        ok.log.result = resultOk();
        ConfigFileValues found = distinctValues();
        found.rangeEnd = QStringLiteral("0440");
        ok.readBack = recordValues(found);
        ASSERT_EQ(store->complete(ok).toStdString(), "");
        UnitRecord failed = draft(QStringLiteral("00043"));
        ASSERT_EQ(store->begin(failed).toStdString(), "");
        failed.log.result = resultFailedAtStep(4);
        failed.failedStep = 4;
        ASSERT_EQ(store->complete(failed).toStdString(), "");
        // Begun and never completed: the program ended while the unit was being programmed.
        UnitRecord cut = draft(QStringLiteral("00042"));
        ASSERT_EQ(store->begin(cut).toStdString(), "");
    }
    auto store = open(RecordStore::Use::LookingUp);
    ASSERT_TRUE(store) << lastError.toStdString();
    QString error;
    const auto history = store->select({QStringLiteral("00042"), {}, {}, {}, {}}, error);
    ASSERT_TRUE(history) << error.toStdString();
    ASSERT_EQ(history->size(), 2u);
    const UnitRecord& first = history->front();
    EXPECT_EQ(first.log.result, "ok");
    EXPECT_EQ(first.log.operatorNote, "šarže 7");
    EXPECT_EQ(first.programVersion, VL48_VERSION);
    EXPECT_FALSE(first.bench.isEmpty());
    EXPECT_TRUE(first.finished.isValid());
    const auto value = [](const ConfigRecordValues& v, ConfigField f) { return v[size_t(f)]; };
    EXPECT_EQ(value(first.written, ConfigField::InputType), 10);
    EXPECT_EQ(value(first.written, ConfigField::RangeBegin), -50.0);
    EXPECT_EQ(value(first.written, ConfigField::LineRes), 1.5);
    EXPECT_EQ(value(first.written, ConfigField::Date), "2021-04-03");
    EXPECT_EQ(value(first.written, ConfigField::Note), "Kotel č. 5");
    ASSERT_TRUE(first.readBack);
    EXPECT_EQ(value(*first.readBack, ConfigField::RangeEnd), 440.0);
    EXPECT_FALSE(history->back().completed());
    EXPECT_FALSE(history->back().readBack);

    const QDate today = QDate::currentDate();
    struct Selection {
        RecordFilter filter;
        std::vector<QString> identifiers;
    };
    const Selection selections[] = {
        {{}, {"00042", "00043", "00042"}},
        {{{}, {}, {}, QStringLiteral("ok"), {}}, {"00042"}},
        {{{}, {}, {}, QStringLiteral("failed"), {}}, {"00043", "00042"}},
        {{{}, today, today, {}, {}}, {"00042", "00043", "00042"}},
        {{{}, today.addDays(1), {}, {}, {}}, {}},
        {{{}, {}, today.addDays(-1), {}, {}}, {}},
        {{{}, {}, {}, {}, QStringLiteral("another bench")}, {}},
    };
    for (const Selection& s : selections) {
        const auto records = store->select(s.filter, error);
        ASSERT_TRUE(records) << error.toStdString();
        std::vector<QString> identifiers;
        for (const UnitRecord& r : *records) identifiers.push_back(r.log.identifier);
        EXPECT_EQ(identifiers, s.identifiers);
    }
    CalibrationRecord calibration;
    calibration.identifier = QStringLiteral("00042");
    calibration.procedure = QStringLiteral("output trim");
    calibration.subject = QStringLiteral("current");
    calibration.reference = QStringLiteral("VL48SIM,DMM-6,00000001,1.0");
    calibration.tolerancePercent = 0.05;
    calibration.asFound = QStringLiteral(R"([{"target":4,"reading":4.02}])");
    calibration.verdict = QStringLiteral("pass");
    ASSERT_EQ(store->addCalibration(calibration).toStdString(), "");
    const auto calibrations = store->calibrations(QStringLiteral("00042"), error);
    ASSERT_TRUE(calibrations) << error.toStdString();
    ASSERT_EQ(calibrations->size(), 1u);
    EXPECT_EQ(calibrations->front().asFound, calibration.asFound);
    EXPECT_EQ(calibrations->front().reference, calibration.reference);
    EXPECT_EQ(calibrations->front().verdict, "pass");
    EXPECT_TRUE(store->calibrations(QStringLiteral("00043"), error)->empty());
    EXPECT_EQ(history->front().failedStep, 0);
    EXPECT_EQ(store->select({QStringLiteral("00043"), {}, {}, {}, {}}, error)->front().failedStep,
              4);
}

TEST_P(Records, SchemaMigratesOnceAndRefusesANewerOne) {
    ASSERT_TRUE(open()) << lastError.toStdString();
    ASSERT_TRUE(open()) << lastError.toStdString();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM schema_version")), 6);
    const QString newer = QStringLiteral("INSERT INTO schema_version (version) VALUES (99)");
    if (GetParam() == Engine::PostgreSQL)
        ASSERT_EQ(TestPostgres::superuser(newer, TestPostgres::databaseOf(address)), 0);
    else
        ASSERT_EQ(count(newer + QStringLiteral(" RETURNING version")), 99);
    EXPECT_FALSE(open());
    EXPECT_TRUE(lastError.contains(QLatin1String("newer than this program's 6")))
        << lastError.toStdString();
}

// A database that cannot take a record is told when it is opened for recording, before any
// unit; looking the records up still works where only reading is allowed.
TEST_P(Records, RefusedWhenItCannotTakeARecord) {
    ASSERT_TRUE(open()) << lastError.toStdString();
    QString denied;
    if (GetParam() == Engine::PostgreSQL) {
        const QString database = TestPostgres::databaseOf(address);
        ASSERT_EQ(TestPostgres::superuser(
                      QStringLiteral("DO $$BEGIN IF NOT EXISTS (SELECT FROM pg_roles WHERE "
                                     "rolname = 'reader') THEN CREATE ROLE reader LOGIN; END IF; "
                                     "END$$")),
                  0);
        ASSERT_EQ(
            TestPostgres::superuser(
                QStringLiteral("GRANT SELECT ON unit_records, schema_version TO reader"), database),
            0);
        denied = TestPostgres::address(database, QStringLiteral("reader"));
        EXPECT_FALSE(open(RecordStore::Use::Recording,
                          TestPostgres::address(database, QStringLiteral("stranger"))));
        EXPECT_TRUE(lastError.contains(QLatin1String("does not exist"))) << lastError.toStdString();
    } else {
        const QString path = address.mid(7);
        ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
        // Root writes to a file whatever its mode: only an immutable one refuses root.
        if (::geteuid() == 0) {
            ASSERT_EQ(QProcess::execute("chattr", {"+i", path}), 0);
        }
        denied = address;
    }
    EXPECT_FALSE(open(RecordStore::Use::Recording, denied));
    EXPECT_FALSE(lastError.isEmpty());
    EXPECT_TRUE(open(RecordStore::Use::LookingUp, denied)) << lastError.toStdString();
    if (GetParam() == Engine::SQLite && ::geteuid() == 0)
        QProcess::execute("chattr", {"-i", address.mid(7)});
}

INSTANTIATE_TEST_SUITE_P(BothEngines, Records,
                         ::testing::Values(Engine::SQLite, Engine::PostgreSQL),
                         [](const auto& info) {
                             return info.param == Engine::SQLite ? "SQLite" : "PostgreSQL";
                         });

using ServerRecords = Records;

// The server away: the bench records into its spool and goes on; back again, each record goes
// once, and one sent a second time (a bench killed between sending and clearing it) is still
// there once, its outcome kept.
TEST_P(ServerRecords, WaitOnTheBenchWhileTheServerIsAway) {
    auto store = open();
    ASSERT_TRUE(store) << lastError.toStdString();
    ASSERT_TRUE(TestPostgres::stop());
    UnitRecord r = draft(QStringLiteral("00042"));
    const QString begun = store->begin(r);
    r.log.result = resultOk();
    const QString completed = store->complete(r);
    CalibrationRecord calibration;
    calibration.identifier = r.log.identifier;
    const QString calibrated = store->addCalibration(calibration);
    // A session begun and changed while the server is away, completed once it is back.
    CalibrationRecord session;
    session.identifier = r.log.identifier;
    session.procedure = QStringLiteral("calibration session");
    const QString sessionBegun = store->beginCalibration(session);
    session.asFound = QStringLiteral(R"({"input":{"pass":false}})");
    const QString sessionChanged = store->updateCalibration(session);
    const std::vector<UnitRecord> waiting = store->pending();
    const QString problem = store->serverProblem();
    ASSERT_TRUE(TestPostgres::start());
    EXPECT_EQ(begun.toStdString(), "");
    EXPECT_EQ(completed.toStdString(), "");
    EXPECT_EQ(calibrated.toStdString(), "");
    EXPECT_EQ((sessionBegun + sessionChanged).toStdString(), "");
    ASSERT_EQ(waiting.size(), 1u);
    EXPECT_EQ(waiting.front().log.result, "ok");
    EXPECT_TRUE(problem.contains(QLatin1String("server"))) << problem.toStdString();

    EXPECT_TRUE(store->pending().empty());
    EXPECT_EQ(store->serverProblem().toStdString(), "");
    const QString sessionRow =
        QStringLiteral(
            "SELECT COUNT(*) FROM calibration_records WHERE record_id = '%1' AND "
            "as_found LIKE '%input%' AND finished IS %2")
            .arg(session.id);
    EXPECT_EQ(count(sessionRow.arg(QStringLiteral("NULL"))), 1);
    session.verdict = QStringLiteral("pass");
    EXPECT_EQ(store->completeCalibration(session).toStdString(), "");
    EXPECT_EQ(
        count(sessionRow.arg(QStringLiteral("NOT NULL")) + QStringLiteral(" AND verdict = 'pass'")),
        1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM calibration_records")), 2);
    const QString row = QStringLiteral(
                            "SELECT COUNT(*) FROM unit_records WHERE record_id = '%1' "
                            "AND result = 'ok'")
                            .arg(r.id);
    EXPECT_EQ(count(row), 1);

    // The same record in the outbox once more, its outcome not yet known there.
    const QStringList spools =
        QDir(home.filePath("vl48/spool")).entryList({"*.sqlite"}, QDir::Files);
    ASSERT_EQ(spools.size(), 1);
    {
        QSqlDatabase spool =
            QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("spool"));
        spool.setDatabaseName(home.filePath("vl48/spool/" + spools.front()));
        ASSERT_TRUE(spool.open());
        QSqlQuery q(spool);
        ASSERT_TRUE(q.exec(QStringLiteral("INSERT INTO unit_records (record_id, time, time_utc, "
                                          "bench, program_version, port, "
                                          "device_type, firmware, identifier, config_file, "
                                          "config_sha256, operator_note) VALUES "
                                          "('%1', '2026-01-01T00:00:00.000Z', "
                                          "'2026-01-01T00:00:00.000Z', '', '', '', '', '', "
                                          "'00042', '', '', '')")
                               .arg(r.id)));
        ASSERT_TRUE(q.exec(
            QStringLiteral("INSERT INTO outbox (record_id, version) VALUES ('%1', 1)").arg(r.id)));
    }
    QSqlDatabase::removeDatabase(QStringLiteral("spool"));
    EXPECT_TRUE(store->pending().empty()) << store->serverProblem().toStdString();
    EXPECT_EQ(count(row), 1);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM unit_records")), 1);
}

INSTANTIATE_TEST_SUITE_P(Server, ServerRecords, ::testing::Values(Engine::PostgreSQL),
                         [](const auto&) { return "PostgreSQL"; });

}  // namespace
