#pragma once

#include "common/FileLocations.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace zel::test {

// Single quotes for the shell, for paths with blanks or other characters in them.
inline std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Runs a shell command and returns what it wrote to stdout; status is its exit status.
inline std::string RunAndRead(const std::string& command, int& status) {
    std::string output;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) {
        status = -1;
        return output;
    }
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, pipe))
        output += buffer;
    const int raw = ::pclose(pipe);
    status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return output;
}

// Copies a built program into folder (created if needed) and returns the copy's path. Where the
// copy runs from decides where it keeps its files.
inline std::string CopyProgram(const std::string& program, const std::string& folder) {
    std::filesystem::create_directories(folder);
    const auto copy = std::filesystem::path(folder) / std::filesystem::path(program).filename();
    std::filesystem::copy_file(program, copy, std::filesystem::copy_options::overwrite_existing);
    return copy.string();
}

// Lays prefix out as an installation does: programs in prefix/bin, the desktop entry in
// prefix/share/applications. Returns prefix/bin.
inline std::string MakeInstallation(const std::string& prefix) {
    const std::string applications = prefix + "/share/applications";
    std::filesystem::create_directories(applications);
    std::filesystem::create_directories(prefix + "/bin");
    std::ofstream(applications + "/" + kApplicationId + ".desktop") << "[Desktop Entry]\n";
    return prefix + "/bin";
}

// The environment of a user whose home folder is home and who set no XDG variable; more holds
// further "-u NAME" and "NAME=value" arguments of env, each followed by a blank.
inline std::string UserEnvironment(const std::string& home, const std::string& more = {}) {
    return "env -u XDG_CONFIG_HOME -u XDG_DOCUMENTS_DIR " + more + "HOME=" + Quoted(home) + " ";
}

} // namespace zel::test
