#include "Onboarding/TourTestSupport.h"

#include "Onboarding/FeaturesStep.h"

#include <map>

using namespace vesk;
using namespace kit;

namespace {

using Page = OnboardingIslandView::Page;

class FeaturesReveal : public test::TourTest {
protected:
    // Each feature title's row blur (4 hidden, 0 shown): the row's own value, whatever the page's
    // transition does around it.
    std::map<QString, double> rowBlurs() const
    {
        std::map<QString, double> out;
        for (const DrawnItem &t : drawnItems(tree))
            for (const FeaturesStep::Feature &f : FeaturesStep::features())
                if (t.kind == DrawnItem::Kind::text && t.text == f.id && !out.count(f.id))
                    for (const Node *n = t.node; n; n = n->parent())
                        if (n->spec().kind() == std::string_view("Blur")) {
                            out[f.id] = n->value(Prop::blur, 0);
                            break;
                        }
        return out;
    }
    // Turns to the features page and returns, for each feature title, when its row starts to
    // sharpen, watched every 5 ms.
    std::map<QString, double> revealOnsets()
    {
        model->setOnboardingPage(int(Page::features));
        const double start = time.now();
        std::map<QString, double> onsets;
        for (double t = 0; t < 1.0; t += 0.005) {
            time.advance(0.005);
            for (const auto &[title, blur] : rowBlurs())
                if (!onsets.count(title) && blur < 3.99)
                    onsets[title] = time.now() - start;
        }
        return onsets;
    }
};

}  // namespace

TEST_F(FeaturesReveal, RowsRiseOneAfterAnotherOnEveryVisit)
{
    show(int(Page::welcome));
    const auto &features = FeaturesStep::features();
    ASSERT_EQ(features.size(), 8u);
    for (int visit = 0; visit < 2; ++visit) {
        const std::map<QString, double> onsets = revealOnsets();
        ASSERT_EQ(onsets.size(), 8u) << "visit " << visit;
        // Down each card of four 0.05 s apart; the second card 0.03 s behind the first.
        const double first = onsets.at(features[0].id);
        for (int p = 0; p < 8; ++p) {
            const double expected = 0.05 * (p % 4) + 0.03 * (p / 4);
            EXPECT_NEAR(onsets.at(features[p].id) - first, expected, 0.011) << "visit " << visit << " row " << p;
        }
        EXPECT_NEAR(first, 0.1, 0.02) << "the first row waits 0.1 s";
        // Leave and come back: the rows fall back while hidden and rise again.
        model->setOnboardingPage(int(Page::gestures));
        settle();
    }
}
