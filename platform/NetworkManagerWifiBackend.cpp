#include "platform/NetworkManagerWifiBackend.h"

#include "platform/PrivateBusConnection.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <chrono>
#include <thread>

namespace zel {

namespace {

const QString kService = QStringLiteral("org.freedesktop.NetworkManager");
const QString kRootPath = QStringLiteral("/org/freedesktop/NetworkManager");
const QString kRootInterface = QStringLiteral("org.freedesktop.NetworkManager");
const QString kDeviceInterface = QStringLiteral("org.freedesktop.NetworkManager.Device");
const QString kWirelessInterface = QStringLiteral("org.freedesktop.NetworkManager.Device.Wireless");
const QString kAccessPointInterface = QStringLiteral("org.freedesktop.NetworkManager.AccessPoint");
const QString kPropertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

constexpr std::uint32_t kDeviceTypeWifi = 2;
constexpr std::uint32_t kDeviceStateActivated = 100;

} // namespace

NetworkManagerWifiBackend::NetworkManagerWifiBackend(const QString& busAddress,
                                                     std::stop_token stop)
    : busAddress_(busAddress), stop_(std::move(stop)) {}

NetworkManagerWifiBackend::~NetworkManagerWifiBackend() {
    Close();
}

bool NetworkManagerWifiBackend::Open() {
    Close();
    // A connection of our own, so that it can be dropped again at Close() and the probe keeps
    // nothing between calls.
    connection_ = std::make_unique<PrivateBusConnection>(QStringLiteral("zel-wifi"), busAddress_);
    open_ = true;
    if (!connection_->Bus().isConnected())
        return false;
    QDBusMessage reply;
    const bool asked =
        Call(QStringLiteral("/org/freedesktop/DBus"), QStringLiteral("org.freedesktop.DBus"),
             QStringLiteral("NameHasOwner"), {kService}, reply);
    return asked && !reply.arguments().isEmpty() && reply.arguments().first().toBool();
}

void NetworkManagerWifiBackend::Close() {
    if (!open_)
        return;
    connection_.reset();
    open_ = false;
}

bool NetworkManagerWifiBackend::Call(const QString& path, const QString& interface,
                                     const QString& method, const QVariantList& arguments,
                                     QDBusMessage& reply) const {
    if (!open_ || stop_.stop_requested())
        return false;
    const QString service = interface == QStringLiteral("org.freedesktop.DBus")
                                ? QStringLiteral("org.freedesktop.DBus")
                                : kService;
    QDBusMessage message = QDBusMessage::createMethodCall(service, path, interface, method);
    message.setArguments(arguments);
    // The reply arrives on the bus's own thread; waiting for it a millisecond at a time lets a
    // stop request end the wait at once, where a blocking call to a NetworkManager that stalls
    // would hold the poller, and the window stopping it, for the whole timeout of every call.
    const QDBusPendingCall pending = connection_->Bus().asyncCall(message, kCallTimeoutMs);
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kCallTimeoutMs + kCallGraceMs);
    while (!pending.isFinished()) {
        if (stop_.stop_requested() || std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    reply = pending.reply();
    return reply.type() == QDBusMessage::ReplyMessage;
}

bool NetworkManagerWifiBackend::GetProperty(const QString& path, const QString& interface,
                                            const QString& name, QVariant& value) const {
    QDBusMessage reply;
    if (!Call(path, kPropertiesInterface, QStringLiteral("Get"), {interface, name}, reply) ||
        reply.arguments().isEmpty())
        return false;
    value = reply.arguments().first().value<QDBusVariant>().variant();
    return value.isValid();
}

bool NetworkManagerWifiBackend::EnumInterfaces(std::vector<WifiInterface>& interfaces) {
    QDBusMessage reply;
    if (!Call(kRootPath, kRootInterface, QStringLiteral("GetDevices"), {}, reply) ||
        reply.arguments().isEmpty())
        return false;
    const auto devices = qdbus_cast<QList<QDBusObjectPath>>(reply.arguments().first());
    interfaces.clear();
    for (const QDBusObjectPath& device : devices) {
        QVariant type;
        QVariant state;
        if (!GetProperty(device.path(), kDeviceInterface, QStringLiteral("DeviceType"), type) ||
            type.toUInt() != kDeviceTypeWifi)
            continue;
        if (!GetProperty(device.path(), kDeviceInterface, QStringLiteral("State"), state))
            continue;
        interfaces.push_back(
            {device.path().toStdString(), state.toUInt() == kDeviceStateActivated});
    }
    // Devices skipped because the stop cut their calls short would make the list a wrong one.
    return !stop_.stop_requested();
}

bool NetworkManagerWifiBackend::GetAvailableNetworks(const WifiInterface& interface,
                                                     std::vector<WifiNetwork>& networks) {
    networks.clear();
    QVariant active;
    if (!GetProperty(QString::fromStdString(interface.id), kWirelessInterface,
                     QStringLiteral("ActiveAccessPoint"), active))
        return false;
    const QString accessPoint = active.value<QDBusObjectPath>().path();
    if (accessPoint.isEmpty() || accessPoint == QStringLiteral("/"))
        return true; // activated, but not (or no longer) associated
    QDBusMessage reply;
    if (!Call(accessPoint, kPropertiesInterface, QStringLiteral("GetAll"), {kAccessPointInterface},
              reply) ||
        reply.arguments().isEmpty())
        return false;
    const auto properties = qdbus_cast<QVariantMap>(reply.arguments().first());
    WifiNetwork network;
    const QByteArray ssid = properties.value(QStringLiteral("Ssid")).toByteArray();
    network.ssid.assign(ssid.begin(), ssid.end());
    network.signalQuality =
        std::clamp(properties.value(QStringLiteral("Strength")).toInt(), 0, 100);
    network.authAlgorithm =
        AuthAlgorithmFromFlags(properties.value(QStringLiteral("Flags")).toUInt(),
                               properties.value(QStringLiteral("WpaFlags")).toUInt(),
                               properties.value(QStringLiteral("RsnFlags")).toUInt());
    network.connected = true;
    networks.push_back(network);
    return true;
}

std::uint32_t NetworkManagerWifiBackend::AuthAlgorithmFromFlags(std::uint32_t apFlags,
                                                                std::uint32_t wpaFlags,
                                                                std::uint32_t rsnFlags) {
    if (rsnFlags != 0) {
        // A network that offers WPA2 and WPA3 side by side is shown as WPA2-Personal.
        if (rsnFlags & kKeyMgmtPsk)
            return kWifiAuthRsnaPsk;
        if (rsnFlags & kKeyMgmtSae)
            return kWifiAuthWpa3Sae;
        if (rsnFlags & kKeyMgmtSuiteB192)
            return kWifiAuthWpa3Enterprise192;
        if (rsnFlags & kKeyMgmt8021x)
            return kWifiAuthRsna;
        if (rsnFlags & (kKeyMgmtOwe | kKeyMgmtOweTm))
            return kWifiAuthOwe;
        return 0;
    }
    if (wpaFlags != 0) {
        if (wpaFlags & kKeyMgmtPsk)
            return kWifiAuthWpaPsk;
        if (wpaFlags & kKeyMgmt8021x)
            return kWifiAuthWpa;
        return 0;
    }
    return (apFlags & kApPrivacy) ? kWifiAuthSharedKey : kWifiAuthOpen;
}

} // namespace zel
