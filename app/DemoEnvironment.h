#pragma once

#include "app/CZelmarineDlg.h"
#include "platform/SimulatedWifiBackend.h"
#include "records/InstrumentFileScan.h"
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

    // The simulated instrument's state: measuring for the live windows, viewing for the record
    // transfer. The title strip's menu offers both.
    void SetInstrumentState(std::uint8_t state);
    void AddStateItems(QMenu& menu);

    // A folder that stands in for a memory stick, holding one instrument data file.
    RemovableDriveLister RemovableDrives() const;

private:
    void WriteStick();

    std::unique_ptr<sim::Simulator> simulator_;
    SimulatedWifiBackend wifi_;
    QTemporaryDir configDir_;
    QTemporaryDir stickDir_;
};

// The program on the real instrument: config.ini where FileLocations puts it, port 8080, and the
// system's Wi-Fi service.
MainWindowEnvironment SystemEnvironment();

} // namespace zel
