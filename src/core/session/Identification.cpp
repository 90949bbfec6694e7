#include "core/session/Identification.h"

#include "core/link/Frame.h"

namespace vl48 {

namespace {

struct DeviceType {
    int code;
    const char* label;
    const char* status;
    bool accepted;
};
constexpr DeviceType DeviceTypes[] = {
    {10, "VL48X", "Převodník VL48X", false},
    {11, "VL48", "Převodník VL48", true},
    {12, "VL48", "Digitální ukazatel KRT 52", true},
};

// From this firmware on the transmitter knows input type 19 (Ni 891).
constexpr int32_t Ni891Firmware = 1310000000;

}  // namespace

QString Identification::statusText() const {
    return status + QStringLiteral(", firmware: ") + firmwareText.full;
}

std::optional<Identification> identify(Link& link) {
    Frame reply;
    if (!link.Send(CmdIdentify, 0, reply)) return std::nullopt;
    Identification id;
    id.deviceType = reply[4];
    if (!link.Send(CmdFirmware, 0, reply)) return std::nullopt;
    id.firmware = replyLong(reply);
    id.offersNi891 = id.firmware > Ni891Firmware;
    id.firmwareText = firmwareTexts(id.firmware);
    id.status = QStringLiteral("Převodník ");
    for (const DeviceType& type : DeviceTypes) {
        if (type.code != id.deviceType) continue;
        id.typeLabel = QString::fromUtf8(type.label);
        id.status = QString::fromUtf8(type.status);
        id.accepted = type.accepted;
    }
    return id;
}

QString identifierText(uint16_t serial) {
    return QString::number(serial).rightJustified(5, QLatin1Char('0'));
}

QString measuredText(int32_t measured, int32_t faultFrom, QChar separator, const QString& unit) {
    switch (measuredKind(measured, faultFrom)) {
        case Measured::Reading:
            return scaledText(measured, 2, separator) + unit;
        case Measured::FaultLow:
            return QStringLiteral("Err -T");
        case Measured::FaultHigh:
            return QStringLiteral("Err +T");
        case Measured::Unknown:
            break;
    }
    return {};
}

std::optional<DeviceReadings> readDeviceReadings(Link& link, const ProgressHook& progress) {
    const auto step = [&](int k) {
        if (progress) link.whileOnLine([&progress, k] { progress(k); });
    };
    DeviceReadings readings;
    Frame reply;
    step(1);
    if (!link.Send(CmdTemp, 0, reply)) return std::nullopt;
    readings.temperature = replySignedWord(reply);
    step(2);
    if (!link.Send(CmdMeasure, 0, reply)) return std::nullopt;
    readings.measured = replyLong(reply);
    step(3);
    if (link.Send(CmdSerialNumber, 0, reply)) readings.serial = replyWord(reply);
    return readings;
}

std::optional<LiveMeasurement> measureOnce(Link& link) {
    LiveMeasurement m;
    Frame reply;
    if (!link.Send(CmdMeasure, 0, reply)) return std::nullopt;
    m.measured = replyLong(reply);
    if (!link.Send(CmdTemp, 0, reply)) return std::nullopt;
    m.temperature = replySignedWord(reply);
    return m;
}

}  // namespace vl48
