#pragma once

// The process's default notification centre: named notifications posted by one library of the
// process reach the observers that another added, without the two linking each other.
//
// TrackWatch and MediaRemote each carry their own copy of this code, so the centre cannot be a
// static of either. It is one object owned by the application object, found by its object name,
// and every use goes through Qt's meta-object system by signature, which works whichever library
// created it. Needs a QCoreApplication; without one, posts and observers do nothing.

#include <QObject>
#include <QString>

#include <functional>

namespace trackwatch {

class NotificationCenter : public QObject {
    Q_OBJECT
public:
    // Posts `name` to every observer of that name; callable on the application's thread only.
    static void post(const QString &name);
    // Runs `handler` on the application's loop, after the post has returned, for every later
    // post of `name`. Observers are kept for the life of the application object.
    static void addObserver(const QString &name, std::function<void()> handler);

signals:
    void posted(const QString &name);

private:
    using QObject::QObject;
    static QObject *defaultCenter();
};

}  // namespace trackwatch
