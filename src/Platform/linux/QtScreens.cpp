#include "Platform/linux/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

namespace vesk {

QtScreens::QtScreens() : context_(std::make_unique<QObject>())
{
    if (!qGuiApp)
        return;
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, context_.get(), [this](QScreen *s) {
        watch(s);
        scheduleRescan();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, context_.get(), [this] { scheduleRescan(); });
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, context_.get(), [this] { scheduleRescan(); });
    for (QScreen *s : QGuiApplication::screens())
        watch(s);
    last_ = screens();
}

QtScreens::~QtScreens() = default;

void QtScreens::watch(QScreen *screen)
{
    auto changed = [this] { scheduleRescan(); };
    QObject::connect(screen, &QScreen::geometryChanged, context_.get(), changed);
    QObject::connect(screen, &QScreen::availableGeometryChanged, context_.get(), changed);
    QObject::connect(screen, &QScreen::logicalDotsPerInchChanged, context_.get(), changed);
    QObject::connect(screen, &QScreen::physicalDotsPerInchChanged, context_.get(), changed);
}

std::vector<Screen> QtScreens::screens() const
{
    std::vector<Screen> result;
    if (!qGuiApp)
        return result;
    auto list = QGuiApplication::screens();
    if (QScreen *primary = QGuiApplication::primaryScreen()) {
        list.removeOne(primary);
        list.prepend(primary);
    }
    std::vector<QString> keys;
    for (QScreen *qs : list) {
        Screen s;
        s.name = qs->name();
        QString key;
        s.displayNumber = numbers_.number(s.name, keys, &key);
        keys.push_back(key);
        s.frame = QRectF(qs->geometry());
        s.visibleFrame = QRectF(qs->availableGeometry());
        s.scale = qs->devicePixelRatio();
        // Qt keeps a screen's native origin and divides only its size by the scale factor.
        s.pixelFrame = QRectF(s.frame.topLeft(), s.frame.size() * s.scale);
        result.push_back(std::move(s));
    }
    return result;
}

void QtScreens::scheduleRescan()
{
    if (rescanPending_)
        return;
    rescanPending_ = true;
    QMetaObject::invokeMethod(context_.get(), [this] { rescan(); }, Qt::QueuedConnection);
}

void QtScreens::rescan()
{
    rescanPending_ = false;
    auto now = screens();
    auto find = [](const std::vector<Screen> &list, uint32_t number) -> const Screen * {
        for (auto &s : list) {
            if (s.displayNumber == number)
                return &s;
        }
        return nullptr;
    };
    bool any = false;
    for (auto &old : last_) {
        if (!find(now, old.displayNumber)) {
            screenRemoved(old);
            any = true;
        }
    }
    for (size_t i = 0; i < now.size(); ++i) {
        const Screen *old = find(last_, now[i].displayNumber);
        if (!old) {
            screenAdded(now[i]);
            any = true;
        } else if (*old != now[i] || (i == 0) != (old == &last_.front())) {
            screenChanged(now[i]);
            any = true;
        }
    }
    last_ = std::move(now);
    if (any)
        screensChanged();
}

}  // namespace vesk
