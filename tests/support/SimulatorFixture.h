#pragma once

#include "device/DeviceLink.h"
#include "records/InstrumentStorage.h"
#include "sim/Simulator.h"

#include <functional>
#include <memory>

namespace zel::test {

// An instrument simulator in viewing state holding `storage`, started on a free loopback port,
// with `link` pointed at it; `setup` may change its configuration first. Null when it could not
// start.
inline std::unique_ptr<sim::Simulator>
StartViewingSimulator(const InstrumentStorage& storage, DeviceLink& link,
                      const std::function<void(sim::SimConfig&)>& setup = {}) {
    sim::SimConfig c;
    c.state = 2;
    if (setup)
        setup(c);
    auto simulator = std::make_unique<sim::Simulator>(c);
    simulator->SetStorage(storage);
    if (!simulator->Start())
        return nullptr;
    link.SetEndpoint("127.0.0.1", simulator->Port());
    return simulator;
}

} // namespace zel::test
