#include "Settings/Previews/CalendarPagePreview.h"

#include "Model/Motion.h"
#include "Kit/Palette.h"
#include "Base/Clock.h"
#include "Settings/Previews/ExpandedNotchPreview.h"
#include "Settings/Previews/Miniatures.h"

#include <QLocale>

namespace vesk {

using namespace kit;

Element CalendarPagePreview::body(const Env &) const
{
    const double s = previews::nonNegative(scale);
    const QString day = QLocale::system().toString(appClock().wallDateTime().toLocalTime().date(), QStringLiteral("d"));

    Element left = VStack({.alignment = Alignment::leading(), .spacing = 2 * s},
                          Fill(Capsule(), todayColor).frame(12 * s, 2.5 * s),
                          Text(day, Font::system(15 * s, Weight::light), Color::white()).id(QStringLiteral("day")),
                          Fill(Capsule(), palette::blue.opacity(0.5)).frame(46 * s, 7 * s).opacity(showsEvents ? 1 : 0).id(QStringLiteral("event")),
                          Spacer());

    Elements gridRows;
    for (int row = 0; row < rows; ++row) {
        Elements cells;
        for (int cell = 0; cell < columns; ++cell) {
            const bool today = row == todayRow && cell == todayCell;
            const Color fill = today ? todayColor
                               : dimsWeekends && (cell == 5 || cell == 6) ? Color::white(0.3)
                                                                          : Color::white(0.85);
            const bool marked = showsDots && isMarked(row, cell);
            Element mark = Fill(Capsule(), palette::cyan).frame(2.5 * s, 1 * s).opacity(marked ? 1 : 0).offset(0, 2 * s);
            cells.push_back(Fill(Circle(), fill).frame(3.6 * s, 3.6 * s).overlay(mark, Alignment::bottom()).id(row * columns + cell));
        }
        gridRows.push_back(HStack({.alignment = Alignment::center(), .spacing = 3.4 * s}, std::move(cells)));
    }
    Element grid = VStack({.alignment = Alignment::center(), .spacing = 3 * s}, std::move(gridRows))
                       .padding(Edges::topOnly(10 * s));

    Element content = HStack({.alignment = Alignment::top(), .spacing = 8 * s}, left, grid)
                          .padding(Edges{5 * s, 11 * s, 6 * s, 11 * s});
    Element island = previews::openIsland(content, Fill(Color::black()), s)
                         .background(previews::openIslandShadow(true, s))
                         .id(QStringLiteral("island"))
                         .animation(Motion::small, dimsWeekends)
                         .animation(Motion::small, showsDots)
                         .animation(Motion::small, showsEvents);
    return previews::screen(13 * s, island);
}

}  // namespace vesk
