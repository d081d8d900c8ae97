#pragma once

#include "Base/Signal.h"

#include <QString>
#include <QVariant>
#include <QVariantList>
#include <QVariantMap>

#include <functional>
#include <optional>
#include <vector>

namespace vesk {

// The desktop's media players on the session bus (MPRIS): reading their properties, calling their
// methods and hearing their changes. Calls are asynchronous, answered on the main thread in the
// order they were made, time out after 5 s and never start a player that is not running. Without a
// session bus there are no players and every call fails. Main thread only.
class MprisBus {
public:
    static constexpr const char *prefix = "org.mpris.MediaPlayer2.";
    static constexpr const char *rootInterface = "org.mpris.MediaPlayer2";
    static constexpr const char *playerInterface = "org.mpris.MediaPlayer2.Player";

    // An answer: the values, or the D-Bus error message when the call failed.
    using Values = std::function<void(std::optional<QVariantMap> values, const QString &error)>;
    // Completion of a call or a property write: the error message, empty on success.
    using Done = std::function<void(const QString &error)>;

    virtual ~MprisBus() = default;

    // Whether the bus name has an owner now.
    virtual bool hasOwner(const QString &busName) const = 0;
    // The players now on the bus: their bus names with their desktop entry ("" when they name none).
    struct Player {
        QString busName;
        QString desktopEntry;
    };
    virtual std::vector<Player> players() const = 0;
    // All properties of one interface of a player.
    virtual void getAll(const QString &busName, const QString &interface, Values answer) = 0;
    // A method of a player's interface.
    virtual void call(const QString &busName, const QString &interface, const QString &method,
                      const QVariantList &arguments, Done done) = 0;
    // Writes one property of the player interface.
    virtual void setProperty(const QString &busName, const QString &property, const QVariant &value, Done done) = 0;

    // A player's PropertiesChanged: its bus name, the interface and the changed values.
    Signal<const QString &, const QString &, const QVariantMap &> propertiesChanged;

    // The identity by which a player is matched to an application: its desktop entry, else the
    // last part of its bus name.
    static QString identity(const Player &player);

    // The installed service: the session bus unless a test or tool installed another.
    static MprisBus &shared();
    static void setShared(MprisBus *bus);  // nullptr restores the real one
};

}  // namespace vesk
