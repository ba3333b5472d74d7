#pragma once

#include "records/RecordStatistics.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace zel {

// The statistics of a range as the viewer's statistics window and report show them: the range
// and a table with one row per quantity (the name first) and the columns of Header(). Numbers
// are written as the command-line tool writes them; a quantity without a value in a column
// shows "-".
struct StatisticsTable {
    QString start;    // local time of the first point, "%Y-%m-%d %H:%M:%S"
    QString end;      // of the last point
    QString duration; // "%d时%d分%g秒"
    QString points;   // number of points
    std::vector<QStringList> rows;

    static QStringList Header();
    static StatisticsTable From(const RecordStatistics& statistics, const RecordPoints& points);
    // "统计范围：<start> 至 <end>  时长：<duration>  数据点数：<points>"
    QString RangeText() const;
};

// "%d时%d分%d秒", with ".5" on the seconds for a half.
QString DurationText(double seconds);

} // namespace zel
