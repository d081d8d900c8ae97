#pragma once

#include "Settings/PaneKit/Binding.h"
#include "Base/Signal.h"

#include <QColor>
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
    enum class Kind { header, text, switcher, slider, cards, picker, value, button, link, label, footnote, sound, extension };

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
        // Whether the row is there at all: a row that is not is hidden, listed by nobody and found
        // by no label. None: always there.
        std::function<bool()> present;
        // A form shown inside the row (an extension's options), listed and searched after it.
        std::function<PaneForm *()> nested;
        QWidget *widget = nullptr;  // what the row put in the form, if anything
        bool hasTitle = true;  // headers only
    };

    // `grouped`: sections in rounded groups with the pane's margins; `embedded`: the rows alone,
    // for a form shown inside another (an extension's options under its switch).
    enum class Style { grouped, embedded };

    explicit PaneForm(QWidget *parent = nullptr) : PaneForm(Style::grouped, parent) {}
    explicit PaneForm(Style style, QWidget *parent = nullptr);
    ~PaneForm() override;

    // Starts a section; with a header, the header's text above it.
    void section(std::optional<QString> header = std::nullopt);
    // The current section's footnote, under it; with `present`, only while that holds.
    Row &footnote(const QString &text, std::function<bool()> present = {});
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
    // A label with a text on the right after a symbol, both in `color` (a state such as "Allowed").
    Row &addLabel(const QString &label, const QString &text, const QString &symbol, const QColor &color);
    // Any row: `widget` (if any) goes into the current section; the row is read once at once.
    Row &addRow(std::unique_ptr<Row> row, QWidget *widget);

    // Re-reads every row.
    void refresh();
    const std::vector<std::unique_ptr<Row>> &rows() const { return rows_; }
    // The rows as `settings controls` prints them, one line each.
    std::vector<std::string> describe() const;
    // The first row of `kind` labelled `label`; none when there is none.
    Row *find(Kind kind, const QString &label) const;
    // A row with a button or link labelled `label` (and showing `title`, when given).
    Row *findPressable(const QString &label, const QString &title = {}) const;
    static bool isPresent(const Row &row) { return !row.present || row.present(); }

    // Where links go: the desktop's handler unless a tool installed another.
    static void openLink(const QUrl &address);
    static void setLinkOpener(std::function<void(const QUrl &)> opener);

private:
    Row &add(std::unique_ptr<Row> row, QWidget *widget) { return addRow(std::move(row), widget); }
    QVBoxLayout *group();
    void refreshRow(Row &row);

    Style style_;
    QVBoxLayout *layout_;
    QVBoxLayout *group_ = nullptr;
    QWidget *groupFrame_ = nullptr;
    bool inSection_ = false;
    std::vector<std::unique_ptr<Row>> rows_;
    Connection settings_;
};

}  // namespace vesk
