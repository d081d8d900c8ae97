#include "Kit/TextFormat.h"

namespace kit {

QString shortTime(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.toLocalTime().time(), QLocale::ShortFormat);
}

QString shortDate(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.toLocalTime().date(), QLocale::ShortFormat);
}

}  // namespace kit
