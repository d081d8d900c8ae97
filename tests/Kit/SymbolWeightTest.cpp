#include "Kit/Kit.h"
#include "Kit/SymbolTable.h"
#include "Kit/SymbolWeight.h"
#include "RenderFixtureSupport.h"

#include <QPainter>

#include <gtest/gtest.h>

using namespace kit;

namespace {

class SymbolWeights : public test::RenderFixture {
protected:
    SymbolWeights() : RenderFixture({40, 40}) {}

    // The ink's alphas: the highest, and how many pixels lie within anti-aliasing of it.
    static std::pair<int, double> brightest(const QImage &image)
    {
        int top = 0, inked = 0, atTop = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                top = std::max(top, qAlpha(image.pixel(x, y)));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const int a = qAlpha(image.pixel(x, y));
                inked += a > 0 ? 1 : 0;
                atTop += a >= top - 2 ? 1 : 0;
            }
        return {top, inked ? double(atTop) / inked : 0};
    }
};

int inkArea(const QImage &image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qAlpha(image.pixel(x, y)) >= 128 ? 1 : 0;
    return n;
}

}  // namespace

// Every symbol of the table, at the sizes readouts, rows and pages use and at both scales, keeps
// the parts, holes and strokes across its middle of its regular drawing at every heavier weight,
// and still grows heavier where it has room.
TEST_F(SymbolWeights, EveryWeightKeepsTheRegularDrawingsGapsAndStillGrows)
{
    int grown = 0, tried = 0;
    for (const QString &name : SymbolTable::names())
        for (double px : {11.0, 13.0, 16.0, 20.0, 26.0, 32.0})
            for (Weight weight : {Weight::medium, Weight::semibold, Weight::bold}) {
                const QImage regular = symbolImage(name, px, Weight::regular, Qt::white);
                const QImage heavier = symbolImage(name, px, weight, Qt::white);
                const InkShape want = inkShape(regular), got = inkShape(heavier);
                EXPECT_EQ(got, want) << name.toStdString() << " at " << px << " px, weight " << int(weight) << ": parts "
                                     << got.parts << "/" << want.parts << ", holes " << got.holes << "/" << want.holes
                                     << ", runs " << got.rowRuns << "/" << want.rowRuns << " and " << got.columnRuns
                                     << "/" << want.columnRuns;
                ++tried;
                grown += inkArea(heavier) > inkArea(regular) ? 1 : 0;
            }
    EXPECT_GT(grown, tried / 2);  // backing off is for the narrow gaps, not the rule
}

// The three volume levels stay three: the waves of the loudest one cross the middle apart from the
// speaker at every weight, at 13 points on a 2x screen as the readout draws them.
TEST_F(SymbolWeights, TheVolumeWavesStayApartAtEveryWeight)
{
    const int regular = inkShape(render(Symbol("speaker.wave.3.fill", 13), {13, 13}, 2)).rowRuns;
    EXPECT_EQ(regular, 3);
    for (Weight weight : {Weight::medium, Weight::semibold, Weight::bold})
        EXPECT_EQ(inkShape(render(Symbol("speaker.wave.3.fill", 13, weight), {13, 13}, 2)).rowRuns, regular) << int(weight);
}

// A translucent symbol is one picture faded once: no rim brighter than its body where the grown
// outline meets the glyph, drawn as a picture or (under a rotation) as a path.
TEST_F(SymbolWeights, ATranslucentSymbolHasOneBrightness)
{
    for (Weight weight : {Weight::regular, Weight::bold})
        for (const char *name : {"music.note", "hand.raised.fill", "powerplug.fill"}) {
            const QImage image = render(Symbol(name, 24, weight, Color::white(0.4)), {24, 24}, 2);
            const auto [top, share] = brightest(image);
            EXPECT_NEAR(top, 102, 2) << name;  // 0.4 of 255
            EXPECT_GT(share, 0.5) << name;     // most of the ink is the body, not edge shading
        }
    tree.setSize({24, 24});
    tree.setRoot(Symbol("hand.raised.fill", 24, Weight::bold, Color::white(0.4)));
    QImage rotated(96, 96, QImage::Format_ARGB32_Premultiplied);
    rotated.fill(Qt::transparent);
    {
        QPainter painter(&rotated);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.translate(48, 8);
        painter.rotate(30);
        tree.paint(painter, 2);
    }
    EXPECT_NEAR(brightest(rotated).first, 102, 2);
}

// Each symbol is recorded once per device size and weight it is drawn at.
TEST_F(SymbolWeights, DrawnSymbolsAreRecordedBySizeAndWeight)
{
    render(Symbol("keyboard", 17, Weight::medium), {17, 17}, 2);
    render(Symbol("keyboard", 17, Weight::medium), {17, 17}, 2);
    const auto drawn = symbolsDrawn();
    EXPECT_EQ(std::count(drawn.begin(), drawn.end(), DrawnSymbol{"keyboard", 34, Weight::medium}), 1);
}
