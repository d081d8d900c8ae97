// The calendar and timer pages drawn with a real island model.
#include "Model/IslandTestSupport.h"

#include "Island/IslandHover.h"
#include "Readouts/UserCalendar.h"
#include "Readouts/Views/CalendarView.h"
#include "Readouts/Views/TimerView.h"

#include <QImage>

using namespace vesk;

namespace {

// Pixels close to `colour` (opaque ones only).
int pixelsNear(const QImage &image, const QColor &colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            n += c.alpha() == 255 && std::abs(c.red() - colour.red()) < 6 && std::abs(c.green() - colour.green()) < 6
                 && std::abs(c.blue() - colour.blue()) < 6;
        }
    return n;
}

class CalendarPagesRender : public test::PlatformTest {
protected:
    CalendarPagesRender() { UserCalendar::setCurrent(UserCalendar{QTimeZone::utc(), QLocale::c()}); }
    ~CalendarPagesRender() override { UserCalendar::setCurrent(std::nullopt); }

    QImage render(kit::Element page, NotchViewModel &model, const char *name)
    {
        kit::Tree tree(QSizeF(345, 175));
        tree.setRoot(page.frame(345, 175).background(kit::Fill(kit::Color::black())).environment(islandModel, &model));
        tree.update();
        QImage image = tree.render(2);
        image.save(QStringLiteral(VESK_BUILD_DIR "/%1.png").arg(QLatin1String(name)));
        return image;
    }
};

}  // namespace

TEST_F(CalendarPagesRender, TheAgendaShowsTheFirstThreeEvents)
{
    auto model = settledPrimary();
    const QColor colours[] = {QColor("#E04050"), QColor("#3080F0"), QColor("#30C060"), QColor("#C0A020")};
    for (int i = 0; i < 4; ++i) {
        const double start = time.wallNow() + 1800 * (i + 1);
        calendarStore.add({QStringLiteral("e%1").arg(i), QStringLiteral("Event %1 with a title far too long for the pill").arg(i),
                           start, start + 1800, false, colours[i]});
    }
    model->calendar().refresh();
    const QImage image = render(kit::view(CalendarView{}), *model, "calendar-page");
    for (int i = 0; i < 3; ++i)
        EXPECT_GT(pixelsNear(image, colours[i]), 100) << i;  // the symbol's circle
    EXPECT_EQ(pixelsNear(image, colours[3]), 0);             // a fourth event is not shown
    {
        // The long titles end in an ellipsis on one line: every pill is as high as a short one's.
        kit::Tree tree(QSizeF(345, 175));
        tree.setRoot(kit::view(CalendarView{}).frame(345, 175).environment(islandModel, model.get()));
        tree.update();
        std::vector<QRectF> titles;
        for (const auto &item : kit::drawnItems(tree))
            if (item.kind == kit::DrawnItem::Kind::text && item.text.startsWith(QStringLiteral("Event ")))
                titles.push_back(item.rect);
        ASSERT_EQ(titles.size(), 3u);
        for (const auto &item : kit::drawnItems(tree))
            if (item.kind == kit::DrawnItem::Kind::text && item.text.startsWith(QStringLiteral("Event "))) {
                EXPECT_TRUE(item.text.endsWith(QChar(0x2026))) << item.text.toStdString();
            }
        for (size_t i = 1; i < titles.size(); ++i) {
            EXPECT_EQ(titles[i].height(), titles[0].height());
            EXPECT_NEAR(titles[i].top() - titles[i - 1].top(), titles[0].height() + 2 * 3 + 4, 0.5);  // padding 3, spacing 4
        }
    }

    calendarStore.setStatus(CalendarAccess::denied);
    model->calendar().refresh();
    const QImage denied = render(kit::view(CalendarView{}), *model, "calendar-page-no-access");
    EXPECT_EQ(pixelsNear(denied, colours[0]), 0);  // the access button instead of the agenda
}

TEST_F(CalendarPagesRender, TheTimerPageDrawsItsControls)
{
    auto model = settledPrimary();
    const QImage idle = render(kit::view(TimerView{}), *model, "timer-page");
    model->countdown().start();
    time.advance(2);
    model->countdown().pause();
    const QImage paused = render(kit::view(TimerView{}), *model, "timer-page-paused");
    EXPECT_GT(pixelsNear(idle, QColor(255, 255, 255)), pixelsNear(paused, QColor(255, 255, 255)));  // dimmed digits
}

TEST_F(CalendarPagesRender, ARunningTimerTicksOnlyWhileTheIslandIsOpen)
{
    auto model = settledPrimary();
    kit::Tree tree(QSizeF(345, 175));
    tree.setRoot(kit::view(TimerView{}).frame(345, 175).environment(islandModel, model.get()));
    auto shownTime = [&] {
        tree.update();
        for (const auto &item : kit::drawnItems(tree))
            if (item.kind == kit::DrawnItem::Kind::text && item.text.contains(u':') && item.isVisible())
                return item.text;
        return QString();
    };
    model->countdown().start();
    time.advance(0.1);
    ASSERT_FALSE(model->isOpen.peek());
    const QString atStart = shownTime();
    EXPECT_EQ(atStart, "5:00");
    const uint64_t described = tree.evaluationCount();
    time.advance(10);
    EXPECT_EQ(shownTime(), atStart) << "closed: nothing wakes the time text";
    EXPECT_EQ(tree.evaluationCount(), described);

    model->open(false);
    time.advance(0.05);
    EXPECT_EQ(shownTime(), "4:50") << "opening shows the time now at once";
    time.advance(1);
    EXPECT_EQ(shownTime(), "4:49");
    const uint64_t open = tree.evaluationCount();
    time.advance(1);
    EXPECT_GE(tree.evaluationCount() - open, 3u);  // a quarter-second timeline

    // Paused, the open page wakes no more.
    model->countdown().pause();
    time.advance(0.05);
    const uint64_t paused = tree.evaluationCount();
    time.advance(5);
    EXPECT_LE(tree.evaluationCount() - paused, 1u);
}

namespace {
int dashCount(const kit::Node *node)
{
    int n = std::string(node->spec().kind()) == "Shape" && std::abs(node->size().width() - 3) < 1e-6
            && std::abs(node->size().height() - 1.5) < 1e-6;
    for (const auto &c : node->children())
        n += dashCount(c.get());
    return n;
}
}  // namespace

TEST_F(CalendarPagesRender, WithoutEventDotsTheGridDrawsNoneThoughTheServiceKeepsThem)
{
    auto model = settledPrimary();
    const double now = time.wallNow();
    calendarStore.add({QStringLiteral("x"), QStringLiteral("Tomorrow"), now + 86400, now + 90000, false, QColor("#E04050")});
    model->calendar().refresh();
    auto dashes = [&] {
        kit::Tree tree(QSizeF(345, 175));
        tree.setRoot(kit::view(CalendarView{}).frame(345, 175).environment(islandModel, model.get()));
        tree.update();
        return dashCount(tree.root());
    };
    EXPECT_EQ(dashes(), 1);
    UserDefaults::standard().set(settings::showEventDots, false);
    EXPECT_EQ(dashes(), 0);
    EXPECT_FALSE(model->calendar().dots().peek().empty());
}
