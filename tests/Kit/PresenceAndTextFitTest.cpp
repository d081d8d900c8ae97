#include "Kit/Kit.h"

#include "Base/VirtualTime.h"

#include <gtest/gtest.h>

using namespace kit;

namespace {

class Presence : public ::testing::Test {
protected:
    vesk::VirtualTime time;
    Tree tree{QSizeF(100, 40)};
    std::vector<std::string> events;
    Element watched(const std::string &name)
    {
        return Text(QString::fromStdString(name))
            .onAppear([this, name] { events.push_back("appear " + name); })
            .onDisappear([this, name] { events.push_back("disappear " + name); });
    }
};

TEST_F(Presence, EachElementAppearsOnceAndDisappearsOnceWhenItGoes)
{
    tree.setRoot(VStack({}, watched("a"), Empty()));
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"appear a"}));
    tree.setRoot(VStack({}, watched("a"), watched("b")));  // a stays, b arrives
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"appear a", "appear b"}));
    tree.setRoot(VStack({}, Empty(), watched("b")));
    EXPECT_EQ(events.size(), 2u) << "reported on the main queue, not inside the update";
    time.flush();
    EXPECT_EQ(events.back(), "disappear a");
    EXPECT_EQ(events.size(), 3u);
}

TEST_F(Presence, TearingTheTreeDownIsADisappearance)
{
    auto other = std::make_unique<Tree>(QSizeF(100, 40));
    other->setRoot(watched("a"));
    time.flush();
    other.reset();
    time.flush();
    EXPECT_EQ(events, (std::vector<std::string>{"appear a", "disappear a"}));
}

TEST(TextFit, ShrinksToItsMinimumScaleBeforeItIsCut)
{
    vesk::VirtualTime time;
    const Font font = Font::system(10, Weight::medium);
    const QString text = QStringLiteral("12.4 of 16 GB");
    const double ideal = textWidth(text, font);
    auto render = [&](double width, Element element) {
        Tree tree(QSizeF(width, 20));
        tree.setRoot(std::move(element));
        return tree.render(2);
    };
    auto inkTop = [](const QImage &image) {
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (qAlpha(image.pixel(x, y)) > 0)
                    return y;
        return image.height();
    };
    const double ninety = std::floor(ideal * 0.9);
    const QImage fitted = render(ninety, Text(text, font).minimumScaleFactor(0.8));
    const QImage plain = render(ninety, Text(text, font));
    EXPECT_NE(fitted, plain);
    EXPECT_GT(inkTop(fitted), inkTop(plain)) << "a smaller font, centred in the same line";
    EXPECT_EQ(render(ideal + 1, Text(text, font).minimumScaleFactor(0.8)), render(ideal + 1, Text(text, font)))
        << "a text that fits keeps its size";
    // Where even 80 % does not fit, it is cut at 80 % of its size.
    const double seventy = std::floor(ideal * 0.7);
    EXPECT_EQ(render(seventy, Text(text, font).minimumScaleFactor(0.8)), render(seventy, Text(text, font.withSize(8))));
}

}  // namespace
