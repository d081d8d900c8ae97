#include "TrackWatch/NotificationCenter.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

#include <memory>

using trackwatch::NotificationCenter;

TEST(NotificationCenterTest, ObserversOfANameRunLaterOnTheLoopOncePerPost)
{
    // Observers are never removed, so they must not refer to this test's stack.
    auto changedCount = std::make_shared<int>(0);
    auto otherCount = std::make_shared<int>(0);
    NotificationCenter::addObserver(QStringLiteral("test.changed"), [changedCount] { ++*changedCount; });
    NotificationCenter::addObserver(QStringLiteral("test.other"), [otherCount] { ++*otherCount; });
    const int &changed = *changedCount;
    const int &other = *otherCount;

    NotificationCenter::post(QStringLiteral("test.changed"));
    NotificationCenter::post(QStringLiteral("test.changed"));
    EXPECT_EQ(changed, 0) << "delivered on the loop, not inside post";
    QCoreApplication::processEvents();
    EXPECT_EQ(changed, 2);
    EXPECT_EQ(other, 0);

    // One centre per application object, whoever asks first.
    const auto centres = QCoreApplication::instance()->findChildren<QObject *>(
        QStringLiteral("vesk.defaultNotificationCenter"), Qt::FindDirectChildrenOnly);
    EXPECT_EQ(centres.size(), 1);
}
