#include "cli/ClearCommand.h"
#include "cli/Messages.h"

namespace zel::cli {

int ClearCommand::Run(CliContext& c) {
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());
    if (!c.link.Connect())
        return Fail(c, Say("连接设备失败!"));
    const bool ok = c.link.ClearStorage();
    c.link.Close();
    if (!ok)
        return Fail(c, Say("清除数据失败!"));
    c.out << Say("清除数据成功!") << "\n";
    return kExitOk;
}

} // namespace zel::cli
