#include "Settings/PaneKit/OptionCards.h"

#include "Settings/PaneKit/KitWidget.h"
#include "Settings/PaneKit/PaneStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace vesk {

namespace {
constexpr double captionGap = 7;
constexpr double cornerRadius = 9;

double captionHeight() { return kit::lineHeight(pane_style::kitFont(pane_style::TextStyle::callout)) + 2; }
}  // namespace

OptionCard::OptionCard(const QString &title, QWidget *parent) : QAbstractButton(parent), title_(title), view_(new KitWidget(this))
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(title);
    setText(title);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(sizeHint().height());
    describe();
}

QSize OptionCard::sizeHint() const { return {140, int(std::ceil(previewHeight + captionGap + captionHeight()))}; }

kit::Tree &OptionCard::tree() { return view_->tree(); }

void OptionCard::setSelected(bool selected)
{
    if (selected_ == selected)
        return;
    selected_ = selected;
    describe();
}

void OptionCard::setPreview(kit::Element preview)
{
    preview_ = std::move(preview);
    describe();
}

void OptionCard::describe()
{
    using namespace kit;
    using namespace pane_style;
    const auto frame = RoundedRectangle(cornerRadius, CornerStyle::continuous);
    const Color accentColor = kitColor(accent());
    const Element border = selected_ ? Stroke(frame, accentColor, {.width = 2.5}).padding(1.25)
                                     : Stroke(frame, kitColor(primary()).opacity(0.12), {.width = 1}).padding(0.5);
    const Element mark = selected_ ? Symbol("checkmark.circle.fill", 13, Weight::regular, accentColor)
                                   : Symbol("circle", 13, Weight::regular, kitColor(secondary()).opacity(0.6));
    const Element caption = HStack({.spacing = 4}, mark,
                                   Text(title_, kitFont(TextStyle::callout), kitColor(selected_ ? primary() : secondary())));
    view_->setRoot(VStack({.spacing = captionGap},
                          preview_.frame(std::nullopt, previewHeight).maxFrame().frame(std::nullopt, previewHeight).clipShape(frame).overlay(border),
                          caption));
}

void OptionCard::paintEvent(QPaintEvent *)
{
    if (!hasFocus())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QColor ring = pane_style::accent();
    ring.setAlphaF(0.5f);
    painter.setPen(QPen(ring, 3));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(QRectF(1.5, 1.5, width() - 3, previewHeight - 3), cornerRadius, cornerRadius);
}

void OptionCard::resizeEvent(QResizeEvent *)
{
    view_->setGeometry(rect());
}

OptionCards::OptionCards(QString title, std::vector<Option> options, QWidget *parent)
    : QWidget(parent), title_(std::move(title)), options_(std::move(options))
{
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 4, 0, 4);
    column->setSpacing(10);
    column->addWidget(new QLabel(title_, this));
    auto *row = new QHBoxLayout;
    row->setSpacing(12);
    row->setAlignment(Qt::AlignTop);
    for (size_t i = 0; i < options_.size(); ++i) {
        auto *card = new OptionCard(options_[i].title, this);
        connect(card, &QAbstractButton::clicked, this, [this, i] {
            options_[i].choose();
            refresh();
        });
        row->addWidget(card, 1);
        cards_.push_back(card);
    }
    column->addLayout(row);
    refresh();
}

std::optional<QString> OptionCards::selectedTitle() const
{
    for (const auto &option : options_)
        if (option.isCurrent())
            return option.title;
    return std::nullopt;
}

OptionCard *OptionCards::card(const QString &caption) const
{
    for (auto *card : cards_)
        if (card->accessibleName() == caption)
            return card;
    return nullptr;
}

void OptionCards::refresh()
{
    for (size_t i = 0; i < options_.size(); ++i) {
        cards_[i]->setSelected(options_[i].isCurrent());
        cards_[i]->setPreview(options_[i].preview());
    }
}

}  // namespace vesk
