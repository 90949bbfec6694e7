// Start-up: the application object with its general error handler, the main window (which
// creates the reconnection dialog after itself), then the event loop.
#include "Application.h"
#include "FrmMain.h"

int main(int argc, char** argv) {
    vl48::TApplication app(argc, argv);
    vl48::TFrmMain window;
    app.onError = [&window](const QString& text) {
        window.showMessage(vl48::MsgKind::Error, text);
    };
    window.show();
    return app.exec();
}
