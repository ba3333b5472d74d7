#include "app/DemoEnvironment.h"

#include "app/WifiProbe.h"
#include "common/LocalTime.h"
#include "common/ModuleDirectory.h"
#include "sim/StorageBuilder.h"

namespace zel {

DemoEnvironment::DemoEnvironment() : wifi_("Velquist-Demo", 82, kWifiAuthRsnaPsk) {
    sim::SimConfig config;
    config.serial = 12;
    config.version = 1203;
    config.battery = 86;
    config.state = kStateMeasuring;
    simulator_ = std::make_unique<sim::Simulator>(config);
    // Three recordings of the last days, ready for the record transfer.
    const std::int64_t start = NowSeconds() - 3 * 86400;
    simulator_->SetStorage(sim::BuildStorage({3, 120, start, 31, 86400}));
}

DemoEnvironment::~DemoEnvironment() {
    simulator_->Stop();
}

bool DemoEnvironment::Start() {
    if (!simulator_->Start())
        return false;
    TheDeviceLink().SetEndpoint("127.0.0.1", simulator_->Port());
    return true;
}

MainWindowEnvironment DemoEnvironment::Environment() {
    MainWindowEnvironment environment;
    environment.link = &TheDeviceLink();
    environment.wifiProbe = [this](WifiStatusTexts& texts) {
        return ProbeWifiStatus(texts, wifi_) == 0;
    };
    environment.configPath = configDir_.filePath(QStringLiteral("config.ini")).toStdString();
    return environment;
}

MainWindowEnvironment SystemEnvironment() {
    MainWindowEnvironment environment;
    environment.link = &TheDeviceLink();
    environment.link->SetEndpoint({}, link_timing::kPort);
    environment.wifiProbe = [](WifiStatusTexts& texts) { return ProbeWifiStatus(texts) == 0; };
    environment.configPath = ConfigFilePath();
    return environment;
}

} // namespace zel
