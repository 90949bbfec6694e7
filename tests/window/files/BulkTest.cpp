// Configuration files and bulk configuration with the real window against the simulated
// transmitter: the bytes of the files, the frames the transmitter received, in order, and what
// the technician sees on both tabs and in the message boxes.
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <memory>
#include <thread>

#include "WindowFixture.h"
#include "core/device/MemoryMap.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

// Texts in failure output as text, not as arrays of UTF-16 units.
static void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

using namespace vl48;
using Kind = vl48sim::Fault::Kind;

namespace {

const QString ConnectionLost = QStringLiteral("Spojení s převodníkem bylo ztraceno.");

// A loaded configuration whose every value differs from the simulator's and the window's own:
// Ni 1000 (5000ppm/K), 3 wires, fixed compensation, 0-10 V, limited, 2 mA drop (not refused
// here, although the output is not 4-20 mA), polynomial filter.
const QByteArray DistinctFile(
    "10\r\n2\r\n2\r\n-050\r\n0450\r\n2\r\n2\r\n-05\r\n1\r\n1\r\n"
    "3.4.2021\r\nKotel \xE8. 5\r\n01,50\r\n");

// The writes that upload DistinctFile, in the order of the fourteen steps.
const std::vector<CellWrite> DistinctWrites = {
    {EEInputType, 10},
    {EEWiring, 1},
    {EECompMode, 2},
    {EEOutputType, 2},
    {EEOutputLimit, 1},
    {EESensorFault, 2},
    {EEFilter, 2},
    {EECompTemp, 65531},
    {EERangeBegin, 65486},
    {EERangeEnd, 450},
    {EEDayMonth, 3 * 256 + 4},
    {EEYear, 2021},
    {EENoteLength, 10},
    {90, 0x4B6F},  // "Ko"
    {92, 0x7465},  // "te"
    {94, 0x6C20},  // "l "
    {96, 0xE82E},  // "č."
    {98, 0x2035},  // " 5"
    {EELineRes, 150},
};

class Bulk : public vl48test::WindowTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        WindowTest::SetUp();
        window->fileDialogHook = [this](QFileDialog* dialog) {
            dialogs.push_back(dialog);
            return fileDialogAnswers.isEmpty() ? QString() : fileDialogAnswers.takeFirst();
        };
    }
    void TearDown() override {
        WindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    void connectTransmitter() { connectToTransmitter(); }
    void showTab(QWidget* tab) { window->PageControl1->setCurrentWidget(tab); }

    // Only what a person can reach can be clicked.
    void clickVisible(QAbstractButton* b) {
        ASSERT_TRUE(b->isVisible() && b->isEnabled()) << b->objectName().toStdString();
        click(b);
    }

    QString path(const QString& name) const { return dir.filePath(name); }
    static QByteArray fileBytes(const QString& path) { return vl48test::fileBytes(path); }
    static void writeFile(const QString& path, const QByteArray& bytes) {
        vl48test::writeFileBytes(path, bytes);
    }
    QStringList folder() const {
        return QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System);
    }
    // Loads the bytes through the bulk tab's button and the open dialog.
    void load(const QByteArray& bytes, const QString& name = QStringLiteral("in.vl4")) {
        writeFile(path(name), bytes);
        showTab(window->TabAdvanceFunc);
        fileDialogAnswers << path(name);
        clickVisible(window->BtnConfLoad);
    }
    void saveBulk(const QString& file) {
        showTab(window->TabAdvanceFunc);
        fileDialogAnswers << file;
        clickVisible(window->BtnConf1Save);
    }
    void saveBasic(const QString& file) {
        showTab(window->TabBasicSet);
        fileDialogAnswers << file;
        clickVisible(window->BtnConfSave);
    }
    void upload() {
        showTab(window->TabAdvanceFunc);
        clickVisible(window->BtnUploadConf);
    }

    // What the bulk tab shows, control by control.
    QStringList bulkState() const {
        const TFrmMain& w = *window;
        QStringList out;
        for (const QComboBox* list :
             {w.CmbInputSignal, w.CmbOutputSignal, w.CmbSensorErr, w.CmbFiltration, w.CmbCompTerm,
              w.CmbOutputLimit, w.CmbSensorWire})
            out << QStringLiteral("%1=%2 \"%3\"")
                       .arg(list->objectName())
                       .arg(list->currentIndex())
                       .arg(list->currentText());
        for (const TMaskEdit* field :
             {w.MskEdtMinTemp, w.MskEdtMaxTemp, w.MskEdtSetTemp, w.MskEdtCompRes})
            out << field->objectName() + "=\"" + field->displayText() + "\"";
        out << "DtPckrConf=" + w.DtPckrConf->date().toString(Qt::ISODate);
        out << "EdtNoteConf=\"" + w.EdtNoteConf->text() + "\"";
        return out;
    }
    // What the basic tab shows: the checked selections, the fields, and the markers in sight.
    QStringList basicState() const {
        const TFrmMain& w = *window;
        QStringList out;
        for (const QRadioButton* r : w.TabBasicSet->findChildren<QRadioButton*>())
            if (r->isChecked()) out << r->objectName();
        out << QStringLiteral("ChckBxDaRest=%1").arg(w.ChckBxDaRest->isChecked());
        for (const TMaskEdit* field :
             {w.MskEdtTempBegin, w.MskEdtTempEnd, w.MskEdtTcldEnd, w.MskEdtResComp})
            out << field->objectName() + "=\"" + field->displayText() + "\"";
        out << "DtTmPicker=" + w.DtTmPicker->date().toString(Qt::ISODate);
        out << "EdtNote=\"" + w.EdtNote->text() + "\"";
        for (const QLabel* mark : markers())
            if (mark->isVisible()) out << mark->objectName();
        return out;
    }
    std::vector<QLabel*> markers() const {
        const TFrmMain& w = *window;
        return {
            w.LblMskEdtResCompCH,   w.LblEdtNoteCH,       w.LblDtTmPickerCH, w.LblMskEdtTcldEndCH,
            w.LblMskEdtTempBeginCH, w.LblMskEdtTempEndCH, w.LblSaveX,        w.LblSaveX1};
    }
    std::vector<QWidget*> bulkControls() const {
        const TFrmMain& w = *window;
        return {w.CmbInputSignal, w.CmbOutputSignal, w.CmbSensorErr, w.MskEdtMinTemp,
                w.MskEdtMaxTemp,  w.CmbFiltration,   w.CmbCompTerm,  w.MskEdtSetTemp,
                w.CmbOutputLimit, w.CmbSensorWire,   w.DtPckrConf,   w.EdtNoteConf,
                w.MskEdtCompRes};
    }

    std::vector<CellWrite> writes() const { return cellWrites(); }
    // The frames those writes must be, byte for byte, the CRC by the simulator's own routine.
    std::vector<std::string> writeFrames(const std::vector<CellWrite>& cells) const {
        std::vector<std::string> out;
        for (const CellWrite& c : cells)
            out.push_back(vl48test::requestHex(CmdWriteCell, window->link->FrameTag(), c.address,
                                               uint8_t(c.value >> 8), uint8_t(c.value & 0xFF)));
        return out;
    }
    // Every request so far, closed by a presence query: once that is answered, anything the
    // window sent has arrived, so nothing sent late slips past the comparison.
    std::vector<std::string> requestsThenSentinel() {
        EXPECT_TRUE(window->Send(CmdIdentify, 0));
        std::vector<std::string> out = requestsHex();
        EXPECT_FALSE(out.empty());
        if (!out.empty()) out.pop_back();
        return out;
    }
    // Puts the bulk tab into edit mode, as the person would before changing it.
    void startEditing() {
        showTab(window->TabAdvanceFunc);
        if (window->BtnEdtConfTag != 1) clickVisible(window->BtnEdtConf);
    }
    // Every list with an entry, the date inside what the basic tab can show.
    void selectEveryList() {
        for (QComboBox* list : {window->CmbInputSignal, window->CmbOutputSignal,
                                window->CmbSensorErr, window->CmbFiltration, window->CmbCompTerm,
                                window->CmbOutputLimit, window->CmbSensorWire})
            list->setCurrentIndex(0);
        window->DtPckrConf->setDate(QDate(2012, 5, 6));
    }

    // Runs `action` from inside the reconnection dialog's own loop once the dialog is up. Should
    // the dialog still be up a few seconds later, it is cancelled so that nothing hangs.
    void whenDialogUp(std::function<void()> action) {
        auto* poll = new QTimer(window.get());
        auto since = std::make_shared<QElapsedTimer>();
        auto acted = std::make_shared<bool>(false);
        since->start();
        QObject::connect(poll, &QTimer::timeout, window.get(), [=, this] {
            const bool up = window->OKBottomDlg->isVisible();
            if (up && !*acted) {
                *acted = true;
                action();
                return;
            }
            const bool over = *acted && !up;
            if (!over && since->elapsed() < 5000) return;
            poll->stop();
            poll->deleteLater();
            if (up) window->OKBottomDlg->reject();
        });
        poll->start(10);
    }
    // The cells of DistinctWrites the simulated unit does not hold, as "address=value".
    QStringList cellsNotHeld() const {
        QStringList out;
        for (const CellWrite& w : DistinctWrites)
            if (sim->cell(w.address) != w.value)
                out << QStringLiteral("%1=%2").arg(w.address).arg(sim->cell(w.address));
        return out;
    }

    std::vector<QFileDialog*> dialogs;
};

}  // namespace

// --- Saving and loading

TEST_F(Bulk, SavingTheBulkTabWithNothingLoaded) {
    connectTransmitter();
    saveBulk(path("empty.vl4"));
    EXPECT_EQ(fileBytes(path("empty.vl4")),
              QByteArray("-1\r\n-1\r\n-1\r\n0000\r\n0000\r\n-1\r\n-1\r\n000\r\n-1\r\n-1\r\n"
                         "6.10.2010\r\n\r\n00,00\r\n"));
    EXPECT_EQ(window->DtPckrConf->text(), "06.10.2010") << "the date as the picker shows it";
    EXPECT_EQ(dialogs, std::vector<QFileDialog*>{window->SvDlg});
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(requestsThenSentinel().empty()) << "saving sends nothing";
}

TEST_F(Bulk, LoadingTheSavedFileRestoresEveryControl) {
    connectTransmitter();
    startEditing();
    window->CmbInputSignal->setCurrentIndex(18);
    window->CmbOutputSignal->setCurrentIndex(1);
    window->CmbSensorErr->setCurrentIndex(2);
    window->CmbFiltration->setCurrentIndex(0);
    window->CmbCompTerm->setCurrentIndex(2);
    window->CmbOutputLimit->setCurrentIndex(1);
    window->CmbSensorWire->setCurrentIndex(1);
    typeInto(window->MskEdtMinTemp, "-100");
    typeInto(window->MskEdtMaxTemp, "1200");
    typeInto(window->MskEdtSetTemp, "-05");
    typeInto(window->MskEdtCompRes, "1234");
    window->DtPckrConf->setDate(QDate(2019, 11, 2));
    window->EdtNoteConf->setFocus();
    typeText(window->EdtNoteConf, QStringLiteral("Sklad Ústí"));
    const QStringList saved = bulkState();

    saveBulk(path("round.vl4"));
    EXPECT_EQ(fileBytes(path("round.vl4")),
              QByteArray("18\r\n1\r\n2\r\n-100\r\n1200\r\n0\r\n2\r\n-05\r\n1\r\n1\r\n2.11.2019\r\n"
                         "Sklad \xDAst\xED\r\n12,34\r\n"));

    // Everything changed, then the file again.
    selectEveryList();
    for (TMaskEdit* field : {window->MskEdtMinTemp, window->MskEdtMaxTemp, window->MskEdtSetTemp,
                             window->MskEdtCompRes})
        typeInto(field, "7");
    window->EdtNoteConf->setText("other");
    ASSERT_NE(bulkState(), saved);
    fileDialogAnswers << path("round.vl4");
    clickVisible(window->BtnConfLoad);
    EXPECT_EQ(bulkState(), saved);
    EXPECT_EQ(dialogs, (std::vector<QFileDialog*>{window->SvDlg, window->OpDlg}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->BtnEdtConfTag, 1) << "loading keeps the edit mode";
    for (QWidget* control : bulkControls()) EXPECT_TRUE(control->isEnabled());
    EXPECT_TRUE(requestsThenSentinel().empty()) << "loading sends nothing";
}

TEST_F(Bulk, LoadingTouchesNeitherRecordNorBasicTab) {
    connectTransmitter();
    const ConfigRecord record = window->Config;
    const QStringList basic = basicState();
    load(DistinctFile);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->CmbInputSignal->currentIndex(), 10);
    EXPECT_EQ(window->CmbInputSignal->currentText(), "Ni 1000 (5000ppm/K)");
    EXPECT_EQ(window->EdtNoteConf->text(), QStringLiteral("Kotel č. 5"));
    EXPECT_EQ(window->Config, record);
    EXPECT_EQ(basicState(), basic);
    EXPECT_EQ(window->BtnEdtConfTag, 0);
    for (QWidget* control : bulkControls()) EXPECT_FALSE(control->isEnabled());
}

TEST_F(Bulk, SavingTheBasicTabTakesTheRecordAndTheFieldsAsTheyStand) {
    sim->setCell(EEFilter, 0xFFFF);  // never written: saved as the record holds it
    connectTransmitter();
    showTab(window->TabBasicSet);
    clickVisible(window->RdBtnPT100);
    ASSERT_EQ(window->Config.EEInputType, 8);
    // Typed, not stored with Enter: the file gets what the field shows, its blanks as zeros.
    typeInto(window->MskEdtTempBegin, "12");
    ASSERT_EQ(window->MskEdtTempBegin->displayText(), "1200");
    ASSERT_TRUE(window->LblMskEdtTempBeginCH->isVisible());
    sim->clearLog();

    saveBasic(path("basic.vl4"));
    EXPECT_EQ(fileBytes(path("basic.vl4")),
              QByteArray("8\r\n1\r\n0\r\n1200\r\n0400\r\n65535\r\n1\r\n025\r\n0\r\n0\r\n"
                         "24.12.2017\r\nVL48 simulator\r\n00,00\r\n"));
    EXPECT_EQ(sim->cell(EERangeBegin), 0) << "the typed value is still not in the transmitter";
    EXPECT_TRUE(requestsThenSentinel().empty());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(dialogs, std::vector<QFileDialog*>{window->SvDlg});
}

TEST_F(Bulk, CzechNoteOfThirtyCharactersByteForByte) {
    connectTransmitter();
    startEditing();
    const QString note = QStringLiteral("Příliš žluťoučký kůň úpěl ďábe");
    ASSERT_EQ(note.size(), 30);
    window->EdtNoteConf->setFocus();
    typeText(window->EdtNoteConf, note + "xyz");  // the field holds 30
    ASSERT_EQ(window->EdtNoteConf->text(), note);
    saveBulk(path("note.vl4"));
    const QList<QByteArray> lines = fileBytes(path("note.vl4")).split('\n');
    ASSERT_EQ(lines.size(), 14);
    EXPECT_EQ(lines[11], QByteArray("P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD k\xF9\xF2 \xFAp\xECl "
                                    "\xEF\xE1"
                                    "be\r"));
    window->EdtNoteConf->clear();
    fileDialogAnswers << path("note.vl4");
    clickVisible(window->BtnConfLoad);
    EXPECT_EQ(window->EdtNoteConf->text(), note);
    EXPECT_TRUE(messages.empty());
}

TEST_F(Bulk, CharactersTheTransmitterCannotStoreAreRefusedInTheBulkNote) {
    connectTransmitter();
    startEditing();
    window->EdtNoteConf->setFocus();
    typeText(window->EdtNoteConf, QStringLiteral("a\u4E2Db€"));
    EXPECT_EQ(window->EdtNoteConf->text(), QStringLiteral("ab€"));
}

TEST_F(Bulk, CodeTheListDoesNotOfferLeavesItEmpty) {
    connectTransmitter();
    load(DistinctFile);
    ASSERT_EQ(window->CmbInputSignal->currentIndex(), 10);
    QByteArray bytes = DistinctFile;
    bytes.replace(0, 2, "25");
    bytes.replace("0450\r\n2\r\n", "0450\r\n3\r\n");  // filter 3: no entry either
    load(bytes);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->CmbInputSignal->currentIndex(), -1);
    EXPECT_EQ(window->CmbInputSignal->currentText(), "");
    EXPECT_EQ(window->CmbFiltration->currentIndex(), -1);
    EXPECT_EQ(window->CmbFiltration->currentText(), "");
    EXPECT_EQ(window->CmbOutputSignal->currentIndex(), 2) << "the rest loads";
    EXPECT_EQ(window->CmbCompTerm->currentIndex(), 2);
    EXPECT_EQ(window->MskEdtCompRes->displayText(), "01,50");
}

TEST_F(Bulk, LettersInACodeLineStopTheLoadThere) {
    connectTransmitter();
    startEditing();
    selectEveryList();
    typeInto(window->MskEdtSetTemp, "033");
    window->EdtNoteConf->setText("before");
    const QStringList before = bulkState();
    QByteArray bytes = DistinctFile;
    bytes.replace("0450\r\n2\r\n", "0450\r\nabc\r\n");  // line 6, the filter
    load(bytes);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_EQ(messages[0].text, "'abc' is not a valid integer value");
    // Lines 1 to 5 are loaded, the rest is as it was.
    QStringList expected = before;
    expected[0] = "CmbInputSignal=10 \"Ni 1000 (5000ppm/K)\"";
    expected[1] = "CmbOutputSignal=2 \"0 - 10 V DC\"";
    expected[2] = "CmbSensorErr=2 \"Pokles na 2 mA\"";
    expected[7] = "MskEdtMinTemp=\"-050\"";
    expected[8] = "MskEdtMaxTemp=\"0450\"";
    EXPECT_EQ(bulkState(), expected);
}

TEST_F(Bulk, TwelveLinesLeaveTheLeadResistanceEmpty) {
    connectTransmitter();
    load(DistinctFile);
    ASSERT_EQ(window->MskEdtCompRes->displayText(), "01,50");
    QByteArray bytes = DistinctFile;
    bytes.chop(QByteArray("01,50\r\n").size());
    bytes.replace("Kotel", "Kotle");
    load(bytes);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(window->MskEdtCompRes->displayText(), "00,00");
    EXPECT_EQ(window->MskEdtCompRes->maskedText(), "00,00");
    EXPECT_EQ(window->EdtNoteConf->text(), QStringLiteral("Kotle č. 5"));
}

TEST_F(Bulk, BadDateLineStopsTheLoadThere) {
    connectTransmitter();
    const QStringList before = bulkState();
    QByteArray bytes = DistinctFile;
    bytes.replace("3.4.2021", "31.02.2021");
    load(bytes);
    EXPECT_EQ(messageTexts(), QStringList{"'31.02.2021' is not a valid date"});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    const QStringList after = bulkState();
    EXPECT_EQ(after[0], "CmbInputSignal=10 \"Ni 1000 (5000ppm/K)\"");
    EXPECT_EQ(after[6], "CmbSensorWire=1 \"3 vodičové zapojení\"") << "line 10 is loaded";
    EXPECT_EQ(after[9], "MskEdtSetTemp=\"-05\"") << "line 8 is loaded";
    EXPECT_EQ(after.mid(10), before.mid(10)) << "date, note and lead resistance stay";
    EXPECT_EQ(window->DtPckrConf->date(), QDate(2010, 10, 6));
}

TEST_F(Bulk, DateLinesOfOtherFormatsLoad) {
    connectTransmitter();
    QByteArray bytes = DistinctFile;
    bytes.replace("3.4.2021", "2016-03-04");
    load(bytes);
    EXPECT_EQ(window->DtPckrConf->date(), QDate(2016, 3, 4));
    bytes.replace("2016-03-04", "5.6.2015");
    load(bytes);
    EXPECT_EQ(window->DtPckrConf->date(), QDate(2015, 6, 5));
    EXPECT_TRUE(messages.empty());
}

TEST_F(Bulk, CancellingEitherDialogChangesNothing) {
    connectTransmitter();
    load(DistinctFile);
    const QStringList bulk = bulkState();
    const QStringList basic = basicState();
    const QStringList files = folder();
    const QByteArray loaded = fileBytes(path("in.vl4"));
    dialogs.clear();
    fileDialogAnswers << ""
                      << ""
                      << "";
    showTab(window->TabAdvanceFunc);
    clickVisible(window->BtnConf1Save);
    clickVisible(window->BtnConfLoad);
    showTab(window->TabBasicSet);
    clickVisible(window->BtnConfSave);
    EXPECT_EQ(dialogs, (std::vector<QFileDialog*>{window->SvDlg, window->OpDlg, window->SvDlg}));
    EXPECT_EQ(bulkState(), bulk);
    EXPECT_EQ(basicState(), basic);
    EXPECT_EQ(folder(), files);
    EXPECT_EQ(fileBytes(path("in.vl4")), loaded);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(requestsThenSentinel().empty());
}

TEST_F(Bulk, AUnitSwappedWhileTheSaveDialogIsOpenWaitsUntilTheSaveIsDone) {
    window->ChckBxAutoCon->setChecked(true);
    connectTransmitter();
    const QByteArray rangeEnd = window->MskEdtTempEnd->maskedText().toLatin1();
    // While the technician picks the file, the unit is swapped for one with another range end;
    // the dialog's loop runs long enough for a reconnection to find it.
    window->fileDialogHook = [&](QFileDialog*) {
        sim->unplug();
        vl48sim::Identity next;
        next.serial = 43;
        sim->plug(next);
        sim->setCell(EERangeEnd, 1234);
        EXPECT_FALSE(
            vl48test::waitUntil([&] { return window->LblInfoSN->text() == "00043"; }, 2500));
        return path("a.vl4");
    };
    showTab(window->TabBasicSet);
    clickVisible(window->BtnConfSave);
    EXPECT_EQ(fileBytes(path("a.vl4")).split('\n').value(4), rangeEnd + '\r');
    EXPECT_TRUE(vl48test::waitUntil([&] { return window->LblInfoSN->text() == "00043"; }, 5000));
    EXPECT_EQ(window->MskEdtTempEnd->maskedText(), "1234");
}

TEST_F(Bulk, FileThatCannotBeCreatedGivesThePlatformsText) {
    connectTransmitter();
    writeFile(path("plain"), "x");
    const QStringList files = folder();
    saveBulk(path("missing/a.vl4"));
    saveBasic(path("plain/a.vl4"));  // a file where a folder should be
    fileDialogAnswers << path("absent.vl4");
    showTab(window->TabAdvanceFunc);
    clickVisible(window->BtnConfLoad);
    EXPECT_EQ(messageTexts(), (QStringList{"No such file or directory", "Not a directory",
                                           "No such file or directory"}));
    for (const auto& m : messages) EXPECT_EQ(m.kind, MsgKind::Error);
    EXPECT_EQ(folder(), files);
}

TEST_F(Bulk, FailedSaveLeavesTheEarlierFileWhole) {
    connectTransmitter();
    writeFile(path("kept.vl4"), DistinctFile);
    const QStringList files = folder();
    // The disk takes only 20 more bytes, so the new file fails half-way. The limit binds every
    // user, root included, where a read-only folder would not.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 20;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    saveBulk(path("kept.vl4"));
    saveBasic(path("kept.vl4"));
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(messageTexts(), (QStringList{"File too large", "File too large"}));
    EXPECT_EQ(fileBytes(path("kept.vl4")), DistinctFile);
    EXPECT_EQ(folder(), files) << "no temporary file is left behind";
}

// --- Upload

TEST_F(Bulk, UploadWritesTheFourteenStepsAndTheBasicTabShowsTheSame) {
    connectTransmitter();
    load(DistinctFile);
    const QStringList bulk = bulkState();
    sim->clearLog();
    upload();

    EXPECT_EQ(requestsThenSentinel(), writeFrames(DistinctWrites));
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(window->Updating);
    EXPECT_TRUE(window->PanelSettings->isVisible());
    for (const CellWrite& w : DistinctWrites) EXPECT_EQ(sim->cell(w.address), w.value);

    ConfigRecord record;
    record.EEInputType = 10;
    record.EEOutputType = 2;
    record.EEFilter = 2;
    record.EESensorFault = 2;
    record.EECompMode = 2;
    record.EEOutputLimit = 1;
    record.EEWiring = 1;
    EXPECT_EQ(window->Config, record);
    EXPECT_EQ(
        basicState(),
        (QStringList{"RdBtnNi1K6", "RdBtn3wire", "RdBtnTempSet", "RdBtnAO0_10", "RdBtn2mADrop",
                     "RdBtnFilt2", "ChckBxDaRest=1", "MskEdtTempBegin=\"-050\"",
                     "MskEdtTempEnd=\"0450\"", "MskEdtTcldEnd=\"-05\"", "MskEdtResComp=\"01,50\"",
                     "DtTmPicker=2021-04-03", QStringLiteral("EdtNote=\"Kotel č. 5\"")}));
    EXPECT_TRUE(window->MskEdtTcldEnd->isEnabled()) << "a fixed temperature takes input";
    EXPECT_EQ(bulkState(), bulk) << "the bulk tab keeps its configuration";
    // The basic tab now saves exactly the file that was loaded.
    saveBasic(path("back.vl4"));
    EXPECT_EQ(fileBytes(path("back.vl4")), DistinctFile);
}

TEST_F(Bulk, ValuesAsTheyTravel) {
    connectTransmitter();
    startEditing();
    selectEveryList();
    window->CmbInputSignal->setCurrentIndex(10);  // "Ni 1000 (5000ppm/K)"
    // MskEdtMinTemp stays blank.
    typeInto(window->MskEdtMaxTemp, "-050");
    typeInto(window->MskEdtSetTemp, "5");  // "5  ": blanks are zeros
    typeInto(window->MskEdtCompRes, "0150");
    window->DtPckrConf->setDate(QDate(2017, 12, 24));
    ASSERT_EQ(window->MskEdtMinTemp->displayText(), "0000");
    ASSERT_EQ(window->MskEdtCompRes->displayText(), "01,50");
    sim->setCell(EEDayMonth, encodeDayMonth(1, 1));
    sim->setCell(EEYear, 2001);
    sim->setCell(EERangeBegin, 77);
    sim->clearLog();
    upload();
    EXPECT_EQ(requestsThenSentinel(), writeFrames({{EEInputType, 10},
                                                   {EEWiring, 0},
                                                   {EECompMode, 0},
                                                   {EEOutputType, 0},
                                                   {EEOutputLimit, 0},
                                                   {EESensorFault, 0},
                                                   {EEFilter, 0},
                                                   {EECompTemp, 500},
                                                   {EERangeBegin, 0},
                                                   {EERangeEnd, 65486},
                                                   {EEDayMonth, 6156},
                                                   {EEYear, 2017},
                                                   {EENoteLength, 0},
                                                   {EELineRes, 150}}));
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(sim->cell(EERangeBegin), 0);
    EXPECT_EQ(sim->cell(EEDayMonth), 6156);
    EXPECT_EQ(sim->cell(EEYear), 2017);
    EXPECT_TRUE(window->RdBtnNi1K6->isChecked());
    EXPECT_FALSE(window->RdBtnNi1K5->isChecked());
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "0000");
    EXPECT_EQ(window->MskEdtTcldEnd->displayText(), "500");
    EXPECT_EQ(window->EdtNote->text(), "");
    EXPECT_EQ(window->DtTmPicker->date(), QDate(2017, 12, 24));
}

TEST_F(Bulk, FailedThirdWriteKeepsWhatWasStoredAndEndsTheConnection) {
    connectTransmitter();
    const QStringList basic = basicState();
    load(DistinctFile);
    sim->clearLog();
    sim->injectFault({Kind::NoReply}, 2);
    upload();

    EXPECT_EQ(requestsHex(), writeFrames({{EEInputType, 10}, {EEWiring, 1}, {EECompMode, 2}}));
    EXPECT_EQ(messageTexts(), QStringList{ConnectionLost});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    EXPECT_TRUE(window->PanelConnect->isVisible());
    EXPECT_FALSE(window->PanelSettings->isVisible());
    EXPECT_FALSE(window->ComPort->Active());
    EXPECT_EQ(sim->cell(EEInputType), 10);
    EXPECT_EQ(sim->cell(EEWiring), 1);
    EXPECT_EQ(sim->cell(EECompMode), 1) << "the third write never arrived";
    EXPECT_EQ(window->Config.EEInputType, 10);
    EXPECT_EQ(window->Config.EEWiring, 1);
    EXPECT_EQ(window->Config.EECompMode, 1);
    EXPECT_EQ(window->Config.EEOutputType, 1);
    // Nothing reached the basic tab: its fields come after the failed step, and the form is
    // drawn only at the end.
    EXPECT_EQ(basicState(), basic);

    // The next connection reads the memory again, and editing writes as before.
    messages.clear();
    window->BtnConnectClick();
    ASSERT_TRUE(window->PanelSettings->isVisible()) << messageTexts().join("|").toStdString();
    EXPECT_FALSE(window->Updating);
    EXPECT_TRUE(window->RdBtnNi1K6->isChecked());
    EXPECT_TRUE(window->RdBtn3wire->isChecked());
    sim->clearLog();
    showTab(window->TabBasicSet);
    clickVisible(window->RdBtnPT100);
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{EEInputType, 8}}));
}

TEST_F(Bulk, NoteWriteFailingEndsTheUploadBeforeTheLeadResistance) {
    connectTransmitter();
    load(DistinctFile);
    sim->clearLog();
    sim->injectFault({Kind::BadCrc}, 13);  // the note's first character cell
    upload();
    std::vector<CellWrite> expected(DistinctWrites.begin(), DistinctWrites.begin() + 14);
    EXPECT_EQ(requestsHex(), writeFrames(expected));
    EXPECT_EQ(messageTexts(), QStringList{ConnectionLost});
    EXPECT_TRUE(window->PanelConnect->isVisible());
    // Steps 8 to 12 reached the basic tab; the note did not.
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "-050");
    EXPECT_EQ(window->DtTmPicker->date(), QDate(2021, 4, 3));
    EXPECT_EQ(window->EdtNote->text(), "VL48 simulator");
    EXPECT_EQ(window->MskEdtResComp->displayText(), "00,00");
}

TEST_F(Bulk, AnErrorRaisedDuringTheUploadClearsUpdatingWhileConnected) {
    connectTransmitter();
    load(DistinctFile);
    sim->clearLog();
    // The third exchange ends with an error the port raises while the port stays open: the
    // application's error handler shows it, and editing must still write afterwards.
    int exchanges = 0;
    auto report = window->link->onExchangeTime;
    window->link->onExchangeTime = [&exchanges, report](qint64 ms) {
        if (report) report(ms);
        if (++exchanges == 3) throw EComError(QStringLiteral("Write timed out"));
    };
    upload();
    window->link->onExchangeTime = report;

    EXPECT_EQ(messageTexts(), QStringList{"Write timed out"});
    EXPECT_TRUE(window->ComPort->Active());
    EXPECT_TRUE(window->PanelSettings->isVisible());
    EXPECT_FALSE(window->Updating);
    EXPECT_EQ(window->Config.EEInputType, 10);
    EXPECT_EQ(window->Config.EECompMode, 1) << "the step that raised updates nothing";
    sim->clearLog();
    showTab(window->TabBasicSet);
    clickVisible(window->RdBtnPT1000);
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{EEInputType, 9}}));
}

TEST_F(Bulk, ListWithoutEntryRefusesTheUpload) {
    connectTransmitter();
    const ConfigRecord record = window->Config;
    const QStringList basic = basicState();
    upload();  // nothing loaded: every list is empty
    EXPECT_EQ(messageTexts(),
              QStringList{"Konfiguraci nelze nahrát: položka „Vstupní signál“ nemá vybranou "
                          "hodnotu ze seznamu."});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);

    // A loaded filter 3 has no entry either; named in English after the switch.
    QByteArray bytes = DistinctFile;
    bytes.replace("0450\r\n2\r\n", "0450\r\n3\r\n");
    load(bytes);
    window->MSLanguageENClick();
    messages.clear();
    upload();
    EXPECT_EQ(messageTexts(), QStringList{"Configuration not transferred: no value is selected "
                                          "from the list for “Filtration type”."});
    window->MSLanguageCZClick();
    messages.clear();
    upload();
    EXPECT_EQ(messageTexts(),
              QStringList{"Konfiguraci nelze nahrát: položka „Typ filtrace signálu“ nemá "
                          "vybranou hodnotu ze seznamu."});

    EXPECT_TRUE(requestsThenSentinel().empty()) << "nothing is written";
    EXPECT_EQ(window->Config, record);
    EXPECT_EQ(basicState(), basic);
    EXPECT_FALSE(window->Updating);
}

TEST_F(Bulk, DateBefore2000RefusesTheUpload) {
    connectTransmitter();
    load(DistinctFile);
    const ConfigRecord record = window->Config;
    const QStringList basic = basicState();
    QByteArray bytes = DistinctFile;
    bytes.replace("3.4.2021", "31.12.1999");
    load(bytes);
    ASSERT_EQ(window->DtPckrConf->date(), QDate(1999, 12, 31));
    sim->clearLog();
    upload();
    EXPECT_EQ(messageTexts(),
              QStringList{"Konfiguraci nelze nahrát: datum nastavení je před 1. 1. 2000."});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    window->MSLanguageENClick();
    messages.clear();
    upload();
    EXPECT_EQ(messageTexts(), QStringList{"Configuration not transferred: the date of setting is "
                                          "before 1 January 2000."});
    EXPECT_TRUE(requestsThenSentinel().empty());
    EXPECT_EQ(window->Config, record);
    EXPECT_EQ(basicState(), basic);
    EXPECT_FALSE(window->Updating);

    // The first day of 2000 goes through.
    bytes.replace("31.12.1999", "01.01.2000");
    load(bytes);
    messages.clear();
    sim->clearLog();
    upload();
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(writes().size(), DistinctWrites.size());
    EXPECT_EQ(window->DtTmPicker->date(), QDate(2000, 1, 1));
}

TEST_F(Bulk, SerialProgrammingOfThreeUnits) {
    connectTransmitter();
    load(DistinctFile);
    startEditing();
    showTab(window->TabAdvanceFunc);
    clickVisible(window->ChckBxAutoCon);
    ASSERT_TRUE(window->ChckBxAutoCon->isChecked());
    const QStringList bulk = bulkState();
    ASSERT_FALSE(cellsNotHeld().isEmpty()) << "a fresh unit must not hold the file already";
    sim->clearLog();
    upload();
    EXPECT_EQ(requestsThenSentinel(), writeFrames(DistinctWrites)) << "unit 1";
    EXPECT_EQ(cellsNotHeld(), QStringList{}) << "unit 1";
    EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();

    for (const uint16_t serial : {uint16_t(43), uint16_t(44)}) {
        SCOPED_TRACE(serial);
        bool acted = false;
        whenDialogUp([&] {
            acted = true;
            vl48sim::Identity next;
            next.serial = serial;
            sim->plug(next);
        });
        sim->unplug();
        const QString shown = QStringLiteral("%1").arg(serial, 5, 10, QChar('0'));
        ASSERT_TRUE(vl48test::waitUntil(
            [&] {
                return acted && window->PanelSettings->isVisible() &&
                       !window->OKBottomDlg->isVisible() && window->LblInfoSN->text() == shown;
            },
            8000))
            << window->LblInfoSN->text().toStdString() << " "
            << messageTexts().join("|").toStdString();
        EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
        EXPECT_EQ(bulkState(), bulk) << "the bulk tab keeps its configuration";
        EXPECT_EQ(window->BtnEdtConfTag, 1) << "and its edit mode";
        for (QWidget* control : bulkControls()) EXPECT_TRUE(control->isEnabled());
        EXPECT_TRUE(window->ChckBxAutoCon->isChecked());
        ASSERT_FALSE(cellsNotHeld().isEmpty()) << "the new unit starts from factory defaults";

        sim->clearLog();
        upload();
        EXPECT_EQ(requestsThenSentinel(), writeFrames(DistinctWrites));
        EXPECT_EQ(cellsNotHeld(), QStringList{});
        EXPECT_TRUE(messages.empty()) << messageTexts().join("|").toStdString();
        EXPECT_FALSE(window->Updating);
        EXPECT_EQ(window->EdtNote->text(), QStringLiteral("Kotel č. 5"));
    }
}

// --- Edit mode, erase and reload

TEST_F(Bulk, EditModeTogglesTheThirteenControls) {
    connectTransmitter();
    showTab(window->TabAdvanceFunc);
    for (QWidget* control : bulkControls()) EXPECT_FALSE(control->isEnabled());
    EXPECT_EQ(window->BtnEdtConf->text(), "Editovat načtenou konfiguraci");
    clickVisible(window->BtnEdtConf);
    EXPECT_EQ(window->BtnEdtConfTag, 1);
    for (QWidget* control : bulkControls())
        EXPECT_TRUE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(window->BtnEdtConf->text(), "Ukončit editaci načtené konf.");
    clickVisible(window->BtnEdtConf);
    EXPECT_EQ(window->BtnEdtConfTag, 0);
    for (QWidget* control : bulkControls())
        EXPECT_FALSE(control->isEnabled()) << control->objectName().toStdString();
    EXPECT_EQ(window->BtnEdtConf->text(), "Editovat načtenou konfiguraci");

    // Czech captions in English too; the switch itself leaves the mode alone.
    window->MSLanguageENClick();
    EXPECT_EQ(window->BtnEdtConf->text(), "Edit loaded configuration");
    clickVisible(window->BtnEdtConf);
    EXPECT_EQ(window->BtnEdtConf->text(), "Ukončit editaci načtené konf.");
    clickVisible(window->BtnEdtConf);
    EXPECT_EQ(window->BtnEdtConf->text(), "Editovat načtenou konfiguraci");
    for (QWidget* control : bulkControls()) EXPECT_FALSE(control->isEnabled());
    EXPECT_TRUE(requestsThenSentinel().empty());
}

TEST_F(Bulk, EraseEmptiesTheBasicTabAndWritesNothing) {
    sim->setCell(EEInputType, InputTypeNi891);
    sim->setCell(EEOutputLimit, 1);
    connectTransmitter();
    showTab(window->TabBasicSet);
    ASSERT_TRUE(window->RdBtnNi891->isChecked());
    ASSERT_TRUE(window->ChckBxDaRest->isChecked());
    typeInto(window->MskEdtTempEnd, "9");
    ASSERT_TRUE(window->LblSaveX->isVisible());
    const ConfigRecord record = window->Config;
    const QDate date = window->DtTmPicker->date();
    const QStringList bulk = bulkState();
    sim->clearLog();

    clickVisible(window->SpdBtnEraseForm);
    EXPECT_EQ(basicState(),
              (QStringList{"ChckBxDaRest=0", "MskEdtTempBegin=\"    \"", "MskEdtTempEnd=\"    \"",
                           "MskEdtTcldEnd=\"   \"", "MskEdtResComp=\"  ,  \"",
                           "DtTmPicker=" + date.toString(Qt::ISODate), "EdtNote=\"\""}));
    EXPECT_EQ(window->TabBasicSet->findChildren<QRadioButton*>().size(), 36);
    EXPECT_TRUE(requestsThenSentinel().empty()) << "the transmitter keeps its data";
    EXPECT_EQ(sim->cell(EEOutputLimit), 1);
    EXPECT_EQ(window->Config, record);
    EXPECT_EQ(bulkState(), bulk);
    EXPECT_FALSE(window->Updating);
    EXPECT_TRUE(messages.empty());

    // The groups are exclusive again, and choosing writes again.
    sim->clearLog();
    clickVisible(window->RdBtnTermJ);
    clickVisible(window->RdBtnTermK);
    EXPECT_FALSE(window->RdBtnTermJ->isChecked());
    EXPECT_EQ(writes(), (std::vector<CellWrite>{{EEInputType, 0}, {EEInputType, 1}}));
}

TEST_F(Bulk, ReloadReadsTheTransmitterAgainAndHidesTheHint) {
    connectTransmitter();
    showTab(window->TabBasicSet);
    typeInto(window->MskEdtTempBegin, "0777");
    ASSERT_TRUE(window->LblSaveX->isVisible());
    sim->setCell(EEInputType, 8);
    sim->setCell(EERangeEnd, 500);
    sim->clearLog();

    clickVisible(window->SpdBtnLoadData);
    std::vector<int> expectedCommands(18, CmdReadCell);
    expectedCommands.push_back(CmdReadNote);
    EXPECT_EQ(requestCommands(), expectedCommands);
    std::vector<int> addresses;
    for (const auto& f : sim->requests()) addresses.push_back(f.bytes[4]);
    EXPECT_EQ(addresses, (std::vector<int>{4, 6, 44, 30, 32, 8, 34, 36, 42, 40, 50, 52, 38, 134,
                                           136, 142, 144, 88, 0}));
    EXPECT_EQ(window->Config.EEInputType, 8);
    EXPECT_TRUE(window->RdBtnPT100->isChecked());
    EXPECT_EQ(window->MskEdtTempEnd->displayText(), "0500");
    EXPECT_EQ(window->MskEdtTempBegin->displayText(), "0000") << "the typed value is replaced";
    EXPECT_FALSE(window->LblSaveX->isVisible());
    EXPECT_FALSE(window->LblSaveX1->isVisible());
    EXPECT_TRUE(window->LblMskEdtTempBeginCH->isVisible()) << "field markers are left as they are";
    EXPECT_TRUE(messages.empty());
    EXPECT_FALSE(window->Updating);
}

// --- What the bulk tab holds and what goes out of it

TEST_F(Bulk, ATypedTextNamingNoEntryLeavesTheListWithoutOne) {
    connectTransmitter();
    load(DistinctFile);
    startEditing();
    QApplication::setActiveWindow(window.get());
    ASSERT_TRUE(vl48test::waitUntil([&] { return window->isActiveWindow(); }));
    QLineEdit* text = window->CmbInputSignal->lineEdit();
    QTest::mouseClick(text, Qt::LeftButton);
    text->selectAll();
    QTest::keyClicks(text, "xyz");
    clickVisible(window->BtnUploadConf);  // the list loses the focus to the button
    EXPECT_EQ(window->CmbInputSignal->currentIndex(), -1);
    EXPECT_EQ(text->text(), "");
    EXPECT_EQ(messageTexts(), QStringList{"Konfiguraci nelze nahrát: položka „Vstupní signál“ "
                                          "nemá vybranou hodnotu ze seznamu."});
    EXPECT_TRUE(requestsThenSentinel().empty());
    saveBulk(path("typed.vl4"));
    EXPECT_TRUE(fileBytes(path("typed.vl4")).startsWith("-1\r\n2\r\n"));
    QTest::mouseClick(text, Qt::LeftButton);
    QTest::keyClicks(text, "PT 1000 Ohm");
    QTest::keyClick(text, Qt::Key_Tab);
    EXPECT_EQ(window->CmbInputSignal->currentIndex(), 9);
}

TEST_F(Bulk, OnlyARegularFileOfAtMost64KiBIsRead) {
    connectTransmitter();
    load(DistinctFile);
    const QStringList loaded = bulkState();
    const QByteArray fifo = path("fifo.vl4").toLocal8Bit();
    ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir("folder.vl4"));
    const QByteArray fill(64 * 1024 - DistinctFile.size(), ' ');
    writeFile(path("huge.vl4"), DistinctFile + fill + " ");
    // Were the FIFO opened, a writer comes and goes, so that the test fails instead of hanging.
    std::atomic<bool> over = false;
    std::thread writer([&] {
        for (int i = 0; i < 100 && !over; ++i) {
            if (const int fd = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK); fd >= 0)
                return void(::close(fd));
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    });
    const auto open = [this](const QString& p) {
        messages.clear();
        fileDialogAnswers << p;
        clickVisible(window->BtnConfLoad);
        return messageTexts();
    };
    for (const QString& p :
         {path("fifo.vl4"), QStringLiteral("/dev/null"), path("folder.vl4"), path("huge.vl4")}) {
        EXPECT_EQ(
            open(p),
            QStringList{"„" + p + "“ nelze načíst: není to běžný soubor do velikosti 64 KiB."});
        EXPECT_EQ(bulkState(), loaded);
    }
    over = true;
    writer.join();
    window->MSLanguageENClick();
    EXPECT_EQ(open("/dev/null"), QStringList{"“/dev/null” cannot be loaded: it is not a regular "
                                             "file of at most 64 KiB."});
    EXPECT_EQ(messages[0].kind, MsgKind::Error);
    writeFile(path("full.vl4"), DistinctFile + fill);  // 64 KiB exactly
    EXPECT_EQ(open(path("full.vl4")), QStringList{});
}

TEST_F(Bulk, BytesANoteWasReadFromAreWrittenBackUnlessEdited) {
    const QByteArray read("Kotel\x81 5\x98");  // two bytes Windows-1250 leaves undefined
    sim->setNote(read.toStdString());
    connectTransmitter();
    EXPECT_EQ(window->EdtNote->text(), QStringLiteral("Kotel\uFFFD 5\uFFFD"));
    const auto noteWritten = [this] {  // from the last length cell and the characters after it
        QByteArray bytes;
        for (const CellWrite& w : cellWrites()) {
            if (w.address == EENoteLength) bytes.clear();
            if (w.address > EENoteLength && w.address < EENoteText + NoteMaxLength)
                bytes.append(char(w.value >> 8)).append(char(w.value & 0xFF));
        }
        return bytes.left(sim->cell(EENoteLength));
    };
    showTab(window->TabBasicSet);
    clickVisible(window->BtnSaveNote);
    EXPECT_EQ(noteWritten(), read);
    saveBasic(path("note.vl4"));
    EXPECT_EQ(fileBytes(path("note.vl4")).split('\n').value(11), read + "\r");
    load(fileBytes(path("note.vl4")), "again.vl4");
    startEditing();  // an edit elsewhere in the note keeps them too
    QTest::mouseClick(window->EdtNoteConf, Qt::LeftButton);
    window->EdtNoteConf->home(false);
    QTest::keyClicks(window->EdtNoteConf, "A");
    clickVisible(window->BtnUploadConf);
    EXPECT_EQ(noteWritten(), "A" + read);
    saveBulk(path("bulk.vl4"));
    EXPECT_EQ(fileBytes(path("bulk.vl4")).split('\n').value(11), "A" + read + "\r");
}

// --- Production aids: compare, verify after upload, production log

namespace {
// A cell read or the note read: the requests that leave the transmitter as it was.
bool isRead(const std::string& request) {
    return request.starts_with(vl48test::hex({CmdReadCell})) ||
           request.starts_with(vl48test::hex({CmdReadNote}));
}
// The compare marks in sight, each with its tooltip.
QStringList visibleMarks(const TFrmMain& window) {
    QStringList marks;
    for (QLabel* mark : window.GrpBxConf->findChildren<QLabel*>())
        if (mark->objectName().startsWith("LblCmp") && mark->isVisible())
            marks << mark->objectName() + ": " + mark->toolTip();
    marks.sort();
    return marks;
}
}  // namespace

TEST_F(Bulk, CompareMarksExactlyTheValuesTheTransmitterHoldsOtherwise) {
    connectTransmitter();
    for (const CellWrite& w : DistinctWrites) sim->setCell(w.address, w.value);
    sim->setCell(EEWiring, 0);
    sim->setCell(EERangeEnd, 500);
    sim->setNote("Kotel");
    load(DistinctFile);
    sim->clearLog();
    clickVisible(window->BtnCompareConf);

    for (const std::string& request : requestsThenSentinel())
        EXPECT_TRUE(isRead(request)) << "reads only: " << request;
    EXPECT_EQ(visibleMarks(*window),
              (QStringList{"LblCmpMaxTemp: V převodníku: 0500", "LblCmpNote: V převodníku: Kotel",
                           QStringLiteral("LblCmpSensorWire: V převodníku: 2, 4 vodičové "
                                          "zapojení")}));
    EXPECT_TRUE(messages.empty());

    // Editing a value, loading a file and ending the connection each take the marks away.
    const auto anyMark = [this] { return !visibleMarks(*window).isEmpty(); };
    startEditing();
    typeInto(window->MskEdtMinTemp, "0001");
    EXPECT_FALSE(anyMark());
    clickVisible(window->BtnCompareConf);
    ASSERT_TRUE(anyMark());
    load(DistinctFile);
    EXPECT_FALSE(anyMark());
    clickVisible(window->BtnCompareConf);
    ASSERT_TRUE(anyMark());
    window->MenuCommEndClick();
    EXPECT_FALSE(anyMark());
}

TEST_F(Bulk, VerifyAfterUploadAndTheProductionLog) {
    connectTransmitter();
    load(DistinctFile);
    fileDialogAnswers << path("production.csv");
    clickVisible(window->ChckBxLog);
    window->EdtLogNote->setText(QStringLiteral("šarže 7, \"A\""));
    clickVisible(window->ChckBxVerify);
    // Each box about an upload comes after its line: a box left open leaves no unit unrecorded.
    std::vector<qsizetype> linesAtBox;
    window->messageHook = [&, recorder = window->messageHook](vl48::MsgKind kind,
                                                              const QString& text) {
        linesAtBox.push_back(fileBytes(path("production.csv")).count('\n'));
        recorder(kind, text);
    };
    sim->clearLog();
    upload();

    std::vector<std::string> sent = requestsThenSentinel();
    const std::vector<std::string> writesExpected = writeFrames(DistinctWrites);
    ASSERT_GT(sent.size(), writesExpected.size());
    EXPECT_EQ(std::vector<std::string>(sent.begin(), sent.begin() + writesExpected.size()),
              writesExpected);
    for (size_t i = writesExpected.size(); i < sent.size(); ++i)
        EXPECT_TRUE(isRead(sent[i])) << sent[i];
    EXPECT_EQ(messageTexts(),
              QStringList{"Ověření po nahrání: převodník obsahuje nahranou konfiguraci."});

    // A unit whose memory takes no writes: acknowledged, not stored, and the check says which.
    messages.clear();
    sim->setWriteEnabled(false);
    startEditing();
    window->CmbSensorWire->setCurrentIndex(0);
    upload();
    EXPECT_EQ(messageTexts(), QStringList{"Ověření po nahrání selhalo: převodník drží jiné "
                                          "hodnoty v buňkách EEWiring."});
    // A load refused at its date line: the tab holds in.vl4's values again (lines 1 to 10 are
    // the same), and the log must not name the file that was refused.
    QByteArray refused = DistinctFile;
    refused.replace("3.4.2021", "31.02.2021");
    load(refused, QStringLiteral("refused.vl4"));
    sim->setWriteEnabled(true);
    upload();

    EXPECT_EQ(linesAtBox, (std::vector<qsizetype>{2, 3, 3, 4}));  // the third box: the load
    const QList<QByteArray> lines = fileBytes(path("production.csv")).split('\n');
    ASSERT_EQ(lines.size(), 5) << fileBytes(path("production.csv")).toStdString();
    EXPECT_EQ(lines[0],
              "time,port,device_type,firmware,identifier,config_file,config_sha256,"
              "result,operator_note\r");
    const QString sha = QCryptographicHash::hash(DistinctFile, QCryptographicHash::Sha256).toHex();
    const QString unit = QStringLiteral(",%1,VL48,1.310/250312,00042,").arg(portPath().c_str());
    const QRegularExpression first(
        "^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d([+-]\\d\\d:\\d\\d|Z)" +
        QRegularExpression::escape(unit + "in.vl4," + sha + ",ok,\"šarže 7, \"\"A\"\"\"\r") + "$");
    EXPECT_TRUE(first.match(QString::fromUtf8(lines[1])).hasMatch()) << lines[1].toStdString();
    EXPECT_TRUE(QString::fromUtf8(lines[2]).contains(unit + "in.vl4 (edited),"))
        << lines[2].toStdString();
    EXPECT_TRUE(lines[2].contains(",verify mismatch: EEWiring,")) << lines[2].toStdString();
    EXPECT_FALSE(lines[2].contains(sha.toLatin1())) << "the digest is that of what went in";
    EXPECT_TRUE(QString::fromUtf8(lines[3]).contains(unit + "in.vl4," + sha + ",ok,"))
        << lines[3].toStdString();
}

TEST_F(Bulk, ALogThatCannotBeWrittenStopsTheUploadBeforeAnyWrite) {
    connectTransmitter();
    load(DistinctFile);
    // A file stands where the log's folder should be.
    fileDialogAnswers << path("in.vl4/production.csv");
    clickVisible(window->ChckBxLog);
    sim->clearLog();
    upload();

    EXPECT_TRUE(requestsThenSentinel().empty());
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_TRUE(messages[0].text.startsWith("Výrobní protokol " + path("in.vl4/production.csv") +
                                            " nelze zapsat ("))
        << messages[0].text.toStdString();
    EXPECT_TRUE(messages[0].text.endsWith("). Konfigurace nebyla nahrána."));
}
