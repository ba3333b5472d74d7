#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace zel::fuzz {

// Reports a failed check through the installed handler (abort by default).
void Check(bool condition, const char* what);

// Takes the fuzzer's bytes apart front to back; past the end every read gives zeros.
class ByteReader {
public:
    ByteReader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return position_ >= size_; }
    std::size_t Left() const { return Empty() ? 0 : size_ - position_; }
    std::uint8_t Byte();
    std::uint16_t Word();
    // Up to `count` bytes, fewer at the end of the input.
    std::vector<std::uint8_t> Bytes(std::size_t count);
    std::vector<std::uint8_t> Rest() { return Bytes(Left()); }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};

// A private folder for the files the targets write, made on first use and removed when the
// process ends. Every target works in its own subfolder, emptied before each input.
std::string SandboxFolder(const std::string& name);

// Writes the bytes as the whole file; aborts when it cannot (the sandbox is broken, not the code).
void WriteWholeFile(const std::string& path, const void* data, std::size_t size);

// The regular files in a folder, sorted by name.
std::vector<std::string> FilesIn(const std::string& folder);

} // namespace zel::fuzz
