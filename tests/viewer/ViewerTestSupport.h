#pragma once

#include "records/RecordTypes.h"
#include "records/SampleBlock.h"
#include "viewer/ViewDlg.h"
#include "widgets/MessageBox.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QWidget;

namespace zel::test {

// Waveform record files: one SampleBlock per wave block, currents from `currents` (cycled).
QString WriteWaveformRecord(const QString& dir, const std::vector<WaveBlock>& blocks,
                            const std::vector<TrendPoint>& currents,
                            std::uint16_t deviceNumber = 12, std::uint16_t version = 1203);
// Trend record files: 62 points per block, the last block padded with the first points.
QString WriteTrendRecord(const QString& dir, const std::vector<TrendPoint>& points,
                         std::uint16_t deviceNumber = 12, std::uint16_t version = 1203,
                         std::int64_t startTime = 1400000000);

// A shown viewer of the given client size, whose message boxes are recorded, not shown.
struct ViewerUnderTest {
    explicit ViewerUnderTest(int width = 1280, int height = 727);
    QWidget* Control(int id) const;
    QString Text(int readoutId) const;
    bool Enabled(int id) const;

    std::vector<QString> errors;
    ScopedMessageBoxHandler boxes;
    std::unique_ptr<CViewDlg> viewer;
};

} // namespace zel::test
