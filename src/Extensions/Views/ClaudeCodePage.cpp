#include "Extensions/Views/ClaudeCodePage.h"

#include "Base/Clock.h"
#include "Extensions/ClaudeCodeExtension.h"
#include "Extensions/ClaudeCodeFormat.h"
#include "Extensions/Views/ExtensionIcon.h"
#include "Extensions/Views/LimitRow.h"
#include "Extensions/Views/SessionRows.h"

namespace vesk {

using namespace kit;

Element ClaudeCodePage::body(const Env &) const
{
    const ClaudeCodeExtension &e = *ext;
    const bool connected = e.isConnected.get();
    const auto updated = e.limitsUpdated.get();

    Element age;
    if (updated) {
        const double when = updated->toSeconds();
        // Described again every 30 s, so "now" turns into "1 minute ago" while nothing else changes.
        // The timeline's instant is a multiple of its period, which may lie before the file's date:
        // the age is measured from the clock itself.
        age = Timeline(30, [when](double) {
            return Text(claude_code::relativeDate(when, appClock().wallNow()), Font::system(10.5, Weight::medium), Color::white(0.4));
        });
    }
    Element header = HStack(StackOptions{Alignment::center(), 8}, view(ExtensionIcon{ClaudeCodeExtension::typeInfo(), 22}),
                            Text(QStringLiteral("Claude Code"), Font::system(14, Weight::semibold)), Spacer(), age);

    Element content;
    if (!connected) {
        content = MultilineText(
            QStringLiteral("Connect Claude Code in Vesk's Settings \u203A Extensions to see your limits and sessions here."),
            Font::system(12), Color::white(0.6));
    } else {
        const auto fiveHour = e.fiveHour.get();
        const auto weekly = e.weekly.get();
        const auto sessions = e.sessions.get();
        // Described again every second: the rows show times relative to the present.
        content = Timeline(1, [fiveHour, weekly, sessions](double) {
            const double wall = appClock().wallNow();
            Element limits;
            if (!fiveHour && !weekly)
                limits = MultilineText(QStringLiteral("Limits appear once Claude Code runs with a Pro or Max plan."),
                                       Font::system(11.5), Color::white(0.5));
            else
                limits = VStack(StackOptions{Alignment::leading(), 8}, view(LimitRow{QStringLiteral("5-hour"), fiveHour, wall}),
                                view(LimitRow{QStringLiteral("Weekly"), weekly, wall}));
            return VStack(StackOptions{Alignment::leading(), 8}, limits, view(SessionRows{sessions, wall}));
        });
    }
    return VStack(StackOptions{Alignment::leading(), 10}, header, content)
        .foreground(Color::white())
        .padding(Edges{4, 22, 0, 22});
}

}  // namespace vesk
