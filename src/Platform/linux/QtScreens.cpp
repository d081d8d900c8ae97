#include "Platform/linux/QtScreens.h"

#include <QGuiApplication>
#include <QScreen>

namespace vesk {

QtScreens::QtScreens() = default;
QtScreens::~QtScreens() = default;

void QtScreens::watch() const
{
    if (context_ || !qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return;
    context_ = std::make_unique<QObject>();
    auto *self = const_cast<QtScreens *>(this);
    auto post = [self] { self->changed(); };
    auto watchScreen = [this, post](QScreen *screen) {
        QObject::connect(screen, &QScreen::geometryChanged, context_.get(), post);
        QObject::connect(screen, &QScreen::availableGeometryChanged, context_.get(), post);
    };
    for (auto *screen : QGuiApplication::screens())
        watchScreen(screen);
    QObject::connect(qGuiApp, &QGuiApplication::screenAdded, context_.get(), [watchScreen, post](QScreen *screen) {
        watchScreen(screen);
        post();
    });
    QObject::connect(qGuiApp, &QGuiApplication::screenRemoved, context_.get(), post);
    QObject::connect(qGuiApp, &QGuiApplication::primaryScreenChanged, context_.get(), post);
}

std::vector<ScreenInfo> QtScreens::screens() const
{
    watch();
    std::vector<ScreenInfo> list;
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return list;
    auto screens = QGuiApplication::screens();
    if (auto *primary = QGuiApplication::primaryScreen()) {
        screens.removeOne(primary);
        screens.prepend(primary);
    }
    if (screens.isEmpty())
        return list;
    const QRectF first = screens.front()->geometry();
    for (auto *screen : screens) {
        list.push_back(ScreenInfo::fromTopDown(screen->name(), screen->geometry(), screen->availableGeometry(),
                                               first, screen->devicePixelRatio()));
    }
    return list;
}

}  // namespace vesk
