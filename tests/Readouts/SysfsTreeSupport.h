#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <string>

namespace vesk::test {

// A fake /sys in a temporary folder: write("class/power_supply/BAT0/capacity", "50").
class SysfsTree {
public:
    std::string root() const { return dir_.path().toStdString(); }
    void write(const QString &path, const QByteArray &value)
    {
        const QString full = dir_.filePath(path);
        QDir().mkpath(QFileInfo(full).path());
        QFile file(full);
        file.open(QIODevice::WriteOnly | QIODevice::Truncate);
        file.write(value + "\n");
    }
    void remove(const QString &path) { QFile::remove(dir_.filePath(path)); }
    QString path(const QString &relative) const { return dir_.filePath(relative); }
    // A supply with the given type and attributes.
    void supply(const QString &name, const QByteArray &type, std::initializer_list<std::pair<const char *, QByteArray>> attributes)
    {
        write("class/power_supply/" + name + "/type", type);
        for (const auto &[key, value] : attributes)
            write("class/power_supply/" + name + "/" + key, value);
    }

private:
    QTemporaryDir dir_;
};

}  // namespace vesk::test
