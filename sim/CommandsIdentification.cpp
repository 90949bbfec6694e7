// Who the unit is: device type, firmware and serial number.
#include "CommandTable.h"

namespace vl48sim {

namespace {

Answer identify(DeviceModel& device, const Request& request) {
    return replyFrame(request.cmd, 0, 0, 0, static_cast<uint8_t>(device.identity.deviceType));
}

Answer firmware(DeviceModel& device, const Request& request) {
    return reply32(request.cmd, device.identity.firmware);
}

Answer serial(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, device.identity.serial);
}

}  // namespace

void addIdentificationCommands(CommandTable& table) {
    table[kIdentify] = identify;
    table[kFirmware] = firmware;
    table[kSerial] = serial;
}

}  // namespace vl48sim
