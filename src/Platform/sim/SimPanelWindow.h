#pragma once

#include <optional>

#include "Platform/PanelWindow.h"

namespace vesk {

// A panel window that only remembers what it was told. Tests read its state back and deliver
// input through the signals; without a display it is the panel that draws nothing.
class SimPanelWindow final : public PanelWindow {
public:
    void setFrame(const QRect &frame) override { frame_ = frame; }
    QRect frame() const override { return frame_; }
    void updateContent(const QImage &image, const QRegion &changed) override
    {
        lastChanged = takeChangedPixels(content_, image, changed);
        ++contentUpdates;
    }
    void drawContent(const std::function<QRegion(QImage &)> &draw) override
    {
        lastChanged = draw(content_) & QRegion(content_.rect());
        ++contentUpdates;
    }
    void setOpacity(double opacity) override { opacity_ = qBound(0.0, opacity, 1.0); }
    double opacity() const override { return opacity_; }
    void show() override
    {
        visible_ = true;
        ++shows;
    }
    void hide() override
    {
        visible_ = false;
        focused_ = false;
    }
    bool isVisible() const override { return visible_; }
    void setShapeRegion(const QRegion &region) override { shape_ = region; }
    void setIgnoresPointer(bool ignores) override { ignoresPointer_ = ignores; }
    bool ignoresPointer() const override { return ignoresPointer_; }
    void setKeyboardFocus(bool focused) override { focused_ = focused; }
    bool hasKeyboardFocus() const override { return focused_; }
    void setCursor(Qt::CursorShape shape) override { cursor_ = shape; }
    Qt::CursorShape cursor() const override { return cursor_; }
    std::uint64_t nativeId() const override { return 0; }
    void showTooltip(const QString &text, QPointF pixel) override
    {
        tooltip = plainTooltipText(text);
        tooltipAt = pixel;
    }
    void hideTooltip() override { tooltip.reset(); }

    // The tooltip on show, if any, and where.
    std::optional<QString> tooltip;
    QPointF tooltipAt;

    const QImage &content() const { return content_; }
    const QRegion &shapeRegion() const { return shape_; }
    int contentUpdates = 0;
    // The pixels that changed in the last content update (window pixels).
    QRegion lastChanged;
    int shows = 0;  // times ordered front

private:
    QRect frame_;
    QImage content_;
    double opacity_ = 1;
    bool visible_ = false;
    bool ignoresPointer_ = false;
    bool focused_ = false;
    Qt::CursorShape cursor_ = Qt::ArrowCursor;
    QRegion shape_;
};

}  // namespace vesk
