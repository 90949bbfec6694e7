// Renders the connection view and every tab of the settings view, in both languages, to PNG
// files, so the look can be reviewed without a display (QT_QPA_PLATFORM=offscreen).
#include <QDir>
#include <QGroupBox>
#include <QTabWidget>
#include <cstdio>

#include "window/Application.h"
#include "window/FrmMain.h"

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
    return written == 14 ? 0 : 1;
}
