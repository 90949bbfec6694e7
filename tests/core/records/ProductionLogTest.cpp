// The production log's file: a line goes in whole or not at all, and a log that cannot take a
// line says so before anything is programmed.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDateTime>
#include <QTemporaryDir>
#include <QTimeZone>
#include <csignal>

#include "SimFixture.h"
#include "core/records/ProductionLog.h"

using namespace vl48;

namespace {

ProductionRecord record(const QString& note) {
    ProductionRecord r;
    r.time = QDateTime(QDate(2026, 12, 8), QTime(14, 5, 6), QTimeZone(3600));
    r.port = "/dev/ttyUSB0";
    r.deviceType = "VL48";
    r.firmware = "1.310/250312";
    r.identifier = "00042";
    r.configFile = "kotel.vl4";
    r.configSha256 = "ab";
    r.result = resultFailedAtStep(13);
    r.operatorNote = note;
    return r;
}

}  // namespace

TEST(ProductionLog, ALineThatDoesNotFitWholeIsTakenBack) {
    QTemporaryDir dir;
    const QString path = dir.filePath("log.csv");
    ProductionLog log(path);
    ASSERT_EQ(log.append(record("first")), "");
    const QByteArray before = vl48test::fileBytes(path);
    EXPECT_EQ(before,
              "time,port,device_type,firmware,identifier,config_file,config_sha256,result,"
              "operator_note\r\n"
              "2026-12-08T14:05:06+01:00,/dev/ttyUSB0,VL48,1.310/250312,00042,kotel.vl4,ab,"
              "failed at step 13,first\r\n");

    // Room for a few more bytes only, as on a full disk: the write falls short.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = rlim_t(before.size() + 20);
    setrlimit(RLIMIT_FSIZE, &limit);
    const QString problem = log.append(record("a note far longer than the room that is left"));
    setrlimit(RLIMIT_FSIZE, &saved);

    EXPECT_NE(problem, "");
    EXPECT_EQ(vl48test::fileBytes(path), before);
}

TEST(ProductionLog, AFolderThatIsAFileRefusesBeforeAnything) {
    QTemporaryDir dir;
    vl48test::writeFileBytes(dir.filePath("plain"), "x");
    EXPECT_NE(ProductionLog(dir.filePath("plain/log.csv")).prepare(), "");
    // A new file gets its header when first prepared, so even a log of no upload is readable.
    const QString fresh = dir.filePath("new.csv");
    ASSERT_EQ(ProductionLog(fresh).prepare(), "");
    EXPECT_EQ(vl48test::fileBytes(fresh), csvHeader());
}
