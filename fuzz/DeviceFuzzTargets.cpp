// Fuzz targets for the bytes the instrument sends and the simulator receives.

#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "cli/StatusPrinter.h"
#include "common/Crc16.h"
#include "device/DeviceLink.h"
#include "device/Frame.h"
#include "device/FrameAssembler.h"
#include "device/StatusText.h"
#include "device/StoredRecords.h"
#include "records/RecordFile.h"
#include "records/StoredDataBlock.h"
#include "records/TrendRecordWriter.h"
#include "sim/RequestParser.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <sstream>

namespace zel::fuzz {
namespace {

void SealFrame(std::uint8_t* frame, std::size_t length) {
    const std::uint16_t crc = Crc16(frame, static_cast<int>(length - 2));
    frame[length - 2] = static_cast<std::uint8_t>(crc & 0xFF);
    frame[length - 1] = static_cast<std::uint8_t>(crc >> 8);
}

bool SealedFrameOk(const std::uint8_t* frame, std::size_t length) {
    const std::uint16_t crc = Crc16(frame, static_cast<int>(length - 2));
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

// Stream input is built from segments: a control byte with bit 0 set makes a whole good frame
// of the bytes that follow (padded with the control byte), otherwise it takes up to 128 bytes
// of junk. In strict mode junk never holds `lead`, so every good frame must come out, in order.
struct Segments {
    std::vector<std::uint8_t> stream;
    std::vector<std::vector<std::uint8_t>> frames;
};

template <typename MakeFrame>
Segments BuildStream(ByteReader& in, bool strict, std::uint8_t lead, MakeFrame makeFrame) {
    Segments s;
    while (!in.Empty() && s.stream.size() < 64 * 1024) {
        const std::uint8_t control = in.Byte();
        if (control & 1) {
            std::vector<std::uint8_t> frame = makeFrame(control, in);
            s.stream.insert(s.stream.end(), frame.begin(), frame.end());
            s.frames.push_back(std::move(frame));
        } else {
            std::vector<std::uint8_t> junk = in.Bytes((control >> 1) + 1u);
            if (strict)
                std::replace(junk.begin(), junk.end(), lead, static_cast<std::uint8_t>(lead + 1));
            s.stream.insert(s.stream.end(), junk.begin(), junk.end());
        }
    }
    return s;
}

// Read sizes vary with the position and the mode byte, from 1 byte to a whole read.
std::size_t ChunkSize(std::size_t index, std::uint8_t mode, std::size_t limit) {
    return 1 + (index * 7919u + mode * 31u + index * index) % limit;
}

} // namespace

int FuzzFrameAssembler(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const std::uint8_t mode = in.Byte();
    // Strict: the live stream's own use, every read followed by taking out all frames. Otherwise
    // frames are taken out only now and then, which fills the buffer to its limit.
    const bool strict = (mode & 1) == 0;
    const Segments s = BuildStream(in, strict, kReplyLead, [](std::uint8_t control, ByteReader& r) {
        std::vector<std::uint8_t> frame(kSampleFrameSize, control);
        frame[0] = kReplyLead;
        frame[1] = kCmdStream;
        const std::vector<std::uint8_t> body = r.Bytes(kSampleFrameSize - 4);
        std::copy(body.begin(), body.end(), frame.begin() + 2);
        SealFrame(frame.data(), frame.size());
        return frame;
    });

    FrameAssembler assembler;
    std::vector<SampleBlock> blocks;
    const auto takeAll = [&] {
        SampleBlock block;
        while (assembler.NextBlock(block))
            blocks.push_back(block);
        Check(assembler.Length() < kSampleFrameSize, "a whole good frame left in the buffer");
    };
    std::size_t at = 0;
    for (std::size_t k = 0; at < s.stream.size(); ++k) {
        const std::size_t chunk =
            std::min(ChunkSize(k, mode, FrameAssembler::kReadSize), s.stream.size() - at);
        assembler.Append(s.stream.data() + at, chunk);
        at += chunk;
        Check(assembler.Length() <= FrameAssembler::kCapacity, "assembler over its capacity");
        if (strict || k % ((mode >> 1) % 4 + 2) == 0)
            takeAll();
    }
    takeAll();

    if (strict) {
        Check(blocks.size() == s.frames.size(), "a good frame was lost or a bad one accepted");
        for (std::size_t i = 0; i < blocks.size() && i < s.frames.size(); ++i) {
            SampleBlock expected;
            DecodeSampleFrame(s.frames[i].data(), expected);
            Check(std::memcmp(&expected, &blocks[i], sizeof expected) == 0,
                  "a frame decoded differently from the assembler");
        }
    }
    return 0;
}

int FuzzReplies(const std::uint8_t* data, std::size_t size) {
    struct ReplyKind {
        std::uint8_t code;
        std::size_t length;
    };
    static constexpr ReplyKind kKinds[] = {{kCmdStatus, kStatusReplySize},
                                           {kCmdClear, kAckReplySize},
                                           {kCmdStop, kAckReplySize},
                                           {kCmdRecord, kRecordReplySize}};
    ByteReader in(data, size);
    const std::uint8_t mode = in.Byte();
    const ReplyKind kind = kKinds[mode & 3];

    // As the link gathers a reply: zeros where nothing arrived.
    std::vector<std::uint8_t> reply(kind.length, 0);
    const std::vector<std::uint8_t> got = in.Bytes(kind.length);
    std::copy(got.begin(), got.end(), reply.begin());
    if (mode & 4) {
        reply[0] = kReplyLead;
        reply[1] = kind.code;
    }
    if (mode & 8)
        SealFrame(reply.data(), reply.size());

    const bool accepted = AcceptReply(reply.data(), got.size(), kind.code, kind.length);
    if (accepted) {
        Check(got.size() == kind.length && reply[0] == kReplyLead && reply[1] == kind.code &&
                  SealedFrameOk(reply.data(), reply.size()),
              "a bad reply was accepted");
    } else {
        Check(got.size() < kind.length || reply[0] != kReplyLead || reply[1] != kind.code ||
                  !SealedFrameOk(reply.data(), reply.size()),
              "a good reply was refused");
    }
    const auto otherCode = static_cast<std::uint8_t>(kind.code ^ 0x01);
    Check(reply[1] == otherCode || !AcceptReply(reply.data(), got.size(), otherCode, kind.length),
          "a reply was accepted for another request");

    if (kind.code != kCmdStatus)
        return 0;
    DeviceStatus status;
    status.serial = -1;
    const bool decoded = DeviceLink::DecodeStatus(reply.data(), status);
    // The decoder checks the whole buffer, zeros included, as the link hands it over.
    Check(decoded == (reply[0] == kReplyLead && reply[1] == kCmdStatus &&
                      SealedFrameOk(reply.data(), reply.size())),
          "status decoding disagrees with the reply check");
    if (!decoded) {
        Check(status.serial == -1, "a refused status reply changed the status");
        return 0;
    }
    // Everything a status is shown with.
    std::ostringstream text;
    cli::PrintStatus(text, status, false);
    cli::PrintStatus(text, status, true);
    text << DeviceNumberText(status.serial) << VersionText(status.version)
         << BatteryText(status.battery) << StateText(status.state) << ClockText(status)
         << CurrentText(status.ch1Current) << CurrentText(status.ch2Current);
    return 0;
}

int FuzzStoredReplies(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const std::uint16_t deviceNumber = in.Word();
    const std::uint16_t deviceVersion = in.Word();
    std::vector<TrendFrame> frames;
    for (int n = 0; n < 64 && !in.Empty(); ++n) {
        const std::uint8_t control = in.Byte();
        std::array<std::uint8_t, kRecordReplySize> reply{};
        const std::vector<std::uint8_t> got = in.Bytes(kRecordReplySize);
        std::copy(got.begin(), got.end(), reply.begin());
        std::size_t received = got.size();
        if (control & 2) {
            reply[0] = kReplyLead;
            reply[1] = kCmdRecord;
        }
        if (control & 4) {
            SealFrame(reply.data(), reply.size());
            received = reply.size();
        }
        if (control & 1) {
            RecordInfo info;
            info.frameCount = -1;
            if (DeviceLink::DecodeRecordInfoReply(reply.data(), received, info))
                Check(info.frameCount == reply[4 + kInfoFrameCountOffset],
                      "information block decoded a wrong frame count");
            else
                Check(info.frameCount == -1, "a refused reply changed the information");
            continue;
        }
        TrendFrame frame;
        if (!DeviceLink::DecodeRecordFrameReply(reply.data(), received, frame))
            continue;
        Check(AcceptReply(reply.data(), received, kCmdRecord, kRecordReplySize),
              "a data frame was taken from a bad reply");
        // The values come back exactly; the time only where mktime left the date as it was.
        const StoredBlockBytes encoded = EncodeStoredDataBlock(frame);
        Check(std::equal(encoded.begin() + 6, encoded.end(), reply.begin() + 4 + 6),
              "data frame values changed on the way");
        frames.push_back(frame);
    }

    // What the download does with the frames: sorted by time, cut into record files.
    std::stable_sort(frames.begin(), frames.end(),
                     [](const TrendFrame& a, const TrendFrame& b) { return a.time < b.time; });
    const std::string folder = SandboxFolder("stored");
    std::vector<RecordFileSummary> files;
    const std::atomic<bool> keepGoing{true};
    const bool written = WriteTrendRecords(
        "U", deviceNumber, deviceVersion, frames, keepGoing,
        [&files](const RecordFileSummary& s) { files.push_back(s); }, folder);
    Check(written, "writing the downloaded frames failed");
    Check(FilesIn(folder).size() == files.size(), "record files and summaries disagree");
    std::size_t next = 0;
    for (const RecordFileSummary& file : files) {
        const auto record = ReadRecordImage(file.path);
        Check(record.has_value(), "a written record file does not read back");
        if (!record)
            return 0;
        Check(record->trendBlocks.size() == static_cast<std::size_t>(file.blocks),
              "a record file holds other blocks than reported");
        Check(record->header.deviceNumber == deviceNumber &&
                  record->header.deviceVersion == deviceVersion,
              "a record file names another instrument");
        for (const TrendBlock& block : record->trendBlocks) {
            Check(next < frames.size() &&
                      std::memcmp(&block, &frames[next].block, sizeof block) == 0,
                  "a record file holds other data than downloaded");
            ++next;
        }
    }
    Check(next == frames.size(), "downloaded frames missing from the record files");
    return 0;
}

int FuzzRequestParser(const std::uint8_t* data, std::size_t size) {
    static constexpr std::uint8_t kCodes[] = {kCmdStatus, kCmdSetClock, kCmdClear,
                                              kCmdStop,   kCmdStream,   kCmdRecord};
    ByteReader in(data, size);
    const std::uint8_t mode = in.Byte();
    const bool strict = (mode & 1) == 0;
    const Segments s =
        BuildStream(in, strict, kRequestLead, [](std::uint8_t control, ByteReader& r) {
            const std::uint8_t code = kCodes[(control >> 1) % std::size(kCodes)];
            const std::vector<std::uint8_t> params =
                r.Bytes(sim::RequestParser::RequestLength(code) - 4);
            std::vector<std::uint8_t> frame = BuildRequest(code, params.data(), params.size());
            frame.resize(sim::RequestParser::RequestLength(code), control);
            SealFrame(frame.data(), frame.size());
            return frame;
        });

    sim::RequestParser parser;
    std::vector<std::vector<std::uint8_t>> requests;
    std::size_t at = 0;
    for (std::size_t k = 0; at < s.stream.size(); ++k) {
        const std::size_t chunk = std::min(ChunkSize(k, mode, 64), s.stream.size() - at);
        parser.Feed(s.stream.data() + at, chunk);
        at += chunk;
        while (auto request = parser.Next()) {
            const std::size_t length = sim::RequestParser::RequestLength((*request)[1]);
            Check(request->size() >= 4 && (*request)[0] == kRequestLead &&
                      length == request->size() && SealedFrameOk(request->data(), length),
                  "the parser gave out a bad request");
            requests.push_back(std::move(*request));
        }
    }
    if (strict)
        Check(requests == s.frames, "the parser lost a good request or made one up");
    return 0;
}

} // namespace zel::fuzz
