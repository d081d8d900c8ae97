#include "TrackWatch/NotificationCenter.h"

#include <QCoreApplication>

namespace trackwatch {

namespace {
const char kCenterName[] = "vesk.defaultNotificationCenter";

// Receives the centre's signal, whichever library's class the centre is, and queues the handler.
class Observer : public QObject {
    Q_OBJECT
public:
    Observer(QString name, std::function<void()> handler, QObject *parent)
        : QObject(parent), name_(std::move(name)), handler_(std::move(handler))
    {
    }

public slots:
    void receive(const QString &name)
    {
        if (name != name_)
            return;
        QMetaObject::invokeMethod(this, [this] { handler_(); }, Qt::QueuedConnection);
    }

private:
    QString name_;
    std::function<void()> handler_;
};
}  // namespace

QObject *NotificationCenter::defaultCenter()
{
    QObject *app = QCoreApplication::instance();
    if (!app)
        return nullptr;
    if (auto *found = app->findChild<QObject *>(QLatin1String(kCenterName), Qt::FindDirectChildrenOnly))
        return found;
    auto *center = new NotificationCenter(app);
    center->setObjectName(QLatin1String(kCenterName));
    return center;
}

void NotificationCenter::post(const QString &name)
{
    if (QObject *center = defaultCenter())
        QMetaObject::invokeMethod(center, "posted", Qt::DirectConnection, Q_ARG(QString, name));
}

void NotificationCenter::addObserver(const QString &name, std::function<void()> handler)
{
    QObject *center = defaultCenter();
    if (!center)
        return;
    auto *observer = new Observer(name, std::move(handler), center);
    QObject::connect(center, SIGNAL(posted(QString)), observer, SLOT(receive(QString)));
}

}  // namespace trackwatch

#include "NotificationCenter.moc"
