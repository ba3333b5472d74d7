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

FakeUDisks::FakeUDisks() {
    static int counter = 0;
    connectionName_ = QStringLiteral("fake-udisks-%1").arg(++counter);
    qDBusRegisterMetaType<QList<QByteArray>>();
    qDBusRegisterMetaType<Interfaces>();
    qDBusRegisterMetaType<ManagedObjects>();
}

FakeUDisks::~FakeUDisks() {
    QDBusConnection::disconnectFromBus(connectionName_);
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.kill();
        daemon_.waitForFinished(2000);
    }
}

bool FakeUDisks::Start(bool registerService) {
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1"),
                   QStringLiteral("--address=unix:tmpdir=/tmp")});
    if (!daemon_.waitForStarted(5000))
        return false;
    while (!daemon_.canReadLine())
        if (!daemon_.waitForReadyRead(5000))
            return false;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    QDBusConnection bus = QDBusConnection::connectToBus(address_, connectionName_);
    if (!bus.isConnected())
        return false;
    if (!registerService)
        return true;
    return bus.registerService(QStringLiteral("org.freedesktop.UDisks2")) &&
           bus.registerVirtualObject(kRoot, this, QDBusConnection::SubPath);
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
