#pragma once

// The tour mounted on its own over a simulated primary island: its tree, clicks and what it shows.

#include "Model/IslandTestSupport.h"
#include "Base/Log.h"
#include "Onboarding/OnboardingIslandView.h"
#include "Onboarding/TourKit.h"
#include "Onboarding/TourRows.h"
#include "Platform/sim/SimLoginItem.h"

#include <optional>

namespace vesk::test {

class TourTest : public PlatformTest {
protected:
    TourTest() { setLoginItem(&login); }
    ~TourTest() override
    {
        setLoginItem(nullptr);
        setLogSink(nullptr);
    }
    void SetUp() override
    {
        model = settledPrimary();
        model->updateNotch(plug(laptop()), IslandStyle::notch, false);
        time.advance(1);
    }

    // Starts the tour at `page` and shows it, settled.
    void show(int page = 0)
    {
        model->startOnboarding(page);
        tree.setRoot(kit::view(OnboardingIslandView{model.get()}));
        settle();
    }
    void settle(double seconds = 2) { time.advance(seconds); }

    std::vector<kit::DrawnItem> visible(kit::DrawnItem::Kind kind) const
    {
        std::vector<kit::DrawnItem> out;
        for (const kit::DrawnItem &i : kit::drawnItems(tree))
            if (i.kind == kind && i.isVisible() && (kind != kit::DrawnItem::Kind::control || i.takesHits))
                out.push_back(i);
        return out;
    }
    QStringList names(kit::DrawnItem::Kind kind) const
    {
        QStringList out;
        for (const kit::DrawnItem &i : visible(kind))
            out << i.text;
        return out;
    }
    std::optional<kit::DrawnItem> control(const QString &name) const
    {
        for (const kit::DrawnItem &i : visible(kit::DrawnItem::Kind::control))
            if (i.text == name)
                return i;
        return std::nullopt;
    }
    void click(QPointF p)
    {
        tree.handlePointer(kit::PointerEvent::move(p));
        tree.handlePointer(kit::PointerEvent::press(p));
        tree.handlePointer(kit::PointerEvent::release(p));
        time.flush();
    }
    // Clicks the visible control named `name`; false when there is none.
    bool click(const QString &name)
    {
        const auto c = control(name);
        if (!c)
            return false;
        click(c->rect.center());
        return true;
    }

    std::optional<TourRowState> row(const QString &title) const { return findTourRow(tree, title); }
    // "Granted", the button's title, "on" or "off", with " disabled" when it takes no clicks.
    QString rowValue(const QString &title) const
    {
        const auto r = row(title);
        if (!r)
            return QStringLiteral("<no row>");
        return r->value + (r->disabled ? QStringLiteral(" disabled") : QString());
    }
    bool clickRow(const QString &title)
    {
        const auto r = row(title);
        if (!r || !r->accessory)
            return false;
        click(r->accessory->center());
        return true;
    }

    SimLoginItem login;
    std::shared_ptr<NotchViewModel> model;
    kit::Tree tree{QSizeF(760, 300)};
};

}  // namespace vesk::test
