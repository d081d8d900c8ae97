#include "Platform/sim/SimScreens.h"

#include "Base/MainQueue.h"

#include <algorithm>

namespace vesk {

Screen SimScreens::plug(const QString &name, QSizeF size, double scale, std::optional<QSizeF> notch, double topBar)
{
    double x = 0;
    for (auto &s : screens_)
        x = std::max(x, s.frame.right());
    Screen s;
    s.name = name;
    s.frame = QRectF(QPointF(x, 0), size);
    s.visibleFrame = s.frame.adjusted(0, topBar, 0, 0);
    s.scale = scale;
    if (notch) {
        const double side = (size.width() - notch->width()) / 2;
        s.safeAreaTop = notch->height();
        s.auxiliaryTopLeftArea = QRectF(x, 0, side, notch->height());
        s.auxiliaryTopRightArea = QRectF(x + size.width() - side, 0, side, notch->height());
    }
    s.pixelFrame = QRectF(s.frame.topLeft() * scale, s.frame.size() * scale);
    add(s);
    return screens_.back();
}

bool SimScreens::add(Screen screen)
{
    auto same = [&](const Screen &s) { return s.name == screen.name; };
    if (std::any_of(screens_.begin(), screens_.end(), same))
        return false;
    screen.displayNumber = numbers_.number(screen.name, {});
    screens_.push_back(screen);
    post(&Screens::screenAdded, screen);
    return true;
}

bool SimScreens::unplug(const QString &name)
{
    auto it = std::find_if(screens_.begin(), screens_.end(), [&](const Screen &s) { return s.name == name; });
    if (it == screens_.end())
        return false;
    Screen gone = *it;
    screens_.erase(it);
    post(&Screens::screenRemoved, gone);
    return true;
}

bool SimScreens::update(Screen screen)
{
    for (auto &s : screens_) {
        if (s.name == screen.name) {
            screen.displayNumber = s.displayNumber;
            if (s == screen)
                return true;
            s = screen;
            post(&Screens::screenChanged, screen);
            return true;
        }
    }
    return false;
}

bool SimScreens::makePrimary(const QString &name)
{
    auto it = std::find_if(screens_.begin(), screens_.end(), [&](const Screen &s) { return s.name == name; });
    if (it == screens_.end())
        return false;
    if (it == screens_.begin())
        return true;
    std::rotate(screens_.begin(), it, it + 1);
    post(&Screens::screenChanged, screens_.front());
    return true;
}

void SimScreens::post(Signal<const Screen &> Screens::*signal, const Screen &screen)
{
    lifetime_.post([this, signal, screen] {
        (this->*signal)(screen);
        screensChanged();
    });
}

}  // namespace vesk
