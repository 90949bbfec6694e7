// Start-up: the application object with its general error handler, the main window (which
// creates the reconnection dialog after itself), then the event loop.
#include <QTimer>

#include "Application.h"
#include "FrmMain.h"

int main(int argc, char** argv) {
    vl48::TApplication app(argc, argv);
    // Lets the desktop match the window to its menu entry (and so to its icon).
    QGuiApplication::setDesktopFileName(QStringLiteral("cz.vl48.Vl48Tool"));
    vl48::TFrmMain window;
    app.onError = [&window](const QString& text) {
        window.showMessage(vl48::MsgKind::Error, text);
    };
    window.show();
    // For timing the start-up from outside: the window is shown, then the program ends.
    if (qEnvironmentVariable("VL48_QUIT_WHEN_SHOWN") == QLatin1String("1"))
        QTimer::singleShot(0, &app, &QCoreApplication::quit);
    return app.exec();
}
