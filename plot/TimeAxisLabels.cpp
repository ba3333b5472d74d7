#include "plot/TimeAxisLabels.h"

#include "common/LocalTime.h"

namespace zel {

QStringList TimeAxisLabels(const std::vector<int>& seconds,
                           std::optional<std::int64_t> clockStart) {
    QStringList labels;
    std::string previousDay;
    for (const int s : seconds) {
        if (!clockStart) {
            labels << QString::asprintf("%d时%d分%d秒", s / 3600, (s % 3600) / 60, s % 60);
            continue;
        }
        const std::int64_t t = *clockStart + s;
        const std::string day = FormatLocalTime(t, "%Y-%m-%d");
        const bool dateChanged = !previousDay.empty() && day != previousDay;
        previousDay = day;
        labels << QString::fromStdString(
            FormatLocalTime(t, dateChanged ? "%m-%d %H:%M:%S" : "%H:%M:%S"));
    }
    return labels;
}

} // namespace zel
