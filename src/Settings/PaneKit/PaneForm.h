#pragma once

#include "Settings/PaneKit/Binding.h"
#include "Base/Signal.h"

#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QVBoxLayout;

namespace vesk {

class OptionCards;
class SliderRow;

// A grouped form: sections of rows, each with an optional header and footnote. Every control
// reads its setting through the store and writes it at once; on every change of the store the
// form re-reads every control and every disabled state without writing anything back. The rows
// can be listed and driven by label (developer tools do).
class PaneForm : public QWidget {
public:
    enum class Kind { header, text, switcher, slider, cards, picker, value, button, link, label, footnote };

    struct Row {
        Kind kind;
        std::function<QString()> label;  // for headers, texts and footnotes: the text
        QWidget *control = nullptr;      // the widget a click goes to (disabled state read from it)
        QCheckBox *checkBox = nullptr;
        SliderRow *slider = nullptr;
        OptionCards *cards = nullptr;
        QComboBox *picker = nullptr;
        QPushButton *button = nullptr;
        QLabel *text = nullptr;  // value and label rows: the text on the right
        std::function<QString()> detail;  // value, label and link rows: the text shown
        std::function<void()> refresh;
        std::function<bool()> enabled;
        bool hasTitle = true;  // headers only
    };

    explicit PaneForm(QWidget *parent = nullptr);
    ~PaneForm() override;

    // Starts a section; with a header, the header's text above it.
    void section(std::optional<QString> header = std::nullopt);
    // The current section's footnote, under it.
    void footnote(const QString &text);
    // A line of text outside the grouped rows (a pane's own header), centred.
    QLabel *headerText(const QString &text, const QFont &font, bool secondary);

    struct SwitchOptions {
        std::function<bool()> enabled;  // none: always enabled
    };
    // A switch over a boolean setting.
    Row &addSwitch(const QString &label, Binding<bool> binding, SwitchOptions options = {});
    // A switch over state of its own: `get` reads it, `set` is called with the value a click asks for.
    Row &addSwitch(const QString &label, std::function<bool()> get, std::function<void(bool)> set,
                   SwitchOptions options = {});
    Row &addSlider(SliderRow *row);
    Row &addCards(OptionCards *cards);
    Row &addPicker(const QString &label, Binding<QString> binding, std::vector<std::pair<QString, QString>> choices);
    // A label with a text on the right (`monospaced`: digits of equal width).
    Row &addValue(const QString &label, std::function<QString()> text);
    // A label (perhaps changing) with a button on the right.
    Row &addButton(std::function<QString()> label, const QString &title, std::function<void()> action,
                   std::function<bool()> enabled = {}, bool destructive = false);
    Row &addLink(const QString &label, const QString &text, QUrl address);

    // Re-reads every row.
    void refresh();
    const std::vector<std::unique_ptr<Row>> &rows() const { return rows_; }
    // The rows as `settings controls` prints them, one line each.
    std::vector<std::string> describe() const;
    // The first row of `kind` labelled `label`; none when there is none.
    Row *find(Kind kind, const QString &label) const;
    // A row with a button or link labelled `label`.
    Row *findPressable(const QString &label) const;

    // Where links go: the desktop's handler unless a tool installed another.
    static void openLink(const QUrl &address);
    static void setLinkOpener(std::function<void(const QUrl &)> opener);

private:
    Row &add(std::unique_ptr<Row> row, QWidget *widget);
    QVBoxLayout *group();

    QVBoxLayout *layout_;
    QVBoxLayout *group_ = nullptr;
    QWidget *groupFrame_ = nullptr;
    std::vector<std::unique_ptr<Row>> rows_;
    Connection settings_;
};

}  // namespace vesk
