#include "Application.h"

#include <QMessageBox>
#include <exception>

namespace vl48 {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    // The application's own title (task bar, message boxes). Set as the name rather than the
    // display name: the platform would append a display name to every window title.
    setApplicationName(QStringLiteral("Nastavovací program ZK40_S"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        const QString text = QString::fromUtf8(e.what());
        if (onError)
            onError(text);
        else
            QMessageBox::critical(nullptr, applicationDisplayName(), text);
    } catch (...) {
        if (onError) onError(QStringLiteral("Unexpected error"));
    }
    return true;
}

}  // namespace vl48
