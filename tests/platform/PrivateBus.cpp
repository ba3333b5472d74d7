#include "PrivateBus.h"

#include <QDBusVirtualObject>
#include <QUrl>

namespace {

// A D-Bus address value: every byte but letters, digits and -_/.\* as %XX.
QString EscapedForAddress(const QString& value) {
    return QString::fromLatin1(QUrl::toPercentEncoding(value, "/*\\", "~"));
}

} // namespace

PrivateBus::PrivateBus(const QString& connectionPrefix) {
    static int counter = 0;
    connectionName_ = QStringLiteral("%1-%2").arg(connectionPrefix).arg(++counter);
}

PrivateBus::~PrivateBus() {
    QDBusConnection::disconnectFromBus(connectionName_);
    if (daemon_.state() != QProcess::NotRunning) {
        daemon_.terminate();
        if (!daemon_.waitForFinished(2000)) {
            daemon_.kill();
            daemon_.waitForFinished(2000);
        }
    }
}

bool PrivateBus::Start() {
    // The daemon's socket goes into a folder of the test's own, removed with it.
    if (!socketDir_.isValid())
        return false;
    daemon_.setProcessChannelMode(QProcess::SeparateChannels);
    daemon_.setStandardErrorFile(QProcess::nullDevice());
    daemon_.start(QStringLiteral("dbus-daemon"),
                  {QStringLiteral("--session"), QStringLiteral("--nofork"),
                   QStringLiteral("--print-address=1"),
                   QStringLiteral("--address=unix:dir=") + EscapedForAddress(socketDir_.path())});
    if (!daemon_.waitForStarted(5000))
        return false;
    while (!daemon_.canReadLine())
        if (!daemon_.waitForReadyRead(5000))
            return false;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    return QDBusConnection::connectToBus(address_, connectionName_).isConnected();
}

bool PrivateBus::Serve(const QString& service, const QString& root, QDBusVirtualObject* object) {
    QDBusConnection bus(connectionName_);
    return bus.registerService(service) &&
           bus.registerVirtualObject(root, object, QDBusConnection::SubPath);
}
