#include "NowPlaying/Views/ExtraButton.h"

#include "Island/IslandHover.h"
#include "Island/NotchView.h"
#include "Model/Defaults.h"
#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "NowPlaying/NowPlayingService.h"
#include "NowPlaying/Views/ControlButton.h"

namespace vesk {

using namespace kit;

namespace {
constexpr double dimmed = 0.48;
bool modeOn(const std::optional<int> &mode) { return mode && *mode >= 2; }
}  // namespace

QString ExtraButton::likeUnavailableText() { return QStringLiteral("No player offers Favourite to other apps on Linux."); }

std::optional<ExtraButton::Variant> ExtraButton::variant(const QString &kind, const std::optional<Track> &track, bool canLike)
{
    if (kind == QStringLiteral("shuffle")) {
        const bool on = track && modeOn(track->shuffleMode);
        return Variant{QStringLiteral("shuffle"), on ? 1 : dimmed, on ? 1.0 : 0.0,
                       on ? QStringLiteral("Shuffle is on") : QStringLiteral("Shuffle"), on, Action::toggleShuffle};
    }
    if (kind == QStringLiteral("repeat")) {
        const int mode = track && track->repeatMode ? *track->repeatMode : 0;
        if (mode == 2)
            return Variant{QStringLiteral("repeat.1"), 1, 1, QStringLiteral("Repeating this track"), true, Action::toggleRepeat};
        if (mode >= 3)
            return Variant{QStringLiteral("repeat"), 1, 1, mode == 3 ? QStringLiteral("Repeat is on") : QStringLiteral("Repeat"),
                           true, Action::toggleRepeat};
        return Variant{QStringLiteral("repeat"), dimmed, 0, QStringLiteral("Repeat"), false, Action::toggleRepeat};
    }
    if (kind == QStringLiteral("like")) {
        const bool liked = track && track->isLiked.value_or(false);
        const QString symbol = liked ? QStringLiteral("heart.fill") : QStringLiteral("heart");
        if (!canLike)
            return Variant{symbol, liked ? 1 : dimmed, 0, likeUnavailableText(), liked, Action::toggleLike, true};
        return Variant{symbol, liked ? 1 : dimmed, 0, liked ? QStringLiteral("Remove from Favourites") : QStringLiteral("Favourite"),
                       liked, Action::toggleLike};
    }
    if (kind == QStringLiteral("back15"))
        return Variant{QStringLiteral("gobackward.15"), dimmed, 0, QStringLiteral("Back 15 seconds"), false, Action::back15};
    if (kind == QStringLiteral("forward15"))
        return Variant{QStringLiteral("goforward.15"), dimmed, 0, QStringLiteral("Forward 15 seconds"), false, Action::forward15};
    return std::nullopt;
}

Element ExtraButton::body(const Env &env) const
{
    NotchViewModel *model = env[islandModel];
    if (!model)
        return Element();
    const QString kind = QString::fromStdString(viewSetting(settings::playerExtraButton));
    NowPlayingService *service = &model->nowPlaying();
    const std::optional<Variant> v = variant(kind, service->track.get(), service->canLike());
    if (!v)
        return Element();
    auto act = [service, action = v->action] {
        switch (action) {
        case Action::toggleShuffle: service->toggleShuffle(); break;
        case Action::toggleRepeat: service->toggleRepeat(); break;
        case Action::toggleLike: service->toggleLike(); break;
        case Action::back15: service->skip(-15); break;
        case Action::forward15: service->skip(15); break;
        }
    };
    return view(ControlButton{v->symbol, 18, v->glyphOpacity, 48, false, std::nullopt, act})
        .overlay(Fill(Circle(), Color::white()).frame(3, 3).opacity(v->dotOpacity).offset(0, -5), Alignment::bottom())
        .tooltip(v->tooltip)
        .disabled(v->disabled)
        .opacity(v->disabled ? 0.4 : 1)
        .animation(Motion::small, v->state);
}

}  // namespace vesk
