#include "Extensions/Views/SystemStatsSettings.h"

#include "Model/Defaults.h"
#include "Extensions/SystemStatsExtension.h"
#include "Platform/UserDefaults.h"

#include <QCheckBox>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace vesk {

SystemStatsSettings::SystemStatsSettings(QWidget *parent)
    : QWidget(parent),
      warnCPU_(new QCheckBox(QStringLiteral("Show when the processor stays busy"), this)),
      warnHeat_(new QCheckBox(QStringLiteral("Show when your computer runs hot"), this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(warnCPU_);
    layout->addWidget(warnHeat_);
    read();
    auto bind = [](QCheckBox *box, const char *key) {
        QObject::connect(box, &QCheckBox::toggled, box, [key](bool on) { UserDefaults::standard().set(key, on); });
    };
    bind(warnCPU_, SystemStatsExtension::warnCPUKey);
    bind(warnHeat_, SystemStatsExtension::warnHeatKey);
    observer_ = UserDefaults::standard().changed.connect([this] { read(); });
}

void SystemStatsSettings::read()
{
    for (auto [box, key] : {std::pair{warnCPU_, SystemStatsExtension::warnCPUKey},
                            std::pair{warnHeat_, SystemStatsExtension::warnHeatKey}}) {
        const bool on = UserDefaults::standard().boolOrTrue(key);
        if (box->isChecked() != on) {
            const QSignalBlocker quiet(box);
            box->setChecked(on);
        }
    }
}

}  // namespace vesk
