#include "window/Application.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QMessageBox>
#include <exception>

namespace vl48 {

Q_LOGGING_CATEGORY(lcStartup, "vl48.startup", QtInfoMsg)

void startupMark(const char* step) {
    static QElapsedTimer clock;
    if (!clock.isValid()) clock.start();
    qCDebug(lcStartup, "%s: %.1f ms", step, double(clock.nsecsElapsed()) / 1e6);
}

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The application's own title (task bar, message boxes). Set as the name rather than the
    // display name: the platform would append a display name to every window title.
    setApplicationName(QStringLiteral("Nastavovací program ZK40_S"));
}

void TApplication::showError(const QString& text) {
    auto* app = dynamic_cast<TApplication*>(QCoreApplication::instance());
    if (app && app->onError)
        app->onError(text);
    else
        QMessageBox::critical(nullptr, applicationDisplayName(), text);
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    // Unwinding through Qt's event dispatch is undefined behaviour; the handlers catch their
    // own, so whatever arrives here came from Qt or from code outside any handler.
    QString text;
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        text = QString::fromUtf8(e.what());
    } catch (...) {
        text = QStringLiteral("Unexpected error");
    }
    ++exceptionsInNotify;
    qWarning("Exception reached the event loop (event %d for %s): %s", int(event->type()),
             receiver ? receiver->metaObject()->className() : "no receiver", qPrintable(text));
    showError(text);
    return true;
}

}  // namespace vl48
