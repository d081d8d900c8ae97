#pragma once

#include "Kit/Kit.h"

#include <QWidget>

namespace vesk {

// A widget that draws one Kit tree, sized to it in points (one point per logical pixel), painted
// at the widget's device pixel ratio and repainted whenever the tree asks. It takes no mouse
// events: the widget under it (a card's button) gets them.
class KitWidget : public QWidget {
public:
    explicit KitWidget(QWidget *parent = nullptr);
    ~KitWidget() override;

    // Describes the tree again: what differs from the last description animates.
    void setRoot(kit::Element root);
    kit::Tree &tree() { return tree_; }
    QSize sizeHint() const override { return hint_; }
    void setSizeHint(QSize hint) { hint_ = hint; }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;

private:
    kit::Tree tree_;
    Connection repaint_;
    QSize hint_{100, 76};
};

}  // namespace vesk
