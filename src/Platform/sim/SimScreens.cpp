#include "Platform/sim/SimScreens.h"

#include <algorithm>

namespace vesk {

std::vector<ScreenInfo> SimScreens::screens() const
{
    std::vector<ScreenInfo> list;
    if (specs_.empty())
        return list;
    const double firstHeight = specs_.front().size.height();
    double x = 0;
    for (const auto &spec : specs_) {
        const QRectF geometry(x, 0, spec.size.width(), spec.size.height());
        const QRectF available = geometry.adjusted(0, spec.menuBarHeight, 0, 0);
        auto info = ScreenInfo::fromTopDown(spec.name, geometry, available, firstHeight, spec.scale);
        if (spec.notch && spec.notch->height() > 0) {
            const double side = (spec.size.width() - spec.notch->width()) / 2;
            const double h = spec.notch->height();
            info.safeAreaTopInset = h;
            const QRectF &f = info.frame;
            info.auxiliaryTopLeftArea = QRectF(f.x(), f.y() + f.height() - h, side, h);
            info.auxiliaryTopRightArea = QRectF(f.x() + f.width() - side, f.y() + f.height() - h, side, h);
        }
        list.push_back(info);
        x += spec.size.width();
    }
    return list;
}

void SimScreens::add(Spec spec)
{
    specs_.push_back(std::move(spec));
    changed();
}

bool SimScreens::remove(const QString &name)
{
    auto it = std::find_if(specs_.begin(), specs_.end(), [&](const Spec &s) { return s.name == name; });
    if (it == specs_.end())
        return false;
    specs_.erase(it);
    changed();
    return true;
}

}  // namespace vesk
