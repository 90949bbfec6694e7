// Live readings: the measured value, the input in millivolts (or ohms), the temperatures, the
// analogue inputs and the converter's result for a configuration word.
#include "CommandTable.h"

namespace vl48sim {

namespace {

Answer measured(DeviceModel& device, const Request& request) {
    return reply32(request.cmd, device.measuredValue());
}

Answer milliVolt(DeviceModel& device, const Request& request) {
    return reply32(request.cmd, device.milliVoltValue());
}

Answer terminalTemp(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, static_cast<uint16_t>(device.readings.terminalTemp));
}

Answer secondTemp(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, static_cast<uint16_t>(device.readings.secondTemp));
}

Answer ain1(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, device.readings.ain1);
}

Answer ain2(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, device.readings.ain2);
}

Answer ain3(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, device.readings.ain3);
}

Answer adc(DeviceModel& device, const Request& request) {
    return reply16(request.cmd, device.adcValue(request.value16()));
}

}  // namespace

void addMeasurementCommands(CommandTable& table) {
    table[kMeasured] = measured;
    table[kMilliVolt] = milliVolt;
    table[kTerminalTemp] = terminalTemp;
    table[kSecondTemp] = secondTemp;
    table[kAin1] = ain1;
    table[kAin2] = ain2;
    table[kAin3] = ain3;
    table[kAdc] = adc;
}

}  // namespace vl48sim
