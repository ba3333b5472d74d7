#pragma once

#include "records/InstrumentFile.h"

#include <functional>
#include <string>
#include <vector>

namespace zel {

// Lists the folders where removable drives are mounted. The file analysis window searches them
// for instrument data files; tests and the demo hand it folders of their own.
using RemovableDriveLister = std::function<std::vector<std::string>()>;

// True when the three characters after the first '.' of the name (the first three characters
// when there is no '.') are "TCH", case-sensitive; a longer extension such as "TCHX" matches.
bool IsInstrumentFileName(const std::string& name);

// Searches the given folders (the removable drives, or folders of the caller), depth first,
// for instrument data files with a valid header. Folders whose name begins
// with '.' are skipped, symbolic links are not followed and the search stays on the file system
// of each root; folders that cannot be read are passed over.
std::vector<InstrumentFileEntry> ScanInstrumentFiles(const std::vector<std::string>& roots);

} // namespace zel
