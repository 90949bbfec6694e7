// The live trend of the readings: the basic tab's "measure continuously" box, and the window
// beside the main one that draws the input value and the terminal temperature of the last
// minutes with their figures and saves the series as CSV. The repetition itself is the
// window's (TFrmMain::TmrTrendTimer, window/config/Trend.cpp).
#pragma once

#include <QCheckBox>
#include <QDateTime>
#include <QWidget>
#include <array>
#include <vector>

#include "core/session/TrendSeries.h"

class QChart;
class QDateTimeAxis;
class QLabel;
class QLineSeries;
class QPushButton;
class QValueAxis;

namespace vl48 {

// ChckBxMeasContinuous. Made by the basic tab's form before the tab belongs to the window, it
// finds the window when it is ticked. Whatever hides it (another tab, the connection view, the
// window closing) unticks it; only the desktop minimizing the window does not.
class TTrendBox : public QCheckBox {
    Q_OBJECT
public:
    explicit TTrendBox(QWidget* parent = nullptr);

protected:
    void hideEvent(QHideEvent* event) override;
};

// The trend's own window (FrmTrend), above the main window.
class TTrendWnd : public QWidget {
    Q_OBJECT
public:
    // How much of the series the chart and the figures cover.
    static constexpr int SpanSeconds = 5 * 60;

    explicit TTrendWnd(QWidget* parent);
    // Draws the samples taken from `from` to `to` and shows their figures.
    void showSeries(const std::vector<TrendSample>& samples, const QDateTime& from,
                    const QDateTime& to);
    void retranslate();

    QLineSeries* InputSeries = nullptr;
    QLineSeries* TerminalSeries = nullptr;
    QPushButton* BtnTrendSave = nullptr;
    // The figures: current, minimum, maximum, mean; of the input, then of the terminal.
    std::array<QLabel*, 4> InputFigures{}, TerminalFigures{};

signals:
    void closedByUser();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QChart* m_chart = nullptr;
    QDateTimeAxis* m_timeAxis = nullptr;
    QValueAxis* m_inputAxis = nullptr;
    QValueAxis* m_terminalAxis = nullptr;
    QLabel* m_inputCaption = nullptr;
    QLabel* m_terminalCaption = nullptr;
    std::array<QLabel*, 4> m_headers{};
    bool m_placed = false;
    void place();
};

}  // namespace vl48
