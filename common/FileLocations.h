#pragma once

#include <string>

namespace zel {

// The name of the desktop entry, icon and AppStream component an installation puts under
// share/. Its desktop entry beside the executable's bin/ folder is how a copy knows it was
// installed.
inline constexpr const char* kApplicationId = "com.velquist.zelmarine";

// What the choice of places rests on, taken from the process and its environment.
struct LocationFacts {
    std::string moduleDirectory; // the executable's folder, ending with '/'
    bool moduleWritable = false;
    std::string home;
    std::string configHome;       // XDG_CONFIG_HOME as set; empty or relative means unset
    std::string documentsSetting; // XDG_DOCUMENTS_DIR as set in the environment
};

// Where the program and zelmarine-cli keep config.ini, their records (ZMR) and their
// screenshots (BMP).
//
// A copy that may write to its own folder (a portable copy, the build folder) keeps all three
// beside its executable, as the program always has. An installed copy (its folder is not
// writable, or it is the bin/ folder of an installation) uses the user's own places:
//   config.ini  in $XDG_CONFIG_HOME/Zelmarine/ (~/.config/Zelmarine/)
//   ZMR, BMP    in <documents>/Zelmarine/, the documents folder named in user-dirs.dirs,
//               else $XDG_DOCUMENTS_DIR, else ~/Documents
// A config.ini already beside a writable executable keeps that copy beside it. Nothing is ever
// moved: a copy simply looks where the rule says.
class FileLocations {
public:
    static FileLocations Choose(const LocationFacts& facts);

    // The choice for this process, made on first use and kept, so every thread and window of a
    // run agree.
    static const FileLocations& ForThisProcess();

    const std::string& ConfigFile() const { return configFile_; }
    const std::string& RecordDirectory() const { return recordDirectory_; }
    const std::string& PictureDirectory() const { return pictureDirectory_; }
    bool PerUser() const { return perUser_; }

    // The same paths for use: in the per-user places their folders are created first (the
    // configuration folder readable by its owner only). Beside the executable nothing is created.
    std::string UseConfigFile() const;
    std::string UseRecordDirectory() const;
    std::string UsePictureDirectory() const;

    // "Files:" and one line per place, for the programs' --help.
    std::string Describe() const;

private:
    std::string configFile_;
    std::string recordDirectory_;
    std::string pictureDirectory_;
    bool perUser_ = false;
};

LocationFacts CurrentLocationFacts();

} // namespace zel
