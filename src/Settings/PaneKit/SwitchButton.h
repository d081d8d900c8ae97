#pragma once

#include <QCheckBox>

namespace vesk {

// A settings switch: the label at the row's leading edge and, at its trailing edge, a capsule
// track with a round knob, grey with the knob at the left when off, the accent colour with the
// knob at the right when on. It stays a checkable button: a click anywhere on the row, Space
// while it has the focus, or a screen reader's toggle flips it, and it is announced as a check
// box named by its label (or its accessible name, when it has no label).
class SwitchButton : public QCheckBox {
public:
    explicit SwitchButton(const QString &label, QWidget *parent = nullptr);
    explicit SwitchButton(QWidget *parent = nullptr) : SwitchButton(QString(), parent) {}

    static constexpr int trackWidth = 36, trackHeight = 20, knobInset = 2;
    static constexpr int labelGap = 8;
    static constexpr int focusMargin = 1;  // room around the track for the focus ring

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    // The track's rectangle in the widget.
    QRect trackRect() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    bool hitButton(const QPoint &pos) const override;
};

}  // namespace vesk
