#include "Settings/PaneKit/SliderRow.h"

#include "Settings/PaneKit/PaneStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <cmath>

namespace vesk {

QString SliderRow::formatSeconds(double value) { return QString::asprintf("%.1f s", value); }

SliderRow::SliderRow(Spec spec, QWidget *parent)
    : QWidget(parent), spec_(std::move(spec)), slider_(new QSlider(Qt::Horizontal, this)), text_(new QLabel(this)),
      reset_(new QToolButton(this))
{
    const double span = spec_.max - spec_.min;
    ticks_ = spec_.step > 0 && span > 0 ? int(std::lround(span / spec_.step)) : 0;
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(8);
    auto *title = new QLabel(spec_.title, this);
    row->addWidget(title);
    row->addStretch(1);
    slider_->setRange(0, ticks_);
    slider_->setFixedWidth(170);
    slider_->setAccessibleName(spec_.title);
    row->addWidget(slider_);
    text_->setFixedWidth(56);
    text_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QPalette p = text_->palette();
    p.setColor(QPalette::WindowText, pane_style::secondary());
    text_->setPalette(p);
    row->addWidget(text_);
    reset_->setAutoRaise(true);
    reset_->setIcon(QIcon(pane_style::symbolPixmap(kit::SymbolName("arrow.counterclockwise"), 14,
                                                   pane_style::secondary(), devicePixelRatioF())));
    reset_->setToolTip(QStringLiteral("Reset to default (%1)").arg(spec_.format(resetValue())));
    reset_->setAccessibleName(QStringLiteral("Reset"));
    QSizePolicy keep = reset_->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    reset_->setSizePolicy(keep);
    row->addWidget(reset_);

    connect(slider_, &QSlider::valueChanged, this, [this](int tick) { moved(tick); });
    connect(slider_, &QSlider::sliderPressed, this, [this] {
        if (spec_.onEditing)
            spec_.onEditing(true);
    });
    connect(slider_, &QSlider::sliderReleased, this, [this] {
        if (spec_.onEditing)
            spec_.onEditing(false);
    });
    connect(reset_, &QToolButton::clicked, this, [this] {
        spec_.value.set(resetValue());
        refresh();
    });
    refresh();
}

SliderRow::~SliderRow()
{
    // A row that goes while held (its pane replaced, the window closed) still ends the drag, so
    // nothing waits for a release that never comes.
    if (slider_->isSliderDown() && spec_.onEditing)
        spec_.onEditing(false);
}

int SliderRow::nearestTick(double value) const
{
    if (!(spec_.step > 0) || !std::isfinite(value))
        return 0;
    const long i = std::lround((value - spec_.min) / spec_.step);
    return int(std::clamp<long>(i, 0, ticks_));
}

double SliderRow::valueOfTick(int i) const
{
    const double v = spec_.min + i * spec_.step;
    return std::round(v * 1e10) / 1e10;
}

bool SliderRow::isAtDefault() const { return std::abs(spec_.value.get() - resetValue()) < spec_.step / 2; }

QString SliderRow::valueText() const { return text_->text(); }

bool SliderRow::isHeld() const { return slider_->isSliderDown(); }

void SliderRow::refresh()
{
    const double value = spec_.value.get();
    {
        const QSignalBlocker quiet(slider_);
        slider_->setValue(nearestTick(value));
    }
    text_->setText(spec_.format(value));
    const bool atDefault = isAtDefault();
    reset_->setVisible(!atDefault);
    reset_->setEnabled(!atDefault);
}

void SliderRow::moved(int tick)
{
    // Only a move of the user's stores a value: a stored value off the ticks stays as it is until then.
    spec_.value.set(valueOfTick(tick));
    refresh();  // a row outside a form follows its own writes too
}

void SliderRow::dragTo(double value, bool hold)
{
    if (!slider_->isEnabled())
        return;
    if (!slider_->isSliderDown())
        slider_->setSliderDown(true);
    slider_->setValue(nearestTick(value));
    if (!hold)
        slider_->setSliderDown(false);
}

void SliderRow::release()
{
    if (slider_->isSliderDown())
        slider_->setSliderDown(false);
}

void SliderRow::reset()
{
    reset_->click();  // a disabled button ignores it
}

}  // namespace vesk
