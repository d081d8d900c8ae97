#pragma once

#include "Platform/MprisBus.h"

#include <QDBusMessage>
#include <QObject>

#include <deque>
#include <functional>
#include <map>

namespace vesk {

// MPRIS on the session bus through QtDBus. The players on the bus are known from the bus's list of
// names, read once when the service is made, and followed through NameOwnerChanged. Calls go out one
// at a time in the order made (the next after the previous answer), with a 5 s timeout and without
// auto-starting a service. Values arrive as plain Qt values: maps, string lists, object paths.
class DBusMprisBus final : public QObject, public MprisBus {
    Q_OBJECT
public:
    DBusMprisBus();
    ~DBusMprisBus() override;

    bool hasOwner(const QString &busName) const override;
    std::vector<Player> players() const override;
    void getAll(const QString &busName, const QString &interface, Values answer) override;
    void call(const QString &busName, const QString &interface, const QString &method, const QVariantList &arguments,
              Done done) override;
    void setProperty(const QString &busName, const QString &property, const QVariant &value, Done done) override;

    // Converts what QtDBus delivers (arguments, variants) into plain values.
    static QVariant plain(const QVariant &value);

private slots:
    void nameOwnerChanged(const QString &name, const QString &oldOwner, const QString &newOwner);
    void propertiesChangedMessage(const QDBusMessage &message);

private:
    struct Entry {
        QString owner;
        QString desktopEntry;
    };
    using Answer = std::function<void(const QDBusMessage &reply)>;
    void enqueue(QDBusMessage message, Answer answer);
    void sendNext();
    void readDesktopEntry(const QString &busName);

    bool connected_ = false;
    std::map<QString, Entry> players_;
    std::deque<std::pair<QDBusMessage, Answer>> queue_;
    bool inFlight_ = false;
};

}  // namespace vesk
