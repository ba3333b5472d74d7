#pragma once

#include <string>

namespace zel {

// Directory of the running executable, ending with '/': the base of config.ini and of the
// ZMR and BMP folders.
std::string GetModuleDirectory();

// GetModuleDirectory() + "config.ini".
std::string ConfigFilePath();

// The folder "BMP" beside the executable, where screenshots of the plots go by default.
std::string PictureDirectory();

} // namespace zel
