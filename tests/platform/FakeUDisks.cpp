#include "FakeUDisks.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>

namespace {

const QString kRoot = QStringLiteral("/org/freedesktop/UDisks2");

using Interfaces = QMap<QString, QVariantMap>;
using ManagedObjects = QMap<QDBusObjectPath, Interfaces>;

QDBusObjectPath DrivePath(const QString& name) {
    return QDBusObjectPath(name.isEmpty() ? QStringLiteral("/") : kRoot + "/drives/" + name);
}

} // namespace

FakeUDisks::FakeUDisks() : bus_(QStringLiteral("fake-udisks")) {
    qDBusRegisterMetaType<QList<QByteArray>>();
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();
}

FakeUDisks::~FakeUDisks() = default;

bool FakeUDisks::Start(bool registerService) {
    if (!bus_.Start())
        return false;
    return !registerService || bus_.Serve(QStringLiteral("org.freedesktop.UDisks2"), kRoot, this);
}

QString FakeUDisks::introspect(const QString&) const {
    return {};
}

bool FakeUDisks::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.path() != kRoot || message.member() != QStringLiteral("GetManagedObjects")) {
        connection.send(message.createErrorReply(QDBusError::UnknownMethod, message.member()));
        return true;
    }
    ManagedObjects objects;
    for (const Drive& d : drives) {
        objects[DrivePath(d.name)][QStringLiteral("org.freedesktop.UDisks2.Drive")] = {
            {QStringLiteral("Removable"), d.removable},
            {QStringLiteral("MediaRemovable"), d.mediaRemovable},
            {QStringLiteral("ConnectionBus"), d.bus},
            {QStringLiteral("Optical"), d.optical},
            {QStringLiteral("MediaCompatibility"), d.media},
        };
    }
    for (const Block& b : blocks) {
        Interfaces& interfaces = objects[QDBusObjectPath(kRoot + "/block_devices/" + b.name)];
        interfaces[QStringLiteral("org.freedesktop.UDisks2.Block")] = {
            {QStringLiteral("Drive"), QVariant::fromValue(DrivePath(b.drive))},
            {QStringLiteral("HintSystem"), b.system},
            {QStringLiteral("HintIgnore"), b.ignore},
            {QStringLiteral("Device"), QByteArray("/dev/" + b.name.toUtf8() + '\0')},
        };
        if (!b.filesystem)
            continue;
        QList<QByteArray> points;
        for (const QString& p : b.mountPoints)
            points.append(p.toUtf8() + '\0');
        interfaces[QStringLiteral("org.freedesktop.UDisks2.Filesystem")] = {
            {QStringLiteral("MountPoints"), QVariant::fromValue(points)}};
    }
    connection.send(message.createReply(QVariant::fromValue(objects)));
    return true;
}
