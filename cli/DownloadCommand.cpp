#include "cli/DownloadCommand.h"

#include "cli/Interrupt.h"
#include "cli/Messages.h"
#include "cli/SummaryPrinter.h"
#include "device/RecordTransfer.h"

#include <cerrno>
#include <cstring>

namespace zel::cli {

int DownloadCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    std::string directory;
    bool haveDirectory = false;
    if (!TakeValue(c.args, "--dir", directory, haveDirectory))
        return UsageError(c, "--dir needs a folder");
    if (!c.args.empty())
        return UsageError(c, "unexpected argument " + c.args.front());

    // Like the transfer window, refuse at once when the instrument reports no stored data.
    DeviceStatus status;
    if (!c.link.Connect())
        return Fail(c, SayDevice(TransferMessage(TransferOutcome::ConnectFailed)));
    const bool haveStatus = c.link.QueryStatus(status);
    c.link.Close();
    if (!haveStatus)
        return Fail(c, SayDevice(TransferMessage(TransferOutcome::StatusFailed)));
    if (status.recordSlots == 0)
        return Fail(c, Say("无存储数据!"));

    std::atomic<bool> downloading{true};
    const std::atomic<bool> writing{true}; // an interrupted download still keeps what arrived
    std::vector<RecordFileSummary> files;
    TransferEvents events;
    events.statusText = [&c](const std::string& text) {
        c.err << '\r' << SayDevice(text) << "\033[K" << std::flush;
    };
    events.fileDone = [&files](const RecordFileSummary& s) { files.push_back(s); };

    TransferOutcome outcome;
    int writeError = 0;
    {
        ScopedInterrupt interrupt(downloading);
        outcome = RunRecordTransfer(c.link, status, downloading, writing, events, directory);
        writeError = errno; // the reason of a failed write
    }
    c.link.Close();
    c.err << '\n';
    PrintSummaries(c.out, files, json);
    if (outcome == TransferOutcome::Stopped) {
        // What arrived is kept, but the download is not complete: a script must not take it
        // for one.
        c.err << SayDevice(TransferMessage(outcome)) << '\n';
        return kExitInterrupted;
    }
    if (outcome == TransferOutcome::WriteFailed)
        return Fail(c, SayDevice(TransferMessage(outcome)) + " " + std::strerror(writeError));
    if (outcome != TransferOutcome::Completed)
        return Fail(c, SayDevice(TransferMessage(outcome)));
    return kExitOk;
}

} // namespace zel::cli
