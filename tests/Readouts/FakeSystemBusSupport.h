#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QElapsedTimer>
#include <QProcessEnvironment>
#include <QThread>
#include <QUuid>

namespace vesk::test {

// A connection of its own to the private system bus that scripts/run-tests starts, for fake
// system services (UPower, logind): the code under test talks to them as to any other client.
class FakeSystemService {
public:
    explicit FakeSystemService(const QString &serviceName)
        : name_(QStringLiteral("fake-") + QUuid::createUuid().toString(QUuid::WithoutBraces)),
          connection_(QDBusConnection::connectToBus(QDBusConnection::SystemBus, name_)), service_(serviceName)
    {
    }
    ~FakeSystemService()
    {
        connection_.unregisterService(service_);
        QDBusConnection::disconnectFromBus(name_);
    }
    bool isConnected() const { return connection_.isConnected(); }
    // Owns the name, waiting in the bus's queue for it: tests in other processes share the private
    // bus and may hold the same name for a moment.
    bool own(int timeoutMs = 20000)
    {
        auto *bus = connection_.interface();
        if (!bus)
            return false;
        const auto reply = bus->registerService(service_, QDBusConnectionInterface::QueueService,
                                                QDBusConnectionInterface::DontAllowReplacement);
        if (!reply.isValid())
            return false;
        QElapsedTimer waited;
        waited.start();
        while (bus->serviceOwner(service_).value() != connection_.baseService()) {
            if (waited.elapsed() > timeoutMs)
                return false;
            QThread::msleep(20);
        }
        return true;
    }
    void release() { connection_.unregisterService(service_); }
    QDBusConnection &connection() { return connection_; }
    void emitSignal(const QString &path, const QString &interface, const QString &name, const QVariantList &args)
    {
        auto message = QDBusMessage::createSignal(path, interface, name);
        message.setArguments(args);
        connection_.send(message);
    }

private:
    QString name_;
    QDBusConnection connection_;
    QString service_;
};

}  // namespace vesk::test
