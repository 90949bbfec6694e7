// One port and the transmitter on it: opening with the system's reason when it fails, the
// identification every command starts with, and the quick presence test of a series.
#pragma once

#include <QJsonObject>
#include <QString>
#include <optional>

#include "Output.h"
#include "core/link/ComPort.h"
#include "core/link/Link.h"
#include "core/session/Identification.h"

namespace vl48cli {

// Why a port did not open, as far as waiting helps: a port that is not there yet (a USB adapter
// being plugged in) and other passing failures may go away; a port this user may not use or
// another program holds will not.
enum class OpenFailure { None, Missing, Passing, ForGood };

class Session {
public:
    explicit Session(const QString& portName);

    const QString& portName() const { return m_portName; }
    vl48::TComPort& port() { return m_port; }
    vl48::Link& link() { return m_link; }
    const vl48::Identification& identification() const { return m_id; }

    // Opens the port with a fresh frame tag, as every connection does. Empty on success, else
    // why not, with the system's reason where it can tell, and in `failure` what kind of
    // failure it was.
    QString open(OpenFailure* failure = nullptr);
    void close() { m_port.setActive(false); }
    // Identify and firmware; false when the unit did not answer both.
    bool identify();
    // Open and identify, and unless `refuse` is false refuse what this tool does not configure,
    // saying why on standard error: ExitDone, ExitNoAnswer or ExitRefused.
    int connect(bool refuse = true);

    // Whether anything answers on the open port: an identify request, and a short wait for the
    // first byte of a reply, far shorter than an exchange's time-out, so that a series notices a
    // unit plugged in soon. Whatever came is drained before the real identification.
    bool probe();
    // The unit's identifier (command 247) as the log names it; nothing when no good reply came:
    // a unit without the command, a unit gone, or a reply lost on the line.
    std::optional<QString> readIdentifier();

private:
    QString m_portName;
    vl48::TComPort m_port;
    vl48::Link m_link{m_port};
    vl48::Identification m_id;
};

// The device type as the log and the results name it: "VL48", or "type 10" without a label.
QString deviceTypeText(const vl48::Identification& id);
// Identification fields of a JSON result.
void addIdentification(QJsonObject& object, const vl48::Identification& id);

}  // namespace vl48cli
