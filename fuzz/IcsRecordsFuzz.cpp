// Bytes of a calendar file to the records the loader makes of it, over a fixed window. A crash, a
// sanitizer report or a slow input (-timeout) is a finding.
#include "Platform/linux/IcsCalendar.h"

#include <QDateTime>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const vesk::ics::Window window = vesk::ics::windowAround(
        QDateTime(QDate(2025, 2, 10), QTime(12, 0), QTimeZone("Europe/Berlin")).toSecsSinceEpoch(), QTimeZone("Europe/Berlin"));
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    const auto records = vesk::ics::recordsFromBytes(bytes, window, QColor(Qt::red));
    // What a file keeps: today's agenda within its budget and one record a day of the window.
    if (records.size() > size_t(vesk::ics::maxTodayPerFile) + 100)
        __builtin_trap();
    return 0;
}
