// Fuzz targets for the files the program reads: record files, instrument data files, config.ini.

#include "fuzz/FuzzSupport.h"
#include "fuzz/FuzzTargets.h"

#include "cli/CliApp.h"
#include "common/IniFile.h"
#include "records/InstrumentFile.h"
#include "records/RecordFile.h"
#include "records/RecordPoints.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <cstring>
#include <sstream>

namespace zel::fuzz {
namespace {

int RunCliQuietly(const std::vector<std::string>& args, std::string* output = nullptr) {
    std::ostringstream out, err;
    const int status = cli::RunCli(args, out, err);
    if (output)
        *output = out.str();
    return status;
}

bool StartsWithMagic(const std::uint8_t* data, std::size_t size) {
    return size >= sizeof kRecordMagic && std::memcmp(data, kRecordMagic, sizeof kRecordMagic) == 0;
}

// The storage image of the instrument file target, kept between inputs: only the blocks an
// input wrote are wiped after it.
std::vector<std::uint8_t>& StorageImage() {
    static std::vector<std::uint8_t> image(kStorageImageSize, 0);
    return image;
}

void WipeBlocks(const std::vector<std::size_t>& offsets) {
    for (const std::size_t offset : offsets)
        std::fill_n(StorageImage().data() + offset, kStoredBlockSize, 0);
}

// The record files hold the frames, in order, each file as many as its summary says.
void CheckRecordFiles(const std::vector<RecordFileSummary>& files,
                      const std::vector<TrendFrame>& frames) {
    std::size_t next = 0;
    for (const RecordFileSummary& file : files) {
        const auto record = ReadRecordImage(file.path);
        Check(record && record->IsTrend() &&
                  record->trendBlocks.size() == static_cast<std::size_t>(file.blocks),
              "a converted record file does not read back");
        if (!record)
            return;
        for (const TrendBlock& block : record->trendBlocks) {
            Check(next < frames.size() &&
                      std::memcmp(&block, &frames[next].block, sizeof block) == 0,
                  "a converted record file holds other data");
            ++next;
        }
    }
    Check(next == frames.size(), "converted frames missing from the record files");
}

// What ConvertInstrumentFile does once the file is read, without the 4 MiB of file traffic
// that makes every input slow: most inputs take this way.
int CheckExtractedFrames(const std::uint8_t* header, const std::string& out,
                         const std::vector<std::size_t>& written) {
    const auto frames = ExtractInstrumentFrames(header[18], StorageImage().data());
    std::vector<RecordFileSummary> files;
    const std::atomic<bool> keepGoing{true};
    Check(WriteTrendRecords(
              "U", header[8], header[10], frames, keepGoing,
              [&files](const RecordFileSummary& s) { files.push_back(s); }, out),
          "the extracted frames could not be written");
    CheckRecordFiles(files, frames);
    WipeBlocks(written);
    return 0;
}

} // namespace

int FuzzRecordFile(const std::uint8_t* data, std::size_t size) {
    const std::string path = SandboxFolder("record") + "/input.zmr";
    WriteWholeFile(path, data, size);

    const auto record = ReadRecordFile(path);
    RecordReadFailure failure;
    const auto image = ReadRecordImage(path, &failure);
    Check(record.has_value() == image.has_value(), "the two record readers disagree");
    // Any regular file with the header and the magic loads, with whatever whole blocks it has.
    const bool isRecord = size >= kRecordHeaderSize && StartsWithMagic(data, size);
    Check(image.has_value() == isRecord, "a record file was refused or another file accepted");
    if (!image) {
        Check(failure.reason == RecordReadFailure::Reason::NotRecordFile,
              "a short or foreign file refused for another reason");
    } else {
        const std::size_t blockSize = image->IsTrend() ? kTrendBlockSize : kWaveformBlockSize;
        const std::size_t blocks = (size - kRecordHeaderSize) / blockSize;
        const std::uint8_t* body = data + kRecordHeaderSize;
        if (image->IsTrend()) {
            Check(image->trendBlocks.size() == blocks && record->points.size() == blocks * 62 &&
                      record->blocks.empty(),
                  "trend blocks lost or made up");
            Check(blocks == 0 ||
                      std::memcmp(image->trendBlocks.data(), body, blocks * blockSize) == 0,
                  "trend blocks read differently from the file");
            for (std::size_t i = 0; i < record->points.size(); ++i)
                Check(record->points[i].ch1 == image->trendBlocks[i / 62].ch1[i % 62] &&
                          record->points[i].ch2 == image->trendBlocks[i / 62].ch2[i % 62],
                      "trend points unpacked wrongly");
        } else {
            Check(image->waveBlocks.size() == blocks && record->blocks.size() == blocks &&
                      record->points.empty(),
                  "waveform blocks lost or made up");
            Check(blocks == 0 ||
                      std::memcmp(image->waveBlocks.data(), body, blocks * blockSize) == 0,
                  "waveform blocks read differently from the file");
        }
        const RecordPoints points(*image);
        if (points.Count() > 0) {
            points.TimeText(0);
            points.PreciseTimeText(points.Count() - 1);
        }
    }

    // The command-line readers of the same file: info, stats and export.
    const int loaded = image ? 0 : 1;
    Check(RunCliQuietly({"info", path}) == loaded, "info status wrong");
    Check(RunCliQuietly({"info", "--json", path}) == loaded, "info --json status wrong");
    const int stats = RunCliQuietly({"stats", "--json", path});
    Check(image ? stats == (RecordPoints(*image).Count() > 0 ? 0 : 1) : stats == 1,
          "stats status wrong");
    std::string csv;
    Check(RunCliQuietly({"export", path}, &csv) == loaded, "export status wrong");
    if (image)
        Check(std::count(csv.begin(), csv.end(), '\n') == RecordPoints(*image).Count() + 1,
              "export wrote another number of rows than points");
    const int samples = RunCliQuietly({"export", "--samples", path});
    Check(samples == (image && !image->IsTrend() ? 0 : 1), "export --samples status wrong");
    return 0;
}

int FuzzInstrumentFile(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    const std::uint8_t mode = in.Byte();
    const std::string folder = SandboxFolder("instrument");
    const std::string path = folder + "/input.TCH";
    const std::string out = folder + "/out";

    std::vector<std::uint8_t>& image = StorageImage();
    std::vector<std::size_t> written;
    std::uint8_t header[kInstrumentHeaderSize] = {};
    bool full = false;
    bool headerComplete = true;

    if ((mode & 1) == 0) {
        // The bytes as they are: short files, damaged headers.
        const std::vector<std::uint8_t> rest = in.Rest();
        WriteWholeFile(path, rest.data(), rest.size());
        std::copy_n(rest.begin(), std::min(rest.size(), sizeof header), header);
        full = rest.size() >= kInstrumentFileSize;
        headerComplete = rest.size() >= kInstrumentHeaderSize;
    } else {
        // A whole file: the header fields, then blocks placed anywhere in the storage, each
        // sealed with its checksum when its flag byte asks for it. The rest reads as zeros.
        // Only with bits 2 and 3 of the mode is the file written and converted.
        const std::vector<std::uint8_t> fields = in.Bytes(19);
        std::copy(fields.begin(), fields.end(), header);
        if (mode & 2)
            SealStoredBlock(header, header);
        while (!in.Empty() && written.size() < 512) {
            const std::size_t slot = in.Byte() % kStorageSlots;
            const std::size_t index = in.Byte();
            const std::uint8_t flags = in.Byte();
            std::uint8_t* block = image.data() + slot * kSlotSize + index * kStoredBlockSize;
            std::fill_n(block, kStoredBlockSize, flags & 2 ? 0xFF : 0x00);
            const std::vector<std::uint8_t> content = in.Bytes(kStoredBlockSize);
            std::copy(content.begin(), content.end(), block);
            if (flags & 1)
                SealStoredBlock(block, block);
            written.push_back(slot * kSlotSize + index * kStoredBlockSize);
        }
        if ((mode & 0x0C) != 0x0C)
            return CheckExtractedFrames(header, out, written);
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        Check(fd >= 0, "cannot make the instrument file");
        bool ok = ::write(fd, header, sizeof header) == static_cast<ssize_t>(sizeof header);
        for (const std::size_t offset : written)
            ok = ok && ::pwrite(fd, image.data() + offset, kStoredBlockSize,
                                static_cast<off_t>(sizeof header + offset)) ==
                           static_cast<ssize_t>(kStoredBlockSize);
        ok = ok && ::ftruncate(fd, static_cast<off_t>(kInstrumentFileSize)) == 0;
        ::close(fd);
        Check(ok, "cannot write the instrument file");
        full = true;
    }

    const auto entry = ReadInstrumentFileEntry(path);
    const bool headerSealed = headerComplete && StoredBlockChecksumMatches(header);
    Check(entry.has_value() == headerSealed, "instrument file header check wrong");
    const ConvertStatus check = CheckInstrumentFile(path).status;
    Check(check == (!headerComplete ? ConvertStatus::TooShort
                    : !headerSealed ? ConvertStatus::NotInstrumentFile
                                    : ConvertStatus::Converted),
          "the instrument file check disagrees with the header");
    if (entry)
        Check(entry->deviceNumber == header[8], "device number read wrongly");

    std::vector<RecordFileSummary> files;
    const ConvertResult result = ConvertInstrumentFile(
        path, [&files](const RecordFileSummary& s) { files.push_back(s); }, out);
    if (!full) {
        Check(result.status == ConvertStatus::TooShort && files.empty(),
              "a short instrument file was converted");
    } else if (mode & 1) {
        Check(result.status == ConvertStatus::Converted, "a whole instrument file not converted");
        const auto frames = ExtractInstrumentFrames(header[18], image.data());
        Check(result.frames == static_cast<int>(frames.size()), "converted frames miscounted");
        CheckRecordFiles(files, frames);
    }
    WipeBlocks(written);
    return 0;
}

int FuzzIniFile(const std::uint8_t* data, std::size_t size) {
    ByteReader in(data, size);
    // Names the program would use (letters, digits, '_') and a value of printable characters.
    const auto name = [&in](std::size_t length) {
        static constexpr char kNameCharacters[] = "abcdefghijklmnopqrstuvwxyzABC_0123456789";
        std::string text;
        for (std::size_t i = 0; i < length; ++i)
            text += kNameCharacters[in.Byte() % (sizeof kNameCharacters - 1)];
        return text;
    };
    const std::uint8_t lengths = in.Byte();
    const std::string section = name(1 + (lengths & 7));
    const std::string key = name(1 + ((lengths >> 3) & 7));
    const std::string otherKey = name(1 + (lengths >> 6));
    std::string value;
    for (std::uint8_t length = in.Byte() % 24; length > 0; --length)
        value += static_cast<char>(0x21 + in.Byte() % 0x5E);
    if (!value.empty() && (value.front() == '"' || value.front() == '\''))
        value.front() = 'q';
    const std::vector<std::uint8_t> content = in.Rest();

    const std::string path = SandboxFolder("ini") + "/config.ini";
    WriteWholeFile(path, content.data(), content.size());
    // Read with names straight from the file's own bytes as well.
    const std::string raw(content.begin(), content.end());
    IniFile::Read(path, raw.substr(0, raw.find('\n')), raw);
    IniFile::ReadOr(path, "IP", "ip", "fallback");

    const auto before = IniFile::Read(path, section, otherKey);
    Check(IniFile::Write(path, section, key, value), "config.ini could not be written");
    Check(IniFile::Read(path, section, key) == value, "a written value does not read back");
    const auto lower = [](std::string text) {
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    if (lower(otherKey) != lower(key))
        Check(IniFile::Read(path, section, otherKey) == before, "writing one key changed another");
    return 0;
}

} // namespace zel::fuzz
