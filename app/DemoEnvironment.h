#pragma once

#include "app/CZelmarineDlg.h"
#include "app/SimulatedWifiBackend.h"
#include "sim/Simulator.h"

#include <QTemporaryDir>
#include <memory>

namespace zel {

// The program on a simulated instrument: an instrument simulator inside the process on a free
// loopback port with a filled storage, a simulated Wi-Fi network, and a settings file in a
// temporary folder, so config.ini beside the program is neither read nor written.
class DemoEnvironment {
public:
    DemoEnvironment();
    ~DemoEnvironment();

    bool Start();
    MainWindowEnvironment Environment();
    sim::Simulator& Simulator() { return *simulator_; }

private:
    std::unique_ptr<sim::Simulator> simulator_;
    SimulatedWifiBackend wifi_;
    QTemporaryDir configDir_;
};

// The program on the real instrument: config.ini where FileLocations puts it, port 8080, and the
// system's Wi-Fi service.
MainWindowEnvironment SystemEnvironment();

} // namespace zel
