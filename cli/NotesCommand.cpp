#include "cli/NotesCommand.h"

#include "cli/Json.h"
#include "cli/RecordTimeArgument.h"
#include "records/RecordFile.h"
#include "records/RecordNotes.h"

#include <algorithm>
#include <charconv>
#include <cstring>

namespace zel::cli {

namespace {

std::string ProblemText(const std::string& recordPath, const NotesReadResult& read) {
    using Problem = NotesReadResult::Problem;
    const std::string sidecar = NotesPath(recordPath);
    switch (read.problem) {
    case Problem::Malformed:
        return sidecar + ": not a notes file (malformed JSON or fields); left unchanged";
    case Problem::TooLarge:
        return sidecar + ": too large for a notes file (more than " +
               std::to_string(kMaxNotesFileSize >> 20) + " MiB)";
    case Problem::Unreadable:
        return sidecar + ": cannot be read: " + std::strerror(read.systemError);
    case Problem::None:
        break;
    }
    return {};
}

void PrintNotes(std::ostream& out, const std::vector<RecordNote>& notes, std::int64_t start,
                bool json) {
    if (!json) {
        for (const RecordNote& n : notes)
            out << NoteTimeText(start, n.index) << '\t' << n.index << '\t' << n.text << '\n';
        return;
    }
    out << "{\"notes\": [";
    for (std::size_t i = 0; i < notes.size(); ++i)
        out << (i ? ", " : "") << "{\"time\": " << JsonString(NoteTimeText(start, notes[i].index))
            << ", \"index\": " << notes[i].index << ", \"text\": " << JsonString(notes[i].text)
            << "}";
    out << "]}\n";
}

bool ParseIndex(const std::string& text, std::int64_t& index) {
    const auto r = std::from_chars(text.data(), text.data() + text.size(), index);
    return r.ec == std::errc() && r.ptr == text.data() + text.size() && index >= 0;
}

// "--add TIME TEXT" taken out of the arguments.
bool TakeAdd(std::vector<std::string>& args, bool& present, std::string& time, std::string& text) {
    const auto it = std::find(args.begin(), args.end(), "--add");
    present = it != args.end();
    if (!present)
        return true;
    if (args.end() - it < 3)
        return false;
    time = *(it + 1);
    text = *(it + 2);
    args.erase(it, it + 3);
    return true;
}

} // namespace

int NotesCommand::Run(CliContext& c) {
    const bool json = TakeFlag(c.args, "--json");
    bool adding = false, deleting = false;
    std::string time, text, indexText;
    if (!TakeAdd(c.args, adding, time, text))
        return UsageError(c, "--add needs a local time \"YYYY-mm-dd HH:MM:SS\" and a text");
    if (!TakeValue(c.args, "--delete", indexText, deleting))
        return UsageError(c, "--delete needs the index of a note");
    if (adding && deleting)
        return UsageError(c, "give --add or --delete, not both");
    if (c.args.size() != 1)
        return UsageError(c, "give one record file");
    if (adding && !IsNoteText(text))
        return UsageError(c, "a note is one line of UTF-8 text, not empty");
    std::int64_t index = 0;
    if (deleting && !ParseIndex(indexText, index))
        return UsageError(c, "\"" + indexText + "\" is not a note's index");

    const std::string& path = c.args[0];
    RecordReadFailure failure;
    const auto image = ReadRecordImage(path, &failure);
    if (!image)
        return FailRecordRead(c, path, failure);
    const std::int64_t start = image->header.startTime;
    NotesReadResult read = ReadRecordNotes(path);
    if (read.problem != NotesReadResult::Problem::None)
        return Fail(c, ProblemText(path, read));
    std::vector<RecordNote>& notes = read.notes;

    if (!adding && !deleting) {
        PrintNotes(c.out, notes, start, json);
        return kExitOk;
    }
    const auto at = [&](std::int64_t i) {
        return std::find_if(notes.begin(), notes.end(),
                            [i](const RecordNote& n) { return n.index == i; });
    };
    if (adding) {
        const auto point = PointIndexAt(time, start);
        if (!point)
            return UsageError(c, "\"" + time +
                                     "\" is not a local time \"YYYY-mm-dd HH:MM:SS\" (or the "
                                     "clocks skip it)");
        const std::int64_t count = RecordPoints(*image).Count();
        if (*point < 0 || *point >= count)
            return Fail(c, path + ": " + time + " lies outside the record (" +
                               (count ? NoteTimeText(start, 0) + " to " +
                                            RecordPoints(*image).PreciseTimeText(count - 1)
                                      : std::string("no data point")) +
                               ")");
        if (at(*point) != notes.end())
            return Fail(c, path + ": there is already a note at " + time + " (index " +
                               std::to_string(*point) + ")");
        index = *point;
        notes.push_back({index, text});
    } else {
        const auto it = at(index);
        if (it == notes.end())
            return Fail(c, path + ": no note with index " + indexText);
        notes.erase(it);
    }
    if (!WriteRecordNotes(path, start, notes))
        return Fail(c, NotesPath(path) + ": cannot be written: " + std::strerror(errno));
    if (adding)
        c.out << "added\t" << NoteTimeText(start, index) << '\t' << index << '\n';
    else
        c.out << "deleted\t" << index << '\n';
    return kExitOk;
}

} // namespace zel::cli
