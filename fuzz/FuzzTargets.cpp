#include "fuzz/FuzzTargets.h"

namespace zel::fuzz {

const std::vector<FuzzTarget>& AllFuzzTargets() {
    static const std::vector<FuzzTarget> targets = {
        {"frame_assembler", FuzzFrameAssembler}, {"replies", FuzzReplies},
        {"stored_replies", FuzzStoredReplies},   {"record_file", FuzzRecordFile},
        {"instrument_file", FuzzInstrumentFile}, {"ini_file", FuzzIniFile},
        {"request_parser", FuzzRequestParser},   {"cli_arguments", FuzzCliArguments},
    };
    return targets;
}

} // namespace zel::fuzz
