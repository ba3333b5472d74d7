#include "cli/SyncClockCommand.h"

#include "cli/Messages.h"
#include "cli/StatusPrinter.h"
#include "common/LocalTime.h"

namespace zel::cli {

int SyncClockCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());
    const ClockBytes clock = ClockBytesOf(NowSeconds());
    if (!c.link.Connect())
        return Fail(c, Say("连接设备失败!"));
    DeviceStatus status;
    const bool ok = c.link.SyncClock(status, clock.bytes);
    c.link.Close();
    if (!ok)
        return Fail(c, Say("时间同步失败!"));
    PrintStatus(c.out, status, json);
    return kExitOk;
}

} // namespace zel::cli
