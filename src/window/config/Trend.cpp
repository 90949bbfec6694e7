// The live trend of the readings: the basic tab's box repeats the measurement of its button on
// a timer of the user-interface thread, skipping a repetition while another operation of the
// window is under way, and the trend window draws what was read.
#include "window/config/Trend.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDateTimeAxis>
#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QHideEvent>
#include <QLabel>
#include <QLineSeries>
#include <QLocale>
#include <QPushButton>
#include <QSaveFile>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>
#include <QValueAxis>
#include <algorithm>

#include "core/session/Identification.h"
#include "window/Forms.h"

namespace vl48 {

namespace {

// A day of repetitions at the usual pace; older samples give way, a few thousand at a time.
constexpr size_t MaxSamples = 24 * 3600;
constexpr size_t DropAtOnce = 3600;

QChar separator() { return QLocale().decimalPoint().at(0); }

// An axis just around the values shown, never of zero height.
void fitAxis(QValueAxis* axis, const SeriesFigures& f, double scale) {
    if (f.count == 0) {
        axis->setRange(0, 1);
        return;
    }
    const double low = double(f.min) / scale;
    const double high = double(f.max) / scale;
    const double pad = std::max((high - low) * 0.1, 0.5);
    axis->setRange(low - pad, high + pad);
}

}  // namespace

TTrendBox::TTrendBox(QWidget* parent) : QCheckBox(parent) {
    connect(this, &QCheckBox::toggled, this, [this](bool checked) {
        if (auto* w = qobject_cast<TFrmMain*>(window())) w->ChckBxMeasContinuousClick(checked);
    });
}

void TTrendBox::hideEvent(QHideEvent* event) {
    QCheckBox::hideEvent(event);
    if (!event->spontaneous()) setChecked(false);
}

TTrendWnd::TTrendWnd(QWidget* parent) : QWidget(parent, Qt::Tool) {
    setObjectName(QStringLiteral("FrmTrend"));
    setFont(parent->font());
    resize(640, 440);

    m_chart = new QChart;
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    InputSeries = new QLineSeries(m_chart);
    TerminalSeries = new QLineSeries(m_chart);
    m_chart->addSeries(InputSeries);
    m_chart->addSeries(TerminalSeries);
    m_timeAxis = new QDateTimeAxis(m_chart);
    m_timeAxis->setFormat(QStringLiteral("HH:mm:ss"));
    m_timeAxis->setTickCount(6);
    m_inputAxis = new QValueAxis(m_chart);
    m_terminalAxis = new QValueAxis(m_chart);
    m_chart->addAxis(m_timeAxis, Qt::AlignBottom);
    m_chart->addAxis(m_inputAxis, Qt::AlignLeft);
    m_chart->addAxis(m_terminalAxis, Qt::AlignRight);
    for (QLineSeries* s : {InputSeries, TerminalSeries}) s->attachAxis(m_timeAxis);
    InputSeries->attachAxis(m_inputAxis);
    TerminalSeries->attachAxis(m_terminalAxis);
    auto* view = new QChartView(m_chart, this);
    view->setObjectName(QStringLiteral("ChrtTrend"));
    view->setRenderHint(QPainter::Antialiasing);

    auto* figures = new QGridLayout;
    figures->setHorizontalSpacing(16);
    m_inputCaption = new QLabel(this);
    m_terminalCaption = new QLabel(this);
    figures->addWidget(m_inputCaption, 1, 0);
    figures->addWidget(m_terminalCaption, 2, 0);
    const char* names[] = {"Now", "Min", "Max", "Mean"};
    for (int i = 0; i < 4; ++i) {
        m_headers[i] = new QLabel(this);
        InputFigures[i] = new QLabel(this);
        TerminalFigures[i] = new QLabel(this);
        InputFigures[i]->setObjectName(QStringLiteral("LblTrendIN") + names[i]);
        TerminalFigures[i]->setObjectName(QStringLiteral("LblTrendTE") + names[i]);
        for (QLabel* l : {m_headers[i], InputFigures[i], TerminalFigures[i]})
            l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        figures->addWidget(m_headers[i], 0, i + 1);
        figures->addWidget(InputFigures[i], 1, i + 1);
        figures->addWidget(TerminalFigures[i], 2, i + 1);
    }
    figures->setColumnStretch(5, 1);
    BtnTrendSave = new QPushButton(this);
    BtnTrendSave->setObjectName(QStringLiteral("BtnTrendSave"));
    BtnTrendSave->setAutoDefault(false);
    figures->addWidget(BtnTrendSave, 2, 6);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(4, 4, 4, 4);
    column->addWidget(view, 1);
    column->addLayout(figures);
    retranslate();
    showSeries({}, QDateTime::currentDateTime().addSecs(-SpanSeconds),
               QDateTime::currentDateTime());
}

void TTrendWnd::retranslate() {
    setWindowTitle(QCoreApplication::translate("TFrmMain", "Průběh měření"));
    const QString input = QCoreApplication::translate("TFrmMain", "Měřená hodnota");
    const QString terminal = QCoreApplication::translate("TFrmMain", "Teplota svorek");
    m_inputCaption->setText(input + QLatin1Char(':'));
    m_terminalCaption->setText(terminal + QLatin1Char(':'));
    InputSeries->setName(input);
    TerminalSeries->setName(terminal);
    m_inputAxis->setTitleText(input);
    m_terminalAxis->setTitleText(terminal);
    m_timeAxis->setTitleText(
        QCoreApplication::translate("TFrmMain", "Posledních %1 minut").arg(SpanSeconds / 60));
    const char* headers[] = {
        QT_TRANSLATE_NOOP("TFrmMain", "Aktuální"), QT_TRANSLATE_NOOP("TFrmMain", "Minimum"),
        QT_TRANSLATE_NOOP("TFrmMain", "Maximum"), QT_TRANSLATE_NOOP("TFrmMain", "Průměr")};
    for (int i = 0; i < 4; ++i)
        m_headers[i]->setText(QCoreApplication::translate("TFrmMain", headers[i]));
    BtnTrendSave->setText(QCoreApplication::translate("TFrmMain", "Uložit do CSV…"));
}

void TTrendWnd::showSeries(const std::vector<TrendSample>& samples, const QDateTime& from,
                           const QDateTime& to) {
    QList<QPointF> input, terminal;
    for (const TrendSample& s : samples) {
        if (s.time < from) continue;
        const auto x = double(s.time.toMSecsSinceEpoch());
        if (s.measured && measuredKind(*s.measured, LiveMeasureFaultFrom) == Measured::Reading)
            input.append({x, *s.measured / 100.0});
        if (s.temperature) terminal.append({x, *s.temperature / 10.0});
    }
    InputSeries->replace(input);
    TerminalSeries->replace(terminal);
    m_timeAxis->setRange(from, to);

    const TrendFigures f = trendFigures(samples, from);
    fitAxis(m_inputAxis, f.input, 100.0);
    fitAxis(m_terminalAxis, f.temperature, 10.0);
    const QChar sep = separator();
    const bool in = f.input.count > 0;
    InputFigures[0]->setText(
        f.currentInput ? measuredText(*f.currentInput, LiveMeasureFaultFrom, sep) : QString());
    InputFigures[1]->setText(in ? scaledText(f.input.min, 2, sep) : QString());
    InputFigures[2]->setText(in ? scaledText(f.input.max, 2, sep) : QString());
    InputFigures[3]->setText(in ? scaledText(f.input.meanHundredths(2), 2, sep) : QString());
    const bool te = f.temperature.count > 0;
    TerminalFigures[0]->setText(te ? scaledText(f.temperature.current, 1, sep) : QString());
    TerminalFigures[1]->setText(te ? scaledText(f.temperature.min, 1, sep) : QString());
    TerminalFigures[2]->setText(te ? scaledText(f.temperature.max, 1, sep) : QString());
    TerminalFigures[3]->setText(te ? scaledText(f.temperature.meanHundredths(1), 2, sep)
                                   : QString());
}

void TTrendWnd::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closedByUser();
}

void TTrendWnd::showEvent(QShowEvent* event) {
    if (!m_placed) place();
    QWidget::showEvent(event);
}

// Beside the main window where the screen has room, else at the screen's right edge.
void TTrendWnd::place() {
    m_placed = true;
    QWidget* main = parentWidget();
    QRect where(main->frameGeometry().topRight() + QPoint(8, 0), size());
    if (const QScreen* screen = main->screen()) {
        const QRect room = screen->availableGeometry();
        if (where.right() > room.right()) where.moveRight(room.right());
        if (where.bottom() > room.bottom()) where.moveBottom(room.bottom());
    }
    move(where.topLeft());
}

void TFrmMain::ChckBxMeasContinuousClick(bool checked) {
    if (!checked) {
        if (TmrTrend) TmrTrend->stop();
        return;
    }
    QCheckBox* box = m_forms->basic.ChckBxMeasContinuous;
    if (!TmrTrend) {
        TmrTrend = new QTimer(this);
        TmrTrend->setObjectName(QStringLiteral("TmrTrend"));
        connect(TmrTrend, &QTimer::timeout, this, &TFrmMain::TmrTrendTimer);
        FrmTrend = new TTrendWnd(this);
        connect(FrmTrend->BtnTrendSave, &QPushButton::clicked, this, &TFrmMain::BtnTrendSaveClick);
        connect(FrmTrend, &TTrendWnd::closedByUser, box, [box] { box->setChecked(false); });
    }
    // Every run draws a series of its own: a curve never joins another unit's or another hour's.
    m_trendSamples.clear();
    showTrend();
    FrmTrend->show();
    FrmTrend->raise();
    TmrTrend->start(trendIntervalMs);
    TmrTrendTimer();  // the first reading at once, not a second later
}

bool TFrmMain::windowBusy() const {
    return Updating || m_handlerDepth > 0 || m_lineErrorPending ||
           QApplication::activeModalWidget() != nullptr;
}

void TFrmMain::TmrTrendTimer() {
    if (!ComPort->Active()) {
        m_forms->basic.ChckBxMeasContinuous->setChecked(false);
        return;
    }
    if (windowBusy()) return;
    const QDateTime at = trendClock ? trendClock() : QDateTime::currentDateTime();
    guarded([&] {
        TrendSample read = measureNow();
        read.time = at;
        if (m_trendSamples.size() >= MaxSamples + DropAtOnce)
            m_trendSamples.erase(m_trendSamples.begin(), m_trendSamples.begin() + DropAtOnce);
        m_trendSamples.push_back(read);
        showTrend();
    });
}

void TFrmMain::showTrend() {
    if (!FrmTrend) return;
    const QDateTime to =
        m_trendSamples.empty() ? QDateTime::currentDateTime() : m_trendSamples.back().time;
    FrmTrend->showSeries(m_trendSamples, to.addSecs(-TTrendWnd::SpanSeconds), to);
}

void TFrmMain::BtnTrendSaveClick() {
    auto* dialog = FrmTrend->findChild<QFileDialog*>(QStringLiteral("TrendSvDlg"));
    if (!dialog) {
        dialog = new QFileDialog(FrmTrend);
        dialog->setObjectName(QStringLiteral("TrendSvDlg"));
        dialog->setAcceptMode(QFileDialog::AcceptSave);
        dialog->setNameFilter(QStringLiteral("CSV (*.csv)"));
        dialog->setDefaultSuffix(QStringLiteral("csv"));
    }
    const std::vector<TrendSample> samples = m_trendSamples;  // as they stand at the click
    QString path;
    {
        // As every file dialog of the window: a line error waits until it has closed.
        HandlerScope scope(*this);
        if (fileDialogHook)
            path = fileDialogHook(dialog);
        else if (dialog->exec() == QDialog::Accepted && !dialog->selectedFiles().isEmpty())
            path = dialog->selectedFiles().constFirst();
    }
    if (path.isEmpty()) return;
    // The file is replaced only once the whole series is written.
    QSaveFile file(path);
    const QByteArray csv = trendCsv(samples);
    if (file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size() && file.commit()) return;
    showMessage(MsgKind::Error, QCoreApplication::translate(
                                    "TFrmMain", "Průběh měření nelze uložit do souboru %1: %2")
                                    .arg(QDir::toNativeSeparators(path), file.errorString()));
}

}  // namespace vl48
