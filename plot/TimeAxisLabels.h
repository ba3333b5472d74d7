#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <vector>

namespace zel {

// The time labels of a plot's grid, from the seconds since the start that each stands for:
// elapsed "H时M分S秒", or with the start time given the local clock time "HH:MM:SS", with the
// date ("mm-dd HH:MM:SS") on a label whose day differs from the label before it. Clock times
// follow the zone's rules, so a label across a change to or from summer time shows the clock
// as it was then.
QStringList TimeAxisLabels(const std::vector<int>& seconds, std::optional<std::int64_t> clockStart);

} // namespace zel
