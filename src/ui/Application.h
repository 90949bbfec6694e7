// The application object with the general error handler: a port error (or any other exception)
// that no handler caught is shown in a message box, and the event loop goes on.
#pragma once

#include <QApplication>
#include <functional>

namespace vl48 {

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
    // Shows the text of an uncaught error; the main window sets it to its message box.
    std::function<void(const QString&)> onError;
};

}  // namespace vl48
