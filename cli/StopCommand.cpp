#include "cli/StopCommand.h"
#include "cli/Messages.h"

namespace zel::cli {

int StopCommand::Run(CliContext& c) {
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());
    if (!c.link.Connect())
        return Fail(c, Say("连接设备失败!"));
    const bool ok = c.link.SendStop();
    c.link.Close();
    if (!ok)
        return Fail(c, Say("停止命令失败!"));
    c.out << Say("停止命令已发送") << "\n";
    return kExitOk;
}

} // namespace zel::cli
