#include "Platform/linux/DBusMprisBus.h"

#include "Base/MainQueue.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QStringList>

namespace vesk {

namespace {

const QString dbusService = QStringLiteral("org.freedesktop.DBus");
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
constexpr int timeoutMs = 5000;

QString errorText(const QDBusMessage &reply)
{
    if (reply.type() == QDBusMessage::ErrorMessage)
        return reply.errorName() + QStringLiteral(": ") + reply.errorMessage();
    return {};
}

}  // namespace

DBusMprisBus::DBusMprisBus()
{
    auto bus = QDBusConnection::sessionBus();
    connected_ = bus.isConnected();
    if (!connected_)
        return;
    bus.connect(dbusService, QStringLiteral("/org/freedesktop/DBus"), dbusService, QStringLiteral("NameOwnerChanged"),
                this, SLOT(nameOwnerChanged(QString, QString, QString)));
    bus.connect(QString(), objectPath, propertiesInterface, QStringLiteral("PropertiesChanged"), this,
                SLOT(propertiesChangedMessage(QDBusMessage)));
    // The players already there, once, so that the first questions find them.
    const QDBusReply<QStringList> names = bus.interface()->registeredServiceNames();
    if (!names.isValid())
        return;
    for (const QString &name : names.value()) {
        if (!name.startsWith(QLatin1String(MprisBus::prefix)))
            continue;
        const QDBusReply<QString> owner = bus.interface()->serviceOwner(name);
        if (!owner.isValid())
            continue;
        players_[name].owner = owner.value();
        auto get = QDBusMessage::createMethodCall(name, objectPath, propertiesInterface, QStringLiteral("Get"));
        get << QString::fromLatin1(MprisBus::rootInterface) << QStringLiteral("DesktopEntry");
        get.setAutoStartService(false);
        const QDBusMessage reply = bus.call(get, QDBus::Block, 1000);
        if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty()) {
            const QVariant value = plain(reply.arguments().first());
            if (value.typeId() == QMetaType::QString)
                players_[name].desktopEntry = value.toString();
        }
    }
}

DBusMprisBus::~DBusMprisBus() = default;

QVariant DBusMprisBus::plain(const QVariant &value)
{
    if (value.typeId() == qMetaTypeId<QDBusVariant>())
        return plain(value.value<QDBusVariant>().variant());
    if (value.typeId() != qMetaTypeId<QDBusArgument>())
        return value;
    const auto argument = value.value<QDBusArgument>();
    const QString signature = argument.currentSignature();
    if (signature == QStringLiteral("a{sv}")) {
        QVariantMap map = qdbus_cast<QVariantMap>(argument);
        for (auto it = map.begin(); it != map.end(); ++it)
            it.value() = plain(it.value());
        return map;
    }
    if (signature == QStringLiteral("as"))
        return qdbus_cast<QStringList>(argument);
    return value;  // a type no MPRIS value we read has: the reader takes its default
}

bool DBusMprisBus::hasOwner(const QString &busName) const
{
    auto it = players_.find(busName);
    return it != players_.end() && !it->second.owner.isEmpty();
}

std::vector<MprisBus::Player> DBusMprisBus::players() const
{
    std::vector<Player> list;
    for (const auto &[name, entry] : players_) {
        if (!entry.owner.isEmpty())
            list.push_back({name, entry.desktopEntry});
    }
    return list;
}

void DBusMprisBus::getAll(const QString &busName, const QString &interface, Values answer)
{
    auto message = QDBusMessage::createMethodCall(busName, objectPath, propertiesInterface, QStringLiteral("GetAll"));
    message << interface;
    enqueue(message, [answer = std::move(answer)](const QDBusMessage &reply) {
        const QString error = errorText(reply);
        if (!error.isEmpty() || reply.arguments().isEmpty()) {
            answer(std::nullopt, error.isEmpty() ? QStringLiteral("no answer") : error);
            return;
        }
        const QVariant values = plain(reply.arguments().first());
        if (values.typeId() != QMetaType::QVariantMap) {
            answer(std::nullopt, QStringLiteral("unexpected answer"));
            return;
        }
        answer(values.toMap(), {});
    });
}

void DBusMprisBus::call(const QString &busName, const QString &interface, const QString &method,
                        const QVariantList &arguments, Done done)
{
    auto message = QDBusMessage::createMethodCall(busName, objectPath, interface, method);
    message.setArguments(arguments);
    enqueue(message, [done = std::move(done)](const QDBusMessage &reply) {
        if (done)
            done(errorText(reply));
    });
}

void DBusMprisBus::setProperty(const QString &busName, const QString &property, const QVariant &value, Done done)
{
    auto message = QDBusMessage::createMethodCall(busName, objectPath, propertiesInterface, QStringLiteral("Set"));
    message << QString::fromLatin1(MprisBus::playerInterface) << property << QVariant::fromValue(QDBusVariant(value));
    enqueue(message, [done = std::move(done)](const QDBusMessage &reply) {
        if (done)
            done(errorText(reply));
    });
}

void DBusMprisBus::enqueue(QDBusMessage message, Answer answer)
{
    message.setAutoStartService(false);
    queue_.emplace_back(std::move(message), std::move(answer));
    if (!inFlight_)
        sendNext();
}

void DBusMprisBus::sendNext()
{
    if (queue_.empty()) {
        inFlight_ = false;
        return;
    }
    inFlight_ = true;
    QDBusMessage message = std::move(queue_.front().first);
    Answer answer = std::move(queue_.front().second);
    queue_.pop_front();
    if (!connected_) {
        // No bus: every call fails, on a later turn as an answer would come.
        mainQueue().post([this, message, answer] {
            answer(message.createErrorReply(QDBusError::Disconnected, QStringLiteral("no session bus")));
            sendNext();
        });
        return;
    }
    auto *watcher = new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(message, timeoutMs), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, answer](QDBusPendingCallWatcher *finished) {
        finished->deleteLater();
        answer(finished->reply());
        sendNext();
    });
}

void DBusMprisBus::readDesktopEntry(const QString &busName)
{
    auto message = QDBusMessage::createMethodCall(busName, objectPath, propertiesInterface, QStringLiteral("Get"));
    message << QString::fromLatin1(MprisBus::rootInterface) << QStringLiteral("DesktopEntry");
    enqueue(message, [this, busName](const QDBusMessage &reply) {
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return;
        const QVariant value = plain(reply.arguments().first());
        auto it = players_.find(busName);
        if (it != players_.end() && value.typeId() == QMetaType::QString)
            it->second.desktopEntry = value.toString();
    });
}

void DBusMprisBus::nameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner)
{
    if (!name.startsWith(QLatin1String(MprisBus::prefix)))
        return;
    if (newOwner.isEmpty()) {
        // Only the owner we know of lets the name go: a release older than what the first look at
        // the bus found must not forget the player that holds the name now.
        auto it = players_.find(name);
        if (it != players_.end() && it->second.owner == oldOwner)
            players_.erase(it);
        return;
    }
    players_[name] = Entry{newOwner, {}};
    readDesktopEntry(name);
}

void DBusMprisBus::propertiesChangedMessage(const QDBusMessage &message)
{
    const auto arguments = message.arguments();
    if (arguments.size() < 2 || arguments.at(0).typeId() != QMetaType::QString)
        return;
    const QString interface = arguments.at(0).toString();
    const QVariant changed = plain(arguments.at(1));
    if (changed.typeId() != QMetaType::QVariantMap)
        return;
    const QVariantMap values = changed.toMap();
    std::vector<QString> names;
    for (const auto &[name, entry] : players_) {
        if (entry.owner == message.service())
            names.push_back(name);
    }
    for (const auto &name : names)
        propertiesChanged(name, interface, values);
}

}  // namespace vesk
