// The libFuzzer program of one target; ZEL_FUZZ_FUNCTION names its entry point.
#include "fuzz/FuzzTargets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    return zel::fuzz::ZEL_FUZZ_FUNCTION(data, size);
}
