#include "Platform/Screens.h"

#include "Platform/linux/QtScreens.h"

#include <algorithm>

namespace vesk {

namespace {
Screens *installed = nullptr;
}

ScreenInfo ScreenInfo::fromTopDown(const QString &name, const QRectF &geometry, const QRectF &available,
                                   const QRectF &firstScreen, double scale)
{
    const double originX = firstScreen.x();
    const double originY = firstScreen.y() + firstScreen.height();
    auto flip = [=](const QRectF &r) { return QRectF(r.x() - originX, originY - (r.y() + r.height()), r.width(), r.height()); };
    ScreenInfo info;
    info.name = name;
    info.frame = flip(geometry);
    info.visibleFrame = flip(available);
    info.scale = scale;
    info.displayNumber = Screens::displayNumber(name);
    return info;
}

std::optional<ScreenInfo> Screens::screen(uint32_t number) const
{
    for (auto &info : screens()) {
        if (info.displayNumber == number)
            return info;
    }
    return std::nullopt;
}

uint32_t Screens::mainDisplayNumber() const
{
    auto list = screens();
    return list.empty() ? 0 : list.front().displayNumber;
}

uint32_t Screens::displayNumber(const QString &outputName)
{
    static std::vector<QString> seen;
    auto it = std::find(seen.begin(), seen.end(), outputName);
    if (it == seen.end())
        it = seen.insert(seen.end(), outputName);
    return static_cast<uint32_t>(it - seen.begin()) + 1;
}

Screens &Screens::shared()
{
    static QtScreens qtScreens;
    return installed ? *installed : qtScreens;
}

void Screens::setShared(Screens *screens)
{
    installed = screens;
}

}  // namespace vesk
