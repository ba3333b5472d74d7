#pragma once

#include <string>
#include <vector>

// The kernel's rule for removable drives, read from the mount table and sysfs. It uses no Qt, so
// the command-line tool searches the same drives as the file analysis window.
namespace zel {

// Mount points of the file systems that live on removable block devices (memory sticks, card
// readers), in the order the kernel lists the mounts.
std::vector<std::string> RemovableDriveRoots();

// The same from a given mount table (the text of /proc/self/mountinfo) and sysfs root ("/sys").
std::vector<std::string> RemovableDriveRoots(const std::string& mountinfo,
                                             const std::string& sysRoot);

} // namespace zel
