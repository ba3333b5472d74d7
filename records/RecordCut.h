#pragma once

#include "records/RecordFile.h"
#include "records/RecordNotes.h"
#include "records/RecordPoints.h"

#include <cstdint>
#include <string>
#include <vector>

namespace zel {

// Whole blocks of a record: first … first + count − 1.
struct BlockRange {
    std::int64_t first = 0;
    std::int64_t count = 0;
    bool Empty() const { return count <= 0; }
};

// The blocks that hold the points of `points`: one waveform block per point, or the whole
// 62-point blocks of a trend record that the range touches. A header's start time has whole
// seconds only, so a waveform range that begins at a half second takes the block before it too:
// every block of the cut keeps its time.
BlockRange BlocksOfPoints(const RecordImage& image, PointRange points);

// The index of block `block`'s first point.
std::int64_t FirstPointOfBlock(const RecordImage& image, std::int64_t block);

// The header of the cut: the source's kind, device number and version, and the time of the
// first kept block as its start.
RecordFileHeader CutHeader(const RecordImage& image, BlockRange blocks);

// The notes that lie in the kept blocks, their indexes counted from the cut's first point.
std::vector<RecordNote> NotesInCut(const std::vector<RecordNote>& notes, const RecordImage& image,
                                   BlockRange blocks);

// The one-letter name prefix of the record at `path` ("S", "R", "T", "U"), or by its kind when
// its name does not follow the usual rule.
std::string RecordPrefixOf(const std::string& path, const RecordImage& image);

// Writes the kept blocks as a new record with its notes beside it. `folder` set: named by the
// usual rule with `prefix` in that folder (empty `file`); otherwise `file` is the new file's
// path, which must not exist yet. All or nothing: on failure nothing new is left behind, errno
// tells why, and an empty string is returned; otherwise the new record's path.
std::string WriteRecordCut(const RecordImage& image, BlockRange blocks,
                           const std::vector<RecordNote>& notes, const std::string& prefix,
                           const std::string& folder, const std::string& file);

} // namespace zel
