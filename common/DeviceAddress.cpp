#include "common/DeviceAddress.h"

#include "common/IniFile.h"
#include "common/ModuleDirectory.h"

#include <cstring>

namespace zel {

bool ReadDeviceAddress(char (&out)[kDeviceAddressSize]) {
    return ReadDeviceAddress(out, ConfigFilePath());
}

bool ReadDeviceAddress(char (&out)[kDeviceAddressSize], const std::string& configPath) {
    std::memset(out, 0, sizeof out);
    std::string value =
        IniFile::ReadOr(configPath, kConfigSection, kConfigKeyIp, kDefaultDeviceAddress);
    // The private-profile reader hands over at most 259 characters.
    if (value.size() > 259)
        value.resize(259);
    if (value.size() >= kDeviceAddressSize)
        return false;
    std::memcpy(out, value.data(), value.size());
    return true;
}

bool WriteDeviceAddress(const std::string& address, const std::string& configPath) {
    return IniFile::Write(configPath, kConfigSection, kConfigKeyIp, address);
}

} // namespace zel
