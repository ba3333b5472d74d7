#include "cli/InfoCommand.h"

#include "cli/Json.h"
#include "common/DeviceText.h"
#include "common/LocalTime.h"
#include "records/RecordFile.h"

namespace zel::cli {

int InfoCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    if (c.args.size() != 1)
        return UsageError(c, "give one record file");
    RecordReadFailure failure;
    // The header and the file's length tell everything shown; no block is read.
    const auto data = OpenRecordImage(c.args[0], &failure);
    if (!data)
        return FailRecordRead(c, c.args[0], failure);
    const RecordFileHeader& h = data->header;
    const char* kind = h.kind == 0 ? "trend" : "waveform";
    const int deviceNumber = RecordDeviceNumber(h.deviceNumber);
    const std::string version = VersionText(h.deviceVersion);
    const std::string start = FormatLocalTime(h.startTime, "%Y-%m-%d %H:%M:%S");
    if (json) {
        c.out << "{\"kind\": " << JsonString(kind) << ", \"deviceNumber\": " << deviceNumber
              << ", \"version\": " << h.deviceVersion
              << ", \"versionText\": " << JsonString(version)
              << ", \"startTime\": " << JsonString(start) << ", \"dataCount\": " << h.dataCount
              << "}\n";
    } else {
        c.out << "kind\t" << kind << "\ndevice\t" << deviceNumber << "\nversion\t" << version
              << "\nstart\t" << start << "\ncount\t" << h.dataCount << "\n";
    }
    return kExitOk;
}

} // namespace zel::cli
