// The guard around every handler of the window: a line error noticed while a handler exchanges
// frames waits until the outermost handler has returned, and an exception a handler does not
// catch is shown as the general error handler shows it. Included by window/FrmMain.h.
#pragma once

#include <exception>

#include "core/device/CalibrationMath.h"
#include "window/FrmMain.h"

namespace vl48 {

// The refusal of a value its cell cannot hold, in the current language.
QString doesNotFitText(const QString& value, CellRange range);
QString doesNotFitText(int64_t value, CellRange range);

// Marks a handler that exchanges frames. A line error noticed meanwhile is handled once the
// outermost such handler has returned, so no handler ever resumes on a port that was re-opened
// to another transmitter.
class TFrmMain::HandlerScope {
public:
    explicit HandlerScope(TFrmMain& window);
    ~HandlerScope();
    HandlerScope(const HandlerScope&) = delete;
    HandlerScope& operator=(const HandlerScope&) = delete;

private:
    TFrmMain& m_window;
};

// Runs a handler's body inside a HandlerScope. A port error (or any other exception) the body
// does not catch ends the outermost handler here and is shown as the general error handler shows
// it, so no exception ever travels through Qt's signal dispatch. Inner handlers (one handler
// calling another) let it through to the outermost, which ends as a whole.
template <typename Body>
void TFrmMain::guarded(Body&& body) {
    HandlerScope scope(*this);
    if (m_handlerDepth > 1) return body();
    try {
        body();
    } catch (const std::exception& e) {
        uncaught(QString::fromUtf8(e.what()));
    } catch (...) {
        uncaught(QStringLiteral("Unexpected error"));
    }
}

}  // namespace vl48
