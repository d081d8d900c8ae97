#include "Extensions/Views/SystemStatsSettings.h"

#include "Extensions/SystemStatsExtension.h"

namespace vesk {

SystemStatsSettings::SystemStatsSettings(QWidget *parent) : PaneForm(Style::embedded, parent)
{
    section();
    warnCPU_ = addSwitch(QStringLiteral("Show when the processor stays busy"), Binding<bool>(SystemStatsExtension::warnCPU))
                   .checkBox;
    warnHeat_ = addSwitch(QStringLiteral("Show when your computer runs hot"), Binding<bool>(SystemStatsExtension::warnHeat))
                    .checkBox;
}

}  // namespace vesk
