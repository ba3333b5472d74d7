#include "FakeNetworkManager.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusVariant>

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kDevicePrefix = QStringLiteral("/org/freedesktop/NetworkManager/Devices/");
const QString kApPrefix = QStringLiteral("/org/freedesktop/NetworkManager/AccessPoint/");

int IndexAfter(const QString& path, const QString& prefix) {
    bool ok = false;
    const int index = path.startsWith(prefix) ? path.mid(prefix.size()).toInt(&ok) : -1;
    return ok ? index : -1;
}

} // namespace

FakeNetworkManager::FakeNetworkManager() : bus_(QStringLiteral("fake-nm")) {}

FakeNetworkManager::~FakeNetworkManager() = default;

bool FakeNetworkManager::Start(bool registerService) {
    if (!bus_.Start())
        return false;
    return !registerService ||
           bus_.Serve(QStringLiteral("org.freedesktop.NetworkManager"), kRoot, this);
}

QString FakeNetworkManager::introspect(const QString&) const {
    return {};
}

QVariantMap FakeNetworkManager::AccessPointProperties(int index) const {
    const AccessPoint& ap = accessPoints.at(index);
    return {{QStringLiteral("Ssid"), ap.ssid},
            {QStringLiteral("Strength"), QVariant::fromValue(ap.strength)},
            {QStringLiteral("Flags"), ap.flags},
            {QStringLiteral("WpaFlags"), ap.wpaFlags},
            {QStringLiteral("RsnFlags"), ap.rsnFlags}};
}

QVariant FakeNetworkManager::Property(const QString& path, const QString& interface,
                                      const QString& name) const {
    const int index = IndexAfter(path, kDevicePrefix);
    if (index < 0 || index >= int(devices.size()))
        return {};
    const Device& device = devices[index];
    if (interface.endsWith(QStringLiteral(".Device")) && name == QStringLiteral("DeviceType"))
        return device.type;
    if (interface.endsWith(QStringLiteral(".Device")) && name == QStringLiteral("State"))
        return device.state;
    if (interface.endsWith(QStringLiteral(".Wireless")) &&
        name == QStringLiteral("ActiveAccessPoint") && device.type == 2)
        return QVariant::fromValue(QDBusObjectPath(
            device.activeAccessPoint < 0 ? QStringLiteral("/")
                                         : kApPrefix + QString::number(device.activeAccessPoint)));
    return {};
}

bool FakeNetworkManager::handleMessage(const QDBusMessage& message,
                                       const QDBusConnection& connection) {
    if (stall) {
        ++unanswered;
        return true;
    }
    const QString member = message.member();
    const QVariantList args = message.arguments();
    QDBusMessage reply = message.createErrorReply(QDBusError::UnknownMethod, member);
    if (message.path() == kRoot && member == QStringLiteral("GetDevices")) {
        QList<QDBusObjectPath> paths;
        for (std::size_t i = 0; i < devices.size(); ++i)
            paths.append(QDBusObjectPath(kDevicePrefix + QString::number(i)));
        reply = message.createReply(QVariant::fromValue(paths));
    } else if (member == QStringLiteral("Get") && args.size() == 2) {
        const QVariant value = Property(message.path(), args[0].toString(), args[1].toString());
        if (value.isValid())
            reply = message.createReply(QVariant::fromValue(QDBusVariant(value)));
        else
            reply = message.createErrorReply(QDBusError::InvalidArgs, args[1].toString());
    } else if (member == QStringLiteral("GetAll")) {
        const int index = IndexAfter(message.path(), kApPrefix);
        if (index >= 0 && index < int(accessPoints.size()))
            reply = message.createReply(QVariant::fromValue(AccessPointProperties(index)));
    }
    connection.send(reply);
    return true;
}
