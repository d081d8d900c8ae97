#include "Extensions/ClaudeCodeFormat.h"

#include <cmath>
#include <limits>

namespace vesk::claude_code {

int64_t wholeSaturated(double value)
{
    if (std::isnan(value))
        return 0;
    // 2^63 is exactly representable; anything at or past it does not fit.
    constexpr double bound = 9223372036854775808.0;
    if (value >= bound)
        return std::numeric_limits<int64_t>::max();
    if (value <= -bound)
        return std::numeric_limits<int64_t>::min();
    return int64_t(std::trunc(value));
}

QString clock(double seconds)
{
    int64_t t = wholeSaturated(seconds);
    if (t < 1)
        t = 0;
    if (t >= 3600)
        return QString::asprintf("%lld:%02lld:%02lld", (long long)(t / 3600), (long long)(t / 60 % 60),
                                 (long long)(t % 60));
    return QString::asprintf("%lld:%02lld", (long long)(t / 60), (long long)(t % 60));
}

QString until(std::optional<double> date, double now)
{
    if (!date)
        return QString();
    const int64_t s = wholeSaturated(*date - now);
    if (s < 1)
        return QStringLiteral("resets in 0m");
    if (s >= 86400)
        return QStringLiteral("resets in %1d %2h").arg(s / 86400).arg(s / 3600 % 24);
    if (s >= 3600)
        return QStringLiteral("resets in %1h %2m").arg(s / 3600).arg(s / 60 % 60);
    return QStringLiteral("resets in %1m").arg(s / 60);
}

QString relativeDate(double date, double now)
{
    const int64_t s = wholeSaturated(now - date);
    if (s > -1 && s < 1)
        return QStringLiteral("now");
    const bool past = s > 0;
    // The magnitude; the most negative count is one more than the largest positive one.
    const uint64_t a = past ? uint64_t(s) : uint64_t(-(s + 1)) + 1;
    struct Unit {
        uint64_t seconds;
        const char *one;
        const char *many;
        const char *last;  // the word for a count of one, when there is one
        const char *next;
    };
    static const Unit units[] = {
        {365 * 86400, "year", "years", "last year", "next year"},
        {30 * 86400, "month", "months", "last month", "next month"},
        {7 * 86400, "week", "weeks", "last week", "next week"},
        {86400, "day", "days", "yesterday", "tomorrow"},
        {3600, "hour", "hours", nullptr, nullptr},
        {60, "minute", "minutes", nullptr, nullptr},
        {1, "second", "seconds", nullptr, nullptr},
    };
    for (const Unit &unit : units) {
        const uint64_t count = a / unit.seconds;
        if (count == 0)
            continue;
        if (count == 1 && unit.last)
            return QString::fromLatin1(past ? unit.last : unit.next);
        const QString amount = QStringLiteral("%1 %2").arg(count).arg(QLatin1String(count == 1 ? unit.one : unit.many));
        return past ? amount + QStringLiteral(" ago") : QStringLiteral("in ") + amount;
    }
    return QStringLiteral("now");
}

QString singleLine(const QString &text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QLatin1Char('\t') || c == QChar::LineSeparator
            || c == QChar::ParagraphSeparator)
            out.append(QLatin1Char(' '));
        else if (c.category() != QChar::Other_Control)
            out.append(c);
    }
    return out;
}

}  // namespace vesk::claude_code
