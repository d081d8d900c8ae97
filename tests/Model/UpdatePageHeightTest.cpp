// The island's height in the update state against the card it holds: the model sizes the island
// from the notes paragraph measured as Kit's multi-line text, and the card laid out at that size
// needs exactly that room: for notes of one, two and three lines, for longer notes cut at three
// and for a line that just fits the paragraph's width.
#include "Island/KitNodeSupport.h"
#include "IslandTestSupport.h"

#include "Kit/Kit.h"
#include "Kit/Primitives.h"
#include "Updater/UpdateNotes.h"
#include "Updater/Views/UpdateIslandView.h"
#include "Updater/Views/UpdateMetrics.h"

#include <cstring>

using namespace vesk;
using namespace vesk::test;

namespace {

class UpdatePageHeightTest : public IslandTest {
protected:
    void SetUp() override
    {
        model = settledPrimary();
        model->updateNotch(plug(laptop()), IslandStyle::notch, false);
        Updater::shared().showReady("1.1", std::nullopt, false);
        ASSERT_EQ(model->state(), NotchState::update);
    }
    void TearDown() override { Updater::shared().setNotes({}); }

    struct Card {
        Size island;
        const kit::Node *notes = nullptr;  // the paragraph's text, when there are notes
        QRectF notesRect;
        QRectF gapRect;      // the flexible gap above the buttons
        QRectF buttonsRect;  // the row of buttons, the last child of the card's stack
    };

    // The card laid out at the island's size, as the update slot shows it.
    Card laidOut()
    {
        Card card;
        card.island = model->size();
        tree.setSize(QSizeF(card.island.width, card.island.height));
        tree.setRoot(kit::view(UpdateIslandView{model.get(), &Updater::shared()}));
        time.advance(0.5);
        for (const kit::Node *text : test::allOfKind(tree.root(), "Text")) {
            const auto &spec = static_cast<const kit::TextSpec &>(text->spec());
            if (spec.multiline) {
                card.notes = text;
                card.notesRect = text->frameInTree();
            }
        }
        // The card's stack: header, notes, the gap and the buttons, side by side in one parent.
        for (const kit::Node *spacer : test::allOfKind(tree.root(), "Spacer")) {
            const kit::Node *stack = spacer->parent();
            if (std::strcmp(stack->spec().kind(), "VStack") != 0)
                continue;
            const auto children = stack->liveChildren();
            if (children.size() >= 3 && children[children.size() - 2] == spacer) {
                card.gapRect = spacer->frameInTree();
                card.buttonsRect = children.back()->frameInTree();
            }
        }
        return card;
    }

    // The card fills the island exactly: the gap above the buttons at its minimum, the buttons on
    // the bottom padding.
    static void expectFilledExactly(const Card &card, const char *what)
    {
        ASSERT_FALSE(card.gapRect.isNull()) << what << ": no gap above the buttons";
        EXPECT_DOUBLE_EQ(card.gapRect.height(), update_metrics::buttonsMinimumGap) << what;
        EXPECT_DOUBLE_EQ(card.buttonsRect.bottom(), card.island.height - update_metrics::bottomPadding) << what;
    }

    std::shared_ptr<NotchViewModel> model;
    kit::Tree tree;
};

TEST_F(UpdatePageHeightTest, TheIslandIsAsTallAsTheCardNeedsForEachNumberOfLines)
{
    const kit::Font font = updateNotesFont();

    Card card = laidOut();
    EXPECT_EQ(card.notes, nullptr) << "no notes, no paragraph";
    expectFilledExactly(card, "no notes");
    const double bare = card.island.height;

    // One short note, then notes that fill two and three lines, then far more than three lines.
    std::vector<std::vector<std::string>> cases = {
        {"Faster start"},
        {"The island opens faster", "Calendar events show their colour", "Fixes"},
        {"The island opens faster", "Calendar events show their colour", "Timers keep going through sleep",
         "Fixes for multiple displays", "Settings open where you left them"},
        std::vector<std::string>(8, "A long note that takes most of a line of the card by itself")};
    // And one line that just fits the paragraph's width: measured any narrower it would take two.
    std::string brim = "Fixes";
    for (const char *word : {" for", " the", " island", " on", " every", " display", " and", " the", " calendar", " page",
                             " in", " all", " of", " its", " sizes", " at", " once"}) {
        if (kit::measureText(updateNotesParagraph({brim + word}), font).width() > updateNotesWidth)
            break;
        brim += word;
    }
    ASSERT_GT(kit::measureText(updateNotesParagraph({brim}), font).width(), updateNotesWidth - 16) << brim;
    cases.push_back({brim});
    const size_t expectedLines[] = {1, 2, 3, 3, 1};
    for (size_t i = 0; i < cases.size(); ++i) {
        Updater::shared().setNotes(cases[i]);
        const QString paragraph = updateNotesParagraph(cases[i]);
        const std::string what = "notes " + std::to_string(i);
        const kit::TextBlock block = kit::layoutText(paragraph, font, updateNotesWidth, updateNotesMaxLines);
        ASSERT_EQ(block.lines.size(), expectedLines[i]) << what << ": the case should wrap to this many lines";
        EXPECT_EQ(block.truncated, i == 3) << what;

        card = laidOut();
        ASSERT_NE(card.notes, nullptr) << what;
        const auto &spec = static_cast<const kit::TextSpec &>(card.notes->spec());
        // The card draws the lines the model measured: the same breaks and cut, the same height.
        EXPECT_EQ(spec.shownText(*card.notes), block.shown) << what;
        EXPECT_EQ(card.notesRect.height(), double(block.lines.size()) * font.lineHeight()) << what;
        EXPECT_EQ(card.island.height, bare + updateNotesGap + card.notesRect.height()) << what;
        expectFilledExactly(card, what.c_str());
    }
}

TEST_F(UpdatePageHeightTest, InTheCapsuleTheCardStillFillsTheIsland)
{
    model->updateNotch(screens.screens().front(), IslandStyle::pill, false);
    ASSERT_EQ(model->style.get(), IslandStyle::pill);
    expectFilledExactly(laidOut(), "capsule, no notes");
    Updater::shared().setNotes(std::vector<std::string>(8, "A long note that takes most of a line of the card by itself"));
    const Card card = laidOut();
    ASSERT_NE(card.notes, nullptr);
    EXPECT_EQ(card.notesRect.height(), 3 * updateNotesFont().lineHeight());
    expectFilledExactly(card, "capsule, three lines");
}

}  // namespace
