#include "app/DemoEnvironment.h"

#include "common/LocalTime.h"
#include "common/ModuleDirectory.h"
#include "platform/WifiProbe.h"
#include "records/InstrumentFile.h"
#include "sim/StorageBuilder.h"

#include <QActionGroup>
#include <QCoreApplication>
#include <QDir>
#include <QMenu>

namespace zel {

DemoEnvironment::DemoEnvironment()
    : wifi_("Velquist-Demo", 82, kWifiAuthRsnaPsk),
      stickDir_(QDir::tempPath() + QStringLiteral("/zelmarine-demo-stick-XXXXXX")) {
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
    WriteStick();
    return true;
}

void DemoEnvironment::WriteStick() {
    // Two recordings of last week, as the instrument would have copied them to a stick.
    const std::int64_t start = NowSeconds() - 7 * 86400;
    const InstrumentStorage storage = sim::BuildStorage({2, 90, start, 31, 2 * 3600});
    const QString folder = stickDir_.filePath(QStringLiteral("VELQUIST"));
    QDir().mkpath(folder);
    const std::string path = QDir(folder).filePath(QStringLiteral("DATA0001.TCH")).toStdString();
    WriteInstrumentFile(path, storage, {12, 3, NowSeconds() - 86400});
}

RemovableDriveLister DemoEnvironment::RemovableDrives() const {
    const std::string stick = stickDir_.path().toStdString();
    return [stick] { return std::vector<std::string>{stick}; };
}

void DemoEnvironment::SetInstrumentState(std::uint8_t state) {
    simulator_->Update([state](sim::SimConfig& c) { c.state = state; });
}

void DemoEnvironment::AddStateItems(QMenu& menu) {
    menu.addSeparator();
    auto* group = new QActionGroup(&menu);
    const std::uint8_t current = simulator_->Config().state;
    const struct {
        const char* text;
        std::uint8_t state;
        const char* name;
    } items[] = {{QT_TRANSLATE_NOOP("zel::DemoEnvironment", "演示仪器：测量状态"), kStateMeasuring,
                  "demo-measuring"},
                 {QT_TRANSLATE_NOOP("zel::DemoEnvironment", "演示仪器：查看状态"), kStateViewing,
                  "demo-viewing"}};
    for (const auto& item : items) {
        QAction* action =
            menu.addAction(QCoreApplication::translate("zel::DemoEnvironment", item.text));
        action->setObjectName(QString::fromUtf8(item.name));
        action->setCheckable(true);
        action->setChecked(current == item.state);
        action->setActionGroup(group);
        const std::uint8_t state = item.state;
        QObject::connect(action, &QAction::triggered, &menu,
                         [this, state] { SetInstrumentState(state); });
    }
}

MainWindowEnvironment DemoEnvironment::Environment() {
    MainWindowEnvironment environment;
    environment.link = &TheDeviceLink();
    environment.wifiProbe = [this](WifiStatusTexts& texts, std::stop_token) {
        return ProbeWifiStatus(texts, wifi_) == 0;
    };
    environment.configPath = configDir_.filePath(QStringLiteral("config.ini")).toStdString();
    environment.extendTitleMenu = [this](QMenu& menu) { AddStateItems(menu); };
    return environment;
}

MainWindowEnvironment SystemEnvironment() {
    MainWindowEnvironment environment;
    environment.link = &TheDeviceLink();
    environment.link->SetEndpoint({}, link_timing::kPort);
    environment.wifiProbe = [](WifiStatusTexts& texts, std::stop_token stop) {
        return ProbeWifiStatus(texts, std::move(stop)) == 0;
    };
    environment.configPath = ConfigFilePath();
    return environment;
}

} // namespace zel
