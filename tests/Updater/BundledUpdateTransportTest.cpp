// The updater's transport where the network module is missing (the test programs' folder holds
// none): every transfer fails on a later turn, and one dropped first ends without a word.
#include "Base/VirtualTime.h"
#include "Updater/UpdateTransport.h"

#include <gtest/gtest.h>

using namespace vesk;

TEST(BundledUpdateTransportTest, WithoutTheNetworkModuleATransferFailsOnALaterTurnUnlessDropped)
{
    VirtualTime time;
    const auto transport = makeBundledUpdateTransport();
    std::vector<bool> ends;
    int data = 0;
    const UpdateTransport::Events events{[&](const QByteArray &, qint64) { ++data; },
                                         [&](bool failed) { ends.push_back(failed); }};
    auto kept = transport->get({QUrl(QStringLiteral("https://127.0.0.1:9/update.json")), "Vesk", 20}, events);
    auto dropped = transport->get({QUrl(QStringLiteral("https://127.0.0.1:9/update.json")), "Vesk", 20}, events);
    EXPECT_TRUE(ends.empty()) << "nothing arrives inside the request";
    dropped.reset();
    time.flush();
    EXPECT_EQ(ends, std::vector<bool>{true});
    EXPECT_EQ(data, 0);
}
