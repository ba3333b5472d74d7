#pragma once

#include "device/DeviceLink.h"
#include "device/DeviceStatus.h"
#include "records/SampleBlock.h"
#include "sim/Simulator.h"
#include "tests/support/TempDir.h"
#include "widgets/MessageBox.h"

#include <QString>
#include <QTest>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

class QWidget;

// Texts in failure messages as text, not as a list of 16-bit units.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}

namespace zel::test {

// Waits, running the event loop, until the condition holds or the time is up.
template <typename Condition> bool WaitFor(Condition condition, int ms = 10000) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        QTest::qWait(10);
    }
    return true;
}

// A live window on a simulated instrument: the simulator on a free port, a link to it, a
// fresh record folder, and every message box answered and written down.
class LiveWindowTest : public ::testing::Test {
protected:
    void StartSimulator(const std::function<void(sim::SimConfig&)>& setup = {});
    void TearDown() override;

    // The status the main window would hand over: the simulator's serial and version.
    static DeviceStatus Status();

    // Record files in the folder with this prefix, by name.
    std::vector<std::string> RecordFiles(const std::string& prefix) const;
    // The intact frames the simulator has sent, decoded, from `from` on.
    std::vector<SampleBlock> GoodBlocksSent(std::size_t from = 0) const;
    std::size_t StreamRequests(std::uint8_t parameter) const;
    bool WaitForStreamRequests(std::uint8_t parameter, std::size_t count) const;

    TempDir dir;
    std::unique_ptr<sim::Simulator> simulator;
    DeviceLink link;
    std::vector<QString> messages;
    ScopedMessageBoxHandler boxes{[this](const MessageBox::Request& request) {
        messages.push_back(request.text);
        return MessageBox::Answer::Ok;
    }};
};

// The blocks of a record file, or none when it cannot be read.
std::vector<SampleBlock> BlocksOf(const std::string& path);
// True when both hold the same blocks, byte for byte, in the same order.
bool SameBlocks(const std::vector<SampleBlock>& a, const std::vector<SampleBlock>& b);

// Presses the close button of a skinned window's title strip.
void ClickCloseButton(QWidget& window);

// The value shown after the label of an information bar line ("总数据数:12" gives "12").
QString LineValue(const QString& line);

} // namespace zel::test
