#include "Settings/PaneKit/PaneForm.h"

#include "Settings/PaneKit/OptionCards.h"
#include "Settings/PaneKit/PaneStyle.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/PaneKit/SwitchButton.h"
#include "Kit/Palette.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include <nlohmann/json.hpp>

namespace vesk {

namespace {

std::function<void(const QUrl &)> &linkOpener()
{
    static std::function<void(const QUrl &)> opener;
    return opener;
}

std::string quoted(const QString &text) { return nlohmann::json(text.toStdString()).dump(); }

void setTextColor(QWidget *widget, const QColor &color)
{
    QPalette p = widget->palette();
    p.setColor(QPalette::WindowText, color);
    p.setColor(QPalette::ButtonText, color);
    widget->setPalette(p);
}

// A row of the group: a label on the left, a control on the right.
QWidget *labelled(QWidget *parent, QLabel *label, QWidget *control)
{
    auto *row = new QWidget(parent);
    auto *line = new QHBoxLayout(row);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(8);
    line->addWidget(label, 1);
    line->addWidget(control, 0, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

}  // namespace

PaneForm::PaneForm(Style style, QWidget *parent) : QWidget(parent), style_(style), layout_(new QVBoxLayout(this))
{
    if (style_ == Style::embedded)
        layout_->setContentsMargins(0, 0, 0, 0);
    else
        layout_->setContentsMargins(20, 14, 20, 20);
    layout_->setSpacing(6);
    layout_->addStretch(1);
    settings_ = UserDefaults::standard().changed.connect([this] { refresh(); });
}

PaneForm::~PaneForm() = default;

void PaneForm::openLink(const QUrl &address)
{
    if (linkOpener())
        linkOpener()(address);
    else
        QDesktopServices::openUrl(address);
}

void PaneForm::setLinkOpener(std::function<void(const QUrl &)> opener) { linkOpener() = std::move(opener); }

void PaneForm::section(std::optional<QString> header)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::header;
    row->hasTitle = header.has_value();
    const QString title = header.value_or(QString());
    row->label = [title] { return title; };
    QLabel *label = nullptr;
    if (header) {
        label = new QLabel(*header, this);
        label->setFont(pane_style::font(pane_style::TextStyle::body, QFont::DemiBold));
        label->setContentsMargins(4, 10, 0, 0);
    }
    if (label)
        layout_->insertWidget(layout_->count() - 1, label);  // before the closing stretch
    // The rounded group comes with the section's first row: a section of a footnote alone has none.
    group_ = nullptr;
    groupFrame_ = nullptr;
    inSection_ = true;
    rows_.push_back(std::move(row));
}

QVBoxLayout *PaneForm::group()
{
    if (style_ == Style::embedded)
        return nullptr;
    if (!inSection_)
        section();
    if (group_)
        return group_;
    groupFrame_ = new QFrame(this);
    groupFrame_->setObjectName(QStringLiteral("paneGroup"));
    const QColor fill = pane_style::primary();
    groupFrame_->setStyleSheet(QStringLiteral("QFrame#paneGroup { background: rgba(%1,%2,%3,10); border: 1px solid "
                                              "rgba(%1,%2,%3,22); border-radius: 8px; }")
                                   .arg(fill.red())
                                   .arg(fill.green())
                                   .arg(fill.blue()));
    group_ = new QVBoxLayout(groupFrame_);
    group_->setContentsMargins(12, 8, 12, 8);
    group_->setSpacing(8);
    layout_->insertWidget(layout_->count() - 1, groupFrame_);
    return group_;
}

PaneForm::Row &PaneForm::footnote(const QString &text, std::function<bool()> present)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::footnote;
    row->label = [text] { return text; };
    row->present = std::move(present);
    auto *label = new QLabel(text, this);
    label->setWordWrap(true);
    label->setFont(pane_style::font(pane_style::TextStyle::callout));
    label->setContentsMargins(4, 0, 4, 6);
    setTextColor(label, pane_style::secondary());
    layout_->insertWidget(layout_->count() - 1, label);
    row->widget = label;
    rows_.push_back(std::move(row));
    refreshRow(*rows_.back());
    return *rows_.back();
}

QLabel *PaneForm::headerText(const QString &text, const QFont &font, bool secondary)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::text;
    row->label = [text] { return text; };
    auto *label = new QLabel(text, this);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter);
    label->setWordWrap(true);
    if (secondary)
        setTextColor(label, pane_style::secondary());
    layout_->insertWidget(layout_->count() - 1, label);
    row->text = label;
    rows_.push_back(std::move(row));
    return label;
}

PaneForm::Row &PaneForm::addRow(std::unique_ptr<Row> row, QWidget *widget)
{
    if (widget) {
        if (QVBoxLayout *into = group())
            into->addWidget(widget);
        else
            layout_->insertWidget(layout_->count() - 1, widget);
        row->widget = widget;
    }
    rows_.push_back(std::move(row));
    Row &added = *rows_.back();
    refreshRow(added);
    return added;
}

void PaneForm::refreshRow(Row &row)
{
    if (row.widget && row.present)
        row.widget->setVisible(row.present());
    if (row.refresh)
        row.refresh();
    if (row.enabled && row.control)
        row.control->setEnabled(row.enabled());
}

PaneForm::Row &PaneForm::addSwitch(const QString &label, Binding<bool> binding, SwitchOptions options)
{
    return addSwitch(label, [binding] { return binding.get(); }, [binding](bool on) { binding.set(on); },
                     std::move(options));
}

PaneForm::Row &PaneForm::addSwitch(const QString &label, std::function<bool()> get, std::function<void(bool)> set,
                                   SwitchOptions options)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::switcher;
    row->label = [label] { return label; };
    auto *box = new SwitchButton(label, this);
    row->checkBox = box;
    row->control = box;
    row->enabled = std::move(options.enabled);
    row->refresh = [box, get] {
        const QSignalBlocker quiet(box);
        box->setChecked(get());
    };
    // Toggled, not clicked: a screen reader's toggle flips the switch without a click.
    connect(box, &QCheckBox::toggled, this, [set, refresh = row->refresh](bool on) {
        set(on);
        refresh();  // a state of its own posts nothing: read it back here
    });
    return add(std::move(row), box);
}

PaneForm::Row &PaneForm::addSlider(SliderRow *slider)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::slider;
    const QString title = slider->spec().title;
    row->label = [title] { return title; };
    slider->setParent(this);
    row->slider = slider;
    row->control = slider;  // disabling the row disables its reset button too
    row->refresh = [slider] { slider->refresh(); };
    return add(std::move(row), slider);
}

PaneForm::Row &PaneForm::addCards(OptionCards *cards)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::cards;
    const QString title = cards->title();
    row->label = [title] { return title; };
    cards->setParent(this);
    row->cards = cards;
    row->control = cards;
    row->refresh = [cards] { cards->refresh(); };
    return add(std::move(row), cards);
}

PaneForm::Row &PaneForm::addPicker(const QString &label, Binding<QString> binding,
                                   std::vector<std::pair<QString, QString>> choices)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::picker;
    row->label = [label] { return label; };
    auto *box = new QComboBox(this);
    box->setAccessibleName(label);
    for (const auto &[value, title] : choices)
        box->addItem(title, value);
    row->picker = box;
    row->control = box;
    row->refresh = [box, binding] {
        const QSignalBlocker quiet(box);
        box->setCurrentIndex(box->findData(binding.get()));
    };
    connect(box, &QComboBox::activated, this, [box, binding](int index) {
        if (index >= 0)
            binding.set(box->itemData(index).toString());
    });
    return add(std::move(row), labelled(this, new QLabel(label, this), box));
}

PaneForm::Row &PaneForm::addValue(const QString &label, std::function<QString()> text)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::value;
    row->label = [label] { return label; };
    auto *shown = new QLabel(this);
    shown->setTextInteractionFlags(Qt::TextSelectableByMouse);
    setTextColor(shown, pane_style::secondary());
    row->text = shown;
    row->detail = text;
    row->refresh = [shown, text] { shown->setText(text()); };
    return add(std::move(row), labelled(this, new QLabel(label, this), shown));
}

PaneForm::Row &PaneForm::addButton(std::function<QString()> label, const QString &title, std::function<void()> action,
                                   std::function<bool()> enabled, bool destructive)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::button;
    row->label = label;
    auto *button = new QPushButton(title, this);
    if (destructive)
        setTextColor(button, kit::palette::red.toQColor());
    row->button = button;
    row->control = button;
    row->enabled = std::move(enabled);
    auto *shown = new QLabel(label(), this);
    row->refresh = [shown, label] { shown->setText(label()); };
    connect(button, &QPushButton::clicked, this, [action] { action(); });
    return add(std::move(row), labelled(this, shown, button));
}

PaneForm::Row &PaneForm::addLabel(const QString &label, const QString &text, const QString &symbol, const QColor &color)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::label;
    row->label = [label] { return label; };
    row->detail = [text] { return text; };
    auto *state = new QWidget(this);
    auto *line = new QHBoxLayout(state);
    line->setContentsMargins(0, 0, 0, 0);
    line->setSpacing(4);
    auto *icon = new QLabel(state);
    const double size = pane_style::font(pane_style::TextStyle::body).pointSizeF();
    icon->setPixmap(pane_style::symbolPixmap(symbol, size, color, devicePixelRatioF()));
    auto *shown = new QLabel(text, state);
    setTextColor(shown, color);
    line->addWidget(icon);
    line->addWidget(shown);
    row->text = shown;
    return add(std::move(row), labelled(this, new QLabel(label, this), state));
}

PaneForm::Row &PaneForm::addLink(const QString &label, const QString &text, QUrl address)
{
    auto row = std::make_unique<Row>();
    row->kind = Kind::link;
    row->label = [label] { return label; };
    row->detail = [text] { return text; };
    auto *button = new QPushButton(text, this);
    button->setFlat(true);
    button->setCursor(Qt::PointingHandCursor);
    button->setToolTip(address.toString());
    setTextColor(button, pane_style::accent());
    row->button = button;
    row->control = button;
    connect(button, &QPushButton::clicked, this, [address] { openLink(address); });
    return add(std::move(row), labelled(this, new QLabel(label, this), button));
}

void PaneForm::refresh()
{
    for (const auto &row : rows_)
        refreshRow(*row);
}

std::vector<std::string> PaneForm::describe() const
{
    std::vector<std::string> lines;
    for (const auto &row : rows_) {
        if (!isPresent(*row))
            continue;
        const QString label = row->label ? row->label() : QString();
        const QString detail = row->detail ? row->detail() : QString();
        std::string line;
        switch (row->kind) {
        case Kind::header: line = row->hasTitle ? "header " + quoted(label) : "header"; break;
        case Kind::text: line = "text " + quoted(label); break;
        case Kind::footnote: line = "footnote " + quoted(label); break;
        case Kind::switcher: line = "switch " + quoted(label) + (row->checkBox->isChecked() ? " on" : " off"); break;
        case Kind::slider:
            line = "slider " + quoted(label) + " " + quoted(row->slider->valueText())
                + (row->slider->isAtDefault() ? " reset=hidden" : " reset=shown");
            break;
        case Kind::cards: {
            const auto selected = row->cards->selectedTitle();
            line = "cards " + quoted(label) + " " + (selected ? quoted(*selected) : std::string("none"));
            break;
        }
        case Kind::picker: {
            const int index = row->picker->currentIndex();
            line = "picker " + quoted(label) + " " + (index >= 0 ? quoted(row->picker->itemText(index)) : std::string("none"));
            break;
        }
        case Kind::value: line = "value " + quoted(label) + " " + quoted(row->text->text()); break;
        case Kind::label: line = "label " + quoted(label) + " " + quoted(row->text->text()); break;
        case Kind::button:
            line = "button " + quoted(label) + " " + quoted(row->detail ? detail : row->button->text());
            break;
        case Kind::sound: line = "sound " + quoted(label) + " " + quoted(detail); break;
        case Kind::extension:
            line = "extension " + quoted(label) + (row->checkBox->isChecked() ? " on" : " off");
            break;
        case Kind::link: line = "link " + quoted(label) + " " + quoted(row->button->text()); break;
        }
        if (row->control && !row->control->isEnabled())
            line += " disabled";
        lines.push_back(std::move(line));
        if (PaneForm *inner = row->nested ? row->nested() : nullptr)
            for (auto &nestedLine : inner->describe())
                lines.push_back(std::move(nestedLine));
    }
    return lines;
}

PaneForm::Row *PaneForm::find(Kind kind, const QString &label) const
{
    for (const auto &row : rows_) {
        if (!isPresent(*row))
            continue;
        if (row->kind == kind && row->label && row->label() == label)
            return row.get();
        if (PaneForm *inner = row->nested ? row->nested() : nullptr)
            if (Row *found = inner->find(kind, label))
                return found;
    }
    return nullptr;
}

PaneForm::Row *PaneForm::findPressable(const QString &label, const QString &title) const
{
    for (const auto &row : rows_) {
        if (!isPresent(*row))
            continue;
        const bool pressable = row->kind == Kind::button || row->kind == Kind::link;
        if (pressable && row->label && row->label() == label
            && (title.isEmpty() || (row->detail ? row->detail() : row->button->text()) == title))
            return row.get();
        if (PaneForm *inner = row->nested ? row->nested() : nullptr)
            if (Row *found = inner->findPressable(label, title))
                return found;
    }
    return nullptr;
}

}  // namespace vesk
