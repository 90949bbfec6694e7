// The fault matrix: every flow that talks to the transmitter, run against the simulator through
// the real window, with one fault injected before its k-th frame, for every kind of line fault;
// and the two saves with the disk refusing them. What must come of each case (the boxes, the
// view, the port, the record and what the transmitter stored) is the committed table
// expected.tsv, not logic in here; the table also says of every case whether its fault showed at
// all. A case that ends as the fault-free one did must moreover have done what its flow is for:
// the cells and texts worked out by hand for each flow (oracles()), so that a wrong value in the
// fault-free path fails however the table was recorded. Every case also must: not crash, end
// within the time its exchanges may take, and never leave a write the transmitter did not store
// looking done.
//
// By default a sample runs: the first, the last and one random frame of every flow, drawn from a
// seed printed at the start (VL48_MATRIX_SEED gives it). VL48_MATRIX=full runs every frame.
// VL48_MATRIX_RECORD=<file> writes the observed outcomes as table rows (with VL48_MATRIX=full, to
// make a new table), and VL48_MATRIX_RESULTS=<file> appends one line per case for scripts/matrix to
// add up. VL48_MATRIX_FAULTS=<name,name> limits a run to those faults (and the fault-free case).
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTextStream>
#include <QTimer>
#include <climits>
#include <csignal>
#include <map>
#include <optional>
#include <random>
#include <set>

#include "SimFixture.h"
#include "core/records/ConfigFile.h"
#include "window/Application.h"
#include "window/FrmMain.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

using namespace vl48;
using vl48test::waitUntil;

namespace {

// ---------------------------------------------------------------- faults

enum class Fault {
    None,
    Unplug,      // cable pulled instead of the answer, automatic reconnection off
    UnplugAuto,  // the same with automatic reconnection on; the unit comes back once asked for
    NoReply,
    BadCrc,
    WrongEcho,
    ShortReply,
    LateReply,
    StrayBytes,
    // On a transmitter with a turnaround of its own (20 ms and 150 ms, with jitter), the reply
    // comes late, the second one as late as 1.5 s after its request.
    LateReply20,
    LateReply150,
    Stream,     // another device starts talking in place of the answer, and goes on
    LineError,  // the line counts a framing error before the answer
    ReadOnly,   // saves only: the folder takes no new file
    DiskFull,   // saves only: every write beyond a few bytes fails
};

const std::map<Fault, QString> FaultNames = {
    {Fault::None, "none"},
    {Fault::Unplug, "unplug"},
    {Fault::UnplugAuto, "unplug-auto"},
    {Fault::NoReply, "no-reply"},
    {Fault::BadCrc, "bad-crc"},
    {Fault::WrongEcho, "wrong-echo"},
    {Fault::ShortReply, "short-reply"},
    {Fault::LateReply, "late-reply"},
    {Fault::StrayBytes, "stray-bytes"},
    {Fault::LateReply20, "late-20"},
    {Fault::LateReply150, "late-150"},
    {Fault::Stream, "stream"},
    {Fault::LineError, "line-error"},
    {Fault::ReadOnly, "read-only"},
    {Fault::DiskFull, "disk-full"},
};

const Fault LineFaults[] = {Fault::Unplug,       Fault::UnplugAuto, Fault::NoReply,
                            Fault::BadCrc,       Fault::WrongEcho,  Fault::ShortReply,
                            Fault::LateReply,    Fault::StrayBytes, Fault::LateReply20,
                            Fault::LateReply150, Fault::Stream,     Fault::LineError};
// Faults a sample run tries at one frame of each flow only, to keep the sample short.
bool sampledOnce(Fault f) { return f >= Fault::LateReply20 && f <= Fault::LineError; }

// The transmitter's own turnaround during a case: milliseconds and jitter.
std::pair<int, int> turnaround(Fault f) {
    if (f == Fault::LateReply20) return {20, 10};
    if (f == Fault::LateReply150) return {150, 50};
    return {0, 0};
}
const Fault SaveFaults[] = {Fault::ReadOnly, Fault::DiskFull};

vl48sim::Fault simFault(Fault fault) {
    using K = vl48sim::Fault::Kind;
    switch (fault) {
        case Fault::NoReply:
            return K::NoReply;
        case Fault::BadCrc:
            return K::BadCrc;
        case Fault::WrongEcho:
            return K::WrongEcho;
        case Fault::ShortReply:
            return K::ShortReply;
        case Fault::LateReply:
            return K::LateReply;
        case Fault::LateReply20:
        case Fault::LateReply150: {
            // With the turnaround, 1.0 to 1.5 s after the request: always past its time-out.
            vl48sim::Fault f(K::LateReply);
            f.delayMs = turnaround(fault).first == 150 ? 1300 : 1000;
            return f;
        }
        case Fault::Stream:
            return K::Stream;
        case Fault::LineError:
            return K::FramingError;
        case Fault::StrayBytes: {
            vl48sim::Fault f(K::StrayBytes);
            f.bytes = {0x19, 0x00, 0xFF};
            return f;
        }
        default:
            return K::Unplug;
    }
}

bool isUnplug(Fault f) { return f == Fault::Unplug || f == Fault::UnplugAuto; }

// ---------------------------------------------------------------- outcome

// What a case left behind, in the words of the table.
struct Outcome {
    QString boxes;   // message boxes in order ("Lost|Cable"), "Reconnect" for the dialog; "-"
    QString view;    // settings | connect
    QString port;    // open | closed
    QString record;  // record and shown values: "=" as before, "new" as a fault-free run, other
    QString stored;  // the transmitter's memory, in the same words; for saves, the file
    // "yes" when the case ended otherwise than the flow's fault-free case, "no" when the fault
    // left no trace in any of the columns above
    QString observable;
    bool operator==(const Outcome&) const = default;
    bool sameEnd(const Outcome& o) const {
        return boxes == o.boxes && view == o.view && port == o.port && record == o.record &&
               stored == o.stored;
    }
    QString row() const {
        return QStringList{boxes, view, port, record, stored, observable}.join('\t');
    }
};

// ---------------------------------------------------------------- the expected table

struct Row {
    QString flow, fault;
    int from = 0, to = INT_MAX;  // frames k the row covers
    Outcome outcome;
};

class Table {
public:
    explicit Table(const QString& path) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return;
        QTextStream in(&file);
        while (!in.atEnd()) {
            const QString line = in.readLine();
            if (line.isEmpty() || line.startsWith('#')) continue;
            const QStringList f = line.split('\t');
            if (f.size() != 9 || (f[8] != "yes" && f[8] != "no")) {
                m_errors << line;
                continue;
            }
            Row row{f[0], f[1], 0, INT_MAX, {f[3], f[4], f[5], f[6], f[7], f[8]}};
            if (f[2] != "*") {
                const QStringList range = f[2].split('-');
                row.from = range[0].toInt();
                row.to = range.size() > 1 ? range[1].toInt() : row.from;
            }
            m_rows.push_back(row);
        }
    }
    const Outcome* find(const QString& flow, const QString& fault, int k) const {
        for (const Row& r : m_rows)
            if (r.flow == flow && r.fault == fault && k >= r.from && k <= r.to) return &r.outcome;
        return nullptr;
    }
    const QStringList& errors() const { return m_errors; }
    size_t size() const { return m_rows.size(); }

private:
    std::vector<Row> m_rows;
    QStringList m_errors;
};

const Table& table() {
    static const Table t(QStringLiteral(VL48_MATRIX_TABLE));
    return t;
}

// ---------------------------------------------------------------- one case's bench

// A fresh simulator and window for every case, so that no case inherits another's state.
class Bench {
public:
    Bench() {
        vl48sim::Options options;
        options.linkPath = dir.filePath(QStringLiteral("vl48")).toStdString();
        sim = std::make_unique<vl48sim::Simulator>(options);
        sim->start();
        window = std::make_unique<TFrmMain>();
        window->messageHook = [this](MsgKind, const QString& text) { boxes << boxName(text); };
        // Every exchange that waits for a reply, sent or not (one that finds the line never
        // quiet after a failure gives up without sending).
        window->link->onExchangeTime = [this, shown = window->link->onExchangeTime](qint64 ms) {
            ++exchanges;
            shown(ms);
        };
        window->fileDialogHook = [this](QFileDialog*) {
            return fileAnswers.isEmpty() ? QString() : fileAnswers.takeFirst();
        };
        // The general error handler's box (an exception out of a handler) is recorded alike.
        if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance()))
            app->onError = [this](const QString& text) { boxes << boxName(text); };
        window->OKBottomDlg->installEventFilter(&m_dialogWatch);
        m_dialogWatch.onShow = [this] { boxes << QStringLiteral("Reconnect"); };
        window->show();
        window->activateWindow();
        QApplication::setActiveWindow(window.get());
        waitUntil([&] { return window->isActiveWindow(); }, 2000);
    }
    ~Bench() {
        if (auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance()))
            app->onError = nullptr;
        window.reset();
        sim.reset();
    }

    bool connect() {
        window->CmbBxPort->setCurrentText(QString::fromStdString(sim->linkPath()));
        window->BtnConnectClick();
        return window->PanelSettings->isVisible();
    }
    // A presence query: once answered, every frame sent before it (a drive has no reply) is in.
    bool sentinel() { return window->ComPort->Active() && window->Send(CmdIdentify, 0); }

    static void focus(QWidget* w) {
        w->setFocus(Qt::TabFocusReason);
        waitUntil([&] { return w->hasFocus(); }, 2000);
    }
    static void enter(QWidget* w) { QTest::keyClick(w, Qt::Key_Return); }
    // A click where a person clicks: a radio button or check box on its indicator, a push
    // button in its middle. It travels through the application object, so an exception out of a
    // handler meets the general error handler as it would at the bench.
    static void press(QAbstractButton* button) {
        const bool indicator =
            qobject_cast<QRadioButton*>(button) || qobject_cast<QCheckBox*>(button);
        QTest::mouseClick(button, Qt::LeftButton, {},
                          indicator ? QPoint(6, button->height() / 2) : button->rect().center());
    }
    static void typeCode(TMaskEdit* field, const QString& code) {
        focus(field);
        field->clear();
        field->setCursorPosition(0);
        QTest::keyClicks(field, code);
    }
    void showTab(QAction* item, QWidget* tab) {
        if (!item->isChecked()) item->trigger();
        window->PageControl1->setCurrentWidget(tab);
    }
    void openService() {
        showTab(window->MSettingsService, window->TabService);
        typeCode(window->MskEdtPwd, QStringLiteral("K527D4"));
        enter(window->MskEdtPwd);
    }
    void typeCorrectionCode() {
        showTab(window->MSettingsDACorr, window->TabDACorr);
        typeCode(window->MskEdtPwd1, QStringLiteral("RT5063"));
    }
    void openCorrection() {
        typeCorrectionCode();
        enter(window->MskEdtPwd1);
    }

    // The transmitter's memory, cell by cell. The write-test cell holds a value drawn anew at
    // every unlock, so it is left out.
    std::vector<uint16_t> memory() const {
        std::vector<uint16_t> cells;
        for (int address = 0; address < 256; address += 2)
            cells.push_back(address == EEWriteTest ? 0 : sim->cell(address));
        return cells;
    }

    QString boxName(const QString& text) const {
        const std::pair<const QString*, const char*> known[] = {
            {&window->MsgConnectionLost, "Lost"},
            {&window->MsgCable, "Cable"},
            {&window->MsgInvalidPort, "InvalidPort"},
            {&window->MsgWrongDevice, "WrongDevice"},
            {&window->MsgInvalidDate, "InvalidDate"},
            {&window->Msg2mADropRefused, "2mARefused"},
            {&window->MsgDACorrWarning, "DACorrWarning"},
        };
        for (const auto& [message, name] : known)
            if (text == *message) return QString::fromLatin1(name);
        if (text == QStringLiteral("Can't perform this operation on a closed port"))
            return QStringLiteral("ClosedPort");
        if (text.contains(QStringLiteral("J1"))) return QStringLiteral("J1");
        QString quoted = text;
        quoted.replace('\t', ' ').replace('\n', ' ').replace('|', '/');
        return '"' + quoted + '"';
    }

    QTemporaryDir dir;
    std::unique_ptr<vl48sim::Simulator> sim;
    std::unique_ptr<TFrmMain> window;
    QStringList boxes;
    QStringList fileAnswers;
    int exchanges = 0;

private:
    struct DialogWatch : QObject {
        std::function<void()> onShow;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Show && onShow) onShow();
            return false;
        }
    } m_dialogWatch;
};

// ---------------------------------------------------------------- the flows

struct Flow {
    QString name;
    // Cells of the simulated unit before the tool connects.
    std::vector<std::pair<int, uint16_t>> cells;
    // Brings the window to where the flow starts, once connected (unless `connects`).
    std::function<void(Bench&)> setup;
    std::function<void(Bench&)> act;
    // Texts the flow shows, beside the record, that a fault must not corrupt.
    std::function<QStringList(const TFrmMain&)> shown = {};
    bool connects = false;  // the flow is the connection itself
    bool save = false;      // a save: file faults instead of line faults
};

// The texts of the widgets, each followed by "hidden" when it was hidden.
QStringList texts(std::initializer_list<const QWidget*> widgets) {
    QStringList out;
    for (const QWidget* w : widgets) {
        if (w->isHidden()) out << QStringLiteral("hidden");
        if (auto* label = qobject_cast<const QLabel*>(w))
            out << label->text();
        else if (auto* edit = qobject_cast<const QLineEdit*>(w))
            out << edit->displayText();
        else if (auto* box = qobject_cast<const QAbstractButton*>(w); box && box->isCheckable())
            out << (box->isChecked() ? "on" : "off");
        else if (box)  // a push button changes by being enabled or not, and by its text
            out << (box->isEnabled() ? "enabled" : "disabled") << box->text();
        else if (auto* date = qobject_cast<const QDateEdit*>(w))
            out << date->date().toString(Qt::ISODate);
        else if (auto* spin = qobject_cast<const QSpinBox*>(w))
            out << QString::number(spin->value());
    }
    return out;
}

// The output codes, in the service tab and in the correction tab: a reading fills both.
QStringList outputCodes(const TFrmMain& w) {
    return texts({w.SpnEdtAOIZero, w.SpnEdtAOIEnd, w.SpnEdtAOUZero, w.SpnEdtAOUEnd,
                  w.SpnEdtAOIZeroDACorr, w.SpnEdtAOIEndDACorr, w.SpnEdtAOUZeroDACorr,
                  w.SpnEdtAOUEndDACorr});
}

QStringList formShown(const TFrmMain& w) {
    return texts({w.MskEdtTempBegin, w.MskEdtTempEnd, w.MskEdtTcldEnd, w.MskEdtResComp, w.EdtNote,
                  w.DtTmPicker, w.LblInfoType, w.LblInfoFW, w.LblInfoSN, w.LblInfoTemp,
                  w.LblMeasIN}) +
           outputCodes(w);
}

// A configuration file that differs from the simulated unit's factory memory in every line.
QByteArray uploadFile() {
    ConfigFileValues v;
    v.inputType = 9;
    v.outputType = 1;
    v.sensorFault = 1;
    v.rangeBegin = QStringLiteral("-050");
    v.rangeEnd = QStringLiteral("0450");
    v.filter = 2;
    v.compMode = 1;
    v.compTemp = QStringLiteral("025");
    v.outputLimit = 1;
    v.wiring = 1;
    v.date = QDate(2024, 5, 6);
    v.note = QStringLiteral("Matice");
    v.lineRes = QStringLiteral("01,50");
    return configFileBytes(v);
}

// Correction state 0 (enabled) with a valid calibration copy.
const std::vector<std::pair<int, uint16_t>> CorrectionEnabled = {{EEDACorrState, 0},
                                                                 {EEAOIZeroBackup, 1600},
                                                                 {EEAOIEndBackup, 16370},
                                                                 {EEAOUZeroBackup, 20},
                                                                 {EEAOUEndBackup, 15800}};
// Every configuration cell the connection reads, each at a value of its own: none is the
// factory memory's or what the window shows at start-up.
const std::vector<std::pair<int, uint16_t>> DistinctCells = {
    {EEInputType, 12},      {EEOutputType, 2},          {EESensorFault, 1},
    {EERangeBegin, 0xFFCE}, {EERangeEnd, 450},          {EEFilter, 3},
    {EECompMode, 2},        {EECompTemp, 37},           {EEOutputLimit, 1},
    {EEWiring, 1},          {EEDayMonth, 17 * 256 + 3}, {EEYear, 2021},
    {EELineRes, 150},       {EEAOIZero, 1700},          {EEAOIEnd, 16300},
    {EEAOUZero, 25},        {EEAOUEnd, 15900}};
// The same cells, each at yet another value.
const std::vector<std::pair<int, uint16_t>> DistinctCellsChanged = {
    {EEInputType, 1},       {EEOutputType, 1},          {EESensorFault, 0},
    {EERangeBegin, 0xFFD8}, {EERangeEnd, 321},          {EEFilter, 4},
    {EECompMode, 1},        {EECompTemp, 44},           {EEOutputLimit, 0},
    {EEWiring, 0},          {EEDayMonth, 9 * 256 + 11}, {EEYear, 2024},
    {EELineRes, 157},       {EEAOIZero, 1707},          {EEAOIEnd, 16307},
    {EEAOUZero, 32},        {EEAOUEnd, 15907}};
// A thermocouple input with its terminal compensation, so every basic field is in use.
const std::vector<std::pair<int, uint16_t>> Thermocouple = {{EEInputType, 1}, {EECompMode, 2}};

void selection(std::vector<Flow>& flows, const QString& name,
               std::function<QAbstractButton*(TFrmMain&)> button,
               std::vector<std::pair<int, uint16_t>> cells = {}) {
    flows.push_back({name, std::move(cells), [](Bench&) {},
                     [button](Bench& b) { Bench::press(button(*b.window)); },
                     [](const TFrmMain& w) { return formShown(w); }});
}

void maskedField(std::vector<Flow>& flows, const QString& name, TMaskEdit* TFrmMain::*field,
                 const QString& text, std::vector<std::pair<int, uint16_t>> cells) {
    flows.push_back({name, std::move(cells),
                     [field, text](Bench& b) {
                         TMaskEdit* f = (*b.window).*field;
                         Bench::focus(f);
                         f->setMaskedText(text);
                     },
                     [field](Bench& b) { Bench::enter((*b.window).*field); },
                     [](const TFrmMain& w) { return formShown(w); }});
}

std::vector<Flow> makeFlows() {
    std::vector<Flow> flows;
    // The connection and the reload read every configuration cell: each starts from a value
    // neither the window's start-up state nor the unit's factory memory holds, so that a read
    // that failed silently shows.
    std::vector<std::pair<int, uint16_t>> distinct = DistinctCells;
    distinct.push_back({EEDACorrState, 1});
    flows.push_back({"connect", distinct,
                     [](Bench& b) {
                         b.sim->setNote("Kotel 3");
                         b.window->CmbBxPort->setCurrentText(
                             QString::fromStdString(b.sim->linkPath()));
                     },
                     [](Bench& b) { Bench::press(b.window->BtnConnect); },
                     [](const TFrmMain& w) { return formShown(w); }, true});
    flows.push_back({"reload", DistinctCells,
                     [](Bench& b) {
                         // Changed behind the tool's back, every cell and the note, so that
                         // reading any of them again shows.
                         for (const auto& [address, value] : DistinctCellsChanged)
                             b.sim->setCell(address, value);
                         b.sim->setNote("Sklad 12");
                     },
                     [](Bench& b) { Bench::press(b.window->SpdBtnLoadData); },
                     [](const TFrmMain& w) { return formShown(w) + texts({w.RdBtnFilt4}); }});
    selection(flows, "input", [](TFrmMain& w) { return w.RdBtnPT1000; });
    selection(flows, "wiring", [](TFrmMain& w) { return w.RdBtn3wire; }, {{EEInputType, 8}});
    selection(
        flows, "compensation", [](TFrmMain& w) { return w.RdBtnNoComp; }, Thermocouple);
    selection(flows, "output", [](TFrmMain& w) { return w.RdBtnAO0_10; });
    selection(flows, "sensor-fault", [](TFrmMain& w) { return w.RdBtnPuls; });
    selection(flows, "2mA-drop", [](TFrmMain& w) { return w.RdBtn2mADrop; }, {{EEOutputType, 1}});
    selection(flows, "filter", [](TFrmMain& w) { return w.RdBtnFilt3; });
    selection(flows, "output-limit", [](TFrmMain& w) { return w.ChckBxDaRest; });
    maskedField(flows, "range-begin", &TFrmMain::MskEdtTempBegin, QStringLiteral("-050"), {});
    maskedField(flows, "range-end", &TFrmMain::MskEdtTempEnd, QStringLiteral("0450"), {});
    maskedField(flows, "comp-temp", &TFrmMain::MskEdtTcldEnd, QStringLiteral("030"), Thermocouple);
    maskedField(flows, "line-res", &TFrmMain::MskEdtResComp, QStringLiteral("01,50"),
                {{EEInputType, 8}, {EEWiring, 0}});
    flows.push_back({"note",
                     {},
                     [](Bench& b) { b.window->EdtNote->setText("Kalibrace 2026"); },
                     [](Bench& b) { Bench::press(b.window->BtnSaveNote); },
                     [](const TFrmMain& w) {
                         return texts({w.EdtNote, w.LblEdtNoteCH});
                     }});
    flows.push_back({"date",
                     {},
                     [](Bench& b) {
                         Bench::focus(b.window->DtTmPicker);
                         b.window->DtTmPicker->setDate(QDate(2025, 3, 14));
                     },
                     [](Bench& b) { Bench::enter(b.window->DtTmPicker); },
                     [](const TFrmMain& w) { return texts({w.DtTmPicker}); }});
    flows.push_back({"measure",
                     {},
                     [](Bench& b) {
                         vl48sim::Readings r = b.sim->readings();
                         r.terminalTemp = 312;
                         r.measured = 4567;
                         b.sim->setReadings(r);
                     },
                     [](Bench& b) { Bench::press(b.window->BtnMeasTemp); },
                     [](const TFrmMain& w) {
                         return texts({w.LblMeasIN, w.LblMeasTE});
                     }});
    flows.push_back({"upload",
                     {},
                     [](Bench& b) {
                         const QString path = b.dir.filePath(QStringLiteral("in.vl4"));
                         vl48test::writeFileBytes(path, uploadFile());
                         b.window->PageControl1->setCurrentWidget(b.window->TabAdvanceFunc);
                         b.fileAnswers << path;
                         Bench::press(b.window->BtnConfLoad);
                     },
                     [](Bench& b) { Bench::press(b.window->BtnUploadConf); },
                     [](const TFrmMain& w) { return formShown(w); }});
    flows.push_back({"unlock", CorrectionEnabled, [](Bench& b) { b.typeCorrectionCode(); },
                     [](Bench& b) { Bench::enter(b.window->MskEdtPwd1); },
                     [](const TFrmMain& w) {
                         return texts({w.PanelDACorr, w.GrpBxDACorr, w.SpdBtnEnableDACorr});
                     }});
    flows.push_back({"enable",
                     {},
                     [](Bench& b) {
                         b.openService();
                         b.window->SpnEdtAOIZero->setValue(1500);
                         b.openCorrection();
                     },
                     [](Bench& b) { Bench::press(b.window->SpdBtnEnableDACorr); },
                     [](const TFrmMain& w) {
                         return texts({w.GrpBxDACorr, w.SpdBtnEnableDACorr}) + outputCodes(w);
                     }});
    flows.push_back({"undo", CorrectionEnabled, [](Bench& b) { b.openCorrection(); },
                     [](Bench& b) { Bench::press(b.window->SpdBtnUndoDACorr); }, outputCodes});
    flows.push_back({"commit", CorrectionEnabled,
                     [](Bench& b) {
                         b.openCorrection();
                         Bench::focus(b.window->SpnEdtAOIZeroDACorr);
                         b.window->SpnEdtAOIZeroDACorr->setValue(1620);
                     },
                     [](Bench& b) { Bench::enter(b.window->SpnEdtAOIZeroDACorr); }, outputCodes});
    flows.push_back({"refresh", Thermocouple, [](Bench& b) { b.openService(); },
                     [](Bench& b) { Bench::press(b.window->BtnRefresh); },
                     [](const TFrmMain& w) {
                         return texts({w.EdtTempSen, w.EdtAIN1, w.EdtAIN2, w.EdtAIN3, w.EdtMV,
                                       w.EdtMeasTemp, w.LblMeasMV});
                     }});
    flows.push_back({"read-ad",
                     {},
                     [](Bench& b) {
                         b.openService();
                         b.window->CheckBoxes[3]->setChecked(true);
                     },
                     [](Bench& b) { Bench::press(b.window->BtnReadAD); },
                     [](const TFrmMain& w) {
                         return texts({w.EdtADData, w.LblHEX});
                     }});
    flows.push_back({"execute",
                     {},
                     [](Bench& b) {
                         b.openService();
                         b.window->CmbBxCommand->setCurrentIndex(1);
                         b.window->SpnEdtCommand->setValue(60);
                         b.window->EdtCommand->setText("1234");
                     },
                     [](Bench& b) { Bench::press(b.window->BtnCommand); }});
    flows.push_back({"adt75",
                     {},
                     [](Bench& b) {
                         b.openService();
                         b.window->MskEdtADT75->setMaskedText(QStringLiteral("25,0"));
                     },
                     [](Bench& b) { Bench::press(b.window->BtnADT75Off); },
                     [](const TFrmMain& w) {
                         return texts({w.LblADT75Real, w.LblADT75Off});
                     }});
    flows.push_back({"pt100-store",
                     {},
                     [](Bench& b) {
                         b.openService();
                         b.window->EdtPT100Const->setText("1234");
                     },
                     [](Bench& b) { Bench::press(b.window->BtnPT100Save); }});
    flows.push_back({"pt1000-store",
                     {},
                     [](Bench& b) {
                         b.openService();
                         b.window->EdtPT1KConst->setText("-4321");
                     },
                     [](Bench& b) { Bench::press(b.window->BtnPT1KSave); }});
    flows.push_back({"offset-store",
                     {},
                     [](Bench& b) {
                         // The converter's zero reading at either gain (words 0491 and 0591):
                         // what the store takes in place of the typed number.
                         vl48sim::Readings r = b.sim->readings();
                         r.adc = {{0x0491, 812}, {0x0591, 812}};
                         b.sim->setReadings(r);
                         b.openService();
                         b.window->EdtOffset->setText("777");
                     },
                     [](Bench& b) { Bench::press(b.window->BtnOffset); },
                     [](const TFrmMain& w) { return texts({w.EdtOffset}); }});
    flows.push_back({"mV-store", Thermocouple,
                     [](Bench& b) {
                         vl48sim::Readings r = b.sim->readings();
                         r.milliVolt = 11700;  // 11,7 mV: the constant for 12,000 mV is 12000
                         b.sim->setReadings(r);
                         b.openService();
                         Bench::press(
                             b.window->BtnRefresh);  // the reading the correction starts from
                         b.window->MskEdtTrueMV->setMaskedText(QStringLiteral("12,000"));
                     },
                     [](Bench& b) { Bench::press(b.window->BtnCorrMV); }});
    flows.push_back(
        {"save-basic",
         {},
         [](Bench& b) { b.window->PageControl1->setCurrentWidget(b.window->TabBasicSet); },
         [](Bench& b) { Bench::press(b.window->BtnConfSave); },
         {},
         false,
         true});
    flows.push_back({"save-bulk",
                     {},
                     [](Bench& b) {
                         const QString path = b.dir.filePath(QStringLiteral("in.vl4"));
                         vl48test::writeFileBytes(path, uploadFile());
                         b.window->PageControl1->setCurrentWidget(b.window->TabAdvanceFunc);
                         b.fileAnswers << path;
                         Bench::press(b.window->BtnConfLoad);
                     },
                     [](Bench& b) { Bench::press(b.window->BtnConf1Save); },
                     {},
                     false,
                     true});
    return flows;
}

const std::vector<Flow>& flows() {
    static const std::vector<Flow> all = makeFlows();
    return all;
}

// ---------------------------------------------------------------- what a flow must leave

// What a completed flow must leave behind, worked out by hand from the cells the simulator starts
// with (its factory memory, the flow's cells) and from what the flow types or loads: never from a
// run of the tool, which would only compare the tool with itself. `stores`: cells the transmitter
// must hold afterwards, every other cell as before the flow. `shows`: widgets by object name and
// their text as texts() gives it; "record" is the configuration record's codes in the order
// input, output, filter, sensor fault, compensation, output limit, wiring.
struct Oracle {
    std::vector<std::pair<int, uint16_t>> stores;
    std::vector<std::pair<QString, QString>> shows;
};

// Two characters of a note in their cell, the first in the high byte.
constexpr uint16_t twoChars(char a, char b) { return uint16_t((uint8_t(a) << 8) | uint8_t(b)); }

const std::map<QString, Oracle>& oracles() {
    static const std::map<QString, Oracle> all = {
        // DistinctCells, read and drawn.
        {"connect",
         {{},
          {{"record", "12 2 3 1 2 1 1"},
           {"RdBtnKTY110", "on"},
           {"RdBtnAO0_10", "on"},
           {"RdBtnFilt3", "on"},
           {"RdBtnPuls", "on"},
           {"RdBtnTempSet", "on"},
           {"ChckBxDaRest", "on"},
           {"RdBtn3wire", "on"},
           {"MskEdtTempBegin", "-050"},
           {"MskEdtTempEnd", "0450"},
           {"MskEdtTcldEnd", "037"},
           {"MskEdtResComp", "01,50"},
           {"EdtNote", "Kotel 3"},
           {"DtTmPicker", "2021-03-17"},
           {"LblInfoType", "VL48"},
           {"LblInfoFW", "1.310"},
           {"LblInfoSN", "00042"},
           {"LblInfoTemp", "23,5 °C"},
           {"LblMeasIN", "23,45"},
           {"SpnEdtAOIZero", "1700"},
           {"SpnEdtAOIEnd", "16300"},
           {"SpnEdtAOUZero", "25"},
           {"SpnEdtAOUEnd", "15900"},
           {"SpnEdtAOIZeroDACorr", "1700"},
           {"SpnEdtAOIEndDACorr", "16300"},
           {"SpnEdtAOUZeroDACorr", "25"},
           {"SpnEdtAOUEndDACorr", "15900"}}}},
        // DistinctCellsChanged, read again and drawn.
        {"reload",
         {{},
          {{"record", "1 1 4 0 1 0 0"},
           {"RdBtnTermK", "on"},
           {"RdBtnAO4_20", "on"},
           {"RdBtnFilt4", "on"},
           {"RdBtnNoMsg", "on"},
           {"RdBtnMeasTerm", "on"},
           {"ChckBxDaRest", "off"},
           {"RdBtn2_4wires", "on"},
           {"MskEdtTempBegin", "-040"},
           {"MskEdtTempEnd", "0321"},
           {"MskEdtTcldEnd", "044"},
           {"MskEdtResComp", "01,57"},
           {"EdtNote", "Sklad 12"},
           {"DtTmPicker", "2024-11-09"},
           {"SpnEdtAOIZero", "1707"},
           {"SpnEdtAOIEnd", "16307"},
           {"SpnEdtAOUZero", "32"},
           {"SpnEdtAOUEnd", "15907"},
           {"SpnEdtAOIZeroDACorr", "1707"},
           {"SpnEdtAOIEndDACorr", "16307"},
           {"SpnEdtAOUZeroDACorr", "32"},
           {"SpnEdtAOUEndDACorr", "15907"}}}},
        // The selections, from the factory codes 1 1 1 0 1 0 0 or the flow's cells.
        {"input", {{{EEInputType, 9}}, {{"record", "9 1 1 0 1 0 0"}, {"RdBtnPT1000", "on"}}}},
        {"wiring", {{{EEWiring, 1}}, {{"record", "8 1 1 0 1 0 1"}, {"RdBtn3wire", "on"}}}},
        {"compensation", {{{EECompMode, 0}}, {{"record", "1 1 1 0 0 0 0"}, {"RdBtnNoComp", "on"}}}},
        {"output", {{{EEOutputType, 2}}, {{"record", "1 2 1 0 1 0 0"}, {"RdBtnAO0_10", "on"}}}},
        {"sensor-fault",
         {{{EESensorFault, 1}}, {{"record", "1 1 1 1 1 0 0"}, {"RdBtnPuls", "on"}}}},
        {"2mA-drop", {{{EESensorFault, 2}}, {{"record", "1 1 1 2 1 0 0"}, {"RdBtn2mADrop", "on"}}}},
        {"filter", {{{EEFilter, 3}}, {{"record", "1 1 3 0 1 0 0"}, {"RdBtnFilt3", "on"}}}},
        {"output-limit",
         {{{EEOutputLimit, 1}}, {{"record", "1 1 1 0 1 1 0"}, {"ChckBxDaRest", "on"}}}},
        {"range-begin", {{{EERangeBegin, 0xFFCE}}, {{"MskEdtTempBegin", "-050"}}}},
        {"range-end", {{{EERangeEnd, 450}}, {{"MskEdtTempEnd", "0450"}}}},
        {"comp-temp", {{{EECompTemp, 30}}, {{"MskEdtTcldEnd", "030"}}}},
        {"line-res", {{{EELineRes, 150}}, {{"MskEdtResComp", "01,50"}}}},
        {"note",
         {{{EENoteLength, 14},
           {90, twoChars('K', 'a')},
           {92, twoChars('l', 'i')},
           {94, twoChars('b', 'r')},
           {96, twoChars('a', 'c')},
           {98, twoChars('e', ' ')},
           {100, twoChars('2', '0')},
           {102, twoChars('2', '6')}},
          {{"EdtNote", "Kalibrace 2026"}}}},
        {"date", {{{EEDayMonth, 14 * 256 + 3}, {EEYear, 2025}}, {{"DtTmPicker", "2025-03-14"}}}},
        {"measure", {{}, {{"LblMeasIN", "45,67"}, {"LblMeasTE", "31,2"}}}},
        // uploadFile(): the codes are the lists' indexes, the note "Matice" in three cells.
        {"upload",
         {{{EEInputType, 9},
           {EEWiring, 1},
           {EECompMode, 1},
           {EEOutputType, 1},
           {EEOutputLimit, 1},
           {EESensorFault, 1},
           {EEFilter, 2},
           {EECompTemp, 25},
           {EERangeBegin, 0xFFCE},
           {EERangeEnd, 450},
           {EEDayMonth, 6 * 256 + 5},
           {EEYear, 2024},
           {EENoteLength, 6},
           {90, twoChars('M', 'a')},
           {92, twoChars('t', 'i')},
           {94, twoChars('c', 'e')},
           {EELineRes, 150}},
          {{"record", "9 1 2 1 1 1 1"},
           {"RdBtnPT1000", "on"},
           {"RdBtnAO4_20", "on"},
           {"RdBtnFilt2", "on"},
           {"RdBtnPuls", "on"},
           {"RdBtnMeasTerm", "on"},
           {"ChckBxDaRest", "on"},
           {"RdBtn3wire", "on"},
           {"MskEdtTempBegin", "-050"},
           {"MskEdtTempEnd", "0450"},
           {"MskEdtTcldEnd", "025"},
           {"MskEdtResComp", "01,50"},
           {"EdtNote", "Matice"},
           {"DtTmPicker", "2024-05-06"}}}},
        {"unlock", {{}, {}}},
        // The copy takes the typed 1500 and the factory codes of the other three outputs.
        {"enable",
         {{{EEDACorrState, 0},
           {EEAOIZeroBackup, 1500},
           {EEAOIEndBackup, 16380},
           {EEAOUZeroBackup, 10},
           {EEAOUEndBackup, 16000}},
          {}}},
        // CorrectionEnabled's copy back into the live codes.
        {"undo",
         {{{EEDACorrState, 0},
           {EEAOIZero, 1600},
           {EEAOIEnd, 16370},
           {EEAOUZero, 20},
           {EEAOUEnd, 15800}},
          {{"SpnEdtAOIZeroDACorr", "1600"},
           {"SpnEdtAOIEndDACorr", "16370"},
           {"SpnEdtAOUZeroDACorr", "20"},
           {"SpnEdtAOUEndDACorr", "15800"}}}},
        // A code of its own: the transmitter is told its codes left the calibration (state 1).
        {"commit", {{{EEAOIZero, 1620}, {EEDACorrState, 1}}, {{"SpnEdtAOIZeroDACorr", "1620"}}}},
        {"refresh", {{}, {{"EdtAIN1", "12000"}, {"EdtAIN2", "23000"}, {"EdtAIN3", "34000"}}}},
        {"read-ad", {{}, {}}},
        {"execute", {{{60, 1234}}, {}}},
        // 25,0 °C true against the reading 23,5 °C: 1,5 °C in tenths.
        {"adt75", {{{EETermOffset, 15}}, {{"LblADT75Real", "23,5 °C"}, {"LblADT75Off", "1,5 °C"}}}},
        {"pt100-store", {{{EEPT100Const, 1234}}, {}}},
        {"pt1000-store", {{{EEPT1KConst, 0x10000 - 4321}}, {}}},
        {"offset-store", {{{EEADCOffset, 812}}, {{"EdtOffset", "812"}}}},
        {"mV-store", {{{EEMVCorr, 12000}}, {}}},
        {"save-basic", {{}, {}}},
        {"save-bulk", {{}, {}}},
    };
    return all;
}

// Where a completed case differs from what its flow must leave behind.
QStringList departures(const Oracle& oracle, const Bench& b, std::vector<uint16_t> before) {
    QStringList out;
    for (const auto& [address, value] : oracle.stores) before[size_t(address / 2)] = value;
    const std::vector<uint16_t> now = b.memory();
    for (size_t i = 0; i < now.size(); ++i)
        if (now[i] != before[i])
            out << QStringLiteral("cell %1 holds %2, not %3").arg(2 * i).arg(now[i]).arg(before[i]);
    const ConfigRecord& r = b.window->Config;
    for (const auto& [name, text] : oracle.shows) {
        QString shown = QStringLiteral("(no such widget)");
        if (name == "record")
            shown = QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                        .arg(r.EEInputType)
                        .arg(r.EEOutputType)
                        .arg(r.EEFilter)
                        .arg(r.EESensorFault)
                        .arg(r.EECompMode)
                        .arg(r.EEOutputLimit)
                        .arg(r.EEWiring);
        else if (const auto* w = b.window->findChild<QWidget*>(name))
            shown = texts({w}).join('|');
        if (shown != text)
            out << QStringLiteral("%1 shows \"%2\", not \"%3\"").arg(name, shown, text);
    }
    return out;
}

// ---------------------------------------------------------------- running a case

// What a fault-free run of a flow gives: the yardstick of every faulty case.
struct Reference {
    int frames = 0;  // frames the transmitter receives during the flow
    std::vector<uint16_t> memory;
    QStringList shown;
    QStringList boxes;
    QByteArray file;
};

QStringList shownOf(const Flow& flow, const TFrmMain& w) {
    const ConfigRecord& r = w.Config;
    QStringList out{QString::number(r.EEInputType), QString::number(r.EEOutputType),
                    QString::number(r.EEFilter),    QString::number(r.EESensorFault),
                    QString::number(r.EECompMode),  QString::number(r.EEOutputLimit),
                    QString::number(r.EEWiring)};
    if (flow.shown) out += flow.shown(w);
    return out;
}

template <typename T>
QString compared(const T& now, const T& before, const T& reference) {
    if (now == before) return QStringLiteral("=");
    if (now == reference) return QStringLiteral("new");
    return QStringLiteral("other");
}

// A folder no one may create a file in, the superuser included (who is not stopped by a folder's
// permissions): the tool's own folder of /proc.
const QString ReadOnlyFolder = QStringLiteral("/proc/self");

// Writes beyond a few bytes fail for the whole process while it lives, as on a full disk.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails with EFBIG instead of killing us
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

struct CaseResult {
    Outcome outcome;
    QString unlikeTable;   // how the outcome differs from the table's row, if it does
    QStringList failures;  // the rest: what no table may allow
    bool passed() const { return unlikeTable.isEmpty() && failures.isEmpty(); }
};

class Matrix {
public:
    // Runs one case. `k` counts the frames of the flow from 0; without a fault it is unused.
    // `clean` is the outcome of the flow's fault-free case (none while that case runs).
    CaseResult run(const Flow& flow, Fault fault, int k, const Reference& ref,
                   const Outcome* clean) {
        CaseResult result;
        Bench b;
        for (const auto& [address, value] : flow.cells) b.sim->setCell(address, value);
        b.sim->setTurnaround(turnaround(fault).first, turnaround(fault).second);
        if (!flow.connects && !b.connect()) {
            result.failures << "could not connect: " + b.boxes.join('|');
            return result;
        }
        if (fault == Fault::UnplugAuto) b.window->ChckBxAutoCon->setChecked(true);
        flow.setup(b);
        if (!flow.connects && !b.sentinel()) {
            result.failures << "setup broke the connection: " + b.boxes.join('|');
            return result;
        }
        b.boxes.clear();
        b.sim->clearLog();
        b.exchanges = 0;
        const std::vector<uint16_t> memoryBefore = b.memory();
        const QStringList shownBefore = shownOf(flow, *b.window);

        // The saves: the file they write and the fault of the disk.
        QString file = b.dir.filePath(QStringLiteral("out.vl4"));
        const QByteArray earlier = "an earlier file\r\n";
        std::optional<FileSizeLimit> fullDisk;
        if (fault == Fault::ReadOnly) file = ReadOnlyFolder + QStringLiteral("/out.vl4");
        if (fault == Fault::DiskFull) {
            vl48test::writeFileBytes(file, earlier);
            fullDisk.emplace(40);
        }
        if (flow.save) b.fileAnswers << file;

        if (fault != Fault::None && !flow.save) b.sim->injectFault(simFault(fault), k);
        // With automatic reconnection the unit is plugged back in once the dialog asks for it.
        QTimer replug;
        if (fault == Fault::UnplugAuto) {
            QObject::connect(&replug, &QTimer::timeout, [&] {
                if (b.window->OKBottomDlg->isVisible() && !b.sim->plugged()) b.sim->plug();
            });
            replug.start(20);
        }

        const Outcome* expected = table().find(flow.name, FaultNames.at(fault), k);
        const auto observe = [&] {
            Outcome o;
            o.boxes = b.boxes.isEmpty() ? QStringLiteral("-") : b.boxes.join('|');
            o.view = b.window->PanelSettings->isVisible() ? QStringLiteral("settings")
                                                          : QStringLiteral("connect");
            o.port =
                b.window->ComPort->Active() ? QStringLiteral("open") : QStringLiteral("closed");
            o.record = compared(shownOf(flow, *b.window), shownBefore, ref.shown);
            if (flow.save) {
                const QByteArray now = vl48test::fileBytes(file);
                o.stored = now == ref.file                  ? QStringLiteral("new")
                           : now == QByteArray("<missing>") ? QStringLiteral("none")
                           : now == earlier                 ? QStringLiteral("=")
                                                            : QStringLiteral("other");
            } else {
                o.stored = compared(b.memory(), memoryBefore, ref.memory);
            }
            o.observable =
                clean && !o.sameEnd(*clean) ? QStringLiteral("yes") : QStringLiteral("no");
            return o;
        };

        QElapsedTimer clock;
        clock.start();
        flow.act(b);
        // Wait for the outcome the table expects; a case without a row waits long enough for a
        // pulled cable to be noticed and a reconnection to end.
        if (expected) {
            waitUntil([&] { return observe() == *expected; }, 10000);
        } else if (isUnplug(fault)) {
            // Either the cable box, or the reconnection dialog come and gone.
            waitUntil(
                [&] {
                    return b.boxes.contains(QStringLiteral("Cable")) ||
                           (b.boxes.contains(QStringLiteral("Reconnect")) &&
                            !b.window->OKBottomDlg->isVisible());
                },
                4000);
        } else {
            waitUntil([&] { return false; }, TComPort::totalTimeoutMs(FrameSize));
        }
        const qint64 elapsed = clock.elapsed();
        fullDisk.reset();
        // Nothing more may follow: a late box or a change of view would be missed by a wait
        // that ends as soon as the outcome is there. What could still come waits at most for a
        // reply's time-out, so watch for that long.
        waitUntil([&] { return false; }, TComPort::totalTimeoutMs(FrameSize));
        result.outcome = observe();
        // A case that ended as the fault-free one did must also have done what the flow is for.
        if (result.outcome.observable == "no") {
            const auto oracle = oracles().find(flow.name);
            if (oracle == oracles().end())
                result.failures << QStringLiteral("nothing says what the flow must leave behind");
            else
                result.failures += departures(oracle->second, b, memoryBefore);
        }

        const auto frames = b.sim->requests();
        // An exchange may take its reply's time-out, and after a failed one first the wait for
        // the line to settle, at most one more time-out.
        const qint64 exchanges = std::max<qint64>(qint64(frames.size()), b.exchanges);
        const qint64 budget = exchanges * 2 * TComPort::totalTimeoutMs(FrameSize) + 5000;
        if (elapsed > budget)
            result.failures << QStringLiteral("took %1 ms for %2 frames, %3 exchanges")
                                   .arg(elapsed)
                                   .arg(frames.size())
                                   .arg(b.exchanges);
        if (!expected)
            result.unlikeTable = QStringLiteral("no row in the table");
        else if (!(result.outcome == *expected))
            result.unlikeTable = "expected " + expected->row();

        // A flow that looks done (still connected, no box but those of a fault-free run) must
        // have had every write it made stored.
        const bool looksDone = result.outcome.view == "settings" && result.outcome.port == "open" &&
                               b.boxes == ref.boxes;
        if (looksDone && !flow.save) {
            std::map<int, uint16_t> lastWrites;
            for (const auto& f : frames)
                if (f.crcOk && f.cmd() == CmdWriteCell)
                    lastWrites[f.bytes[2]] = uint16_t((f.bytes[3] << 8) | f.bytes[4]);
            for (const auto& [address, value] : lastWrites)
                if (b.sim->cell(address) != value)
                    result.failures << QStringLiteral("looks done, but cell %1 holds %2, not %3")
                                           .arg(address)
                                           .arg(b.sim->cell(address))
                                           .arg(value);
        }
        if (looksDone && flow.save && result.outcome.stored != "new")
            result.failures << QStringLiteral("looks saved, but the file is not");
        return result;
    }

    // The fault-free run of a flow, and its frame count.
    Reference reference(const Flow& flow) {
        Reference ref;
        Bench b;
        for (const auto& [address, value] : flow.cells) b.sim->setCell(address, value);
        if (!flow.connects) {
            EXPECT_TRUE(b.connect()) << b.boxes.join('|').toStdString();
        }
        flow.setup(b);
        if (!flow.connects) {
            EXPECT_TRUE(b.sentinel());
        }
        b.boxes.clear();
        b.sim->clearLog();
        const QString file = b.dir.filePath(QStringLiteral("out.vl4"));
        if (flow.save) b.fileAnswers << file;
        flow.act(b);
        // A presence query queued behind whatever the flow left in the event loop: once it is
        // answered, every box of the flow has come and every frame of it is in the log.
        std::optional<bool> answered;
        QMetaObject::invokeMethod(
            b.window.get(), [&] { answered = b.sentinel(); }, Qt::QueuedConnection);
        waitUntil([&] { return answered.has_value(); }, 10000);
        ref.boxes = b.boxes;
        EXPECT_TRUE(answered.value_or(false)) << flow.name.toStdString() << ": no presence query "
                                              << "answered after the fault-free flow";
        if (answered.value_or(false)) ref.frames = int(b.sim->requests().size()) - 1;
        ref.memory = b.memory();
        ref.shown = shownOf(flow, *b.window);
        ref.file = vl48test::fileBytes(file);
        return ref;
    }
};

// ---------------------------------------------------------------- bookkeeping

bool fullRun() { return qgetenv("VL48_MATRIX") == "full"; }

// The seed of a sample's random frames: VL48_MATRIX_SEED, or drawn anew for every run so that
// runs do not check the same frames forever; printed, so that a failure can be repeated.
uint32_t sampleSeed() {
    static const uint32_t seed = [] {
        const QByteArray text = qgetenv("VL48_MATRIX_SEED");
        const uint32_t s = text.isEmpty() ? std::random_device{}() : text.toUInt();
        std::printf("matrix sample seed %u (VL48_MATRIX_SEED=%u repeats this sample)\n", s, s);
        return s;
    }();
    return seed;
}

// Which frames of a flow a run covers: all, or the first, the last and a seeded random one (only
// the random one for a fault sampled once).
std::vector<int> framesToRun(const QString& flow, int frames, bool once) {
    std::vector<int> ks;
    if (frames <= 0) return ks;
    if (fullRun()) {
        for (int k = 0; k < frames; ++k) ks.push_back(k);
        return ks;
    }
    const uint32_t seed = sampleSeed();
    std::seed_seq seq{seed, uint32_t(qHash(flow))};
    std::mt19937 random(seq);
    const int drawn = std::uniform_int_distribution<int>(0, frames - 1)(random);
    if (once) return {drawn};
    const std::set<int> picked{0, frames - 1, drawn};
    return {picked.begin(), picked.end()};
}

void appendLine(const QByteArray& variable, const QString& line) {
    const QString path = qEnvironmentVariable(variable.constData());
    if (path.isEmpty()) return;
    QFile out(path);
    if (out.open(QIODevice::Append | QIODevice::Text)) out.write((line + '\n').toUtf8());
}

// Rows for the table from observed outcomes, runs of equal outcomes joined into ranges.
void recordRows(const QString& flow, const QString& fault, const std::map<int, Outcome>& seen) {
    auto it = seen.begin();
    while (it != seen.end()) {
        auto end = it;
        int last = it->first;
        while (std::next(end) != seen.end() && std::next(end)->first == last + 1 &&
               std::next(end)->second == it->second)
            last = (++end)->first;
        const bool all = it == seen.begin() && std::next(end) == seen.end();
        const QString at = all                 ? QStringLiteral("*")
                           : last == it->first ? QString::number(last)
                                               : QStringLiteral("%1-%2").arg(it->first).arg(last);
        appendLine("VL48_MATRIX_RECORD", QStringList{flow, fault, at, it->second.row()}.join('\t'));
        it = std::next(end);
    }
}

// The summary, printed at the end: flow by fault, cases passed out of cases run.
struct Tally {
    int cases = 0, passed = 0;
};
std::map<QString, std::map<QString, Tally>>& tallies() {
    static std::map<QString, std::map<QString, Tally>> t;
    return t;
}

class SummaryPrinter : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest&) override {
        QStringList faults;
        for (const auto& [fault, name] : FaultNames) faults << name;
        std::printf("\n%-14s", "flow");
        for (const QString& f : faults) std::printf(" %11s", qPrintable(f));
        std::printf("\n");
        Tally total;
        for (const auto& [flow, byFault] : tallies()) {
            std::printf("%-14s", qPrintable(flow));
            for (const QString& f : faults) {
                const auto it = byFault.find(f);
                if (it == byFault.end()) {
                    std::printf(" %11s", "");
                    continue;
                }
                total.cases += it->second.cases;
                total.passed += it->second.passed;
                std::printf(
                    " %11s",
                    qPrintable(
                        QStringLiteral("%1/%2").arg(it->second.passed).arg(it->second.cases)));
            }
            std::printf("\n");
        }
        std::printf("cases passed: %d of %d\n", total.passed, total.cases);
    }
};

// ---------------------------------------------------------------- the test

class FaultMatrix : public ::testing::TestWithParam<size_t> {};

TEST(FaultMatrixTable, IsWellFormed) {
    EXPECT_GT(table().size(), 0u) << VL48_MATRIX_TABLE;
    EXPECT_EQ(table().errors().join('\n').toStdString(), "") << "rows not of nine columns";
}

TEST_P(FaultMatrix, EveryFaultAtEveryFrame) {
    const Flow& flow = flows()[GetParam()];
    Matrix matrix;
    const Reference ref = matrix.reference(flow);
    const bool recording = !qEnvironmentVariableIsEmpty("VL48_MATRIX_RECORD");

    std::vector<std::pair<Fault, std::vector<int>>> plan{{Fault::None, {0}}};
    // VL48_MATRIX_FAULTS=late-20,stream runs (or records) only those faults.
    const QStringList only =
        qEnvironmentVariable("VL48_MATRIX_FAULTS").split(',', Qt::SkipEmptyParts);
    const auto wanted = [&](Fault f) { return only.isEmpty() || only.contains(FaultNames.at(f)); };
    if (flow.save) {
        for (Fault f : SaveFaults)
            if (wanted(f)) plan.push_back({f, {0}});
    } else {
        ASSERT_GT(ref.frames, 0) << "a flow that sends nothing cannot meet a line fault; boxes: "
                                 << ref.boxes.join('|').toStdString();
        for (Fault f : LineFaults)
            if (wanted(f)) plan.push_back({f, framesToRun(flow.name, ref.frames, sampledOnce(f))});
    }
    std::optional<Outcome> clean;  // the fault-free case's outcome, run first
    for (const auto& [fault, ks] : plan) {
        const QString faultName = FaultNames.at(fault);
        std::map<int, Outcome> seen;
        for (int k : ks) {
            SCOPED_TRACE(QStringLiteral("%1 %2 at frame %3 of %4")
                             .arg(flow.name, faultName)
                             .arg(k)
                             .arg(ref.frames)
                             .toStdString());
            const CaseResult r = matrix.run(flow, fault, k, ref, clean ? &*clean : nullptr);
            seen[k] = r.outcome;
            if (fault == Fault::None) clean = r.outcome;
            Tally& t = tallies()[flow.name][faultName];
            ++t.cases;
            if (r.passed()) ++t.passed;
            appendLine("VL48_MATRIX_RESULTS", QStringList{flow.name, faultName, QString::number(k),
                                                          r.passed() ? "pass" : "fail"}
                                                  .join('\t'));
            // A recording makes the table anew: a difference from the old one is no failure then,
            // the rest is.
            const QStringList failures = recording || r.unlikeTable.isEmpty()
                                             ? r.failures
                                             : QStringList{r.unlikeTable} + r.failures;
            EXPECT_TRUE(failures.isEmpty()) << "observed " << r.outcome.row().toStdString() << "\n"
                                            << failures.join('\n').toStdString();
        }
        if (recording) recordRows(flow.name, faultName, seen);
    }
}

INSTANTIATE_TEST_SUITE_P(Flows, FaultMatrix, ::testing::Range(size_t(0), flows().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) {
                             QString name = flows()[info.param].name;
                             return name.replace('-', '_').toStdString();
                         });

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vl48::TApplication app(argc, argv);
    // The technicians' locale, so that decimal texts read the same on every machine.
    QLocale::setDefault(QLocale(QLocale::Czech, QLocale::Czechia));
    ::testing::UnitTest::GetInstance()->listeners().Append(new SummaryPrinter);
    return RUN_ALL_TESTS();
}
