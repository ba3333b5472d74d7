#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::fuzz {

// One entry point per outside input. Each takes arbitrary bytes, runs them through the code
// that reads that input and checks what the code gives back. The libFuzzer programs call them
// and so does the replay test of the normal suite, over the corpus and the kept crash inputs.
int FuzzFrameAssembler(const std::uint8_t* data, std::size_t size);
int FuzzReplies(const std::uint8_t* data, std::size_t size);
int FuzzStoredReplies(const std::uint8_t* data, std::size_t size);
int FuzzRecordFile(const std::uint8_t* data, std::size_t size);
int FuzzInstrumentFile(const std::uint8_t* data, std::size_t size);
int FuzzIniFile(const std::uint8_t* data, std::size_t size);
int FuzzRequestParser(const std::uint8_t* data, std::size_t size);
int FuzzCliArguments(const std::uint8_t* data, std::size_t size);

using FuzzFunction = int (*)(const std::uint8_t*, std::size_t);

struct FuzzTarget {
    const char* name; // also the folder of its corpus and regression inputs
    FuzzFunction run;
};

const std::vector<FuzzTarget>& AllFuzzTargets();

// A check on what the code gave back failed. The fuzzing programs abort, so the input is kept
// as a finding; the replay test throws instead, to name the input.
using CheckFailureHandler = void (*)(const std::string& message);
void SetCheckFailureHandler(CheckFailureHandler handler);

} // namespace zel::fuzz
