#include "Settings/PaneKit/PaneScaffold.h"

#include "Platform/UserDefaults.h"
#include "Settings/PaneKit/KitWidget.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneStyle.h"

#include <QFrame>
#include <QScrollArea>
#include <QVBoxLayout>

namespace vesk {

PaneScaffold::PaneScaffold(std::optional<double> previewHeight, std::function<kit::Element()> preview, QWidget *parent)
    : QWidget(parent), previewHeight_(previewHeight), preview_(std::move(preview)), form_(new PaneForm)
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    if (previewHeight_ && preview_) {
        strip_ = new KitWidget(this);
        strip_->setFixedHeight(int(std::ceil(*previewHeight_ + 16)));
        column->addWidget(strip_);
        refreshPreview();
        settings_ = UserDefaults::standard().changed.connect([this] { refreshPreview(); });
    }
    auto *scroll = new QScrollArea(this);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroll->setWidget(form_);
    column->addWidget(scroll, 1);
}

PaneScaffold::~PaneScaffold() = default;

kit::Element PaneScaffold::previewContent() const
{
    return preview_ ? preview_() : kit::Empty();
}

void PaneScaffold::refreshPreview()
{
    if (!strip_)
        return;
    using namespace kit;
    const auto frame = RoundedRectangle(12, CornerStyle::continuous);
    const Color border = pane_style::kitColor(pane_style::primary()).opacity(0.1);
    Element strip = preview_()
                        .frame(std::nullopt, *previewHeight_)
                        .maxFrame()
                        .frame(std::nullopt, *previewHeight_)
                        .clipShape(frame)
                        .overlay(Stroke(frame, border, {.width = 1}).padding(0.5));
    if (previewOpacity_)
        strip = strip.opacity(previewOpacity_());
    strip_->setRoot(strip.padding(Edges{.top = 16, .leading = 20, .bottom = 0, .trailing = 20}));
}

void PaneScaffold::setPreviewOpacity(std::function<double()> opacity)
{
    previewOpacity_ = std::move(opacity);
    refreshPreview();
}

}  // namespace vesk
