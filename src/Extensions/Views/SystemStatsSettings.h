#pragma once

#include "Settings/PaneKit/PaneForm.h"

class QCheckBox;

namespace vesk {

// The System Stats options under its switch in the Extensions pane, in the pane's own rows:
// whether a busy processor and a hot machine show an activity. Both default to true; each switch
// writes a boolean and follows changes made elsewhere.
class SystemStatsSettings final : public PaneForm {
public:
    explicit SystemStatsSettings(QWidget *parent = nullptr);

    QCheckBox *warnCPU() const { return warnCPU_; }
    QCheckBox *warnHeat() const { return warnHeat_; }

private:
    QCheckBox *warnCPU_;
    QCheckBox *warnHeat_;
};

}  // namespace vesk
