#include "LiveTestSupport.h"

#include "device/Frame.h"
#include "records/RecordFile.h"
#include "widgets/CMyDialog.h"

#include <QWidget>

#include <algorithm>
#include <cstring>
#include <filesystem>

namespace zel::test {

void LiveWindowTest::StartSimulator(const std::function<void(sim::SimConfig&)>& setup) {
    sim::SimConfig config;
    config.state = kStateMeasuring;
    config.frameIntervalMs = 10;
    config.keepGoodFrames = true;
    if (setup)
        setup(config);
    simulator = std::make_unique<sim::Simulator>(config);
    ASSERT_TRUE(simulator->Start());
    link.SetEndpoint("127.0.0.1", simulator->Port());
}

void LiveWindowTest::TearDown() {
    link.Close();
    if (simulator)
        simulator->Stop();
}

DeviceStatus LiveWindowTest::Status() {
    DeviceStatus status;
    status.serial = 12;
    status.version = 1203;
    status.state = kStateMeasuring;
    return status;
}

std::vector<std::string> LiveWindowTest::RecordFiles(const std::string& prefix) const {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path(), error)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind(prefix + "-", 0) == 0 && entry.path().extension() == ".zmr")
            files.push_back(entry.path().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<SampleBlock> LiveWindowTest::GoodBlocksSent(std::size_t from) const {
    std::vector<SampleBlock> blocks;
    const auto frames = simulator->GoodFramesSent();
    for (std::size_t i = from; i < frames.size(); ++i) {
        SampleBlock block;
        DecodeSampleFrame(frames[i].data(), block);
        blocks.push_back(block);
    }
    return blocks;
}

std::size_t LiveWindowTest::StreamRequests(std::uint8_t parameter) const {
    return sim::Simulator::CountRequests(simulator->Requests(), kCmdStream, parameter);
}

bool LiveWindowTest::WaitForStreamRequests(std::uint8_t parameter, std::size_t count) const {
    return simulator->WaitForRequestCount(count, kCmdStream, parameter);
}

std::vector<SampleBlock> BlocksOf(const std::string& path) {
    const auto file = ReadRecordFile(path);
    return file ? file->blocks : std::vector<SampleBlock>{};
}

bool SameBlocks(const std::vector<SampleBlock>& a, const std::vector<SampleBlock>& b) {
    return a.size() == b.size() &&
           (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(SampleBlock)) == 0);
}

void ClickCloseButton(QWidget& window) {
    auto& dialog = dynamic_cast<CMyDialog&>(window);
    const QPoint at = dialog.CloseRect().center();
    QTest::mousePress(&window, Qt::LeftButton, {}, at);
    QTest::mouseRelease(&window, Qt::LeftButton, {}, at);
}

QString LineValue(const QString& line) {
    return line.section(QLatin1Char(':'), 1, -1);
}

} // namespace zel::test
