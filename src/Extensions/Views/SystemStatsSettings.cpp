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
    auto bind = [](QCheckBox *box, const Setting<bool> &setting) {
        QObject::connect(box, &QCheckBox::toggled, box, [setting](bool on) { UserDefaults::standard().set(setting, on); });
    };
    bind(warnCPU_, SystemStatsExtension::warnCPU);
    bind(warnHeat_, SystemStatsExtension::warnHeat);
    observer_ = UserDefaults::standard().changed.connect([this] { read(); });
}

void SystemStatsSettings::read()
{
    for (auto [box, setting] : {std::pair{warnCPU_, SystemStatsExtension::warnCPU},
                                std::pair{warnHeat_, SystemStatsExtension::warnHeat}}) {
        const bool on = UserDefaults::standard().value(setting);
        if (box->isChecked() != on) {
            const QSignalBlocker quiet(box);
            box->setChecked(on);
        }
    }
}

}  // namespace vesk
