#pragma once

#include <cstddef>
#include <string>

namespace zel {

constexpr const char* kConfigSection = "ZELMARINE";
constexpr const char* kConfigKeyIp = "ip";
constexpr const char* kDefaultDeviceAddress = "192.168.1.1";
constexpr std::size_t kDeviceAddressSize = 20; // 19 bytes and the terminating zero

// Reads key ip of section ZELMARINE from config.ini (ConfigFilePath()) into a 20-byte field.
// A value that does not fit (more than 19 bytes) is rejected rather than cut to another
// address: the field is left empty, so the connection attempt fails, and false is returned.
bool ReadDeviceAddress(char (&out)[kDeviceAddressSize]);
bool ReadDeviceAddress(char (&out)[kDeviceAddressSize], const std::string& configPath);

// Stores the address in config.ini, keeping every other line.
bool WriteDeviceAddress(const std::string& address, const std::string& configPath);

} // namespace zel
