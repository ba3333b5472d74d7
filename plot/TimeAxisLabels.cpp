#include "plot/TimeAxisLabels.h"

#include "common/LocalTime.h"

#include <QCoreApplication>

namespace zel {

QStringList TimeAxisLabels(const std::vector<int>& seconds,
                           std::optional<std::int64_t> clockStart) {
    QStringList labels;
    std::string previousDay;
    for (const int s : seconds) {
        if (!clockStart) {
            labels << QCoreApplication::translate("zel::TimeAxisLabels", "%1时%2分%3秒")
                          .arg(s / 3600)
                          .arg((s % 3600) / 60)
                          .arg(s % 60);
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
