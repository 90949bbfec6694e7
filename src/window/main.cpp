// Start-up: the application object with its general error handler, the main window (which
// creates the reconnection dialog after itself), then the event loop.
#include <QTimer>
#include <csignal>

#include "window/Application.h"
#include "window/FrmMain.h"

int main(int argc, char** argv) {
    vl48::startupMark("main");
    // A log beyond the file-size limit must fail its write (and say so), not end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    vl48::TApplication app(argc, argv);
    vl48::startupMark("application");
    // Lets the desktop match the window to its menu entry (and so to its icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.vl48.Vl48Tool"));
    vl48::TFrmMain window;
    app.onError = [&window](const QString& text) {
        window.showMessage(vl48::MsgKind::Error, text);
    };
    vl48::startupMark("window made");
    window.show();
    vl48::startupMark("shown");
    QTimer::singleShot(0, &app, [] { vl48::startupMark("event loop"); });
    // For timing the start-up from outside: the window is shown, then the program ends.
    if (qEnvironmentVariable("VL48_QUIT_WHEN_SHOWN") == QLatin1String("1"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
