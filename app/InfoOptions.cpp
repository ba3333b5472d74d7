#include "app/InfoOptions.h"

#include "common/FileLocations.h"
#include "common/Version.h"

#include <string_view>

namespace zel {

std::optional<int> AnswerInfoOptions(int argc, char** argv, std::ostream& out) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--") // what follows is a file name, whatever it looks like
            break;
        if (arg == "--version") {
            out << "zelmarine " << kProgramVersion << "\n";
            return 0;
        }
        if (arg == "--help" || arg == "-h") {
            out << "usage: zelmarine [--demo] [FILE.zmr]\n"
                   "The companion program of the two-channel current instrument.\n"
                   "  FILE.zmr     a record file to open in the record viewer\n"
                   "  --demo       run on a simulated instrument inside the program\n"
                   "  -h, --help   show this help\n"
                   "  --version    show the version\n"
                << FileLocations::ForThisProcess().Describe();
            return 0;
        }
    }
    return std::nullopt;
}

} // namespace zel
