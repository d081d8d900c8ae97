#include "Extensions/Views/SessionRows.h"

#include "Extensions/ClaudeCodeFormat.h"
#include "Kit/Palette.h"

#include <algorithm>

namespace vesk {

using namespace kit;

namespace {

using Extension = ClaudeCodeExtension;

// The working symbol breathes: 1 → 0.35 → 1 over 1.6 s, every symbol on the same beat of the clock.
const Loop pulse = Loop::between(1.0, 0.35, 0.8, Animation::Kind::easeInOut, true, 0.0);

}  // namespace

std::vector<Extension::Session> SessionRows::shown(std::vector<Extension::Session> sessions)
{
    std::stable_sort(sessions.begin(), sessions.end(),
                     [](const Extension::Session &a, const Extension::Session &b) { return a.lastEvent > b.lastEvent; });
    if (sessions.size() > 2)
        sessions.resize(2);
    return sessions;
}

QString SessionRows::stateText(const Extension::Session &session, double now)
{
    if (const auto *working = std::get_if<Extension::Working>(&session.state))
        return claude_code::clock(now - working->since);
    if (const auto *waiting = std::get_if<Extension::Waiting>(&session.state))
        return claude_code::singleLine(QString::fromStdString(waiting->message));
    return QStringLiteral("Done");
}

Element SessionRows::body(const Env &) const
{
    const auto rows = shown(sessions);
    if (rows.empty())
        return Text(QStringLiteral("No sessions running"), Font::system(11.5), Color::white(0.4)).padding(Edges{2, 0, 0, 0});

    const Color orange = Color::fromQColor(Extension::orange());
    Elements list;
    for (const auto &session : rows) {
        Element symbol;
        Element state;
        const QString text = stateText(session, now);
        if (std::holds_alternative<Extension::Working>(session.state)) {
            symbol = Symbol(QStringLiteral("asterisk"), 11, Weight::bold, orange).loop(LoopTarget::opacity(), pulse);
            state = Text(text, Font::system(11, Weight::semibold).monospacedDigits(), Color::white(0.55));
        } else if (std::holds_alternative<Extension::Waiting>(session.state)) {
            symbol = Symbol(QStringLiteral("hand.raised.fill"), 11, Weight::bold, orange);
            state = Text(text, Font::system(11), Color::white(0.6));
        } else {
            symbol = Symbol(QStringLiteral("checkmark.circle.fill"), 11, Weight::bold, palette::green);
            state = Text(text, Font::system(11), Color::white(0.5));
        }
        list.push_back(HStack(StackOptions{Alignment::center(), 7}, symbol,
                              Text(claude_code::singleLine(QString::fromStdString(session.project)), Font::system(12, Weight::medium)),
                              Spacer(), state)
                           .font(Font::system(11, Weight::bold))
                           .id(session.id));
    }
    return VStack(StackOptions{Alignment::leading(), 8}, std::move(list));
}

}  // namespace vesk
