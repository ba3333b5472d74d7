#pragma once

#include "viewer/StatisticsTable.h"

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace zel {

// What a measurement report holds: the record, the plots as the viewer showed them, the
// statistics of the range and when the report was made. Plain values, so a report can be
// written on another thread.
struct ReportContent {
    struct Plot {
        QString caption;
        QImage picture;
    };

    QString fileName;
    QString deviceNumber; // as the information bar shows it: "191012"
    QString version;      // "V1.203"
    QString startTime;
    QString duration;
    QString dataCount;
    QString exportTime;
    QString what; // which points the statistics are about: "当前视图" or "选定范围"
    StatisticsTable table;
    std::vector<Plot> plots; // top to bottom
    QStringList notes;       // "time  text" of the record's notes, in time order
    // The limits in force ("CH1电流 > 150A，电流差 > 60A，最少持续 2 点"), empty when none is
    // on; then the events of the whole record, the first kMaxReportEvents of them as rows
    // (CEventDlg::Header()), and how many there are. They fill a second page.
    QString limits;
    std::vector<QStringList> events;
    std::int64_t eventCount = 0;
};

inline constexpr int kMaxReportEvents = 40;

// The report as one A4 page of PDF, and a second for the events when limits are on.
QByteArray RenderReportPdf(const ReportContent& content);

// Writes RenderReportPdf to `path`, replacing it only once the whole page is written; false
// when it cannot be written.
bool WriteReportPdf(const QString& path, const ReportContent& content);

} // namespace zel
