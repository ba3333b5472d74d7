#include "viewer/StatisticsTable.h"

#include "records/StatisticsText.h"

#include <cmath>

#include <QCoreApplication>

namespace zel {

namespace {

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

const QString kNone = QStringLiteral("-");

} // namespace

QString DurationText(double seconds) {
    const auto halves = static_cast<long long>(std::llround(seconds * 2));
    const long long whole = halves / 2;
    return QCoreApplication::translate("zel::StatisticsTable", "%1时%2分%3%4秒")
        .arg(whole / 3600)
        .arg(whole % 3600 / 60)
        .arg(whole % 60)
        .arg(halves % 2 ? QStringLiteral(".5") : QString());
}

QStringList StatisticsTable::Header() {
    return {QString(),
            QCoreApplication::translate("zel::StatisticsTable", "最小值"),
            QCoreApplication::translate("zel::StatisticsTable", "最小值时间"),
            QCoreApplication::translate("zel::StatisticsTable", "最大值"),
            QCoreApplication::translate("zel::StatisticsTable", "最大值时间"),
            QCoreApplication::translate("zel::StatisticsTable", "平均值"),
            QCoreApplication::translate("zel::StatisticsTable", "均方根")};
}

StatisticsTable StatisticsTable::From(const RecordStatistics& s, const RecordPoints& points) {
    StatisticsTable table;
    if (s.range.Empty())
        return table;
    table.start = Text(points.TimeText(s.range.first));
    table.end = Text(points.TimeText(s.range.Last()));
    table.duration = DurationText(s.DurationSeconds());
    table.points = QString::number(s.Points());
    const char* const names[2] = {QT_TRANSLATE_NOOP("zel::StatisticsTable", "CH1曲线(A)"),
                                  QT_TRANSLATE_NOOP("zel::StatisticsTable", "CH2曲线(A)")};
    for (int ch = 0; ch < 2; ++ch) {
        const ChannelStatistics& c = s.channel[ch];
        table.rows.push_back({QCoreApplication::translate("zel::StatisticsTable", names[ch]),
                              QString::number(c.min), Text(points.TimeText(c.minIndex)),
                              QString::number(c.max), Text(points.TimeText(c.maxIndex)),
                              Text(TwoDecimals(s.Mean(ch))), Text(TwoDecimals(s.Rms(ch)))});
    }
    table.rows.push_back({QCoreApplication::translate("zel::StatisticsTable", "电流差"),
                          QString::number(s.difference.min), kNone,
                          QString::number(s.difference.max), kNone,
                          Text(TwoDecimals(s.DifferenceMean())), kNone});
    table.rows.push_back({QCoreApplication::translate("zel::StatisticsTable", "不平衡系数(%)"),
                          kNone, kNone, QString::number(s.unbalance.max), kNone,
                          Text(TwoDecimals(s.UnbalanceMean())), kNone});
    if (s.hasSamples) {
        const char* const sampleNames[2] = {QT_TRANSLATE_NOOP("zel::StatisticsTable", "CH1波形"),
                                            QT_TRANSLATE_NOOP("zel::StatisticsTable", "CH2波形")};
        for (int ch = 0; ch < 2; ++ch)
            table.rows.push_back(
                {QCoreApplication::translate("zel::StatisticsTable", sampleNames[ch]),
                 QString::number(s.samples[ch].min), kNone, QString::number(s.samples[ch].max),
                 kNone, kNone, Text(TwoDecimals(s.SampleRms(ch)))});
    }
    return table;
}

QString StatisticsTable::RangeText() const {
    return QCoreApplication::translate("zel::StatisticsTable",
                                       "统计范围：%1 至 %2    时长：%3    数据点数：%4")
        .arg(start, end, duration, points);
}

} // namespace zel
