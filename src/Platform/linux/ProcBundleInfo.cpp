#include "Platform/linux/ProcBundleInfo.h"

#include "VeskVersion.h"

#include <QDir>
#include <QFileInfo>

namespace vesk {

namespace {

std::string selfExecutable()
{
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().toStdString();
}

}  // namespace

ProcBundleInfo::ProcBundleInfo() : ProcBundleInfo(selfExecutable()) {}

ProcBundleInfo::ProcBundleInfo(const std::string &executable)
{
    const QFileInfo exe(QString::fromStdString(executable));
    const QDir bin = exe.absoluteDir();
    if (!executable.empty() && bin.dirName() == QLatin1String("bin")) {
        const QString folder = QFileInfo(bin.absolutePath()).absolutePath();
        if (auto record = readBundleFolder(folder.toStdString())) {
            path_ = folder.toStdString();
            version_ = std::move(record->version);
            build_ = std::move(record->build);
            return;
        }
    }
    version_ = VESK_VERSION;
    build_ = std::to_string(VESK_BUILD);
}

}  // namespace vesk
