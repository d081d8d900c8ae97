#include "Model/IslandMetrics.h"

#include "Kit/TextFormat.h"

#include <QDateTime>

#include <algorithm>

namespace vesk {

EventCaption EventCaption::of(const Peek::Event &event)
{
    const QDateTime start = QDateTime::fromMSecsSinceEpoch(static_cast<qint64>(event.start * 1000));
    return {event.title, QStringLiteral("Starts at ") + kit::shortTime(start)};
}

const kit::Font &EventCaption::titleFont()
{
    static const kit::Font font = kit::Font::system(12, kit::Weight::semibold);
    return font;
}

const kit::Font &EventCaption::startsFont()
{
    static const kit::Font font = kit::Font::system(11);
    return font;
}

double EventCaption::textWidth() const
{
    return std::max(kit::textWidth(title, titleFont()), kit::textWidth(starts, startsFont()));
}

}  // namespace vesk
