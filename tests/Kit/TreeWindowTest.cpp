#include "Kit/Kit.h"
#include "Kit/TreeWindow.h"

#include "Base/VirtualTime.h"

#include <QCoreApplication>
#include <QMouseEvent>

#include <gtest/gtest.h>

using namespace kit;

TEST(TreeWindow, QtPointerEventsReachTheTree)
{
    vesk::VirtualTime time;
    TreeWindow window(QSizeF(100, 60));
    std::vector<QPointF> taps;
    int hovers = 0;
    window.tree().setRoot(Fill(Color::white()).frame(40, 40).onTap([&](QPointF p) { taps.push_back(p); }).onHover([&](bool in) {
        hovers += in ? 1 : -1;
    }));
    const QPointF inside(50, 30);
    QMouseEvent move(QEvent::MouseMove, inside, inside, Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &move);
    EXPECT_EQ(hovers, 1);
    QMouseEvent press(QEvent::MouseButtonPress, inside, inside, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, inside, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&window, &press);
    QCoreApplication::sendEvent(&window, &release);
    ASSERT_EQ(taps.size(), 1u);
    EXPECT_EQ(taps[0], QPointF(20, 20));
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&window, &leave);
    EXPECT_EQ(hovers, 0);
}

TEST(TreeWindow, ConvertsOnlyPointerEvents)
{
    QEvent other(QEvent::FocusIn);
    EXPECT_FALSE(pointerEventFrom(other).has_value());
    const QPointF p(3, 4);
    QMouseEvent right(QEvent::MouseButtonPress, p, p, Qt::RightButton, Qt::RightButton, Qt::NoModifier);
    const auto converted = pointerEventFrom(right);
    ASSERT_TRUE(converted.has_value());
    EXPECT_EQ(converted->type, PointerEvent::Type::press);
    EXPECT_EQ(converted->button, Qt::RightButton);
    EXPECT_EQ(converted->position, p);
}
