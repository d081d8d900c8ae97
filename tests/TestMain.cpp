// The one main of every test program: Qt runs offscreen unless a test run chose a platform.
#include "Platform/linux/QtWebFetcher.h"

#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    // The program opens its network access from the network module beside it; the test programs
    // stand elsewhere, so they fetch through the module's code, linked in. A test that installs a
    // fetcher of its own still may.
    vesk::QtWebFetcher fetcher;
    vesk::WebFetcher::setShared(&fetcher);
    ::testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    vesk::WebFetcher::setShared(nullptr);
    return status;
}
