#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace kit {

// Times and dates as the views show them, in the user's locale: the short time style ("9:41 AM",
// "09:41") with no date part, and the short date style. Local time of the given instant.
QString shortTime(const QDateTime &when, const QLocale &locale = QLocale::system());
QString shortDate(const QDateTime &when, const QLocale &locale = QLocale::system());

}  // namespace kit
