#include "cli/StatusCommand.h"

#include "cli/Messages.h"
#include "cli/StatusPrinter.h"

namespace zel::cli {

int StatusCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());
    if (!c.link.Connect())
        return Fail(c, Say("连接设备失败!"));
    DeviceStatus status;
    const bool ok = c.link.QueryStatus(status);
    c.link.Close();
    if (!ok)
        return Fail(c, Say("未能读取设备状态!"));
    PrintStatus(c.out, status, json);
    return kExitOk;
}

} // namespace zel::cli
