#pragma once

#include "Kit/Tree.h"

#include <QRasterWindow>

namespace kit {

// Turns Qt's pointer events into the tree's plain records, in points. Returns nothing for events
// that are not pointer events.
std::optional<PointerEvent> pointerEventFrom(const QEvent &event);

// A window that shows one tree: it paints the tree at the screen's device pixel ratio, repaints
// what changed when the tree asks (its backing store keeps the rest), hands it the pointer and
// takes the cursor it asks for. The owner sets the tree's root and size; context menus and
// tooltips are the owner's (connect to the tree's signals).
class TreeWindow : public QRasterWindow {
public:
    explicit TreeWindow(QSizeF size, QWindow *parent = nullptr);
    Tree &tree() { return tree_; }

protected:
    void paintEvent(QPaintEvent *event) override;
    bool event(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void requestRepaint(const QRegion &painting = {});
    QRegion toPoints(const QRegion &device) const;

    Tree tree_;
    vesk::Connection repaint_;
    vesk::Connection cursor_;
};

}  // namespace kit
