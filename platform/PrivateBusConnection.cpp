#include "platform/PrivateBusConnection.h"

#include <atomic>

namespace zel {

PrivateBusConnection::PrivateBusConnection(const QString& namePrefix, const QString& address) {
    static std::atomic<int> counter{0};
    name_ = QStringLiteral("%1-%2").arg(namePrefix).arg(counter.fetch_add(1));
    bus_ = address.isEmpty() ? QDBusConnection::connectToBus(QDBusConnection::SystemBus, name_)
                             : QDBusConnection::connectToBus(address, name_);
}

PrivateBusConnection::~PrivateBusConnection() {
    QDBusConnection::disconnectFromBus(name_);
}

} // namespace zel
