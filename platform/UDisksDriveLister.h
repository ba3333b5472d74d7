#pragma once

#include "records/InstrumentFileScan.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace zel {

// The removable drives as the desktop's disk service (UDisks2 on the system bus) knows them:
// drives that are removable or sit on a USB or SDIO bus (sticks, card readers built in or not,
// sticks mounted through FUSE drivers), without optical drives and without the drives the
// service marks as system drives, each file system once at its first mount point. The calls
// have a short timeout, so a missing bus or a service that does not answer fails quickly.
class UDisksDriveLister {
public:
    static constexpr int kCallTimeoutMs = 1000;

    // The system bus.
    UDisksDriveLister() = default;
    // Another bus, given by its address (tests run their own bus).
    explicit UDisksDriveLister(const QString& busAddress) : busAddress_(busAddress) {}

    // The mount points in the order of the service's block device names, or nothing when the
    // service could not be asked.
    std::optional<std::vector<std::string>> List() const;

private:
    QString busAddress_;
};

// The program's lister: UDisks2 when it answers, otherwise the kernel's removable flag of the
// mounted disks.
std::vector<std::string> SystemRemovableDrives();

} // namespace zel
