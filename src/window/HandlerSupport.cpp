// What the handlers of every subsystem share: the scope that holds a line error back until the
// outermost handler has returned, the end of a connection whose write failed, and the record
// field of a selection cell.
#include <QCoreApplication>
#include <QTimer>

#include "window/FrmMain.h"

namespace vl48 {

QString doesNotFitText(const QString& value, CellRange range) {
    return QCoreApplication::translate("TFrmMain",
                                       "Hodnota %2 se nevejde do paměti převodníku (rozsah %3 až "
                                       "%4), nic nebylo zapsáno.")
        .arg(value, QString::number(range.low), QString::number(range.high));
}

QString doesNotFitText(int64_t value, CellRange range) {
    return doesNotFitText(QString::number(value), range);
}

TFrmMain::HandlerScope::HandlerScope(TFrmMain& window) : m_window(window) {
    ++m_window.m_handlerDepth;
}

TFrmMain::HandlerScope::~HandlerScope() {
    if (--m_window.m_handlerDepth > 0 || !m_window.m_lineErrorPending) return;
    m_window.m_lineErrorPending = false;
    QTimer::singleShot(0, &m_window, [w = &m_window] { w->ComPortLineError(leDeviceLost); });
}

int32_t& TFrmMain::recordField(Cell cell) {
    switch (cell) {
        case EEOutputType:
            return Config.EEOutputType;
        case EEFilter:
            return Config.EEFilter;
        case EESensorFault:
            return Config.EESensorFault;
        case EECompMode:
            return Config.EECompMode;
        case EEOutputLimit:
            return Config.EEOutputLimit;
        case EEWiring:
            return Config.EEWiring;
        default:
            return Config.EEInputType;
    }
}

void TFrmMain::writeFailed() {
    showMessage(MsgKind::Error, MsgConnectionLost);
    ShowConnect();
}

}  // namespace vl48
