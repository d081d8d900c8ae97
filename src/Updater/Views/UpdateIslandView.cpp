#include "Updater/Views/UpdateIslandView.h"

#include "Island/IslandHover.h"
#include "Island/NotchView.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Onboarding/TourKit.h"
#include "Platform/AppIcon.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Updater/UpdateNotes.h"
#include "Updater/Views/UpdateBadge.h"
#include "Updater/Views/UpdateMetrics.h"

#include "VeskVersion.h"

#include <QUrl>

#include <cmath>

namespace vesk {

using namespace kit;
using namespace update_metrics;

namespace {

QString q(const std::string &s) { return QString::fromStdString(s); }

// The card's buttons are the tour's: the same capsule, press spring and hand pointer.
Element cardButton(const QString &title, const QString &symbol, bool isProminent, std::function<void()> action)
{
    return view(TourButton{title, symbol.isEmpty() ? std::nullopt : std::optional<QString>(symbol), isProminent,
                           std::move(action)});
}

// The application's icon, drawn once at twice the card's size; Kit scales it to the frame, so it
// carries no pixel ratio of its own.
const QImage &icon()
{
    static const QImage image = [] {
        QImage i = appIconImage(iconSide, 2);
        i.setDevicePixelRatio(1);
        return i;
    }();
    return image;
}

}  // namespace

UpdateIslandView::Texts UpdateIslandView::texts(const Updater &updater)
{
    const auto &record = updater.whatsNew().get();
    const Updater::Phase &phase = updater.phase().get();
    using Case = Updater::Phase::Case;
    const std::string version =
        record ? record->version : (phase.kind == Case::ready || phase.kind == Case::installing) ? phase.version : "";
    if (record)
        return {QStringLiteral("You're on Vesk %1.").arg(q(version)), QStringLiteral("All patch notes"),
                QStringLiteral("Nice")};
    if (phase.kind == Case::installing)
        return {QStringLiteral("Updating Vesk\u2026"), {}, {}};
    return {QStringLiteral("Vesk %1 is here.").arg(q(version)), QStringLiteral("Later"), QStringLiteral("Restart now")};
}

QString UpdateIslandView::subtitle(Updater &updater, bool isInstalling, double now)
{
    if (isInstalling)
        return QStringLiteral("Vesk will be right back.");
    const auto &at = updater.installsAt().get();
    if (!at)
        return QStringLiteral("Ready to install.");
    long long seconds = (long long)std::ceil(*at - now);
    if (seconds < 1) {
        Updater *u = &updater;
        mainQueue().post([u] { u->install(); });
        seconds = 0;
    }
    return QStringLiteral("Restarting to update in %1 s.").arg(seconds);
}

Element UpdateIslandView::body(const Env &env) const
{
    Q_ASSERT(model && updater);
    Updater &u = *updater;
    const bool isVisible = env[isIslandLayerVisible];
    const bool hasWhatsNew = u.whatsNew().get().has_value();
    const bool installing = u.phase().get().kind == Updater::Phase::Case::installing;
    const Texts t = texts(u);
    const auto &record = u.whatsNew().get();
    const QString paragraph = updateNotesParagraph(record ? record->notes : u.notes().get());
    const bool pill = model->style.get() == IslandStyle::pill;
    const Size size = model->size();

    Element subtitleText =
        hasWhatsNew ? Text(QStringLiteral("Here's what changed."))
                    : Timeline(isVisible ? visibleRefresh : hiddenRefresh, [&u, installing](double now) {
                          return Text(subtitle(u, installing, now)).contentTransition(ContentTransition::numericText);
                      });
    Element header = HStack(
        {.alignment = Alignment::center(), .spacing = headerSpacing},
        Image(icon()).frame(iconSide, iconSide).shadow(accent.opacity(iconShadowOpacity), iconShadowRadius),
        VStack({.alignment = Alignment::leading(), .spacing = titleSpacing},
               Text(t.title, Font::system(titleSize, Weight::bold)),
               // Its own width: the countdown's text is described inside the timeline, later.
               subtitleText.font(Font::system(subtitleSize))
                   .foreground(Color::white().opacity(subtitleOpacity))
                   .fixedSize(true, false)),
        Spacer());

    Element notes = paragraph.isEmpty()
                        ? Empty()
                        : MultilineText(paragraph, updateNotesFont(), Color::white().opacity(notesOpacity))
                              .lineLimit(updateNotesMaxLines)
                              .fixedSize(false, true)
                              .padding(Edges::topOnly(updateNotesGap));

    Element left;
    Element right;
    if (hasWhatsNew) {
        left = clickableCursor(Button(Text(t.left, Font::system(linkSize, Weight::medium), Color::white().opacity(linkOpacity)),
                                      [] {
                                          QUrl page(QStringLiteral(VESK_WEBSITE));
                                          page.setPath(QStringLiteral("/changelog"));
                                          PaneForm::openLink(page);
                                      }),
                               true);
        right = cardButton(t.right, {}, true, [&u] { u.setWhatsNew(std::nullopt); });
    } else if (installing) {
        right = Spinner().foreground(Color::white());
    } else {
        left = cardButton(t.left, {}, false, [&u] { u.postpone(); });
        right = cardButton(t.right, QStringLiteral("arrow.clockwise"), true, [&u] { u.install(); });
    }
    Element buttons = HStack({.alignment = Alignment::center()}, left, Spacer(), right).frame(std::nullopt, buttonRowHeight);

    return VStack({.alignment = Alignment::leading(), .spacing = 0}, header, notes, Spacer(buttonsMinimumGap), buttons)
        .padding(Edges{pill ? pillTopPadding : model->notchSize().height + notchTopGap, horizontalPadding, bottomPadding,
                       horizontalPadding})
        .frame(size.width, size.height, Alignment::top())
        .foreground(Color::white())
        .animation(Motion::small, installing);
}

void fillUpdateSlots(NotchViewSlots &islandSlots)
{
    islandSlots.update = [](NotchViewModel &model) { return view(UpdateIslandView{&model, model.services().updater}); };
    islandSlots.updateBadge = [](NotchViewModel &model) { return view(UpdateBadge{&model, model.services().updater}); };
}

}  // namespace vesk
