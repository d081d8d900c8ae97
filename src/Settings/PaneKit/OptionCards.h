#pragma once

#include "Kit/Kit.h"
#include "Settings/PaneKit/Binding.h"

#include <QAbstractButton>
#include <QWidget>

#include <functional>
#include <utility>
#include <vector>

namespace vesk {

class KitWidget;

// One card: a live preview 76 points high in a rounded frame, with a mark and a caption under it.
// A focusable button named by its caption; the whole card takes the click.
class OptionCard : public QAbstractButton {
public:
    OptionCard(const QString &title, QWidget *parent = nullptr);

    void setSelected(bool selected);
    bool isSelected() const { return selected_; }
    // Describes the card again with this preview (what changed animates).
    void setPreview(kit::Element preview);
    kit::Tree &tree();

    static constexpr double previewHeight = 76;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return {60, sizeHint().height()}; }

protected:
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *) override;

private:
    void describe();

    QString title_;
    bool selected_ = false;
    kit::Element preview_;
    KitWidget *view_;
};

// A row of cards, one per value of a setting, under a title. Pressing a card stores its value at
// once; which card is selected always follows the stored value, so a value matching no card
// selects none.
class OptionCards : public QWidget {
public:
    struct Option {
        QString title;
        std::function<bool()> isCurrent;
        std::function<void()> choose;
        std::function<kit::Element()> preview;
    };

    OptionCards(QString title, std::vector<Option> options, QWidget *parent = nullptr);

    // Cards over a setting of type T, in the order given: (value, caption) pairs.
    template <typename T>
    static OptionCards *make(QString title, Binding<T> binding, std::vector<std::pair<T, QString>> choices,
                             std::function<kit::Element(const T &)> preview, QWidget *parent = nullptr)
    {
        std::vector<Option> options;
        for (const auto &[value, caption] : choices) {
            options.push_back({caption, [binding, value = value] { return binding.get() == value; },
                               [binding, value = value] { binding.set(value); },
                               [preview, value = value] { return preview(value); }});
        }
        return new OptionCards(std::move(title), std::move(options), parent);
    }

    const QString &title() const { return title_; }
    // The caption of the selected card; none when the value matches no card.
    std::optional<QString> selectedTitle() const;
    const std::vector<OptionCard *> &cards() const { return cards_; }
    OptionCard *card(const QString &caption) const;

    // Re-reads the setting and re-describes every preview.
    void refresh();

private:
    QString title_;
    std::vector<Option> options_;
    std::vector<OptionCard *> cards_;
};

}  // namespace vesk
