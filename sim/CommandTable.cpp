#include "CommandTable.h"

namespace vl48sim {

namespace {

const CommandTable& commandTable() {
    static const CommandTable table = [] {
        CommandTable t{};
        addIdentificationCommands(t);
        addMemoryCommands(t);
        addMeasurementCommands(t);
        addOutputCommands(t);
        return t;
    }();
    return table;
}

}  // namespace

Answer execute(DeviceModel& device, const uint8_t* request) {
    const uint8_t cmd = request[0];
    const CommandHandler handler = commandTable()[cmd];
    if (!handler || device.unsupported.count(cmd)) {
        return {};
    }
    return handler(device, Request(request));
}

}  // namespace vl48sim
