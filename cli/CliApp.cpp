#include "cli/CliApp.h"

#include "cli/ClearCommand.h"
#include "cli/ConvertCommand.h"
#include "cli/CutCommand.h"
#include "cli/DownloadCommand.h"
#include "cli/EventsCommand.h"
#include "cli/ExportCommand.h"
#include "cli/InfoCommand.h"
#include "cli/NotesCommand.h"
#include "cli/RecordCommand.h"
#include "cli/ScanCommand.h"
#include "cli/StatsCommand.h"
#include "cli/StatusCommand.h"
#include "cli/StopCommand.h"
#include "cli/SyncClockCommand.h"

#include "common/FileLocations.h"
#include "common/Version.h"

#include <algorithm>
#include <charconv>
#include <iostream>
#include <memory>

namespace zel::cli {
namespace {

std::vector<std::unique_ptr<CliCommand>> AllCommands() {
    std::vector<std::unique_ptr<CliCommand>> commands;
    commands.push_back(std::make_unique<StatusCommand>());
    commands.push_back(std::make_unique<SyncClockCommand>());
    commands.push_back(std::make_unique<ClearCommand>());
    commands.push_back(std::make_unique<StopCommand>());
    commands.push_back(std::make_unique<RecordCommand>());
    commands.push_back(std::make_unique<InfoCommand>());
    commands.push_back(std::make_unique<ExportCommand>());
    commands.push_back(std::make_unique<StatsCommand>());
    commands.push_back(std::make_unique<EventsCommand>());
    commands.push_back(std::make_unique<NotesCommand>());
    commands.push_back(std::make_unique<CutCommand>());
    commands.push_back(std::make_unique<DownloadCommand>());
    commands.push_back(std::make_unique<ScanCommand>());
    commands.push_back(std::make_unique<ConvertCommand>());
    return commands;
}

void PrintUsage(std::ostream& out, const std::vector<std::unique_ptr<CliCommand>>& commands) {
    out << "usage: zelmarine-cli [--host ADDR] [--port N] COMMAND [OPTIONS]\ncommands:\n";
    for (const auto& command : commands)
        out << "  " << command->Usage() << "\n";
}

int Usage(std::ostream& err, const std::vector<std::unique_ptr<CliCommand>>& commands) {
    PrintUsage(err, commands);
    return kExitUsage;
}

// --help: what the tool does, its commands, its exit statuses and where its files are.
int Help(std::ostream& out, const std::vector<std::unique_ptr<CliCommand>>& commands) {
    out << "zelmarine-cli: the instrument and its record files from a terminal.\n";
    PrintUsage(out, commands);
    out << "options:\n"
           "  --host ADDR  the instrument's address (default: ip in config.ini, else 192.168.1.1)\n"
           "  --port N     the instrument's TCP port (default 8080)\n"
           "  -h, --help   show this help; COMMAND --help shows that command's usage\n"
           "  --version    show the version\n"
           "exit status: 0 done, 1 failed, 2 bad command line, 130 download stopped by Ctrl-C\n"
        << FileLocations::ForThisProcess().Describe();
    return kExitOk;
}

bool AsksForHelp(const std::vector<std::string>& args) {
    return std::any_of(args.begin(), args.end(),
                       [](const std::string& a) { return a == "--help" || a == "-h"; });
}

} // namespace

int RunCli(const std::vector<std::string>& input, std::ostream& out, std::ostream& err) {
    const auto commands = AllCommands();
    std::string host; // empty: the address in config.ini, like the program
    std::uint16_t port = link_timing::kPort;
    bool hostGiven = false, portGiven = false;
    std::size_t i = 0;
    for (; i < input.size(); ++i) {
        const std::string& arg = input[i];
        if (arg == "--host" && i + 1 < input.size()) {
            host = input[++i];
            hostGiven = true;
        } else if (arg == "--port" && i + 1 < input.size()) {
            const std::string& text = input[++i];
            unsigned value = 0;
            const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
            if (r.ec != std::errc() || r.ptr != text.data() + text.size() || value == 0 ||
                value > 65535) {
                err << "zelmarine-cli: bad port " << text << "\n";
                return kExitUsage;
            }
            port = static_cast<std::uint16_t>(value);
            portGiven = true;
        } else if (arg == "--help" || arg == "-h") {
            return Help(out, commands);
        } else if (arg == "--version") {
            out << "zelmarine-cli " << kProgramVersion << "\n";
            return kExitOk;
        } else {
            break;
        }
    }
    if (i >= input.size())
        return Usage(err, commands);
    for (const auto& command : commands) {
        if (input[i] != command->Name())
            continue;
        const std::vector<std::string> args(input.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                            input.end());
        if (AsksForHelp(args)) {
            out << "usage: zelmarine-cli [--host ADDR] [--port N] " << command->Usage() << "\n";
            return kExitOk;
        }
        DeviceLink& link = TheDeviceLink();
        link.SetEndpoint(host, port);
        CliContext context{args, link, out, err};
        context.hostGiven = hostGiven;
        context.portGiven = portGiven;
        context.errIsStderr = &err == &std::cerr;
        return command->Run(context);
    }
    err << "zelmarine-cli: unknown command " << input[i] << "\n";
    return Usage(err, commands);
}

} // namespace zel::cli
