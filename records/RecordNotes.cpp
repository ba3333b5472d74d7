#include "records/RecordNotes.h"

#include "common/LocalTime.h"
#include "common/ReplaceFile.h"
#include "records/FileDescriptor.h"
#include "records/JsonValue.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

namespace zel {

std::string NotesPath(const std::string& recordPath) {
    return recordPath + ".notes";
}

std::string NoteTimeText(std::int64_t startTime, std::int64_t index) {
    return FormatLocalTime(startTime + index / 2, "%Y-%m-%d %H:%M:%S");
}

bool IsNoteText(const std::string& text) {
    if (text.empty() || !IsValidUtf8(text))
        return false;
    return std::none_of(text.begin(), text.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
}

void SortNotes(std::vector<RecordNote>& notes) {
    std::stable_sort(notes.begin(), notes.end(),
                     [](const RecordNote& a, const RecordNote& b) { return a.index < b.index; });
    // Of equal indexes keep the last one.
    std::vector<RecordNote> unique;
    for (auto& note : notes) {
        if (!unique.empty() && unique.back().index == note.index)
            unique.back() = std::move(note);
        else
            unique.push_back(std::move(note));
    }
    notes = std::move(unique);
}

std::string NotesDocument(std::int64_t startTime, std::vector<RecordNote> notes) {
    SortNotes(notes);
    std::string out =
        "{\"startTime\": " + JsonQuote(FormatLocalTime(startTime, "%Y-%m-%d %H:%M:%S")) +
        ",\n \"notes\": [";
    for (std::size_t i = 0; i < notes.size(); ++i) {
        out += i ? ",\n  " : "\n  ";
        out += "{\"time\": " + JsonQuote(NoteTimeText(startTime, notes[i].index)) +
               ", \"index\": " + std::to_string(notes[i].index) +
               ", \"text\": " + JsonQuote(notes[i].text) + "}";
    }
    return out + "]}\n";
}

bool ParseNotesDocument(const std::string& text, std::vector<RecordNote>& notes) {
    const auto document = ParseJson(text);
    if (!document || document->type != JsonValue::Type::Object)
        return false;
    const JsonValue* list = document->Find("notes");
    if (!list || list->type != JsonValue::Type::Array)
        return false;
    std::vector<RecordNote> read;
    for (const JsonValue& item : list->items) {
        if (item.type != JsonValue::Type::Object)
            return false;
        const JsonValue* index = item.Find("index");
        const JsonValue* noteText = item.Find("text");
        if (!index || !noteText || noteText->type != JsonValue::Type::String)
            return false;
        const auto value = index->Integer();
        if (!value || *value < 0)
            return false;
        read.push_back({*value, noteText->text});
    }
    SortNotes(read);
    notes = std::move(read);
    return true;
}

NotesReadResult ReadRecordNotes(const std::string& recordPath) {
    using Problem = NotesReadResult::Problem;
    NotesReadResult result;
    // O_NONBLOCK: a pipe under the sidecar's name must not hang the opening of the record.
    FileDescriptor file(::open(NotesPath(recordPath).c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        if (errno != ENOENT) {
            result.problem = Problem::Unreadable;
            result.systemError = errno;
        }
        return result;
    }
    struct stat info {};
    const bool statted = ::fstat(file.get(), &info) == 0;
    if (!statted || !S_ISREG(info.st_mode)) {
        result.problem = Problem::Unreadable;
        result.systemError = statted ? EINVAL : errno;
        return result;
    }
    if (info.st_size > kMaxNotesFileSize) {
        result.problem = Problem::TooLarge;
        return result;
    }
    std::string text(static_cast<std::size_t>(info.st_size) + 1, '\0');
    const ssize_t got = file.ReadAll(text.data(), text.size());
    if (got < 0) {
        result.problem = Problem::Unreadable;
        result.systemError = errno;
        return result;
    }
    text.resize(static_cast<std::size_t>(got));
    if (!ParseNotesDocument(text, result.notes)) {
        result.notes.clear();
        result.problem = Problem::Malformed;
    }
    return result;
}

bool WriteRecordNotes(const std::string& recordPath, std::int64_t startTime,
                      std::vector<RecordNote> notes) {
    return ReplaceFileContents(NotesPath(recordPath), NotesDocument(startTime, std::move(notes)));
}

} // namespace zel
