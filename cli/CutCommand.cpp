#include "cli/CutCommand.h"

#include "common/LocalTime.h"
#include "records/RecordCut.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

namespace zel::cli {

namespace {

bool IsDirectory(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Exists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

} // namespace

int CutCommand::Run(CliContext& c) {
    std::string fromText, toText, outText;
    bool haveFrom = false, haveTo = false, haveOut = false;
    if (!TakeValue(c.args, "--from", fromText, haveFrom) ||
        !TakeValue(c.args, "--to", toText, haveTo) || !haveFrom || !haveTo)
        return UsageError(c, "--from and --to need local times \"YYYY-mm-dd HH:MM:SS\"");
    if (!TakeValue(c.args, "-o", outText, haveOut))
        return UsageError(c, "-o needs a file or a folder");
    if (c.args.size() != 1)
        return UsageError(c, "give one record file");
    // Where the clocks go back, the range takes in the whole repeated hour of its ends.
    std::int64_t from = 0, to = 0;
    for (const bool end : {false, true}) {
        const std::string& text = end ? toText : fromText;
        if (!ParseLocalTime(text, end, end ? to : from))
            return UsageError(c, "\"" + text +
                                     "\" is not a local time \"YYYY-mm-dd HH:MM:SS\" (or the "
                                     "clocks skip it)");
    }
    if (from > to)
        return UsageError(c, "--from " + fromText + " lies after --to " + toText);

    const std::string& path = c.args[0];
    RecordReadFailure failure;
    const auto image = ReadRecordImage(path, &failure);
    if (!image)
        return FailRecordRead(c, path, failure);
    const NotesReadResult notes = ReadRecordNotes(path);
    if (notes.problem != NotesReadResult::Problem::None)
        return Fail(c, NotesPath(path) + ": the notes cannot be read (" +
                           (notes.problem == NotesReadResult::Problem::Unreadable
                                ? std::string(std::strerror(notes.systemError))
                                : std::string("not a notes file")) +
                           "); nothing cut");

    const RecordPoints points(*image);
    const BlockRange blocks = BlocksOfPoints(*image, points.Between(from, to));
    if (blocks.Empty()) {
        const std::int64_t n = points.Count();
        return Fail(c, path + ": no block between " + fromText + " and " + toText +
                           (n ? " (the record runs from " + points.TimeText(0) + " to " +
                                    points.TimeText(n - 1) + ")"
                              : std::string(" (the record holds no block)")));
    }

    std::string folder, file;
    if (!haveOut)
        folder = RecordDirectory();
    else if (IsDirectory(outText))
        folder = outText;
    else if (Exists(outText))
        return Fail(c, outText + ": exists already; not replaced");
    else
        file = outText;
    const std::string written =
        WriteRecordCut(*image, blocks, notes.notes, RecordPrefixOf(path, *image), folder, file);
    if (written.empty())
        return Fail(c, (file.empty() ? folder : file) +
                           ": the cut cannot be written: " + std::strerror(errno));
    const RecordFileHeader header = CutHeader(*image, blocks);
    c.out << written << '\t' << FormatLocalTime(header.startTime, "%Y-%m-%d %H:%M:%S") << '\t'
          << blocks.count << '\t' << NotesInCut(notes.notes, *image, blocks).size() << '\n';
    return kExitOk;
}

} // namespace zel::cli
