#pragma once

#include "records/Events.h"

#include <optional>
#include <string>

namespace zel {

// The limits live in section LIMITS of config.ini, one switch and one value a limit:
//   ch1On=1  ch1Above=400  ch2On=0  ch2Above=400  differenceOn=1  differenceAbove=30
//   unbalanceOn=0  unbalanceAbove=10  minPoints=1  sound=0
// A value that is not a whole number in range leaves its limit off (minPoints: 1).
constexpr const char* kLimitsSection = "LIMITS";

// A limit's value as typed or stored: a whole number of amperes (0 … 2147483647), or of
// percent for the unbalance (0 … 100).
std::optional<std::int32_t> ParseLimitValue(LimitKind kind, const std::string& text);
// Points an event needs at least: 1 … 1000000.
std::optional<std::int32_t> ParseMinPoints(const std::string& text);

// The config.ini the windows take the limits from: the program's own (ConfigFilePath()) unless
// another has been set, as the demo sets its own. Set before the first window opens.
void SetEventLimitsFile(const std::string& configPath);
std::string EventLimitsFile();

EventLimits ReadEventLimits(const std::string& configPath);
// Writes every key of the section, keeping all other lines; false when the file cannot be written.
bool WriteEventLimits(const std::string& configPath, const EventLimits& limits);

// Whether the live view sounds a short tone when an event begins.
bool ReadEventSound(const std::string& configPath);
bool WriteEventSound(const std::string& configPath, bool on);

} // namespace zel
