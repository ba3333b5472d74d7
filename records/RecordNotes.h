#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// A note on a record: a line of text at one trend point. Point i lies i × 0.5 s after the
// record's start, as the plots lay the points out; a waveform record's block i is point i.
struct RecordNote {
    std::int64_t index = 0;
    std::string text; // UTF-8
};

// Notes are kept beside the record, in "NAME.zmr.notes", so the record file is never rewritten:
//   {"startTime": "2014-05-13 16:53:20",
//    "notes": [{"time": "2014-05-13 16:53:30", "index": 20, "text": "..."}, ...]}
// UTF-8 JSON; times are local "%Y-%m-%d %H:%M:%S" (a note's time without its half second), the
// notes in index order, at most one per point. The index is what a reader goes by; the times
// are there for people and other tools.
std::string NotesPath(const std::string& recordPath);

struct NotesReadResult {
    enum class Problem { None, Unreadable, Malformed, TooLarge };
    std::vector<RecordNote> notes; // in index order; empty unless problem is None
    Problem problem = Problem::None;
    int systemError = 0; // errno of Unreadable
};

// A missing sidecar is no notes and no problem.
NotesReadResult ReadRecordNotes(const std::string& recordPath);

// Makes `notes` the sidecar's whole contents, atomically where the folder allows it. False with
// errno set when it could not be written; the old sidecar is then left as it was.
bool WriteRecordNotes(const std::string& recordPath, std::int64_t startTime,
                      std::vector<RecordNote> notes);

// The sidecar's text, and its reading (false for anything not in the form above).
std::string NotesDocument(std::int64_t startTime, std::vector<RecordNote> notes);
bool ParseNotesDocument(const std::string& text, std::vector<RecordNote>& notes);

// Point `index`'s local time, "%Y-%m-%d %H:%M:%S", the half second dropped.
std::string NoteTimeText(std::int64_t startTime, std::int64_t index);

// Text a note can hold: one line of UTF-8, not empty, no control characters.
bool IsNoteText(const std::string& text);

// Sorted by index; the later of two notes at the same point wins.
void SortNotes(std::vector<RecordNote>& notes);

// Sidecars larger than this are not read: a few thousand notes take a small part of it.
inline constexpr std::int64_t kMaxNotesFileSize = std::int64_t{4} << 20;

} // namespace zel
