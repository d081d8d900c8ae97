#include "Onboarding/MiniPages.h"

#include "Settings/Previews/Miniatures.h"

namespace vesk {

using namespace kit;
using namespace MiniMetrics;

namespace {

Element placed(Element layer, double x, double y) { return layer.offset(x, y); }

Font font(double size, Weight weight = Weight::regular) { return Font::system(size, weight); }

}  // namespace

Element MiniPlayer::trackBar()
{
    return Fill(Capsule(), Color::white(0.16))
        .frame(std::nullopt, 2.7)
        .overlay(GeometryReader([](QSizeF size) {
                     return Fill(Capsule(), Color::white(0.55)).frame(size.width() * playedFraction, size.height());
                 }),
                 Alignment::leading());
}

Element MiniPlayer::body(const Env &) const
{
    const Element titles = VStack({.alignment = Alignment::leading(), .spacing = 0.5},
                                  Text(QStringLiteral("Your Song"), font(7.5, Weight::semibold), Color::white()),
                                  Text(QStringLiteral("Artist"), font(7), Color::white(0.5)));
    const Element progress = HStack({.alignment = Alignment::center(), .spacing = 4},
                                    Text(QStringLiteral("1:08")), trackBar(), Text(QStringLiteral("-1:43")))
                                 .font(font(5.3, Weight::medium).monospacedDigits())
                                 .foreground(Color::white(0.5))
                                 .frame(160, std::nullopt);
    auto side = [](const char *name) {
        return Symbol(QString::fromLatin1(name), 9.6, Weight::regular, Color::white(0.48)).frame(25.6, std::nullopt);
    };
    const Element controls = HStack({.alignment = Alignment::center(), .spacing = 0},
                                    side("shuffle"), Spacer(), Symbol(QStringLiteral("backward.fill"), 9.6),
                                    Symbol(QStringLiteral("pause.fill"), 16.3).frame(25.6, std::nullopt).padding(Edges::horizontal(9.6)),
                                    Symbol(QStringLiteral("forward.fill"), 9.6), Spacer(), side("laptopcomputer"))
                                 .foreground(Color::white())
                                 .frame(160, 25.6);
    return ZStack({.alignment = Alignment::topLeading()}, placed(view(MiniArtwork{29}), 10, 10), placed(titles, 48.5, 22),
                  placed(progress, 12, 47), placed(controls, 12, 59))
        .frame(pageWidth, pageHeight, Alignment::topLeading());
}

Element MiniCalendar::body(const Env &) const
{
    const Element left = VStack({.alignment = Alignment::leading(), .spacing = 0},
                                Text(QStringLiteral("TUE"), font(5.9, Weight::semibold), red),
                                Text(QStringLiteral("6"), font(17, Weight::light), Color::white()),
                                Text(QStringLiteral("No more events today"), font(5.5), Color::white(0.45)).padding(Edges::topOnly(2)))
                             .frame({.maxWidth = kit::infinity, .alignment = Alignment::leading()});
    static const char *letters[] = {"M", "T", "W", "T", "F", "S", "S"};
    auto weekdayOpacity = [](int column) { return column < 5 ? 1.0 : 0.4; };
    Elements header;
    for (int column = 0; column < 7; ++column)
        header.push_back(Text(QString::fromLatin1(letters[column]), font(5.3, Weight::bold), Color::white(weekdayOpacity(column)))
                             .frame(11.5, std::nullopt)
                             .id(column));
    Elements rows{HStack({.alignment = Alignment::center(), .spacing = 0}, std::move(header))};
    for (int row = 0; row < 5; ++row) {
        Elements cells;
        for (int column = 0; column < 7; ++column) {
            const int day = dayAt(row, column);
            const bool isDay = day >= 1 && day <= 31;
            Element cell = Text(isDay ? QString::number(day) : QString(), font(5.5, Weight::semibold),
                                Color::white(weekdayOpacity(column)))
                               .frame(11.5, 7);
            if (day == today)
                cell = cell.background(Fill(Circle(), red).frame(8, 8));
            cells.push_back(cell);
        }
        rows.push_back(HStack({.alignment = Alignment::center(), .spacing = 0}, std::move(cells)));
    }
    const Element right = VStack({.alignment = Alignment::trailing(), .spacing = 2.5},
                                 Text(QStringLiteral("OCT"), font(5.9, Weight::semibold), red),
                                 VStack({.alignment = Alignment::center(), .spacing = 2.2}, std::move(rows)))
                              .frame(80, std::nullopt);
    return HStack({.alignment = Alignment::top(), .spacing = 7.5}, left, right)
        .padding(Edges{7, 10.5, 0, 10.5})
        .frame(pageWidth, pageHeight, Alignment::top());
}

Element MiniTimer::chip(const QString &text, bool selected)
{
    return Text(text, font(5.6, Weight::semibold), selected ? Color::black() : Color::white(0.85))
        .padding(Edges::horizontal(4.5))
        .frame(std::nullopt, 11)
        .background(Fill(Capsule(), Color::white(selected ? 0.92 : 0.12)));
}

Element MiniTimer::body(const Env &) const
{
    const Element modes = HStack({.alignment = Alignment::center(), .spacing = 3}, chip(QStringLiteral("Timer"), true),
                                 chip(QStringLiteral("Stopwatch"), false));
    const Element time = Text(QStringLiteral("5:00"), font(26, Weight::light).monospacedDigits(), Color::white())
                             .frame({.maxWidth = kit::infinity})
                             .padding(Edges::topOnly(2));
    Elements presets;
    for (const char *preset : {"1m", "5m", "10m", "25m"}) {
        const QString text = QString::fromLatin1(preset);
        presets.push_back(chip(text, text == QLatin1String("5m")).id(text));
    }
    presets.push_back(Spacer());
    presets.push_back(Symbol(QStringLiteral("arrow.counterclockwise"), 7, Weight::semibold, Color::white(0.4)));
    presets.push_back(Symbol(QStringLiteral("play.fill"), 9, Weight::regular, Color::white()).padding(Edges::leadingOnly(6)));
    const Element controls = HStack({.alignment = Alignment::center(), .spacing = 3}, std::move(presets)).padding(Edges::topOnly(3));
    return VStack({.alignment = Alignment::leading(), .spacing = 0}, modes, time, controls)
        .padding(Edges{21, 10.5, 0, 10.5})
        .frame(pageWidth, pageHeight, Alignment::top());
}

Element MiniMenu::body(const Env &) const
{
    const auto shape = RoundedRectangle(5, CornerStyle::continuous);
    return VStack({.alignment = Alignment::leading(), .spacing = 3}, Text(QStringLiteral("Settings\u2026")),
                  Fill(Color::white(0.15)).frame(std::nullopt, 1), Text(QStringLiteral("Quit Vesk")))
        .font(font(8, Weight::medium))
        .foreground(Color::white())
        .padding(Edges{5, 7, 5, 7})
        .frame(menuWidth, std::nullopt, Alignment::leading())
        .background(Fill(shape, Color::rgb(0.16, 0.16, 0.16)))
        .overlay(Stroke(RoundedRectangle(5.25, CornerStyle::continuous), Color::white(0.12), {.width = 0.5}).padding(0.25))
        .shadow(Color::black(0.4), 4, 0, 2);
}

}  // namespace vesk
