// Writes the seed inputs of every fuzz target into <folder>/<target>/: bytes the simulator
// really sends and receives, and files the record writers really write, wrapped in each
// target's input layout (see the targets).

#include "device/Frame.h"
#include "records/InstrumentFile.h"
#include "records/RecordFile.h"
#include "records/StoredDataBlock.h"
#include "sim/Simulator.h"
#include "sim/StorageBuilder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;
namespace fs = std::filesystem;

std::string outputRoot;

void Put(const std::string& target, const std::string& name, const Bytes& bytes) {
    const fs::path folder = fs::path(outputRoot) / target;
    fs::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes Cat(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A plain client of the simulator: sends a request and collects what comes back.
class Client {
public:
    explicit Client(std::uint16_t port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            std::perror("connect");
    }
    ~Client() { ::close(fd_); }

    Bytes Ask(std::uint8_t code, std::initializer_list<std::uint8_t> params, std::size_t want) {
        const Bytes request = zel::BuildRequest(code, params);
        if (::send(fd_, request.data(), request.size(), MSG_NOSIGNAL) < 0)
            return {};
        return Collect(want, std::chrono::seconds(5));
    }

    Bytes Collect(std::size_t want, std::chrono::milliseconds limit) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + limit;
        while (got.size() < want) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            pollfd p{fd_, POLLIN, 0};
            if (left.count() <= 0 || ::poll(&p, 1, static_cast<int>(left.count())) <= 0)
                break;
            std::uint8_t buffer[4096];
            const ssize_t n = ::recv(fd_, buffer, std::min(sizeof buffer, want - got.size()), 0);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

private:
    int fd_ = -1;
};

// Junk segments of at most 128 bytes: how the stream targets take bytes as they are.
Bytes AsJunkSegments(const Bytes& stream) {
    Bytes out;
    for (std::size_t at = 0; at < stream.size(); at += 128) {
        const std::size_t n = std::min<std::size_t>(128, stream.size() - at);
        out.push_back(static_cast<std::uint8_t>((n - 1) << 1));
        out.insert(out.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                   stream.begin() + static_cast<std::ptrdiff_t>(at + n));
    }
    return out;
}

void LinkSeeds(const zel::InstrumentStorage& storage) {
    zel::sim::SimConfig config;
    config.frameIntervalMs = 20;
    config.junkEvery = 2;
    zel::sim::Simulator simulator(config);
    simulator.SetStorage(storage);
    if (!simulator.Start()) {
        std::fprintf(stderr, "the simulator did not start\n");
        std::exit(1);
    }
    {
        Client client(simulator.Port());
        const Bytes status = client.Ask(zel::kCmdStatus, {0x00, 0x00}, zel::kStatusReplySize);
        Put("replies", "status", Cat({{0x00}, status}));
        Put("replies", "status-fixed", Cat({{0x0C}, status}));
        Put("replies", "clear",
            Cat({{0x01}, client.Ask(zel::kCmdClear, {0x12, 0x34}, zel::kAckReplySize)}));
        Put("replies", "stop",
            Cat({{0x02}, client.Ask(zel::kCmdStop, {0x56, 0x78}, zel::kAckReplySize)}));
    }
    {
        Client client(simulator.Port());
        Bytes stored = {0x0C, 0x00, 0xB3, 0x04};
        const Bytes info = client.Ask(zel::kCmdRecord, {0x00, 0x00}, zel::kRecordReplySize);
        Put("replies", "record-info", Cat({{0x03}, info}));
        stored = Cat({stored, {0x01}, info});
        for (std::uint8_t frame = 1; frame <= 4; ++frame)
            stored = Cat({stored,
                          {0x00},
                          client.Ask(zel::kCmdRecord, {frame, 0x00}, zel::kRecordReplySize)});
        Put("stored_replies", "slot0", stored);
    }
    {
        Client client(simulator.Port());
        const Bytes stream = client.Ask(zel::kCmdStream, {0xA0, 0xA0}, 3 * zel::kSampleFrameSize);
        Put("frame_assembler", "stream", Cat({{0x01}, AsJunkSegments(stream)}));
        Put("frame_assembler", "stream-lazy", Cat({{0x07}, AsJunkSegments(stream)}));
        // The frames again as good-frame segments in strict mode, junk before each.
        Bytes strict = {0x00};
        for (std::size_t at = 0; at + zel::kSampleFrameSize <= stream.size(); ++at) {
            if (stream[at] != zel::kReplyLead || stream[at + 1] != zel::kCmdStream)
                continue;
            strict = Cat({strict, {0x0A, 'j', 'u', 'n', 'k', '!', '<'}, {0x01}});
            strict.insert(strict.end(), stream.begin() + static_cast<std::ptrdiff_t>(at + 2),
                          stream.begin() + static_cast<std::ptrdiff_t>(at + 1608));
            at += zel::kSampleFrameSize - 1;
        }
        Put("frame_assembler", "frames", strict);
    }
    // The requests the simulator received, as the program sent them.
    Bytes requests;
    for (const Bytes& request : simulator.Requests())
        requests.insert(requests.end(), request.begin(), request.end());
    Put("request_parser", "session", Cat({{0x01}, AsJunkSegments(requests)}));
    Bytes sealed = {0x00};
    for (std::uint8_t code = 0; code < 6; ++code)
        sealed = Cat({sealed,
                      {static_cast<std::uint8_t>(1 | code << 1)},
                      {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}});
    Put("request_parser", "sealed", sealed);
}

void FileSeeds(const zel::InstrumentStorage& storage, const std::string& scratch) {
    // Record files from the writers: a trend record and a waveform record.
    const std::string trend = zel::CreateTrendRecord("U", 12, 1203, 1700000000, scratch);
    zel::TrendBlock block;
    for (int i = 0; i < zel::kTrendPointsPerBlock; ++i) {
        block.ch1[i] = static_cast<std::int16_t>(150 + i);
        block.ch2[i] = static_cast<std::int16_t>(-140 - i);
    }
    zel::AppendRecordBlock(trend, block);
    zel::AppendRecordBlock(trend, block);
    Put("record_file", "trend.zmr", ReadFile(trend));
    const std::string wave = zel::CreateWaveformRecord("R", 12, 1203, scratch);
    zel::SampleBlock sample;
    sample.ch1Current = 153;
    sample.ch2Current = 147;
    for (int k = 0; k < zel::kSamplesPerChannel; ++k) {
        sample.ch1[k] = static_cast<std::int16_t>((k % 40) * 50 - 1000);
        sample.ch2[k] = static_cast<std::int16_t>(1000 - (k % 40) * 50);
    }
    zel::AppendRecordBlock(wave, sample);
    zel::AppendRecordBlock(wave, sample);
    const Bytes waveBytes = ReadFile(wave);
    Put("record_file", "waveform.zmr", waveBytes);
    Put("record_file", "header-only.zmr", Bytes(waveBytes.begin(), waveBytes.begin() + 60));

    // An instrument data file from its writer: header and the first blocks as they are, and the
    // header fields with the used blocks placed one by one.
    const std::string tch = scratch + "/seed.TCH";
    zel::WriteInstrumentFile(tch, storage, {12, 3, 1700000000});
    const Bytes file = ReadFile(tch);
    Put("instrument_file", "short", Cat({{0x00}, Bytes(file.begin(), file.begin() + 256 + 1024)}));
    Bytes placed = Cat({{0x03}, Bytes(file.begin(), file.begin() + 19)});
    for (int slot = 0; slot < 2; ++slot) {
        for (int index = 0; index <= 3; ++index) {
            const std::size_t offset =
                zel::kInstrumentHeaderSize + slot * zel::kSlotSize + index * zel::kStoredBlockSize;
            placed = Cat({placed,
                          {static_cast<std::uint8_t>(slot), static_cast<std::uint8_t>(index), 0x01},
                          Bytes(file.begin() + static_cast<std::ptrdiff_t>(offset),
                                file.begin() + static_cast<std::ptrdiff_t>(offset + 254))});
        }
    }
    Put("instrument_file", "placed", placed);
    placed[0] = 0x0F; // the same written to a file and converted
    Put("instrument_file", "placed-file", placed);

    // config.ini as the program writes it.
    const std::string ini = "[ZELMARINE]\r\nip=192.168.1.1\r\n\r\n[abc]\nip = 'quoted'\n";
    // Section "abc", key "ip", other key "iq", value "7777".
    Put("ini_file", "config",
        Cat({{74, 0, 1, 2, 8, 15, 8, 16, 4, 22, 22, 22, 22}, Bytes(ini.begin(), ini.end())}));

    const char* const commands[] = {
        "info\0t.zmr\0--json",
        "stats\0t.zmr\0--from\0"
        "2023-11-14 22:13:20\0--to\0"
        "2023-11-14 23:00:00\0--json",
        "export\0w.zmr\0-o\0out.csv\0--samples",
        "convert\0d.TCH\0--dir\0converted\0--json",
        "--host\0"
        "127.0.0.1\0--port\0"
        "8080\0status\0--json",
        "record\0--seconds\0"
        "5\0--prefix\0S\0--dir\0rec",
        "record\0--blocks\0"
        "10",
        "download\0--dir\0dl\0--json",
        "scan\0.",
        "sync-clock\0--json",
        "clear",
        "stop\0--help",
        "--version",
    };
    const std::size_t lengths[] = {
        sizeof "info\0t.zmr\0--json",
        sizeof "stats\0t.zmr\0--from\0"
               "2023-11-14 22:13:20\0--to\0"
               "2023-11-14 23:00:00\0--json",
        sizeof "export\0w.zmr\0-o\0out.csv\0--samples",
        sizeof "convert\0d.TCH\0--dir\0converted\0--json",
        sizeof "--host\0"
               "127.0.0.1\0--port\0"
               "8080\0status\0--json",
        sizeof "record\0--seconds\0"
               "5\0--prefix\0S\0--dir\0rec",
        sizeof "record\0--blocks\0"
               "10",
        sizeof "download\0--dir\0dl\0--json",
        sizeof "scan\0.",
        sizeof "sync-clock\0--json",
        sizeof "clear",
        sizeof "stop\0--help",
        sizeof "--version",
    };
    for (std::size_t i = 0; i < std::size(commands); ++i)
        Put("cli_arguments", "command" + std::to_string(i),
            Bytes(commands[i], commands[i] + lengths[i] - 1));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    outputRoot = argv[1];
    zel::sim::StorageLayout layout;
    layout.slotCount = 2;
    layout.framesPerSlot = 4;
    layout.start = 1700000000;
    const zel::InstrumentStorage storage = zel::sim::BuildStorage(layout);

    const std::string scratch = (fs::path(outputRoot) / ".scratch").string();
    fs::create_directories(scratch);
    LinkSeeds(storage);
    FileSeeds(storage, scratch);
    fs::remove_all(scratch);
    return 0;
}
