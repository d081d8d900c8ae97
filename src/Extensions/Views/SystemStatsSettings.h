#pragma once

#include "Base/Signal.h"

#include <QWidget>

class QCheckBox;

namespace vesk {

// The System Stats options under its switch in the Extensions pane: whether a busy processor and
// a hot machine show an activity. Both default to true; each switch writes a boolean and follows
// changes made elsewhere.
class SystemStatsSettings final : public QWidget {
public:
    explicit SystemStatsSettings(QWidget *parent = nullptr);

    QCheckBox *warnCPU() const { return warnCPU_; }
    QCheckBox *warnHeat() const { return warnHeat_; }

private:
    void read();

    QCheckBox *warnCPU_;
    QCheckBox *warnHeat_;
    Connection observer_;
};

}  // namespace vesk
