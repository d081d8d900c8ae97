#include "Settings/PaneKit/SwitchButton.h"

#include "Settings/PaneKit/PaneStyle.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace vesk {

namespace {

constexpr double offTrackAlpha = 0.16;   // of the text colour
constexpr double disabledOpacity = 0.45;
constexpr double knobEdgeAlpha = 0.12;
constexpr double focusRingAlpha = 0.55;

QColor withAlpha(QColor color, double alpha)
{
    color.setAlphaF(float(color.alphaF() * alpha));
    return color;
}

}  // namespace

SwitchButton::SwitchButton(const QString &label, QWidget *parent) : QCheckBox(label, parent)
{
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

QSize SwitchButton::sizeHint() const
{
    const QFontMetrics metrics = fontMetrics();
    const int label = text().isEmpty() ? 0 : metrics.horizontalAdvance(text()) + labelGap;
    return {label + trackWidth + focusMargin, std::max(metrics.height(), trackHeight + 2 * focusMargin)};
}

QSize SwitchButton::minimumSizeHint() const
{
    // A label too long for the row is cut with an ellipsis; the switch itself always fits.
    return {trackWidth + focusMargin, sizeHint().height()};
}

QRect SwitchButton::trackRect() const
{
    return {width() - focusMargin - trackWidth, (height() - trackHeight) / 2, trackWidth, trackHeight};
}

bool SwitchButton::hitButton(const QPoint &pos) const
{
    return rect().contains(pos);  // the label is part of the switch, as a check box's is
}

void SwitchButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool enabled = isEnabled();
    const QRect track = trackRect();

    if (!text().isEmpty()) {
        const QRect label(0, 0, std::max(0, track.left() - labelGap), height());
        painter.setPen(palette().color(enabled ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(label, Qt::AlignLeft | Qt::AlignVCenter,
                         fontMetrics().elidedText(text(), Qt::ElideRight, label.width()));
    }

    painter.setOpacity(enabled ? 1 : disabledOpacity);
    const QRectF capsule = QRectF(track).adjusted(0.5, 0.5, -0.5, -0.5);
    const double radius = capsule.height() / 2;
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? pane_style::accent() : withAlpha(pane_style::primary(), offTrackAlpha));
    painter.drawRoundedRect(capsule, radius, radius);

    const double knob = trackHeight - 2 * knobInset;
    const double knobX = isChecked() ? track.right() + 1 - knobInset - knob : track.left() + knobInset;
    const QRectF knobRect(knobX, track.top() + knobInset, knob, knob);
    painter.setPen(QPen(withAlpha(Qt::black, knobEdgeAlpha), 0.5));
    painter.setBrush(Qt::white);
    painter.drawEllipse(knobRect);

    if (hasFocus()) {
        painter.setOpacity(1);
        painter.setPen(QPen(withAlpha(pane_style::accent(), focusRingAlpha), 1.5));
        painter.setBrush(Qt::NoBrush);
        const QRectF ring = capsule.adjusted(-0.75, -0.75, 0.75, 0.75);
        painter.drawRoundedRect(ring, ring.height() / 2, ring.height() / 2);
    }
}

}  // namespace vesk
