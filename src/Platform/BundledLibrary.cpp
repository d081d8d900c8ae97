#include "Platform/BundledLibrary.h"

#include "Base/SharedLibrary.h"

#include <QDir>
#include <QFileInfo>

#include <memory>

namespace vesk {

std::optional<std::string> bundledLibraryPath(const QString &fileName)
{
    const QString program = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    const QDir folder = QFileInfo(program).absoluteDir();
    for (const QString &candidate : {folder.filePath(fileName), folder.filePath(QStringLiteral("../lib/vesk/") + fileName)}) {
        const QFileInfo info(candidate);
        if (info.isFile())
            return info.canonicalFilePath().toStdString();
    }
    return std::nullopt;
}

void *networkModuleFunction(const char *name)
{
    static const auto library = []() -> std::unique_ptr<SharedLibrary> {
        const auto path = bundledLibraryPath(QStringLiteral("VeskNetwork.so"));
        return path ? std::make_unique<SharedLibrary>(path->c_str()) : nullptr;
    }();
    void (*function)() = nullptr;
    return library && library->resolve(function, name) ? reinterpret_cast<void *>(function) : nullptr;
}

}  // namespace vesk
