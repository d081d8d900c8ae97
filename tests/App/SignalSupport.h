#pragma once

#include <QFile>
#include <QString>

#include <sys/types.h>

namespace vesk::test {

// Whether process `pid` has a handler for `sig`, as /proc shows it under SigCgt: a test signals a
// program only once its hook is in place.
inline bool catchesSignal(qint64 pid, int sig)
{
    QFile status(pid ? QStringLiteral("/proc/%1/status").arg(pid) : QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const auto &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (sig - 1)) & 1;
    }
    return false;
}

}  // namespace vesk::test
