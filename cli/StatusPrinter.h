#pragma once

#include "device/DeviceStatus.h"

#include <ostream>

namespace zel::cli {

// Prints a status the way the main window shows it, one field a line, or as one JSON object.
void PrintStatus(std::ostream& out, const DeviceStatus& status, bool json);

} // namespace zel::cli
