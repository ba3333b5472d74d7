// Fuzz target for the command line of zelmarine-cli.

#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "cli/CliApp.h"
#include "device/DeviceLink.h"
#include "records/InstrumentFile.h"
#include "records/RecordFile.h"

#include <unistd.h>

#include <climits>
#include <cstring>
#include <sstream>

namespace zel::fuzz {
namespace {

// Small files for the arguments to name: a trend record, a waveform record, an instrument data
// file that holds only its header.
void WriteSampleFiles(const std::string& folder) {
    RecordFileHeader header;
    std::memcpy(header.magic, kRecordMagic, sizeof kRecordMagic);
    header.startTime = 1700000000;
    std::vector<std::uint8_t> trend(sizeof header + 2 * sizeof(TrendBlock), 0x11);
    std::memcpy(trend.data(), &header, sizeof header);
    WriteWholeFile(folder + "/t.zmr", trend.data(), trend.size());

    header.kind = static_cast<std::int32_t>(RecordKind::Waveform);
    std::vector<std::uint8_t> wave(sizeof header + sizeof(SampleBlock), 0x22);
    std::memcpy(wave.data(), &header, sizeof header);
    WriteWholeFile(folder + "/w.zmr", wave.data(), wave.size());

    std::uint8_t tch[kInstrumentHeaderSize] = {};
    tch[12] = 24;
    tch[13] = 5;
    tch[14] = 17;
    tch[18] = 3;
    SealStoredBlock(tch, tch);
    WriteWholeFile(folder + "/d.TCH", tch, sizeof tch);
}

// Keeps the command inside the sandbox: no absolute path, no way up out of it.
std::string Confined(std::string arg) {
    for (std::size_t at = arg.find(".."); at != std::string::npos; at = arg.find("..", at))
        arg.replace(at, 2, "__");
    if (!arg.empty() && arg.front() == '/')
        arg.front() = '_';
    return arg;
}

} // namespace

int FuzzCliArguments(const std::uint8_t* data, std::size_t size) {
    // Arguments are separated by zero bytes.
    std::vector<std::string> args;
    std::string current;
    for (std::size_t i = 0; i < size && args.size() < 24; ++i) {
        if (data[i] == 0) {
            args.push_back(Confined(current));
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    if (args.size() < 24)
        args.push_back(Confined(current));

    const std::string folder = SandboxFolder("cli");
    WriteSampleFiles(folder);
    char previous[PATH_MAX];
    Check(::getcwd(previous, sizeof previous) != nullptr && ::chdir(folder.c_str()) == 0,
          "cannot enter the sandbox");
    // The link refuses every connect, so commands for the instrument end right after parsing
    // their options instead of waiting on the network.
    TheDeviceLink().Abort();
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    Check(::chdir(previous) == 0, "cannot leave the sandbox");
    Check(status == 0 || status == 1 || status == 2, "an exit status outside 0, 1, 2");
    Check(status == 0 || !err.str().empty(), "a failure without a message");
    return 0;
}

} // namespace zel::fuzz
