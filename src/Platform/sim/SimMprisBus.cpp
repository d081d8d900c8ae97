#include "Platform/sim/SimMprisBus.h"

#include "Base/MainQueue.h"

namespace vesk {

bool SimMprisBus::hasOwner(const QString &busName) const
{
    auto it = players_.find(busName);
    return it != players_.end() && it->second.running;
}

std::vector<MprisBus::Player> SimMprisBus::players() const
{
    std::vector<Player> list;
    for (const auto &[name, player] : players_) {
        if (player.running)
            list.push_back({name, player.desktopEntry});
    }
    return list;
}

std::optional<QString> SimMprisBus::failure(const QString &busName) const
{
    auto it = players_.find(busName);
    if (it == players_.end() || !it->second.running)
        return QStringLiteral("org.freedesktop.DBus.Error.ServiceUnknown: The name is not activatable");
    if (!it->second.failure.isEmpty())
        return it->second.failure;
    return std::nullopt;
}

void SimMprisBus::getAll(const QString &busName, const QString &interface, Values answer)
{
    calls_.push_back({busName, QStringLiteral("GetAll"), {interface}});
    std::optional<QVariantMap> values;
    const auto error = failure(busName);
    if (!error) {
        const auto &player = players_.at(busName);
        if (interface == QLatin1String(rootInterface))
            values = QVariantMap{{QStringLiteral("CanRaise"), player.canRaise},
                                 {QStringLiteral("DesktopEntry"), player.desktopEntry}};
        else
            values = player.properties;
    }
    mainQueue().post([answer = std::move(answer), values, error] { answer(values, error.value_or(QString())); });
}

void SimMprisBus::call(const QString &busName, const QString &, const QString &method, const QVariantList &arguments,
                       Done done)
{
    calls_.push_back({busName, method, arguments});
    const QString error = failure(busName).value_or(QString());
    mainQueue().post([done = std::move(done), error] {
        if (done)
            done(error);
    });
}

void SimMprisBus::setProperty(const QString &busName, const QString &property, const QVariant &value, Done done)
{
    calls_.push_back({busName, QStringLiteral("Set"), {property, value}});
    const auto error = failure(busName);
    if (!error)
        players_.at(busName).properties[property] = value;
    mainQueue().post([done = std::move(done), error] {
        if (done)
            done(error.value_or(QString()));
    });
}

}  // namespace vesk
