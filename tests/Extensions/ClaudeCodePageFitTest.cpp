// The Claude Code page where it is shown: in the open island, below the notch, at the island's
// open size. Its hints take the lines Kit's multi-line text measures for the page's width, its
// names and messages stay on one line, and everything it draws lies inside the island.
#include "Model/IslandTestSupport.h"
#include "TestSupport.h"
#include "Island/LongTextSupport.h"

#include "App/ViewWiring.h"
#include "Extensions/ClaudeCodeExtension.h"
#include "Island/OpenView.h"
#include "Kit/Kit.h"
#include "Kit/Primitives.h"

#include <QTemporaryDir>

using namespace vesk;
using CC = ClaudeCodeExtension;

namespace {

const QString connectHint =
    QStringLiteral("Connect Claude Code in Vesk's Settings \u203A Extensions to see your limits and sessions here.");
const QString planHint = QStringLiteral("Limits appear once Claude Code runs with a Pro or Max plan.");

struct Drawn {
    QString text;  // as drawn, with its ellipsis
    QRectF rect;   // in the open island's points
    const kit::TextSpec *spec;
};

class ClaudeCodePageInTheIsland : public test::PlatformTest {
protected:
    void SetUp() override
    {
        installStandardViews();
        model = settledPrimary();
        ExtensionStore::shared().setEnabled("claude-code", true);
        ext = std::dynamic_pointer_cast<CC>(ExtensionStore::shared().instance("claude-code"));
        ASSERT_NE(ext, nullptr);
    }

    // The island opened on the page, as the open view lays it out; the texts it draws.
    std::vector<Drawn> shown()
    {
        model->open(false, IslandPage::ext("claude-code"));
        const Size open = model->openSize();
        tree.setSize(QSizeF(open.width, open.height));
        tree.setRoot(kit::view(OpenView{model.get()}));
        time.advance(0.5);
        std::vector<Drawn> out;
        for (const kit::DrawnItem &item : kit::drawnItems(tree))
            if (item.kind == kit::DrawnItem::Kind::text && item.isVisible())
                out.push_back({item.text, item.rect, dynamic_cast<const kit::TextSpec *>(&item.node->spec())});
        return out;
    }

    // The width the page gives its content: the island less the page's side padding.
    double contentWidth() const { return model->openSize().width - 2 * 22; }

    // Every text inside the island, below the notch (or the capsule's top room).
    void expectInside(const std::vector<Drawn> &texts, const char *state)
    {
        const Size open = model->openSize();
        const double top = OpenView::topInset(model->style.get(), model->notchSize().height);
        ASSERT_FALSE(texts.empty()) << state;
        for (const Drawn &d : texts) {
            EXPECT_GE(d.rect.top(), top) << state << ": " << d.text.toStdString();
            EXPECT_LE(d.rect.bottom(), open.height) << state << ": " << d.text.toStdString() << " below the island";
            EXPECT_GE(d.rect.left(), 22 - 1e-9) << state << ": " << d.text.toStdString();
            EXPECT_LE(d.rect.right(), open.width - 22 + 1e-9) << state << ": " << d.text.toStdString();
        }
    }

    // The hint takes `lines` lines of Kit's multi-line text at the page's width, no more and no less.
    void expectHint(const std::vector<Drawn> &texts, const QString &hint, size_t lines, const char *state)
    {
        const Drawn *found = nullptr;
        for (const Drawn &d : texts)
            if (d.text == hint)
                found = &d;
        ASSERT_NE(found, nullptr) << state << ": the hint whole, not cut";
        ASSERT_TRUE(found->spec && found->spec->multiline && found->spec->font) << state;
        const kit::Font &font = *found->spec->font;
        const kit::TextBlock block = kit::layoutText(hint, font, contentWidth());
        EXPECT_EQ(block.lines.size(), lines) << state;
        EXPECT_FALSE(block.truncated) << state;
        EXPECT_EQ(found->rect.height(), double(lines) * font.lineHeight()) << state;
        EXPECT_EQ(found->rect.height(), kit::measureText(hint, font, contentWidth()).height()) << state;
        EXPECT_LE(found->rect.width(), contentWidth()) << state;
    }

    // A text drawn on one line (its font's line height), with the given drawn form.
    static void expectOneLine(const std::vector<Drawn> &texts, const QString &drawn, const char *state)
    {
        const Drawn *found = nullptr;
        for (const Drawn &d : texts)
            if (d.text == drawn)
                found = &d;
        ASSERT_NE(found, nullptr) << state << ": " << drawn.toStdString();
        ASSERT_TRUE(found->spec && found->spec->font) << state;
        EXPECT_EQ(found->rect.height(), found->spec->font->lineHeight()) << state << ": " << drawn.toStdString();
    }

    static const Drawn *startingWith(const std::vector<Drawn> &texts, const QString &prefix)
    {
        for (const Drawn &d : texts)
            if (d.text.startsWith(prefix))
                return &d;
        return nullptr;
    }

    CC::Session session(const std::string &id, CC::SessionState state, const std::string &project, double ago = 0)
    {
        return CC::Session{id, project, std::move(state), time.wallNow() - ago};
    }

    // The fullest the page gets: both limit rows and two sessions whose name and message are far
    // wider than a row.
    void fillUp()
    {
        ext->isConnected.set(true);
        ext->limitsUpdated.set(CC::FileTime{int64_t(time.wallNow()), 0});
        ext->fiveHour.set(CC::Limit{93.7, time.wallNow() + 3 * 3600});
        ext->weekly.set(CC::Limit{12.5, std::nullopt});
        ext->sessions.set(std::vector<CC::Session>{
            session("s1", CC::Working{time.wallNow() - 5}, std::string(80, 'p') + "-project"),
            session("s2", CC::Waiting{"Claude needs your permission to use Bash on " + std::string(60, 'x')}, "web", 1)});
    }

    QTemporaryDir home;
    test::ScopedEnv homeVariable{"HOME", home.path().toStdString()};
    test::ScopedEnv dataVariable{"XDG_DATA_HOME", std::nullopt};
    std::shared_ptr<NotchViewModel> model;
    std::shared_ptr<CC> ext;
    kit::Tree tree;
};

TEST_F(ClaudeCodePageInTheIsland, TheHintsWrapToThePageAndEveryRowFitsBelowTheNotch)
{
    ASSERT_EQ(model->style.get(), IslandStyle::notch);
    auto texts = shown();
    expectHint(texts, connectHint, 2, "not connected");
    expectInside(texts, "not connected");

    ext->isConnected.set(true);
    texts = shown();
    expectHint(texts, planHint, 2, "no status yet, no sessions");
    expectOneLine(texts, QStringLiteral("No sessions running"), "no status yet, no sessions");
    expectInside(texts, "no status yet, no sessions");

    ext->sessions.set(std::vector<CC::Session>{session("a", CC::Done{time.wallNow()}, "app")});
    texts = shown();
    expectHint(texts, planHint, 2, "no status yet, one session");
    expectInside(texts, "no status yet, one session");

    ext->sessions.set(std::vector<CC::Session>{session("a", CC::Done{time.wallNow()}, "app"),
                                             session("b", CC::Working{time.wallNow()}, "web", 1)});
    texts = shown();
    expectHint(texts, planHint, 2, "no status yet, two sessions");
    expectInside(texts, "no status yet, two sessions");

    fillUp();
    texts = shown();
    expectInside(texts, "two limits, two sessions");
    const Drawn *name = startingWith(texts, QStringLiteral("pppp"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text.endsWith(QChar(0x2026))) << name->text.toStdString();
    expectOneLine(texts, name->text, "the long project name");
    const Drawn *message = startingWith(texts, QStringLiteral("Claude needs"));
    ASSERT_NE(message, nullptr);
    EXPECT_TRUE(message->text.endsWith(QChar(0x2026))) << message->text.toStdString();
    expectOneLine(texts, message->text, "the long waiting message");
    expectOneLine(texts, QStringLiteral("web"), "the short project name beside the long message");
}

// Project names and waiting messages of any length, empty to 500 characters: the rows keep their
// symbols and state texts where they are, and nothing the page draws leaves the island.
TEST_F(ClaudeCodePageInTheIsland, SessionTextsOfAnyLengthKeepTheRowsInsideTheIsland)
{
    ext->isConnected.set(true);
    for (const int length : test::textLengths) {
        const std::string text = test::wordsOfLength(length).toStdString();
        SCOPED_TRACE(testing::Message() << length << " characters");
        ext->sessions.set(std::vector<CC::Session>{session("a", CC::Waiting{text}, text),
                                                 session("b", CC::Done{time.wallNow()}, text, 1)});
        shown();
        const Size open = model->openSize();
        for (const std::string &line : test::outside(tree, QRectF(0, 0, open.width, open.height)))
            ADD_FAILURE() << line << " outside the island";
        const QRectF done = test::rectOf(tree, kit::DrawnItem::Kind::text, QStringLiteral("Done"));
        EXPECT_NEAR(done.right(), contentWidth() + 22, 1) << "the state text keeps the row's trailing end";
        const QRectF hand = test::rectOf(tree, kit::DrawnItem::Kind::symbol, QStringLiteral("hand.raised.fill"));
        EXPECT_NEAR(hand.left(), 22, 1) << "the symbol keeps the row's leading end";
    }
}

TEST_F(ClaudeCodePageInTheIsland, InTheCapsuleAndBesideAWideNotch)
{
    model->updateNotch(plug(laptop()), IslandStyle::pill, false);
    ASSERT_EQ(model->style.get(), IslandStyle::pill);
    auto texts = shown();
    expectHint(texts, connectHint, 2, "capsule, not connected");
    expectInside(texts, "capsule, not connected");
    fillUp();
    expectInside(shown(), "capsule, two limits, two sessions");

    // A notch wide enough that the island's width gives the plan hint a single line.
    model->updateNotch(plug({"wide", QSizeF(1512, 982), 2, QSizeF(400, 32), 37}), IslandStyle::notch, false);
    ASSERT_GT(model->openSize().width, 500);
    ext->fiveHour.set(std::nullopt);
    ext->weekly.set(std::nullopt);
    texts = shown();
    expectHint(texts, planHint, 1, "wide notch, no status");
    expectInside(texts, "wide notch, no status");
    ext->isConnected.set(false);
    texts = shown();
    expectHint(texts, connectHint, 2, "wide notch, not connected");
}

}  // namespace
