#pragma once

#include "platform/WifiBackend.h"

#include <QString>
#include <array>
#include <memory>
#include <stop_token>

namespace zel {

// Texts of the Wi-Fi panel: connection, SSID, signal quality, security type.
using WifiStatusTexts = std::array<QString, 4>;

// Looks for a wireless network the PC is connected to and fills the four texts. Returns 0 when
// one was found, 1 otherwise; on 1 the texts are their defaults. Keeps no state between calls.
int ProbeWifiStatus(WifiStatusTexts& texts, WifiBackend& backend);

// The same with the system's Wi-Fi service (NetworkManager on Linux); a stop request makes the
// service's calls give up at once, and the probe then ends with 1.
int ProbeWifiStatus(WifiStatusTexts& texts, std::stop_token stop = {});

// The text appended to the security line for an authentication algorithm code.
QString WifiSecurityText(std::uint32_t authAlgorithm);

// The backend of the system's Wi-Fi service.
std::unique_ptr<WifiBackend> CreateSystemWifiBackend(std::stop_token stop = {});

} // namespace zel
