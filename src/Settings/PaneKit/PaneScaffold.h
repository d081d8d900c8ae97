#pragma once

#include "Kit/Kit.h"
#include "Base/Signal.h"

#include <QWidget>

#include <functional>
#include <optional>

namespace vesk {

class KitWidget;
class PaneForm;

// The layout of a pane: with a preview height, a live preview strip (rounded, with a faint
// border, 20 points in from the sides and 16 from the top) that stays put, above a grouped form
// that scrolls. Without one, the form alone.
class PaneScaffold : public QWidget {
public:
    // `preview` describes the strip's content; it is described again on every settings change,
    // so the strip animates to the new values.
    PaneScaffold(std::optional<double> previewHeight, std::function<kit::Element()> preview, QWidget *parent = nullptr);
    ~PaneScaffold() override;

    PaneForm &form() const { return *form_; }
    // The strip, when shown.
    KitWidget *strip() const { return strip_; }
    // The strip's content alone (no frame), for pictures of the preview.
    kit::Element previewContent() const;
    std::optional<double> previewHeight() const { return previewHeight_; }

    // Describes the strip again.
    void refreshPreview();
    // The strip's opacity, read each time it is described: the content, its rounded frame and its
    // border fade together, as one picture.
    void setPreviewOpacity(std::function<double()> opacity);

private:
    std::optional<double> previewHeight_;
    std::function<kit::Element()> preview_;
    std::function<double()> previewOpacity_;
    KitWidget *strip_ = nullptr;
    PaneForm *form_;
    Connection settings_;
};

}  // namespace vesk
