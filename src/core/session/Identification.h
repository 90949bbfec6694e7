// Who is on the line: the identification exchanges of a connection and the readings that follow
// them, with the refusal of devices the tool does not configure. Widget-free: the window's
// connection and the command-line programmer run the same sequence.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "core/device/NumberTexts.h"
#include "core/link/Link.h"

namespace vl48 {

struct Identification {
    int deviceType = -1;   // byte 4 of the identify reply
    int32_t firmware = 0;  // the firmware number, its digits the version and release date
    FirmwareTexts firmwareText;
    QString typeLabel;         // "VL48X", "VL48"; empty for a type the tool does not know
    QString status;            // the status-bar text before the firmware: "Převodník VL48", ...
    bool accepted = false;     // a device this tool configures
    bool offersNi891 = false;  // firmware new enough for input type 19
    // "Převodník VL48, firmware: 1.310/250312": the status bar's text of the connection.
    QString statusText() const;
};

// Identify and firmware, the first two exchanges of every connection. Nothing when either
// exchange failed.
std::optional<Identification> identify(Link& link);

// Measured values from this code up are fault codes: at connection, and in the live
// measurement, which the transmitter reports on another scale of codes.
constexpr int32_t MeasureFaultFrom = 327670;
constexpr int32_t LiveMeasureFaultFrom = 655350;

struct DeviceReadings {
    int temperature = 0;             // terminal temperature, tenths of a degree
    int32_t measured = 0;            // input value, hundredths (see measuredKind)
    std::optional<uint16_t> serial;  // the identifier; nothing on a unit without the command
};
// "01234": the identifier as the window and the log show it.
QString identifierText(uint16_t serial);
// The measured value as shown: "123,45", "Err +T", "Err -T", or empty for a code from
// `faultFrom` up that means nothing (a label then keeps what it showed). `separator` is the
// decimal separator; `unit` follows a reading (the service terminal's " °C").
QString measuredText(int32_t measured, int32_t faultFrom, QChar separator,
                     const QString& unit = {});

// Terminal temperature, measured value and identifier, as a connection reads them after the
// identification (progress steps 1..3). Nothing when the temperature or the measurement failed;
// a unit that does not answer the identifier request still counts as read.
std::optional<DeviceReadings> readDeviceReadings(Link& link, const ProgressHook& progress = {});

// One live measurement: the input value (command 248), then the terminal temperature. Nothing
// when either exchange failed.
struct LiveMeasurement {
    int32_t measured = 0;  // see LiveMeasureFaultFrom
    int temperature = 0;   // tenths of a degree
};
std::optional<LiveMeasurement> measureOnce(Link& link);

}  // namespace vl48
