#include "Settings/SettingsView.h"

#include "Kit/Palette.h"
#include "Kit/SymbolTable.h"
#include "Base/Clock.h"
#include "Platform/UserDefaults.h"

namespace vesk::SettingsView {

namespace {

struct PaneInfo {
    const char *title;
    const char *caseName;
    const char *symbol;
    kit::Color tint;
};

const PaneInfo &info(Pane pane)
{
#define VESK_PANE_INFO(name, title, symbol, tint, view) {title, #name, symbol, tint},
    static const std::array<PaneInfo, allPanes.size()> table = {{VESK_SETTINGS_PANES(VESK_PANE_INFO)}};
#undef VESK_PANE_INFO
    return table[size_t(pane)];
}

}  // namespace

QString title(Pane pane) { return QString::fromUtf8(info(pane).title); }
QString caseName(Pane pane) { return QString::fromUtf8(info(pane).caseName); }
QString symbol(Pane pane) { return QString::fromUtf8(info(pane).symbol); }
kit::Color tint(Pane pane) { return info(pane).tint; }

std::optional<Pane> fromRawValue(const QString &text)
{
    for (Pane pane : allPanes)
        if (title(pane) == text)
            return pane;
    return std::nullopt;
}

std::optional<Pane> matching(const QString &text)
{
    for (Pane pane : allPanes)
        if (title(pane) == text || caseName(pane) == text)
            return pane;
    return std::nullopt;
}

std::vector<Pane> filtered(const QString &search)
{
    qsizetype begin = 0, end = search.size();
    auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(search[begin]))
        ++begin;
    while (end > begin && blank(search[end - 1]))
        --end;
    const QString needle = search.mid(begin, end - begin);
    std::vector<Pane> panes;
    for (Pane pane : allPanes)
        if (needle.isEmpty() || title(pane).contains(needle, Qt::CaseInsensitive))
            panes.push_back(pane);
    return panes;
}

Selection::Selection(std::optional<QString> debugPane)
{
    std::optional<QString> text = debugPane;
    if (!text) {
        text = QString::fromStdString(UserDefaults::standard().value(lastPaneSetting));
    }
    pane_ = (text ? matching(*text) : std::nullopt).value_or(Pane::general);
    acceptsSelectionAfter_ = appClock().now() + 0.5;
}

void Selection::setPane(Pane pane)
{
    pane_ = pane;
    UserDefaults::standard().set(lastPaneSetting, title(pane).toStdString());
    if (onChange)
        onChange(pane);
}

void Selection::go(Pane to)
{
    if (to == pane_.peek())
        return;
    auto back = back_.peek();
    back.push_back(pane_.peek());
    back_ = std::move(back);
    forward_ = std::vector<Pane>{};
    setPane(to);
}

void Selection::goBack() { step(back_, forward_); }

void Selection::goForward() { step(forward_, back_); }

// Moves to the top of `from`, keeping the pane shown on `to`; the other stack is never cleared.
void Selection::step(Observed<std::vector<Pane>> &from, Observed<std::vector<Pane>> &to)
{
    auto source = from.peek();
    if (source.empty())
        return;
    const Pane next = source.back();
    source.pop_back();
    from = std::move(source);
    auto target = to.peek();
    target.push_back(pane_.peek());
    to = std::move(target);
    setPane(next);
}

void Selection::pickFromSidebar(Pane pane)
{
    if (!(appClock().now() > acceptsSelectionAfter_))
        return;
    go(pane);
}

}  // namespace vesk::SettingsView
