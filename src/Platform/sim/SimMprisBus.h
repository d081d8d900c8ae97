#pragma once

#include "Platform/MprisBus.h"

#include <map>
#include <string>

namespace vesk {

// Simulated MPRIS players. A test sets a player's properties; every call is logged when issued
// and answered on the next turn of the main queue. Writes to properties are kept, as a player
// would; methods change nothing.
class SimMprisBus final : public MprisBus {
public:
    struct SimPlayer {
        QString desktopEntry;
        bool running = true;
        bool canRaise = false;
        QVariantMap properties;  // of the player interface
        QString failure;         // when set, every call fails with this error
    };
    struct Call {
        QString busName;
        QString method;  // "GetAll", "Set", or the method's name
        QVariantList arguments;
    };

    bool hasOwner(const QString &busName) const override;
    std::vector<Player> players() const override;
    void getAll(const QString &busName, const QString &interface, Values answer) override;
    void call(const QString &busName, const QString &interface, const QString &method, const QVariantList &arguments,
              Done done) override;
    void setProperty(const QString &busName, const QString &property, const QVariant &value, Done done) override;

    SimPlayer &player(const QString &busName) { return players_[busName]; }
    void remove(const QString &busName) { players_.erase(busName); }
    // Announces a change of the player interface's properties.
    void announce(const QString &busName, const QVariantMap &changed)
    {
        propertiesChanged(busName, QString::fromLatin1(playerInterface), changed);
    }
    const std::vector<Call> &calls() const { return calls_; }

private:
    std::optional<QString> failure(const QString &busName) const;
    std::map<QString, SimPlayer> players_;
    std::vector<Call> calls_;
};

}  // namespace vesk
