#pragma once

#include "Kit/Color.h"
#include "Base/Observed.h"
#include "Platform/UserDefaults.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

// The settings window's panes in sidebar order, one row each: X(case name, title, symbol, tint,
// view). The view is a new pane made from `context` (the PaneContext) and `calendar` (its model's
// calendar service, or null); it is expanded only where the panes are made (Panes/Panes.cpp).
#define VESK_SETTINGS_PANES(X) \
    X(general, "General", kit::SymbolName("gearshape.fill"), kit::palette::gray, \
      new GeneralPane(*context.model->services().updater)) \
    X(notch, "Notch", kit::SymbolName("rectangle.topthird.inset.filled"), kit::Color::hex(0x000000), \
      new NotchPane(context.model)) \
    X(nowPlaying, "Now Playing", kit::SymbolName("music.note"), kit::palette::pink, new NowPlayingPane) \
    X(calendar, "Calendar", kit::SymbolName("calendar"), kit::palette::red, new CalendarPane(calendar)) \
    X(activities, "Live Activities", kit::SymbolName("sparkles"), kit::palette::green, new ActivitiesPane(calendar)) \
    X(huds, "HUDs", kit::SymbolName("speaker.wave.2.fill"), kit::palette::blue, new HUDsPane) \
    X(lockScreen, "Lock Screen", kit::SymbolName("lock.fill"), kit::palette::orange, new LockScreenPane) \
    X(extensions, "Extensions", kit::SymbolName("puzzlepiece.extension.fill"), kit::palette::purple, \
      new ExtensionsPane(*context.model->services().extensions)) \
    X(about, "About", kit::SymbolName("info.circle.fill"), kit::palette::indigo, new AboutPane(context))

namespace vesk::SettingsView {

#define VESK_PANE_CASE(name, ...) name,
enum class Pane { VESK_SETTINGS_PANES(VESK_PANE_CASE) };
#undef VESK_PANE_CASE

#define VESK_PANE_VALUE(name, ...) Pane::name,
inline constexpr std::array allPanes = {VESK_SETTINGS_PANES(VESK_PANE_VALUE)};
#undef VESK_PANE_VALUE

// The pane's title ("General", "Now Playing", ...), its raw value.
QString title(Pane pane);
// The case name ("general", "nowPlaying", ...).
QString caseName(Pane pane);
QString symbol(Pane pane);
kit::Color tint(Pane pane);
// Exactly one of the panes' titles.
std::optional<Pane> fromRawValue(const QString &title);
// The first pane whose title or case name equals `text` exactly.
std::optional<Pane> matching(const QString &text);

// The panes whose title contains `search` (spaces and tabs trimmed from both ends, compared
// case-insensitively); all of them for an empty search. Declaration order.
std::vector<Pane> filtered(const QString &search);

// The title of the pane shown last; a text naming no pane (the empty default) gives General.
inline constexpr Setting<std::string> lastPaneSetting{"settingsLastPane", ""};

// The navigation of one settings window: the pane on display, the panes to go back and forward
// to, the sidebar's search text. Main thread only.
class Selection {
public:
    // The first pane: VESK_DEBUG_PANE when `debugPane` is set (even empty), else the stored
    // "settingsLastPane", else General; a text matching no pane gives General.
    explicit Selection(std::optional<QString> debugPane);

    const Observed<Pane> &pane() const { return pane_; }
    const Observed<std::vector<Pane>> &back() const { return back_; }
    const Observed<std::vector<Pane>> &forward() const { return forward_; }
    const Observed<QString> &search() const { return search_; }
    void setSearch(const QString &text) { search_ = text; }

    // Stores the pane, writes its title under "settingsLastPane", then calls onChange; on every
    // assignment, also of the pane already shown.
    void setPane(Pane pane);
    void go(Pane to);
    void goBack();
    void goForward();
    // A row picked in the sidebar: ignored until the creation time plus 0.5 s has passed.
    void pickFromSidebar(Pane pane);

    // App-clock seconds from which sidebar picks count (strictly after).
    double acceptsSelectionAfter() const { return acceptsSelectionAfter_; }

    std::function<void(Pane)> onChange;

private:
    void step(Observed<std::vector<Pane>> &from, Observed<std::vector<Pane>> &to);

    Observed<Pane> pane_{Pane::general};
    Observed<std::vector<Pane>> back_;
    Observed<std::vector<Pane>> forward_;
    Observed<QString> search_;
    double acceptsSelectionAfter_ = 0;
};

}  // namespace vesk::SettingsView
