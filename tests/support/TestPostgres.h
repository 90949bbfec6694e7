// The PostgreSQL server the test script starts for the records tests (scripts/common.sh,
// start_test_postgres): a fresh database on it for each test, and the server stopped and started
// again as a line's server goes away and comes back.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QProcess>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUrl>
#include <QUuid>
#include <optional>

namespace vl48test {

class TestPostgres {
public:
    // The server, when the test script started one; a test without it is skipped, or fails
    // where the script says that the server is wanted (VL48_TEST_PG_REQUIRED).
    static bool available() { return !qEnvironmentVariableIsEmpty("VL48_TEST_PGHOST"); }
    static bool required() { return !qEnvironmentVariableIsEmpty("VL48_TEST_PG_REQUIRED"); }

    // A new, empty database; its address for `user`.
    static QString freshDatabase(const QString& user = QStringLiteral("vl48")) {
        const QString name = QStringLiteral("t_") + QUuid::createUuid().toString(QUuid::Id128);
        superuser(QStringLiteral("CREATE DATABASE %1").arg(name));
        return address(name, user);
    }
    static QString address(const QString& database, const QString& user) {
        return QStringLiteral("postgresql://%1@%2/%3")
            .arg(user, QString::fromUtf8(QUrl::toPercentEncoding(host())), database);
    }
    static QString databaseOf(const QString& address) { return address.section('/', -1); }

    // A statement as the cluster's superuser on `database`; the number it answers (a count),
    // 0 for a statement without an answer, -1 when it failed.
    static int superuser(const QString& statement,
                         const QString& database = QStringLiteral("postgres")) {
        int n = -1;
        {
            QSqlDatabase db =
                QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), QStringLiteral("admin"));
            db.setHostName(host());
            db.setUserName(QStringLiteral("vl48"));
            db.setDatabaseName(database);
            QSqlQuery q(db);
            if (db.open() && q.exec(statement)) n = q.next() ? q.value(0).toInt() : 0;
        }
        QSqlDatabase::removeDatabase(QStringLiteral("admin"));
        return n;
    }
    static int count(const QString& query, const QString& database) {
        return superuser(query, database);
    }

    static bool stop() {
        return pgCtl({QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("fast")});
    }
    static bool start() {
        const QString dir = host();
        return pgCtl({QStringLiteral("start"), QStringLiteral("-l"),
                      dir + QStringLiteral("/server.log"), QStringLiteral("-o"),
                      QStringLiteral("-c listen_addresses='' -c unix_socket_directories='%1' -c "
                                     "port=5432")
                          .arg(dir)});
    }

private:
    static QString host() { return qEnvironmentVariable("VL48_TEST_PGHOST"); }
    // pg_ctl, as the postgres user when the tests run as root, waiting until it is done.
    static bool pgCtl(QStringList args) {
        args = QStringList{QStringLiteral("-D"), qEnvironmentVariable("VL48_TEST_PGDATA"),
                           QStringLiteral("-w")} +
               args;
        QString program = qEnvironmentVariable("VL48_TEST_PGBIN") + QStringLiteral("/pg_ctl");
        if (::geteuid() == 0) {
            args = QStringList{QStringLiteral("-u"), QStringLiteral("postgres"),
                               QStringLiteral("--"), program} +
                   args;
            program = QStringLiteral("runuser");
        }
        QProcess ctl;
        ctl.start(program, args);
        return ctl.waitForFinished(60000) && ctl.exitStatus() == QProcess::NormalExit &&
               ctl.exitCode() == 0;
    }
};

// Skips a test of the server when the test script started none (ctest run by hand), and fails it
// when the script did mean to.
#define REQUIRE_TEST_POSTGRES()                                                                 \
    do {                                                                                        \
        if (!vl48test::TestPostgres::available()) {                                             \
            if (vl48test::TestPostgres::required()) FAIL() << "the test server is not running"; \
            GTEST_SKIP() << "no PostgreSQL server: run the tests through scripts/test";         \
        }                                                                                       \
    } while (false)

}  // namespace vl48test
