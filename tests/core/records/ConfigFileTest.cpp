// The configuration file's lines byte for byte, their conversions on the way back, and a save
// that replaces an earlier file only when it is complete.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <csignal>

#include "SimFixture.h"
#include "core/records/ConfigFile.h"

using namespace vl48;

namespace {

class ConfigFile : public ::testing::Test {
protected:
    void SetUp() override { QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic)); }
    void TearDown() override { QLocale::setDefault(QLocale::c()); }

    static ConfigFileValues sample() {
        ConfigFileValues v;
        v.inputType = 10;
        v.outputType = 1;
        v.sensorFault = 2;
        v.rangeBegin = "-050";
        v.rangeEnd = "0450";
        v.filter = 4;
        v.compMode = 2;
        v.compTemp = "020";
        v.outputLimit = 1;
        v.wiring = 0;
        v.date = QDate(2017, 12, 24);
        v.note = QStringLiteral("Kotel č. 5");
        v.lineRes = "01,50";
        return v;
    }
    static ConfigFileLoad read(const QByteArray& bytes) {
        QBuffer buffer;
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
        return readConfigFile(buffer);
    }
};

}  // namespace

TEST_F(ConfigFile, ThirteenLinesEachEndedByCrLf) {
    EXPECT_EQ(configFileBytes(sample()),
              QByteArray("10\r\n1\r\n2\r\n-050\r\n0450\r\n4\r\n2\r\n020\r\n"
                         "1\r\n0\r\n24.12.2017\r\nKotel \xE8. 5\r\n"
                         "01,50\r\n"));
    ConfigFileValues empty;
    empty.rangeBegin = "0000";
    empty.rangeEnd = "0000";
    empty.compTemp = "000";
    empty.lineRes = "00,00";
    empty.date = QDate(2010, 10, 6);
    EXPECT_EQ(configFileBytes(empty),
              QByteArray("-1\r\n-1\r\n-1\r\n0000\r\n0000\r\n-1\r\n-1\r\n000\r\n-1\r\n-1\r\n"
                         "6.10.2010\r\n\r\n00,00\r\n"));
}

TEST_F(ConfigFile, CodesAreWrittenAsTheyAreHeld) {
    ConfigFileValues v = sample();
    v.inputType = 65535;  // a never-written cell, saved from the record unchanged
    v.filter = -1;
    EXPECT_EQ(configFileLine(v, 1), "65535\r\n");
    EXPECT_EQ(configFileLine(v, 6), "-1\r\n");
    EXPECT_TRUE(configFileLine(v, 0).isEmpty());
    EXPECT_TRUE(configFileLine(v, 14).isEmpty());
}

TEST_F(ConfigFile, CzechNoteOfThirtyCharactersIsWindows1250) {
    ConfigFileValues v = sample();
    v.note = QStringLiteral("Příliš žluťoučký kůň úpěl ďábe");
    ASSERT_EQ(v.note.size(), 30);
    const QByteArray expected(
        "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl \xEF\xE1"
        "be\r\n");
    EXPECT_EQ(configFileLine(v, 12), expected);
    const ConfigFileLoad load = read(configFileBytes(v));
    EXPECT_TRUE(load.error.isEmpty()) << load.error.toStdString();
    EXPECT_EQ(load.values.note, v.note);
}

TEST_F(ConfigFile, ControlCharactersOfTheNoteBecomeSpacesAndTheNoteStopsAtThirty) {
    ConfigFileValues v = sample();
    v.note = QStringLiteral("a\rb\nc\td") + QChar(0x7F) + QString(40, QLatin1Char('x'));
    EXPECT_EQ(configFileLine(v, 12), "a b c d " + QByteArray(22, 'x') + "\r\n");
    const QByteArray bytes = configFileBytes(v);
    EXPECT_EQ(bytes.count("\r\n"), 13);
    EXPECT_EQ(read(bytes).linesRead, 13);
}

TEST_F(ConfigFile, RoundTripRestoresEveryValue) {
    const ConfigFileLoad load = read(configFileBytes(sample()));
    EXPECT_EQ(load.linesRead, 13);
    EXPECT_TRUE(load.error.isEmpty());
    EXPECT_EQ(load.values, sample());
}

// A file means the same on every computer: the date line is d.M.yyyy under any regional
// settings, and reads back from that, ISO dates and the regional short format.
TEST_F(ConfigFile, DateLineIsTheSameUnderEveryRegionalSetting) {
    for (const QLocale& locale :
         {QLocale(QLocale::Czech, QLocale::Czechia), QLocale(QLocale::Swedish, QLocale::Sweden),
          QLocale(QLocale::English, QLocale::UnitedStates),
          QLocale(QLocale::English, QLocale::UnitedKingdom)}) {
        QLocale::setDefault(locale);
        EXPECT_EQ(configDateText(QDate(2017, 12, 24)), "24.12.2017") << locale.name().toStdString();
        EXPECT_EQ(configDateText(QDate(2016, 3, 4)), "4.3.2016");
        EXPECT_EQ(configDateFromText("4.3.2016"), QDate(2016, 3, 4));
    }
    EXPECT_EQ(configDateFromText("24/12/2017"), QDate(2017, 12, 24));  // en_GB's own
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(configDateFromText("3/4/2016"), QDate(2016, 3, 4));
    // Files made under other regional settings load as well.
    EXPECT_EQ(configDateFromText("24.12.2017"), QDate(2017, 12, 24));
    EXPECT_EQ(configDateFromText("4.3.2016"), QDate(2016, 3, 4));
    EXPECT_EQ(configDateFromText("2016-03-04"), QDate(2016, 3, 4));
    EXPECT_FALSE(configDateFromText("").isValid());
    EXPECT_FALSE(configDateFromText("31.2.2016").isValid());
    EXPECT_FALSE(configDateFromText("yesterday").isValid());
}

TEST_F(ConfigFile, CodeOutsideTheTablesIsAccepted) {
    QByteArray bytes = configFileBytes(sample());
    bytes.replace(0, 2, "25");
    const ConfigFileLoad load = read(bytes);
    EXPECT_TRUE(load.error.isEmpty());
    EXPECT_EQ(load.values.inputType, 25);
}

TEST_F(ConfigFile, LettersInACodeLineStopTheLoadThere) {
    QByteArray bytes = configFileBytes(sample());
    bytes.replace("\r\n4\r\n", "\r\nabc\r\n");  // line 6, the filter
    const ConfigFileLoad load = read(bytes);
    EXPECT_EQ(load.linesRead, 5);
    EXPECT_EQ(load.error, "'abc' is not a valid integer value");
    EXPECT_EQ(load.values.rangeEnd, "0450");
    EXPECT_EQ(load.values.filter, -1);
    EXPECT_TRUE(load.values.compTemp.isEmpty());
}

TEST_F(ConfigFile, IntegersAreStrictDecimals) {
    const struct {
        QByteArray line;
        bool ok;
        int value;
    } cases[] = {
        {"0", true, 0},
        {"-1", true, -1},
        {"+7", true, 7},
        {"007", true, 7},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, -2147483647 - 1},
        {"2147483648", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {" 5", false, 0},
        {"5 ", false, 0},
        {"1,5", false, 0},
        {"0x10", false, 0},
    };
    for (const auto& c : cases) {
        QByteArray bytes = configFileBytes(sample());
        bytes.replace(0, 2, c.line);
        const ConfigFileLoad load = read(bytes);
        EXPECT_EQ(load.linesRead, c.ok ? 13 : 0) << c.line.constData();
        if (c.ok)
            EXPECT_EQ(load.values.inputType, c.value) << c.line.constData();
        else
            EXPECT_EQ(load.error,
                      "'" + QString::fromLatin1(c.line) + "' is not a valid integer value");
    }
}

TEST_F(ConfigFile, BadDateLineStopsTheLoadThere) {
    QByteArray bytes = configFileBytes(sample());
    bytes.replace("24.12.2017", "32.12.2017");
    ConfigFileLoad load = read(bytes);
    EXPECT_EQ(load.linesRead, 10);
    EXPECT_EQ(load.error, "'32.12.2017' is not a valid date");
    EXPECT_EQ(load.values.wiring, 0);
    EXPECT_TRUE(load.values.note.isEmpty());
    // A date the receiving control cannot show is no date for it either.
    bytes = configFileBytes(sample());
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    load = readConfigFile(buffer, QDate(2018, 1, 1), QDate(9999, 12, 31));
    EXPECT_EQ(load.error, "'24.12.2017' is not a valid date");
}

TEST_F(ConfigFile, MissingLinesAreEmpty) {
    QByteArray bytes = configFileBytes(sample());
    bytes.chop(QByteArray("01,50\r\n").size());
    ConfigFileLoad load = read(bytes);
    EXPECT_TRUE(load.error.isEmpty());
    EXPECT_EQ(load.linesRead, 13);
    EXPECT_EQ(load.values.lineRes, "00,00") << "an empty field, as the bulk tab shows it";
    // The last line without its line end still counts.
    bytes = configFileBytes(sample());
    bytes.chop(2);
    EXPECT_EQ(read(bytes).values, sample());
    // A missing code line is an empty one, which is no number.
    load = read("10\r\n1\r\n");
    EXPECT_EQ(load.linesRead, 2);
    EXPECT_EQ(load.error, "'' is not a valid integer value");
    load = read("");
    EXPECT_EQ(load.linesRead, 0);
    EXPECT_EQ(load.error, "'' is not a valid integer value");
}

TEST_F(ConfigFile, LinesEndedByLfOrCrAloneStillRead) {
    QByteArray bytes = configFileBytes(sample());
    QByteArray lf = bytes;
    lf.replace("\r\n", "\n");
    EXPECT_EQ(read(lf).values, sample());
    QByteArray cr = bytes;
    cr.replace("\r\n", "\r");
    EXPECT_EQ(read(cr).values, sample());
}

TEST_F(ConfigFile, OverlongLinesAreCut) {
    QByteArray bytes = configFileBytes(sample());
    // The note line: kept to 30 characters.
    bytes.replace(QByteArray("Kotel \xE8. 5"), QByteArray(45, 'n'));
    ConfigFileLoad load = read(bytes);
    EXPECT_EQ(load.values.note, QString(30, QLatin1Char('n')));
    EXPECT_EQ(load.values.lineRes, "01,50") << "the rest of a long line is no line of its own";
    // Any line: kept to 1 KiB, the rest of it skipped.
    bytes = configFileBytes(sample());
    bytes.replace(0, 2, QByteArray(5000, '7'));
    load = read(bytes);
    EXPECT_EQ(load.linesRead, 0);
    EXPECT_EQ(load.error, "'" + QString(1024, QLatin1Char('7')) + "' is not a valid integer value");
    bytes = configFileBytes(sample());
    bytes.replace("0450", QByteArray(3000, '4'));
    load = read(bytes);
    EXPECT_EQ(load.linesRead, 13);
    EXPECT_EQ(load.values.rangeEnd, "4444") << "what the field has room for";
    EXPECT_EQ(load.values.lineRes, "01,50");
}

TEST_F(ConfigFile, SaveWritesTheFileAndLoadReadsIt) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.vl4");
    EXPECT_TRUE(saveConfigFile(path, sample()).isEmpty());
    EXPECT_EQ(vl48test::fileBytes(path), configFileBytes(sample()));
    const ConfigFileLoad load = loadConfigFile(path);
    EXPECT_TRUE(load.error.isEmpty());
    EXPECT_EQ(load.values, sample());
    // Saving again replaces the file whole.
    ConfigFileValues other = sample();
    other.note.clear();
    EXPECT_TRUE(saveConfigFile(path, other).isEmpty());
    EXPECT_EQ(vl48test::fileBytes(path), configFileBytes(other));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.vl4"});
}

TEST_F(ConfigFile, FileThatCannotBeCreatedOrOpenedGivesThePlatformText) {
    QTemporaryDir dir;
    const QString path = dir.filePath("missing/a.vl4");
    const QString error = saveConfigFile(path, sample());
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(QFile::exists(path));
    const ConfigFileLoad load = loadConfigFile(dir.filePath("none.vl4"));
    EXPECT_EQ(load.linesRead, 0);
    EXPECT_EQ(load.error, "No such file or directory");
}

TEST_F(ConfigFile, FailedWriteLeavesTheEarlierFileWhole) {
    QTemporaryDir dir;
    const QString path = dir.filePath("a.vl4");
    vl48test::writeFileBytes(path, "old content");
    // The disk fills up after 20 bytes: the write of the new file fails half-way. The limit
    // binds every user, root included, where a read-only folder would not.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const QString error = saveConfigFile(path, sample());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(vl48test::fileBytes(path), "old content");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"a.vl4"})
        << "no temporary file is left behind";
}
