#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QString>
#include <QTemporaryDir>

class QDBusVirtualObject;

// A message bus of the test's own (a dbus-daemon child process) and one connection to it, so a
// stand-in for a system service can answer the program without touching the machine's buses.
class PrivateBus {
public:
    explicit PrivateBus(const QString& connectionPrefix);
    ~PrivateBus();
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

    // Starts the daemon and connects to it.
    bool Start();
    // Takes `service` on the bus and answers every path below `root` with `object`.
    bool Serve(const QString& service, const QString& root, QDBusVirtualObject* object);
    QString Address() const { return address_; }

private:
    QTemporaryDir socketDir_;
    QProcess daemon_;
    QString address_;
    QString connectionName_;
};
