#pragma once

#include <string>

namespace zel {

// Directory of the running executable, ending with '/'.
std::string GetModuleDirectory();

// config.ini: beside the executable, or in the user's configuration folder for an installed
// copy (see FileLocations). That folder is created on first use.
std::string ConfigFilePath();

// The folder "BMP" where screenshots of the plots go by default: beside the executable, or in
// the user's documents for an installed copy (created on first use).
std::string PictureDirectory();

} // namespace zel
