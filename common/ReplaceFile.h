#pragma once

#include <string>

namespace zel {

// Makes `contents` the whole of the file at `path`, creating it if needed.
//
// A symbolic link is followed, so the link stays and its target gets the new contents. Where the
// target's folder allows it, the contents go into a temporary file beside the target that is then
// renamed over it, so a reader sees the old or the new file, never a half-written one; the file
// keeps its permissions. Where no file can be made or renamed in that folder (a read-only folder
// holding a writable file, a file mounted on its own), the file is written in place instead.
// A file that may not be written is left alone. Returns false when the contents could not be
// stored.
bool ReplaceFileContents(const std::string& path, const std::string& contents);

} // namespace zel
