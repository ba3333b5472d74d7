#include "platform/UDisksDriveLister.h"

#include "platform/PrivateBusConnection.h"
#include "platform/RemovableDrives.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMap>
#include <QVariantMap>
#include <set>

namespace zel {

namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
const QString kRootPath = QStringLiteral("/org/freedesktop/UDisks2");
const QString kObjectManager = QStringLiteral("org.freedesktop.DBus.ObjectManager");
const QString kDriveInterface = QStringLiteral("org.freedesktop.UDisks2.Drive");
const QString kBlockInterface = QStringLiteral("org.freedesktop.UDisks2.Block");
const QString kFilesystemInterface = QStringLiteral("org.freedesktop.UDisks2.Filesystem");
const QString kManagedObjectsSignature = QStringLiteral("a{oa{sa{sv}}}");

// Object path -> interface name -> properties.
using ManagedObjects = QMap<QString, QMap<QString, QVariantMap>>;

ManagedObjects ReadManagedObjects(const QDBusArgument& arg) {
    ManagedObjects objects;
    arg.beginMap();
    while (!arg.atEnd()) {
        QDBusObjectPath path;
        QMap<QString, QVariantMap> interfaces;
        arg.beginMapEntry();
        arg >> path;
        arg.beginMap();
        while (!arg.atEnd()) {
            QString name;
            QVariantMap properties;
            arg.beginMapEntry();
            arg >> name >> properties;
            arg.endMapEntry();
            interfaces.insert(name, properties);
        }
        arg.endMap();
        arg.endMapEntry();
        objects.insert(path.path(), interfaces);
    }
    arg.endMap();
    return objects;
}

// MountPoints is an array of byte strings, each with its terminating zero.
std::vector<std::string> MountPoints(const QVariant& value) {
    std::vector<std::string> points;
    if (!value.canConvert<QDBusArgument>())
        return points;
    const QDBusArgument arg = value.value<QDBusArgument>();
    if (arg.currentSignature() != QStringLiteral("aay"))
        return points;
    arg.beginArray();
    while (!arg.atEnd()) {
        QByteArray bytes;
        arg >> bytes;
        const std::string point(bytes.constData(), qstrnlen(bytes.constData(), bytes.size()));
        if (!point.empty())
            points.push_back(point);
    }
    arg.endArray();
    return points;
}

bool IsRemovableDrive(const QVariantMap& drive) {
    const QString bus = drive.value(QStringLiteral("ConnectionBus")).toString();
    const bool removable = drive.value(QStringLiteral("Removable")).toBool() ||
                           drive.value(QStringLiteral("MediaRemovable")).toBool() ||
                           bus == QStringLiteral("usb") || bus == QStringLiteral("sdio");
    if (!removable || drive.value(QStringLiteral("Optical")).toBool())
        return false;
    const QStringList media = drive.value(QStringLiteral("MediaCompatibility")).toStringList();
    for (const QString& kind : media)
        if (kind.startsWith(QStringLiteral("optical")))
            return false;
    return true;
}

std::vector<std::string> RemovableMountPoints(const ManagedObjects& objects) {
    std::set<QString> drives;
    for (auto it = objects.begin(); it != objects.end(); ++it) {
        const auto drive = it->find(kDriveInterface);
        if (drive != it->end() && IsRemovableDrive(*drive))
            drives.insert(it.key());
    }
    std::vector<std::string> roots;
    std::set<std::string> seen;
    // QMap keeps the block devices in the order of their names (sdb1 before sdc1).
    for (const auto& interfaces : objects) {
        const auto block = interfaces.find(kBlockInterface);
        const auto filesystem = interfaces.find(kFilesystemInterface);
        if (block == interfaces.end() || filesystem == interfaces.end())
            continue;
        const QString drive = block->value(QStringLiteral("Drive")).value<QDBusObjectPath>().path();
        if (!drives.count(drive) || block->value(QStringLiteral("HintSystem")).toBool() ||
            block->value(QStringLiteral("HintIgnore")).toBool())
            continue;
        const std::vector<std::string> points =
            MountPoints(filesystem->value(QStringLiteral("MountPoints")));
        // A file system mounted twice is searched once.
        if (!points.empty() && seen.insert(points.front()).second)
            roots.push_back(points.front());
    }
    return roots;
}

} // namespace

std::optional<std::vector<std::string>> UDisksDriveLister::List() const {
    // Dropped when the listing is done, whichever way it ends.
    PrivateBusConnection connection(QStringLiteral("zel-udisks"), busAddress_);
    if (!connection.Bus().isConnected())
        return std::nullopt;
    const QDBusMessage call = QDBusMessage::createMethodCall(kService, kRootPath, kObjectManager,
                                                             QStringLiteral("GetManagedObjects"));
    const QDBusMessage reply = connection.Bus().call(call, QDBus::Block, kCallTimeoutMs);
    if (reply.type() != QDBusMessage::ReplyMessage ||
        reply.signature() != kManagedObjectsSignature || reply.arguments().isEmpty())
        return std::nullopt;
    return RemovableMountPoints(
        ReadManagedObjects(reply.arguments().first().value<QDBusArgument>()));
}

std::vector<std::string> SystemRemovableDrives() {
    if (auto drives = UDisksDriveLister().List())
        return *drives;
    return RemovableDriveRoots();
}

} // namespace zel
