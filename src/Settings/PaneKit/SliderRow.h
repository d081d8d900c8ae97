#pragma once

#include "Settings/PaneKit/Binding.h"

#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QSlider;
class QToolButton;

namespace vesk {

// A labelled slider for a numeric setting: ticks from the range's low end in steps, the value as
// text, and a button that puts the default back (invisible, and deaf, while the value is within
// half a step of it).
class SliderRow : public QWidget {
public:
    struct Spec {
        QString title;
        Binding<double> value;
        double min = 0, max = 1, step = 0.1;
        // What the reset button puts back; the setting's own default when absent.
        std::optional<double> defaultValue;
        std::function<QString(double)> format = formatSeconds;
        std::function<void(bool editing)> onEditing;
    };
    static QString formatSeconds(double value);  // "%.1f s", C locale

    explicit SliderRow(Spec spec, QWidget *parent = nullptr);
    ~SliderRow() override;

    const Spec &spec() const { return spec_; }
    int tickCount() const { return ticks_; }
    // The tick nearest `value`, within 0 ... tickCount().
    int nearestTick(double value) const;
    // What tick `i` stores: min + i·step, rounded to 10 decimals.
    double valueOfTick(int i) const;
    bool isAtDefault() const;
    double resetValue() const { return spec_.defaultValue.value_or(spec_.value.setting.defaultValue()); }
    QString valueText() const;
    bool isHeld() const;

    // Re-reads the setting without writing it back.
    void refresh();

    // As the user does it: a drag to the tick nearest `value`, held or let go at the end.
    void dragTo(double value, bool hold);
    void release();
    void reset();

    QSlider *slider() const { return slider_; }
    QToolButton *resetButton() const { return reset_; }

private:
    void moved(int tick);

    Spec spec_;
    int ticks_ = 0;
    QSlider *slider_;
    QLabel *text_;
    QToolButton *reset_;
};

}  // namespace vesk
