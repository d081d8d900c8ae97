#pragma once

#include "Platform/DesktopApps.h"

#include <map>

namespace vesk {

// Simulated installed applications with their icons, and the desktop's default music player.
class SimDesktopApps final : public DesktopApps {
public:
    std::optional<QImage> icon(const QString &id, int pixels) const override
    {
        auto it = apps_.find(id);
        if (it == apps_.end() || it->second.isNull())
            return std::nullopt;
        return it->second.scaled(pixels, pixels, Qt::KeepAspectRatio);
    }
    std::optional<QString> defaultApplication(const QString &mimeType) const override
    {
        auto it = defaults_.find(mimeType);
        if (it == defaults_.end() || !apps_.count(it->second))
            return std::nullopt;
        return it->second;
    }

    void install(const QString &id, QImage icon) { apps_[id] = std::move(icon); }
    void setDefault(const QString &mimeType, const QString &id) { defaults_[mimeType] = id; }

private:
    std::map<QString, QImage> apps_;
    std::map<QString, QString> defaults_;
};

}  // namespace vesk
