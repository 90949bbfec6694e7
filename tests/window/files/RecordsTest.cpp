// The records database with the real window against the simulated transmitter: the chooser, what
// uploads send and leave in a SQLite file, refusals, and the Records dialog in both languages.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTableWidget>

#include "WindowFixture.h"
#include "window/files/RecordsDialog.h"

using namespace vl48;

namespace {

class Records : public vl48test::WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        window->databaseDialogHook = [this](const QStringList& offered) {
            offers.push_back(offered);
            return answers.isEmpty() ? QString() : answers.takeFirst();
        };
        connectToTransmitter();
        // Ni 1000, range -50..450, terminal -5 °C: all unlike the simulator's.
        vl48test::writeFileBytes(dir.filePath("in.vl4"),
                                 "10\r\n2\r\n2\r\n-050\r\n0450\r\n2\r\n2\r\n-05\r\n1\r\n1\r\n"
                                 "3.4.2021\r\nKotel \xE8. 5\r\n00,00\r\n");
        window->PageControl1->setCurrentWidget(window->TabAdvanceFunc);
        fileDialogAnswers << dir.filePath("in.vl4");
        click(window->BtnConfLoad);
    }
    void turnOn(const QString& answer) {
        answers << answer;
        click(window->ChckBxDb);
    }
    // Then a presence query: once it is answered, every write sent has arrived.
    void upload() {
        messages.clear();
        sim->clearLog();
        click(window->BtnUploadConf);
        ASSERT_TRUE(window->Send(CmdIdentify, 0));
    }
    std::vector<UnitRecord> stored(UnitRecord* begin = nullptr) {
        QString error;
        const auto store = RecordStore::open(*DatabaseAddress::parse(address), error);
        if (begin) EXPECT_EQ(store->begin(*begin), "");
        return store->select({}, error).value_or(std::vector<UnitRecord>{});
    }
    QStringList shown(int column = TRecordsDlg::ColIdentifier) const {
        QStringList out;
        for (int row = 0; row < window->RecordsDlg->TblRecords->rowCount(); ++row)
            out << window->RecordsDlg->TblRecords->item(row, column)->text();
        return out;
    }

    const QString address = "sqlite:" + dir.filePath("records.sqlite");
    std::vector<QStringList> offers;
    QStringList answers;
};

TEST_F(Records, UploadsWithVerifyAreRecordedWithTheValuesWrittenAndReadBack) {
    qputenv("VL48_DB", "sqlite:/line.sqlite");
    turnOn(address);
    qunsetenv("VL48_DB");
    const QStringList offered{DatabaseAddress::defaultSQLite().text(), "sqlite:/line.sqlite"};
    EXPECT_EQ(offers, std::vector<QStringList>{offered});
    EXPECT_EQ(window->LblDbName->text() + window->LblDbName->toolTip(), address + address);
    click(window->ChckBxDb);
    click(window->ChckBxDb);  // chosen once per run: asked no more
    EXPECT_EQ(offers.size(), 1u);
    click(window->ChckBxVerify);
    upload();
    EXPECT_EQ(cellWrites().size(), 19u);  // the fourteen steps, the note in five pairs
    // A unit that keeps no writes: the read-back records what it still holds.
    sim->setWriteEnabled(false);
    click(window->BtnEdtConf);
    window->CmbSensorWire->setCurrentIndex(0);
    upload();
    const std::vector<UnitRecord> records = stored();
    ASSERT_EQ(records.size(), 2u);
    const UnitRecord& ok = records[0];
    EXPECT_EQ(ok.log.result + ' ' + ok.log.identifier + ' ' + ok.log.configFile,
              "ok " + window->LblInfoSN->text() + " in.vl4");
    EXPECT_EQ(records[1].written, recordValues(window->bulkValues()));
    EXPECT_EQ(records[1].log.result, "verify mismatch: EEWiring");
    EXPECT_EQ(std::vector({ok.readBack, records[1].readBack}),
              std::vector(2, std::optional(ok.written)));
}

TEST_F(Records, WhatCannotTakeTheRecordsIsSaidAndNothingIsRemembered) {
    for (const QString& answer :
         {QString(), QString("mysql://me@db/vl48"), "sqlite:" + dir.filePath("in.vl4"),
          "sqlite:" + dir.filePath("no/folder.sqlite")}) {
        messages.clear();
        turnOn(answer);
        EXPECT_FALSE(window->ChckBxDb->isChecked() || !window->LblDbName->text().isEmpty());
        const QRegularExpression box("^Databázi " + QRegularExpression::escape(answer) +
                                     " nelze použít \\(.+\\)\\.$");
        EXPECT_EQ(messageTexts().filter(box), answer.isEmpty() ? QStringList() : messageTexts());
    }
    upload();
    EXPECT_FALSE(cellWrites().empty());
    EXPECT_FALSE(QFile::exists(dir.filePath("records.sqlite")));
    // A database that takes neither the record nor its outcome: no record begun, nothing written.
    turnOn(address);
    for (const auto& [trigger, box] :
         {std::pair("INSERT",
                    "Záznam nelze uložit do databáze %1 (%2). Konfigurace nebyla nahrána."),
          std::pair("UPDATE", "Výsledek nahrání nebyl uložen do databáze %1 (%2).")}) {
        {
            QSqlDatabase db = QSqlDatabase::addDatabase("QSQLITE", "behind");
            db.setDatabaseName(dir.filePath("records.sqlite"));
            ASSERT_TRUE(db.open() && QSqlQuery(db).exec("DROP TRIGGER IF EXISTS full"));
            ASSERT_TRUE(QSqlQuery(db).exec(QString("CREATE TRIGGER full BEFORE %1 ON unit_records "
                                                   "BEGIN SELECT RAISE(ABORT, 'full'); END")
                                               .arg(trigger)));
        }
        QSqlDatabase::removeDatabase("behind");
        upload();
        EXPECT_EQ(cellWrites().empty(), trigger == std::string("INSERT"));
        EXPECT_EQ(messageTexts(), QStringList{QString(box).arg(address, "full")});
    }
}

TEST_F(Records, TheRecordsDialogListsFiltersAndShowsAUnitsHistoryInBothLanguages) {
    turnOn(address);
    UnitRecord earlier{.log = {.time = QDateTime(QDate(2020, 1, 2), {}), .identifier = "00007"}};
    stored(&earlier);
    upload();
    window->MRecordsShow->trigger();
    EXPECT_EQ(offers.size(), 1u);  // the database in use
    ASSERT_TRUE(window->RecordsDlg && window->RecordsDlg->isVisible());
    TRecordsDlg& dialog = *window->RecordsDlg;
    const QString unit = window->LblInfoSN->text();
    EXPECT_EQ(shown(), QStringList({"00007", unit}));
    EXPECT_EQ(shown(TRecordsDlg::ColValues + int(ConfigField::RangeEnd)), QStringList({"", "450"}));
    dialog.TblRecords->selectRow(0);
    click(dialog.BtnHistory);
    EXPECT_EQ(shown(), QStringList{"00007"});
    dialog.EdtIdentifier->setText(unit);
    click(dialog.BtnSearch);
    EXPECT_EQ(shown(), QStringList{unit});
    window->MSLanguageENClick();
    EXPECT_EQ(QStringList({window->ChckBxDb->text(), window->MRecordsShow->text(),
                           dialog.BtnHistory->text(), dialog.LblRecordsStatus->text(),
                           dialog.TblRecords->horizontalHeaderItem(0)->text()}),
              QStringList({"Store records in the database", "Records…", "Unit history",
                           "Records: 1", "Time"}));
}

}  // namespace
