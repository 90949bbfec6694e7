// The output converter in service use: driven to a code (42) and handed back (41). The unit
// confirms neither.
#include "CommandTable.h"

namespace vl48sim {

namespace {

Answer driveOutput(DeviceModel& device, const Request& request) {
    device.outputDriven = true;
    device.outputCode = request.value16();
    device.driveLog.push_back(request.value16());
    return {};
}

Answer releaseOutput(DeviceModel& device, const Request&) {
    device.outputDriven = false;
    return {};
}

}  // namespace

void addOutputCommands(CommandTable& table) {
    table[kDriveOutput] = driveOutput;
    table[kReleaseOutput] = releaseOutput;
}

}  // namespace vl48sim
