#pragma once

#include "Base/Lifetime.h"
#include "Base/Signal.h"
#include "Settings/PaneKit/PaneScaffold.h"

#include <memory>

namespace vesk {

class CalendarService;

// The calendar page of the open island and what it shows, and the calendar access row. The
// calendar is read again every time the pane comes on screen.
class CalendarPane : public PaneScaffold {
public:
    explicit CalendarPane(CalendarService *calendar, QWidget *parent = nullptr);
    static constexpr double previewHeight = 132;
    static kit::Element preview();

protected:
    void showEvent(QShowEvent *event) override;

private:
    CalendarService *calendar_;
    Connection authorized_;
};

// The timer page and the ongoing activities and brief readouts beside the notch, with the
// calendar and Focus access they need.
class ActivitiesPane : public PaneScaffold {
public:
    explicit ActivitiesPane(CalendarService *calendar, QWidget *parent = nullptr);
    static constexpr double previewHeight = 96;
    static kit::Element preview();

    bool hasFocusAccess() const { return hasFocusAccess_; }

private:
    void settingsChanged();

    CalendarService *calendar_;
    bool hasFocusAccess_;
    bool showFocus_;
    Connection authorized_;
    Connection settings_;
    Lifetime lifetime_;  // ends with the pane, for late answers
};


}  // namespace vesk
