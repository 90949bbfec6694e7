// Renders the connection view and every tab of the settings view, in both languages, to PNG
// files, so the look can be reviewed without a display (QT_QPA_PLATFORM=offscreen); then the
// basic tab with the trend of a sensor settling, read from a simulated transmitter.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QPainter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <cmath>
#include <cstdio>

#include "Simulator.h"
#include "window/Application.h"
#include "window/FrmMain.h"
#include "window/config/Trend.h"

namespace {

// A PT100 put into an 85 °C bath: the input settles from the room's 21,5 °C over some minutes
// with a little noise, and the terminal strip warms by a few tenths. Every repetition of the
// trend asks the clock first, so the clock sets what the transmitter reads next and stamps it one
// second after the one before: minutes of a trend in a second or two.
bool runTrend(vl48::TApplication& app, vl48::TFrmMain& window, vl48sim::Simulator& sim) {
    window.CmbBxPort->setCurrentText(QString::fromStdString(sim.linkPath()));
    window.BtnConnectClick();
    if (!window.ComPort->Active()) return false;
    constexpr int Seconds = 6 * 60;
    int second = 0;
    const QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(13, 52, 0));
    window.trendIntervalMs = 1;
    window.trendClock = [&] {
        const double t = second;
        const double bath = 85.0 - 63.5 * std::exp(-t / 55.0);
        const double noise = 0.04 * std::sin(t * 1.7) + 0.03 * std::sin(t * 0.37 + 1.0);
        vl48sim::Readings r;
        r.measured = int32_t(std::lround((bath + noise) * 100));
        r.terminalTemp = int16_t(std::lround(235 + 5 * (1 - std::exp(-t / 150.0))));
        sim.setReadings(r);
        return start.addSecs(second++);
    };
    window.PageControl1->setCurrentWidget(window.TabBasicSet);
    window.findChild<QCheckBox*>(QStringLiteral("ChckBxMeasContinuous"))->setChecked(true);
    while (second < Seconds && window.TmrTrend->isActive()) app.processEvents();
    window.TmrTrend->stop();  // the box stays ticked in the picture
    return second >= Seconds;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    vl48::TApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    QDir().mkpath(dir);

    vl48::TFrmMain window;
    window.messageHook = [](vl48::MsgKind, const QString&) {};
    window.show();

    int written = 0;
    const auto shoot = [&](const QString& name) {
        app.processEvents();
        const QString path = QDir(dir).filePath(name + QStringLiteral(".png"));
        if (window.grab().save(path)) {
            std::printf("%s\n", qPrintable(path));
            ++written;
        }
    };
    for (int lang : {0, 1}) {
        const QString suffix = lang == 0 ? QStringLiteral("-cs") : QStringLiteral("-en");
        lang == 0 ? window.MSLanguageCZClick() : window.MSLanguageENClick();
        window.PanelSettings->hide();
        window.PanelConnect->show();
        shoot(QStringLiteral("connect") + suffix);

        // The settings view with everything a service technician can open.
        window.PanelConnect->hide();
        window.PanelSettings->show();
        window.setTabShown(window.TabService, true);
        window.setTabShown(window.TabDACorr, true);
        const QStringList names = {QStringLiteral("basic"), QStringLiteral("bulk"),
                                   QStringLiteral("service-code"), QStringLiteral("dacorr-code")};
        for (int i = 0; i < 4; ++i) {
            window.PageControl1->setCurrentIndex(i);
            shoot(names[i] + suffix);
        }
        window.PanelPwd->hide();
        window.PanelService->show();
        window.PageControl1->setCurrentWidget(window.TabService);
        shoot(QStringLiteral("service") + suffix);
        window.PanelPwd1->hide();
        window.PanelDACorr->show();
        if (window.GrpBxDACorr) window.GrpBxDACorr->show();
        window.PageControl1->setCurrentWidget(window.TabDACorr);
        shoot(QStringLiteral("dacorr") + suffix);
        window.PanelService->hide();
        window.PanelPwd->show();
        window.PanelDACorr->hide();
        window.PanelPwd1->show();
        window.PageControl1->setCurrentIndex(0);
    }

    QTemporaryDir simDir;
    vl48sim::Options options;
    options.linkPath = simDir.filePath(QStringLiteral("vl48")).toStdString();
    vl48sim::Simulator sim(options);
    sim.start();
    window.ShowConnect();
    window.setTabShown(window.TabService, false);
    window.setTabShown(window.TabDACorr, false);
    if (runTrend(app, window, sim)) {
        for (int lang : {0, 1}) {
            lang == 0 ? window.MSLanguageCZClick() : window.MSLanguageENClick();
            app.processEvents();
            // The main window and the trend's window beside it, as the desktop shows them.
            const QPixmap main = window.grab();
            const QPixmap trend = window.FrmTrend->grab();
            QPixmap both(main.width() + 8 + trend.width(), std::max(main.height(), trend.height()));
            both.fill(window.palette().color(QPalette::Dark));
            QPainter painter(&both);
            painter.drawPixmap(0, 0, main);
            painter.drawPixmap(main.width() + 8, 0, trend);
            painter.end();
            const QString path = QDir(dir).filePath(lang == 0 ? QStringLiteral("trend-cs.png")
                                                              : QStringLiteral("trend-en.png"));
            if (both.save(path)) {
                std::printf("%s\n", qPrintable(path));
                ++written;
            }
        }
    }
    return written == 16 ? 0 : 1;
}
