#pragma once

#include <optional>
#include <string>

namespace zel {

// A small reader and writer with the semantics of the Windows private-profile functions:
// section and key names match without regard to letter case, surrounding blanks are ignored,
// and writing keeps every other line of the file as it was.
class IniFile {
public:
    // The value of key in section, or nothing when the file, section or key is absent.
    static std::optional<std::string> Read(const std::string& path, const std::string& section,
                                           const std::string& key);

    static std::string ReadOr(const std::string& path, const std::string& section,
                              const std::string& key, const std::string& fallback);

    // Creates the file, section or key as needed. New lines take the ending the file already
    // uses (a new file gets "\n"); every other line keeps its own. The file is stored with
    // ReplaceFileContents: through a symbolic link, atomically where the folder allows it.
    // Returns false when the file cannot be written.
    static bool Write(const std::string& path, const std::string& section, const std::string& key,
                      const std::string& value);
};

} // namespace zel
