#include "Model/Peek.h"

#include <QTextBoundaryFinder>

#include <array>
#include <cmath>

namespace vesk {

namespace {
constexpr std::array kindNames = {"volume",   "brightness", "battery", "device", "focus",     "capsLock",    "inputSource",
                                  "download", "event",      "custom",  "timer",  "timerDone", "downloadDone"};
// Titles this long or longer are previewed in full and drawn with the minutes only.
constexpr int longTitleLength = 15;
}  // namespace

const char *name(Peek::Kind kind)
{
    return kindNames[static_cast<size_t>(kind)];
}

const char *Peek::caseName() const
{
    return name(kind());
}

int graphemeCount(const QString &text)
{
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    int count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

bool Peek::isLongTitle(const QString &title)
{
    return graphemeCount(title) >= longTitleLength;
}

bool Peek::isSameActivity(const std::optional<Peek> &other) const
{
    if (!other)
        return false;
    switch (kind()) {
    case Kind::download:
        return other->kind() == Kind::download;
    case Kind::event:
        return other->kind() == Kind::event && other->as<Event>()->title == as<Event>()->title;
    case Kind::custom: {
        const auto *theirs = other->as<Custom>();
        const auto &mine = as<Custom>()->activity;
        return theirs && theirs->activity.extensionID == mine.extensionID && theirs->activity.symbol == mine.symbol;
    }
    case Kind::timer:
        return other->kind() == Kind::timer;
    default:
        return false;
    }
}

std::optional<QString> Peek::text() const
{
    switch (kind()) {
    case Kind::volume:
    case Kind::brightness:
    case Kind::timer:
        return std::nullopt;
    case Kind::battery:
        return QString::number(as<Battery>()->percent) + QLatin1Char('%');
    case Kind::device:
        return as<Device>()->connected ? QStringLiteral("Connected") : QStringLiteral("Disconnected");
    case Kind::focus:
        return as<Focus>()->on ? QStringLiteral("On") : QStringLiteral("Off");
    case Kind::capsLock:
        return as<CapsLock>()->on ? QStringLiteral("On") : QStringLiteral("Off");
    case Kind::inputSource:
        return as<InputSource>()->name;
    case Kind::download: {
        const auto &fraction = as<Download>()->fraction;
        if (!fraction)
            return std::nullopt;
        return QString::number(static_cast<long long>(std::trunc(*fraction * 100.0))) + QLatin1Char('%');
    }
    case Kind::event: {
        const auto *event = as<Event>();
        const QString minutes = event->minutes <= 0 ? QStringLiteral("now") : QString::number(event->minutes) + QLatin1Char('m');
        if (isLongTitle(event->title))
            return minutes;
        return event->title + QStringLiteral(" \u00B7 ") + minutes;
    }
    case Kind::custom:
        return as<Custom>()->activity.text;
    case Kind::timerDone:
    case Kind::downloadDone:
        return QStringLiteral("Done");
    }
    return std::nullopt;
}

}  // namespace vesk
