#pragma once

#include <QDBusConnection>
#include <QProcess>
#include <QUuid>

namespace vesk::test {

// A D-Bus daemon of the test's own: screen-saver and logind signals sent on it reach nothing but
// the code under test (the shared buses of scripts/run-tests carry other tests' Vesks).
class PrivateBus {
public:
    PrivateBus()
    {
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                       QStringLiteral("--print-address=1")});
        if (daemon_.waitForStarted(5000) && daemon_.waitForReadyRead(5000))
            address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus()
    {
        for (const auto &name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.terminate();
        daemon_.waitForFinished(5000);
    }
    const QString &address() const { return address_; }
    // A new connection to the bus under a name of its own.
    QDBusConnection connect()
    {
        const QString name = QStringLiteral("private-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
        names_.push_back(name);
        return QDBusConnection::connectToBus(address_, name);
    }

private:
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

}  // namespace vesk::test
