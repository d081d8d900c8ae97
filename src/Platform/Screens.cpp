#include "Platform/Screens.h"

#include "Platform/linux/QtScreens.h"

#include <algorithm>

namespace vesk {

uint32_t DisplayNumbers::number(const QString &name, const std::vector<QString> &present, QString *keyOut)
{
    QString key = name;
    for (int n = 2; std::find(present.begin(), present.end(), key) != present.end(); ++n)
        key = name + QLatin1Char('#') + QString::number(n);
    if (keyOut)
        *keyOut = key;
    auto it = table_.constFind(key);
    if (it != table_.constEnd())
        return *it;
    const auto number = uint32_t(table_.size() + 1);
    table_.insert(key, number);
    return number;
}

std::optional<Screen> Screens::screen(uint32_t displayNumber) const
{
    for (auto &s : screens()) {
        if (s.displayNumber == displayNumber)
            return s;
    }
    return std::nullopt;
}

QRectF Screens::toYUp(const QRectF &rect) const
{
    const auto all = screens();
    if (all.empty())
        return rect;
    const double axis = all.front().frame.bottom();
    return QRectF(rect.x(), axis - rect.bottom(), rect.width(), rect.height());
}

namespace {
Screens *installed = nullptr;
}

Screens &screens()
{
    if (installed)
        return *installed;
    static QtScreens real;
    return real;
}

void setScreens(Screens *service) { installed = service; }

}  // namespace vesk
