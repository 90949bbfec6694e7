// What the records database costs: the time a record adds to a unit (begun before its first
// write, completed after) on a SQLite file and on a local PostgreSQL server, and the history of
// one unit in a database of 100 000 records.
#include "RecordsBench.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QUrl>
#include <QUuid>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/records/RecordStore.h"

namespace {

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

vl48::UnitRecord unit(int n) {
    vl48::UnitRecord r;
    r.log.port = QStringLiteral("/dev/ttyUSB0");
    r.log.deviceType = QStringLiteral("VL48");
    r.log.firmware = QStringLiteral("1.310/250312");
    r.log.identifier = QStringLiteral("%1").arg(n % 10000, 5, 10, QLatin1Char('0'));
    r.log.configFile = QStringLiteral("bench.vl4");
    r.log.configSha256 = QString(64, QLatin1Char('a'));
    for (QVariant& value : r.written) value = 1;
    return r;
}

// Fills the database to `total` records of 10 000 units in one transaction, past the store: the
// figure wanted is the look-up's, not the filling's.
bool fill(const QString& driver, const vl48::DatabaseAddress& address, int total) {
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(driver, QStringLiteral("fill"));
        if (driver == QLatin1String("QSQLITE")) {
            db.setDatabaseName(address.path);
        } else {
            db.setHostName(address.host);
            db.setPort(address.port);
            db.setUserName(address.user);
            db.setDatabaseName(address.name);
        }
        ok = db.open() && db.transaction();
        QSqlQuery insert(db);
        ok = ok && insert.prepare(QStringLiteral(
                       "INSERT INTO unit_records (record_id, time, time_utc, bench, "
                       "program_version, port, device_type, firmware, identifier, config_file, "
                       "config_sha256, result, operator_note) VALUES (?, ?, ?, 'bench', '1.0.0', "
                       "'/dev/ttyUSB0', 'VL48', '1.310/250312', ?, 'bench.vl4', '', 'ok', '')"));
        const QDateTime start = QDateTime::currentDateTimeUtc().addDays(-400);
        for (int n = 0; ok && n < total; ++n) {
            const QDateTime at = start.addSecs(n * 60);
            insert.addBindValue(QUuid::createUuid().toString(QUuid::WithoutBraces));
            insert.addBindValue(at.toString(Qt::ISODateWithMs));
            insert.addBindValue(at.toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss.zzzZ")));
            insert.addBindValue(QStringLiteral("%1").arg(n % 10000, 5, 10, QLatin1Char('0')));
            ok = insert.exec();
        }
        ok = ok && db.commit();
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fill"));
    return ok;
}

bool benchOne(const char* name, const QString& text, double recordGoal, int runs) {
    const auto address = vl48::DatabaseAddress::parse(text);
    QString error;
    auto store = vl48::RecordStore::open(*address, error);
    if (!store) {
        std::fprintf(stderr, "%s: %s\n", name, qPrintable(error));
        return false;
    }
    std::vector<double> times;
    for (int i = 0; i < std::max(runs, 20); ++i) {
        vl48::UnitRecord r = unit(i);
        QElapsedTimer clock;
        clock.start();
        if (!store->begin(r).isEmpty()) return false;
        r.log.result = QStringLiteral("ok");
        if (!store->complete(r).isEmpty()) return false;
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::printf(
        "records on %-10s a record adds %.2f ms to a unit, median of %zu (slowest %.2f; "
        "goal: at most %.0f ms)\n",
        name, median(times), times.size(), *std::max_element(times.begin(), times.end()),
        recordGoal);

    constexpr int Total = 100000;
    if (!fill(address->engine == vl48::DatabaseAddress::Engine::SQLite ? QStringLiteral("QSQLITE")
                                                                       : QStringLiteral("QPSQL"),
              *address, Total)) {
        std::fprintf(stderr, "%s: filling failed\n", name);
        return false;
    }
    std::vector<double> lookups;
    size_t found = 0;
    for (int i = 0; i < std::max(runs, 20); ++i) {
        vl48::RecordFilter filter;
        filter.identifier = QStringLiteral("%1").arg(4200 + i, 5, 10, QLatin1Char('0'));
        QElapsedTimer clock;
        clock.start();
        const auto records = store->select(filter, error);
        lookups.push_back(clock.nsecsElapsed() / 1e6);
        if (!records) return false;
        found = records->size();
    }
    std::printf(
        "  history of one unit (%zu records) among %d: median %.2f ms, slowest %.2f ms "
        "(goal: at most 50 ms)\n",
        found, Total, median(lookups), *std::max_element(lookups.begin(), lookups.end()));
    return true;
}

}  // namespace

bool benchRecords(int runs) {
    QTemporaryDir dir;
    qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("data")).toUtf8());
    if (!benchOne("SQLite", QStringLiteral("sqlite:") + dir.filePath(QStringLiteral("r.sqlite")), 5,
                  runs))
        return false;
    // A local server: the one the test script starts (scripts/common.sh, start_test_postgres).
    const QString host = qEnvironmentVariable("VL48_TEST_PGHOST");
    if (host.isEmpty()) {
        std::printf("records on PostgreSQL: no server (start one with start_test_postgres)\n");
        return true;
    }
    const QString name = QStringLiteral("bench_") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db =
            QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
        db.setHostName(host);
        db.setUserName(QStringLiteral("vl48"));
        db.setDatabaseName(QStringLiteral("postgres"));
        if (!db.open() || !QSqlQuery(db).exec(QStringLiteral("CREATE DATABASE ") + name)) {
            std::fprintf(stderr, "PostgreSQL: no database made\n");
            return false;
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("admin"));
    return benchOne("PostgreSQL",
                    QStringLiteral("postgresql://vl48@%1/%2")
                        .arg(QString::fromUtf8(QUrl::toPercentEncoding(host)), name),
                    20, runs);
}
