#include "Onboarding/Steps.h"

#include "Island/NotchView.h"
#include "Model/Defaults.h"
#include "Onboarding/TourKit.h"


namespace vesk {

using namespace kit;

namespace {

struct ToggleSpec {
    const char *symbol;
    const char *title;
    const Setting<bool> &setting;
};

Element togglePage(const QString &title, const QString &text, std::initializer_list<ToggleSpec> rows)
{
    settingsGeneration().get();  // the switches follow settings changed anywhere
    Elements cardRows;
    for (const ToggleSpec &row : rows)
        cardRows.push_back(StepToggle(QString::fromLatin1(row.symbol), QString::fromLatin1(row.title), Binding<bool>(row.setting)));
    return StepPage(title, text, StepCard(std::move(cardRows)));
}

// The greeting and the close: a centred column filling the page.
Element centredColumn(double spacing, Elements items)
{
    return VStack({.alignment = Alignment::center(), .spacing = spacing}, std::move(items))
        .maxFrame(Alignment::center());
}

}  // namespace

Element WelcomeStep::body(const Env &) const
{
    return centredColumn(6, {view(Mascot{StepMetrics::welcomeMascot}).padding(Edges::bottomOnly(6)),
                             Text(QStringLiteral("Hi, I'm Vesk!"), Font::system(17, Weight::bold)),
                             MultilineText(QStringLiteral("I live in your notch. Let me show you what I can do."),
                                           Font::system(12), Color::white(0.6))
                                 .multilineTextAlignment(TextAlignment::center)});
}

Element MusicStep::body(const Env &) const
{
    return togglePage(QStringLiteral("Your music, one click away."),
                      QStringLiteral("Artwork and a visualiser sit beside me while music plays. Click me for the full player."),
                      {{"music.note", "Show beside the notch", settings::showLiveActivity},
                       {"arrow.left.arrow.right", "Swipe sideways to skip", settings::swipeToSkip},
                       {"text.below.photo", "Name each new song", settings::showTrackPreview}});
}

Element ActivitiesStep::body(const Env &) const
{
    return togglePage(QStringLiteral("Live Activities."),
                      QStringLiteral("A running timer, your next meeting and downloads in progress, right where you look."),
                      {{"timer", "Timer and stopwatch", settings::showTimerActivity},
                       {"calendar", "Your next event", settings::showEventActivity},
                       {"arrow.down.circle", "Downloads", settings::showDownloadActivity}});
}

Element UpdatesStep::body(const Env &) const
{
    settingsGeneration().get();
    const Binding<bool> checks(settings::automaticUpdates);
    const Binding<bool> installs(settings::installUpdatesAutomatically);
    const bool checking = checks.get();
    const Element card = StepCard(
        {StepToggle(QStringLiteral("arrow.triangle.2.circlepath"), QStringLiteral("Check for updates automatically"), checks),
         StepToggle(QStringLiteral("arrow.down.circle"), QStringLiteral("Install them automatically"), installs)
             .opacity(checking ? 1 : StepMetrics::dependentOpacity)
             .disabled(!checking)});
    return StepPage(
        QStringLiteral("Always the newest me."),
        QStringLiteral("When there's a new version, I'll open up and tell you. You can change this later in Settings."), card);
}

Element DoneStep::body(const Env &) const
{
    return centredColumn(10, {view(Mascot{StepMetrics::doneMascot}),
                              Text(QStringLiteral("It's now in your hands!"), Font::system(15, Weight::bold)),
                              MultilineText(QStringLiteral("Open Settings any time from the tray icon, or right-click me."),
                                            Font::system(11.5), Color::white(0.6))});
}

}  // namespace vesk
