#include "Kit/Kit.h"

#include "Base/VirtualTime.h"

#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

using namespace kit;

namespace {

// Every symbol name written in the sources as Symbol("...") or SymbolName("...").
QStringList namesUsedInSources()
{
    QStringList names;
    const QRegularExpression call(QStringLiteral(R"re((?:\bSymbol|\bSymbolName)\(\s*(?:QStringLiteral\(|u)?"([^"]+)")re"));
    for (const char *root : {VESK_SOURCE_DIR "/src", VESK_SOURCE_DIR "/tools"}) {
    QDirIterator it(QString::fromLatin1(root), {QStringLiteral("*.h"), QStringLiteral("*.cpp")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile file(it.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QString text = QString::fromUtf8(file.readAll());
        for (auto m = call.globalMatch(text); m.hasNext();)
            names << m.next().captured(1);
    }
    }
    names.removeDuplicates();
    return names;
}

int inkOf(const QImage &image)
{
    int ink = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ink += qAlpha(image.pixel(x, y)) > 128 ? 1 : 0;
    return ink;
}

QImage renderSymbol(const QString &name, double size = 20, Weight weight = Weight::regular)
{
    Tree tree(QSizeF(size, size));
    tree.setRoot(Symbol(name, size, weight, Color::white()));
    return tree.render(2);
}

}  // namespace

TEST(SymbolTable, EveryTableNameMapsToAGlyph)
{
    const QStringList names = SymbolTable::names();
    EXPECT_GT(names.size(), 60);
    for (const QString &name : names) {
        const char32_t cp = SymbolTable::codePoint(name);
        if (cp != 0) {
            EXPECT_TRUE(SymbolTable::fontHasGlyph(cp)) << name.toStdString();
        }
        const auto outline = SymbolTable::outline(name);
        ASSERT_TRUE(outline.has_value()) << name.toStdString();
        EXPECT_FALSE(outline->isEmpty()) << name.toStdString();
        // Inside the unit box, and not the fallback.
        EXPECT_TRUE(QRectF(-0.05, -0.05, 1.1, 1.1).contains(outline->boundingRect())) << name.toStdString();
        EXPECT_NE(*outline, SymbolTable::fallbackOutline()) << name.toStdString();
    }
}

TEST(SymbolTable, EveryNameUsedInTheCodeIsKnown)
{
    const QStringList used = namesUsedInSources();
    // The scan itself works: names written in the tools' scenes are found.
    EXPECT_TRUE(used.contains(QStringLiteral("forward.fill")));
    for (const QString &name : used)
        EXPECT_TRUE(hasSymbol(name)) << "unknown symbol name in the sources: " << name.toStdString();
}

TEST(SymbolTable, SymbolsDrawInkAndUnknownNamesAreVisible)
{
    vesk::VirtualTime time;
    const int play = inkOf(renderSymbol(QStringLiteral("play.fill")));
    EXPECT_GT(play, 100);
    EXPECT_FALSE(hasSymbol(QStringLiteral("no.such.symbol")));
    EXPECT_GT(inkOf(renderSymbol(QStringLiteral("no.such.symbol"))), 50);
    // Heavier weights draw more ink.
    EXPECT_GT(inkOf(renderSymbol(QStringLiteral("play.fill"), 20, Weight::bold)), play);
    // Different names draw different glyphs.
    EXPECT_NE(renderSymbol(QStringLiteral("play.fill")), renderSymbol(QStringLiteral("pause.fill")));
}

TEST(SymbolTable, SymbolTakesItsSizeAndTint)
{
    vesk::VirtualTime time;
    Tree tree(QSizeF(40, 40));
    tree.setRoot(Symbol(QStringLiteral("moon.fill"), 16, Weight::regular, Color::rgb(1, 0, 0)).id(1));
    EXPECT_EQ(tree.find(1)->frame().size(), QSizeF(16, 16));
    const QImage image = tree.render(1);
    bool red = false;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 40; ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                red = red || (qRed(image.pixel(x, y)) == 255 && qGreen(image.pixel(x, y)) == 0);
    EXPECT_TRUE(red);
}
