#pragma once

#include <QDBusConnection>
#include <QString>

namespace zel {

// A D-Bus connection of our own under a unique name, to the system bus or to the bus at
// `address` (tests run their own bus). It is dropped again when this goes, so nothing is kept
// between uses and a listing or probe never shares Qt's default connection.
class PrivateBusConnection {
public:
    PrivateBusConnection(const QString& namePrefix, const QString& address);
    ~PrivateBusConnection();
    PrivateBusConnection(const PrivateBusConnection&) = delete;
    PrivateBusConnection& operator=(const PrivateBusConnection&) = delete;

    QDBusConnection& Bus() { return bus_; }

private:
    QString name_;
    QDBusConnection bus_{QString()};
};

} // namespace zel
