// The network module as the program finds it: the test programs stand in a folder of their own,
// where neither it nor the companion is, so these are the answers of a program whose
// installation lacks them.
#include "Base/VirtualTime.h"
#include "Platform/BundledLibrary.h"
#include "Platform/WebFetcher.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(BundledLibraryTest, WithoutTheNetworkModuleEveryRequestFailsOnALaterTurn)
{
    ASSERT_FALSE(bundledLibraryPath(QStringLiteral("VeskNetwork.so")));
    EXPECT_EQ(networkModuleFunction("vesk_make_web_fetcher"), nullptr);
    WebFetcher *linkedIn = &WebFetcher::shared();  // the test programs' own (see TestMain.cpp)
    WebFetcher::setShared(nullptr);
    VirtualTime time;
    int answers = 0;
    for (int request = 0; request < 2; ++request)
        WebFetcher::shared().get({QStringLiteral("http://127.0.0.1:9/art.png")}, [&](std::optional<QByteArray> body) {
            EXPECT_FALSE(body);
            ++answers;
        });
    EXPECT_EQ(answers, 0) << "answers never come inside the request";
    time.flush();
    EXPECT_EQ(answers, 2);
    WebFetcher::setShared(linkedIn);
}
