// The application object with the general error handler. Handlers catch their own exceptions
// (TFrmMain::guarded) and show them through showError; notify() is the last resort for what Qt
// itself raises: it logs, shows the text the same way, and the event loop goes on.
#pragma once

#include <QApplication>
#include <functional>

namespace vl48 {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the text of an error no handler dealt with; the main window sets it to its message
    // box. Without it (or without this application object), a plain critical box.
    std::function<void(const QString&)> onError;
    static void showError(const QString& text);
    // How many exceptions reached notify(): none should.
    int exceptionsInNotify = 0;
};

// The start-up trace: with QT_LOGGING_RULES="vl48.startup.debug=true", each step of the start-up
// logs the milliseconds since the first mark, which main() makes before anything else.
void startupMark(const char* step);

}  // namespace vl48
