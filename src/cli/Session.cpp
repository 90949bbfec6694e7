#include "Session.h"

#include <QThread>

#include "core/link/Frame.h"

namespace vl48cli {

namespace {

// A transmitter answers a request within a few tens of milliseconds on a healthy line; a slower
// one is caught by the next probe, whose wait finds the late reply's bytes.
constexpr int ProbeReplyMs = 100;

}  // namespace

Session::Session(const QString& portName) : m_portName(portName) { m_port.setDeviceName(portName); }

QString Session::open(OpenFailure* failure) {
    if (failure) *failure = OpenFailure::None;
    m_port.setActive(false);
    m_link.drawFrameTag();
    try {
        m_port.setActive(true);
    } catch (const vl48::EComError& e) {
        QString text = QStringLiteral("cannot open %1: %2").arg(m_portName, e.text());
        const vl48::PortRefusal refusal = vl48::portRefusal(m_port.DeviceName(), e.code());
        if (refusal.reason == vl48::PortRefusal::Reason::NoAccess)
            text += QStringLiteral(
                        " (this user may not use it; members of the group %1 may: "
                        "sudo adduser $USER %1, then log in again)")
                        .arg(refusal.group);
        else if (refusal.reason == vl48::PortRefusal::Reason::InUse)
            text += QStringLiteral(" (another program is using it)");
        if (failure)
            *failure = refusal.reason != vl48::PortRefusal::Reason::Other ? OpenFailure::ForGood
                       : e.code() == QSerialPort::DeviceNotFoundError     ? OpenFailure::Missing
                                                                          : OpenFailure::Passing;
        return text;
    }
    return {};
}

bool Session::identify() {
    try {
        const auto id = vl48::identify(m_link);
        if (!id) return false;
        m_id = *id;
        return true;
    } catch (const vl48::EComError& e) {
        // The device went away before the request: nothing answers.
        qCDebug(vl48::lcLink).noquote() << "identify:" << e.text();
        return false;
    }
}

int Session::connect(bool refuse) {
    if (const QString problem = open(); !problem.isEmpty()) {
        say(problem);
        return ExitNoAnswer;
    }
    if (!identify()) {
        say(QStringLiteral("no transmitter answers on %1").arg(m_portName));
        return ExitNoAnswer;
    }
    if (refuse && !m_id.accepted) {
        say(QStringLiteral("%1 on %2: this tool does not configure this device")
                .arg(m_id.statusText(), m_portName));
        return ExitRefused;
    }
    say(QStringLiteral("%1 on %2").arg(m_id.statusText(), m_portName));
    return ExitDone;
}

bool Session::probe() {
    if (!m_port.Active()) return false;
    try {
        m_port.PortDiscardInput();
        const vl48::Frame request = vl48::buildSendRequest(vl48::CmdIdentify, m_link.FrameTag(), 0);
        m_port.PortWrite(request.data(), vl48::FrameSize);
        m_port.PortWaitWrite();
        if (!m_port.PortWaitInput(ProbeReplyMs)) return false;
        qint64 drained = 0;
        do drained += m_port.PortDiscardInput();
        while (m_port.PortWaitInput(vl48::Link::QuietGapMs) && drained < vl48::Link::SettleByteCap);
        qCDebug(vl48::lcLink) << "probe answered with" << drained << "bytes";
        return true;
    } catch (const vl48::EComError& e) {
        qCDebug(vl48::lcLink).noquote() << "probe failed:" << e.text();
        return false;
    }
}

std::optional<QString> Session::readIdentifier() {
    vl48::Frame reply;
    try {
        if (m_port.Active() && m_link.Send(vl48::CmdSerialNumber, 0, reply))
            return vl48::identifierText(vl48::replyWord(reply));
    } catch (const vl48::EComError&) {
        // The device went away before the request.
    }
    return std::nullopt;
}

QString deviceTypeText(const vl48::Identification& id) {
    return id.typeLabel.isEmpty() ? QStringLiteral("type %1").arg(id.deviceType) : id.typeLabel;
}

void addIdentification(QJsonObject& object, const vl48::Identification& id) {
    object.insert(QStringLiteral("device_type"), id.deviceType);
    object.insert(QStringLiteral("device"), id.status);
    object.insert(QStringLiteral("accepted"), id.accepted);
    object.insert(QStringLiteral("firmware"), id.firmwareText.full);
    object.insert(QStringLiteral("firmware_version"), id.firmwareText.version);
    object.insert(QStringLiteral("firmware_date"), id.firmwareText.date);
}

}  // namespace vl48cli
