#pragma once

#include "PrivateBus.h"
#include <QByteArray>

#include <QDBusVirtualObject>
#include <QString>
#include <atomic>
#include <vector>

// A private message bus with a stand-in NetworkManager on it, answering the few calls the Wi-Fi
// backend makes from a table of devices and access points.
class FakeNetworkManager : public QDBusVirtualObject {
    Q_OBJECT

public:
    struct AccessPoint {
        QByteArray ssid;
        uchar strength = 0;
        uint flags = 0;
        uint wpaFlags = 0;
        uint rsnFlags = 0;
    };
    struct Device {
        uint type = 2; // 2 Wi-Fi, 1 Ethernet
        uint state = 100;
        int activeAccessPoint = -1; // index into accessPoints, -1 for none ("/")
    };

    std::vector<Device> devices;
    std::vector<AccessPoint> accessPoints;
    // A NetworkManager that hangs: calls are taken and never answered.
    bool stall = false;
    // Calls taken without an answer.
    std::atomic<int> unanswered{0};

    FakeNetworkManager();
    ~FakeNetworkManager() override;

    // Starts the bus; with registerService the stand-in takes NetworkManager's name on it.
    bool Start(bool registerService = true);
    QString Address() const { return bus_.Address(); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    QVariant Property(const QString& path, const QString& interface, const QString& name) const;
    QVariantMap AccessPointProperties(int index) const;

    PrivateBus bus_;
};
