#include "Kit/TextFormat.h"

#include <QRegularExpression>

namespace kit {

namespace {

// Some locales' short time format carries seconds (the C locale's is "HH:mm:ss"); a time the views
// show never does. The seconds field goes together with the separator before it.
QString timeFormatWithoutSeconds(const QLocale &locale)
{
    static const QRegularExpression seconds(QStringLiteral("[^A-Za-z']*s+(\\.z+)?"));
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(seconds);
    return format.trimmed();
}

}  // namespace

QString shortTime(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.toLocalTime().time(), timeFormatWithoutSeconds(locale));
}

QString shortDate(const QDateTime &when, const QLocale &locale)
{
    return locale.toString(when.toLocalTime().date(), QLocale::ShortFormat);
}

}  // namespace kit
