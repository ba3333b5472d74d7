#pragma once

#include "device/DeviceLink.h"
#include "records/RecordFile.h"

#include <ostream>
#include <string>
#include <vector>

namespace zel::cli {

// What every command gets: its own arguments, the link already pointed at the instrument, and
// the two output streams.
struct CliContext {
    std::vector<std::string> args;
    DeviceLink& link;
    std::ostream& out;
    std::ostream& err;
    // The global --host and --port given on the command line: a configuration file of the
    // command does not override them.
    bool hostGiven = false;
    bool portGiven = false;
    // `err` is the process's standard error (which may be the journal).
    bool errIsStderr = false;
};

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
// Stopped by Ctrl-C (or SIGTERM) before the work was done, as a shell reports it: 128 + SIGINT.
constexpr int kExitInterrupted = 130;

// One command of zelmarine-cli. Commands parse their own options and print text or JSON.
class CliCommand {
public:
    virtual ~CliCommand() = default;
    virtual const char* Name() const = 0;
    virtual const char* Usage() const = 0;
    virtual int Run(CliContext& context) = 0;

protected:
    // Consumes a flag such as "--json" from the arguments; true when it was there.
    static bool TakeFlag(std::vector<std::string>& args, const std::string& flag);
    // Consumes "--name VALUE"; false with an error message when the value is missing.
    static bool TakeValue(std::vector<std::string>& args, const std::string& name,
                          std::string& value, bool& present);
    int UsageError(CliContext& context, const std::string& message) const;
    int Fail(CliContext& context, const std::string& message) const;
    // Fails with one line saying why the record file at `path` was not loaded.
    int FailRecordRead(CliContext& context, const std::string& path,
                       const RecordReadFailure& failure) const;
};

} // namespace zel::cli
