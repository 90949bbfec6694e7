// The live trend of the readings, with the real window against the simulated transmitter: the
// box repeats the measurement's two exchanges (the exact frames, in order), the chart and the
// figures show what was read, a failed exchange ends it as a failed click does, whatever hides
// the box or ends the connection stops it, a busy window skips, and the CSV holds the readings.
#include <QCheckBox>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTimer>

#include "WindowFixture.h"
#include "window/config/Trend.h"

using namespace vl48;
using Kind = vl48sim::Fault::Kind;
using vl48test::waitUntil;

namespace {

constexpr uint8_t Tag = 0x3C;
const QString LostCz = QStringLiteral("Spojení s převodníkem bylo ztraceno.");
const QString ClosedPort = QStringLiteral("Can't perform this operation on a closed port");

class Trend : public vl48test::WindowTest {
protected:
    void SetUp() override {
        QLocale::setDefault(QLocale(QLocale::Czech, QLocale::CzechRepublic));
        WindowTest::SetUp();
        window->trendIntervalMs = 5;
        // Repetition i reads 20,00 + 0,15·i and 23,0 + 0,1·i, stamped one second after the one
        // before, except that the clock jumps by `jump` seconds before repetition 3.
        window->trendClock = [this] {
            const int i = repetitions++;
            vl48sim::Readings r;
            r.measured = i == faultyCode ? 655351 : 2000 + 15 * i;
            r.terminalTemp = int16_t(230 + i);
            sim->setReadings(r);
            return Start.addSecs(i + (i >= 3 ? jump : 0));
        };
        connectToTransmitter();
        window->link->setFrameTag(Tag);
        box = window->findChild<QCheckBox*>(QStringLiteral("ChckBxMeasContinuous"));
        ASSERT_NE(box, nullptr);
    }

    void TearDown() override {
        WindowTest::TearDown();
        QLocale::setDefault(QLocale::c());
    }

    // Ticks the box and waits for n repetitions drawn.
    void run(int n) {
        click(box);
        ASSERT_TRUE(window->FrmTrend &&
                    waitUntil([&] { return window->FrmTrend->TerminalSeries->count() >= n; }))
            << messageTexts().join('|').toStdString();
    }
    static std::vector<std::string> measurements(size_t n) {
        std::vector<std::string> frames;
        for (size_t i = 0; i < n; ++i)
            for (uint8_t command : {CmdMeasure, CmdTemp})
                frames.push_back(vl48test::requestHex(command, Tag, 0, 0, 0));
        return frames;
    }
    QStringList figures(const std::array<QLabel*, 4>& labels) const {
        QStringList out;
        for (QLabel* l : labels) out << l->text();
        return out;
    }
    void expectStopped() {
        EXPECT_FALSE(box->isChecked());
        EXPECT_FALSE(window->TmrTrend->isActive());
    }

    const QDateTime Start{QDate(2026, 12, 9), QTime(13, 0), Qt::OffsetFromUTC, 3600};
    int repetitions = 0, jump = 0, faultyCode = -1;
    QCheckBox* box = nullptr;
};

}  // namespace

TEST_F(Trend, RepeatsBothReadingsAndShowsWhatWasReadOverTheLastMinutes) {
    jump = 400;  // repetitions 0..2 fall out of the five minutes shown
    run(6);
    click(box);
    expectStopped();
    const int n = repetitions;
    EXPECT_EQ(requestsHex(), measurements(n)) << "nothing after the box was unticked";
    QList<QPointF> input, terminal;
    for (int i = 3; i < n; ++i) {
        const double x = double(Start.addSecs(i + jump).toMSecsSinceEpoch());
        input.append({x, (2000 + 15 * i) / 100.0});
        terminal.append({x, (230 + i) / 10.0});
    }
    EXPECT_EQ(window->FrmTrend->InputSeries->points(), input);
    EXPECT_EQ(window->FrmTrend->TerminalSeries->points(), terminal);
    const QString last = QString::number((2000 + 15 * (n - 1)) / 100.0).replace('.', ',');
    EXPECT_EQ(window->LblMeasIN->text(), last);
    EXPECT_EQ(figures(window->FrmTrend->InputFigures).mid(0, 2), (QStringList{last, "20,45"}));
    EXPECT_EQ(figures(window->FrmTrend->TerminalFigures).mid(1, 1), QStringList{"23,3"});
    EXPECT_TRUE(messages.empty());
}

TEST_F(Trend, AFailedExchangeEndsItAsAFailedClickDoes) {
    const struct {
        int request;  // the faulty one of the third repetition: 248, then 250
        QStringList messages;
        int inputsRead;
    } cases[] = {{4, {LostCz, ClosedPort}, 2}, {5, {LostCz}, 3}};
    for (const auto& c : cases) {
        sim->injectFault({Kind::BadCrc}, c.request);
        click(box);
        ASSERT_TRUE(waitUntil([&] { return window->PanelConnect->isVisible(); }));
        expectStopped();
        EXPECT_EQ(messageTexts(), c.messages);
        const auto frames = measurements(3);
        EXPECT_EQ(requestsHex(), std::vector(frames.begin(), frames.begin() + c.request + 1));
        EXPECT_EQ(window->FrmTrend->InputSeries->count(), c.inputsRead) << c.request;
        EXPECT_EQ(window->FrmTrend->TerminalSeries->count(), 2);
        EXPECT_FALSE(box->isEnabled() && box->isVisible());
        connectToTransmitter();
        window->link->setFrameTag(Tag);
    }
}

TEST_F(Trend, LeavingTheTabEndingTheConnectionOrClosingTheChartStopsIt) {
    const std::pair<const char*, std::function<void()>> cases[] = {
        {"another tab", [&] { window->PageControl1->setCurrentIndex(1); }},
        {"the chart closed", [&] { window->FrmTrend->close(); }},
        {"the connection ended", [&] { window->MenuCommEndClick(); }},
        {"the cable pulled",
         [&] {
             sim->unplug();
             ASSERT_TRUE(waitUntil([&] { return window->PanelConnect->isVisible(); }));
         }},
    };
    for (const auto& [what, act] : cases) {
        window->PageControl1->setCurrentIndex(0);
        if (!window->ComPort->Active()) {
            sim->plug();
            connectToTransmitter();
            window->link->setFrameTag(Tag);
        }
        run(2);
        act();
        expectStopped();
        const size_t received = sim->requests().size();
        EXPECT_EQ(requestsHex(), measurements(received / 2)) << what;
        sim->clearLog();
        messages.clear();
    }
    window->SpdBtnDemoClick();  // the settings view without a connection
    EXPECT_FALSE(box->isEnabled());
    EXPECT_FALSE(window->BtnMeasTemp->isEnabled());
}

TEST_F(Trend, ARepetitionThatFindsTheWindowBusySkips) {
    run(1);
    window->Updating = true;  // as while the form is drawn or an upload runs
    const size_t before = sim->requests().size();
    QSignalSpy ticks(window->TmrTrend, &QTimer::timeout);
    ASSERT_TRUE(waitUntil([&] { return ticks.count() >= 3; }));
    EXPECT_EQ(sim->requests().size(), before);
    window->Updating = false;
    ASSERT_TRUE(waitUntil([&] { return sim->requests().size() >= before + 2; }));
    click(box);
    EXPECT_EQ(requestsHex(), measurements(sim->requests().size() / 2));
}

TEST_F(Trend, TheCsvHoldsTheReadings) {
    faultyCode = 1;  // "Err +T": a fault, not a value
    run(3);
    click(box);
    const QString path = dir.filePath("trend.csv");
    fileDialogAnswers << path;
    click(window->FrmTrend->BtnTrendSave);
    QByteArray expected = "time,input,terminal_temperature\r\n";
    for (int i = 0; i < repetitions; ++i)
        expected += Start.addSecs(i).toString(Qt::ISODateWithMs).toUtf8() + ',' +
                    (i == 1 ? QByteArray("Err +T") : QByteArray::number((2000 + 15 * i) / 100.0)) +
                    ',' + QByteArray::number((230 + i) / 10.0) + "\r\n";
    EXPECT_EQ(vl48test::fileBytes(path), expected);
    EXPECT_EQ(window->FrmTrend->InputFigures[1]->text(), "20") << "the fault is no minimum";
    EXPECT_TRUE(messages.empty());
}
