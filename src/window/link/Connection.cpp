// Making and ending the connection: identifying the transmitter, reading it, showing it, and the
// one way back to the connection view.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QScopedValueRollback>
#include <QTimer>

#include "core/device/MemoryMap.h"
#include "core/device/NumberTexts.h"
#include "core/session/Identification.h"
#include "window/FrmMain.h"
#include "window/OKBottomDlg.h"
#include "window/Widgets.h"

namespace vl48 {

namespace {

// The device name for the text of the port box. "COM" names of two digits need the Windows
// device prefix; any other text (/dev/ttyUSB0, a simulator's link) is opened as typed.
QString deviceNameFor(const QString& text) {
    static const QRegularExpression com(QStringLiteral("^COM(\\d+)$"));
    const auto match = com.match(text);
    if (match.hasMatch() && text.mid(3, 2).toInt() >= 10) return QStringLiteral("\\\\.\\") + text;
    return text;
}

}  // namespace

void TFrmMain::BtnConnectClick() {
    guarded([this] { Connect(); });
}

void TFrmMain::CmbBxPortKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter) return;
    guarded([this] { Connect(); });
}

void TFrmMain::Connect() {
    BtnConnect->setEnabled(false);
    // However an attempt ends short of the settings view (a refusal, a failed exchange, a port
    // error that escapes to the general handler), the button works again and the port is not
    // left open behind the connection view.
    bool connected = false;
    const auto notConnected = qScopeGuard([this, &connected] {
        if (connected) return;
        BtnConnect->setEnabled(true);
        ComPort->setActive(false);
    });
    const QString portText = CmbBxPort->currentText();
    try {
        ComPort->setDeviceName(deviceNameFor(portText));
        ComPort->setActive(false);
        link->drawFrameTag();
        if (portText.isEmpty()) throw EComError(QStringLiteral("No port chosen"));
        ComPort->setActive(true);
    } catch (const EComError& e) {
        // Where the system can say why (no permission, another program), the technician learns
        // it here rather than from a terminal.
        QString text = MsgInvalidPort;
        const QString device = ComPort->DeviceName();
        const PortRefusal refusal = portRefusal(device, e.code());
        if (refusal.reason == PortRefusal::Reason::NoAccess)
            text += QLatin1Char('\n') + MsgPortNoAccess.arg(device, refusal.group);
        else if (refusal.reason == PortRefusal::Reason::InUse)
            text += QLatin1Char('\n') + MsgPortInUse.arg(device);
        showMessage(MsgKind::Error, text);
        return;
    }
    // A reconnection tick arrives here without passing through ShowConnect.
    forgetTransmitter();
    showNothingRead();
    const auto lost = [this] {
        showMessage(MsgKind::Error, MsgConnectionLost);
        ShowConnect();
    };

    const auto id = identify(*link);
    if (!id) return lost();
    if (id->offersNi891) RdBtnNi891->show();
    LblInfoFW->setText(id->firmwareText.version);
    LblInfoDate->setText(id->firmwareText.date);
    if (!id->typeLabel.isEmpty()) LblInfoType->setText(id->typeLabel);
    setPanel(0, id->statusText());
    setPanel(1, portText);
    if (!id->accepted) {
        showMessage(MsgKind::Error, MsgWrongDevice);
        ShowConnect();
        return;
    }
    ConnectedUnit unit{*id, {}, portText};

    const auto readings = readDeviceReadings(*link, [this](int step) { showLoadStep(step); });
    if (!readings) return lost();
    LblInfoTemp->setText(scaledText(readings->temperature, 1) + QStringLiteral(" °C"));
    LblMeasTE->setText(scaledText(readings->temperature, 1));
    // An unknown code empties the field: never leave the previous transmitter's value standing.
    LblMeasIN->setText(
        measuredText(readings->measured, MeasureFaultFrom, QLocale().decimalPoint().at(0)));
    if (readings->serial) unit.identifier = identifierText(*readings->serial);
    LblInfoSN->setText(readings->serial ? unit.identifier : QStringLiteral("není podporováno"));
    m_unit = unit;

    LoadEE();

    Frame reply;
    // Every attempt that stops short of the settings view says why: a silent return to the
    // connection view would leave the technician guessing whether anything was read.
    if (!Send(CmdReadCell, EEDACorrState, reply)) return lost();
    if (replyWord(reply) == 1) showMessage(MsgKind::Warning, MsgDACorrWarning);

    DrawForm();
    PanelConnect->hide();
    PanelSettings->show();
    connected = true;
}

void TFrmMain::forgetTransmitter() {
    m_unit.reset();
    clearCompareMarks();
    resetOutputCorrection();
    LblMeasMV->clear();  // a millivolt correction never uses the previous transmitter's reading
    PanelDACorr->hide();
    RdBtnNi891->hide();
    PanelPwd1->show();
    setTabShown(TabDACorr, false);
    MSettingsDACorr->setChecked(false);

    PanelSettings->hide();
    PanelConnect->show();
    TabBasicSet->setEnabled(true);  // ends the demo view
    TabAdvanceFunc->setEnabled(true);
    if (!MSettingsService->isChecked()) {
        PanelService->hide();
        PanelPwd->show();
    }
    BtnRefresh->setEnabled(true);
    // Emptied with its undo history: clear() keeps the code as an undo step, and Ctrl+Z would
    // bring it back for the next person at the bench.
    MskEdtPwd->setText(QString());
    MskEdtPwd->setCursorPosition(0);
    for (QLabel* mark : {LblMskEdtResCompCH, LblEdtNoteCH, LblDtTmPickerCH, LblMskEdtTcldEndCH,
                         LblMskEdtTempBeginCH, LblMskEdtTempEndCH, LblSaveX, LblSaveX1})
        mark->hide();
}

void TFrmMain::showNothingRead() {
    // The next unit may be factory-fresh, or some of its reads may fail: whatever it does not
    // answer must show as unknown, never as the previous unit's settings. Unknown is the code of
    // a never-written cell, which checks no button and which no handler takes for a choice.
    const QScopedValueRollback<bool> updating(Updating, true);  // nothing is written or marked
    Config = ConfigRecord{UnknownCode, UnknownCode, UnknownCode, UnknownCode,
                          UnknownCode, UnknownCode, UnknownCode};
    uncheckRadioButtons(TabBasicSet);
    ChckBxDaRest->setChecked(false);
    for (TMaskEdit* field : {MskEdtTempBegin, MskEdtTempEnd, MskEdtTcldEnd, MskEdtResComp})
        field->clearValue();
    EdtNote->setText(QString());
    NoteBytesRead.clear();
    LblTextLength->clear();
    for (TSpinEdit* code :
         {SpnEdtAOIZero, SpnEdtAOIEnd, SpnEdtAOUZero, SpnEdtAOUEnd, SpnEdtAOIZeroDACorr,
          SpnEdtAOIEndDACorr, SpnEdtAOUZeroDACorr, SpnEdtAOUEndDACorr})
        code->clearValue();
    for (QLabel* info :
         {LblInfoType, LblInfoFW, LblInfoDate, LblInfoSN, LblInfoTemp, LblMeasTE, LblMeasIN})
        info->clear();
}

void TFrmMain::ShowConnect() {
    // Leaving a field that drives the output releases it (and pauses): let that happen while
    // the port is still open, instead of leaving the focus on a field about to be hidden.
    if (QWidget* focus = QApplication::focusWidget(); focus && PanelSettings->isAncestorOf(focus))
        focus->clearFocus();
    forgetTransmitter();
    BtnConnect->setEnabled(true);
    PrgBarLoadEE->hide();

    setPanel(0, MsgSelectPort);
    for (int i = 1; i < 4; ++i) setPanel(i, QString());
    ComPort->setActive(false);
}

void TFrmMain::MenuCommEndClick() { ShowConnect(); }

void TFrmMain::FormClose() {
    if (ComPort->Active()) DA(CmdOutputRelease, 0);
    ComPort->setActive(false);
}

void TFrmMain::connectConnectionHandlers() {
    connect(BtnConnect, &QPushButton::clicked, this, &TFrmMain::BtnConnectClick);
    connect(CmbBxPort->lineEdit(), &QLineEdit::returnPressed, this,
            [this] { CmbBxPortKeyPress(Qt::Key_Return); });
    connect(TmrReConn, &QTimer::timeout, this, [this] { guarded([this] { TmrReConnTimer(); }); });
    connect(ComPort, &TComPort::OnLineError, this, &TFrmMain::ComPortLineError);
    OKBottomDlg->FormActivate = [this] { OKBottomDlgFormActivate(); };
    OKBottomDlg->CancelBtnClick = [this] { OKBottomDlgCancelBtnClick(); };
    link->onExchangeTime = [this](qint64 ms) { setPanel(2, QString::number(ms) + " ms"); };
}

}  // namespace vl48
