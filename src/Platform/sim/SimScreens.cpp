#include "Platform/sim/SimScreens.h"

#include <algorithm>

namespace vesk {

std::vector<ScreenInfo> SimScreens::screens() const
{
    std::vector<ScreenInfo> list;
    if (outputs_.empty())
        return list;
    const QRectF first(QPointF(0, 0), outputs_.front().size);
    double x = 0;
    for (const auto &output : outputs_) {
        const QRectF geometry(x, 0, output.size.width(), output.size.height());
        const QRectF available = geometry.adjusted(0, output.menuBarHeight, 0, 0);
        auto info = ScreenInfo::fromTopDown(output.name, geometry, available, first, output.scale);
        if (output.notch && output.notch->height() > 0) {
            const double side = (output.size.width() - output.notch->width()) / 2;
            const double h = output.notch->height();
            info.safeAreaTopInset = h;
            const QRectF &f = info.frame;
            info.auxiliaryTopLeftArea = QRectF(f.x(), f.y() + f.height() - h, side, h);
            info.auxiliaryTopRightArea = QRectF(f.x() + f.width() - side, f.y() + f.height() - h, side, h);
        }
        list.push_back(info);
        x += output.size.width();
    }
    return list;
}

void SimScreens::add(Output output)
{
    outputs_.push_back(std::move(output));
    changed();
}

bool SimScreens::remove(const QString &name)
{
    auto it = std::find_if(outputs_.begin(), outputs_.end(), [&](const Output &s) { return s.name == name; });
    if (it == outputs_.end())
        return false;
    outputs_.erase(it);
    changed();
    return true;
}

}  // namespace vesk
