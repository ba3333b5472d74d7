#pragma once

#include "PrivateBus.h"

#include <QDBusVirtualObject>
#include <QString>
#include <QStringList>
#include <vector>

// A private message bus with a stand-in UDisks2 on it, answering the object manager's
// GetManagedObjects from a table of drives and block devices.
class FakeUDisks : public QDBusVirtualObject {
    Q_OBJECT

public:
    struct Drive {
        QString name; // object name under .../drives/
        bool removable = false;
        bool mediaRemovable = false;
        QString bus; // "usb", "sdio", "ata", ...
        bool optical = false;
        QStringList media; // MediaCompatibility
    };
    struct Block {
        QString name;  // object name under .../block_devices/
        QString drive; // name of its drive, empty for "/"
        bool system = false;
        bool ignore = false;
        bool filesystem = true;
        QStringList mountPoints;
    };

    std::vector<Drive> drives;
    std::vector<Block> blocks;

    FakeUDisks();
    ~FakeUDisks() override;

    // Starts the bus; with registerService the stand-in takes UDisks2's name on it.
    bool Start(bool registerService = true);
    QString Address() const { return bus_.Address(); }

    QString introspect(const QString& path) const override;
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override;

private:
    PrivateBus bus_;
};
