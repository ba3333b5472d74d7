#include "ViewerTestSupport.h"

#include "records/RecordFile.h"
#include "widgets/CDigital.h"

#include <QFile>
#include <QPushButton>

namespace zel::test {

QString WriteWaveformRecord(const QString& dir, const std::vector<WaveBlock>& blocks,
                            const std::vector<TrendPoint>& currents, std::uint16_t deviceNumber,
                            std::uint16_t version) {
    const std::string path =
        CreateWaveformRecord("S", deviceNumber, version, QFile::encodeName(dir).toStdString());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        SampleBlock block;
        const TrendPoint current = currents.empty() ? TrendPoint{} : currents[i % currents.size()];
        block.ch1Current = static_cast<std::uint32_t>(current.ch1);
        block.ch2Current = static_cast<std::uint32_t>(current.ch2);
        std::copy_n(blocks[i].ch1, kSamplesPerChannel, block.ch1);
        std::copy_n(blocks[i].ch2, kSamplesPerChannel, block.ch2);
        AppendRecordBlock(path, block);
    }
    return QFile::decodeName(path.c_str());
}

QString WriteTrendRecord(const QString& dir, const std::vector<TrendPoint>& points,
                         std::uint16_t deviceNumber, std::uint16_t version,
                         std::int64_t startTime) {
    const std::string path = CreateTrendRecord("T", deviceNumber, version, startTime,
                                               QFile::encodeName(dir).toStdString());
    for (std::size_t first = 0; first < points.size(); first += kTrendPointsPerBlock) {
        TrendBlock block;
        for (int k = 0; k < kTrendPointsPerBlock; ++k) {
            const TrendPoint& p = points[(first + k) % points.size()];
            block.ch1[k] = static_cast<std::int16_t>(p.ch1);
            block.ch2[k] = static_cast<std::int16_t>(p.ch2);
        }
        AppendRecordBlock(path, block);
    }
    return QFile::decodeName(path.c_str());
}

ViewerUnderTest::ViewerUnderTest(int width, int height)
    : boxes([this](const MessageBox::Request& request) {
          errors.push_back(request.text);
          return MessageBox::Answer::Ok;
      }),
      viewer(std::make_unique<CViewDlg>()) {
    // The layout is taken from the size the viewer has when it opens a record.
    viewer->resize(width, height);
    viewer->show();
}

QWidget* ViewerUnderTest::Control(int id) const {
    return viewer->findChild<QWidget*>(QString::number(id));
}

QString ViewerUnderTest::Text(int readoutId) const {
    return viewer->Readout(readoutId)->Text();
}

bool ViewerUnderTest::Enabled(int id) const {
    return Control(id)->isEnabled();
}

} // namespace zel::test
