#pragma once

#include "Platform/AccessibilityTrust.h"
#include "Platform/MediaKeyGrab.h"
#include "Base/RepeatingItem.h"

#include <functional>
#include <optional>
#include <set>

namespace vesk {

// Takes the volume, mute and brightness keys from the desktop while the user has Vesk replace the
// desktop's own overlays. Each key-down of a taken key goes to `handler`; when the handler consumes
// it, the key-down and its key-up are deleted. A key can only be taken whole (a grab cannot hand
// one press back), so the owner says which keys to take: the others stay the desktop's.
//
// States: off (no retry timer), waiting (the timer runs, no wanted key is held: no trust, or every
// grab refused), armed (a wanted key is held). Every 2 s tick re-checks the trust and retries the
// keys still missing. Main thread only.
class MediaKeyTap {
public:
    enum class Key { volumeUp, volumeDown, mute, brightnessUp, brightnessDown };
    enum class State { off, waiting, armed };
    using Keys = std::set<Key>;

    static constexpr Key allKeys[] = {Key::volumeUp, Key::volumeDown, Key::mute, Key::brightnessUp,
                                      Key::brightnessDown};
    static constexpr double retryInterval = 2.0;

    explicit MediaKeyTap(MediaKeyGrab &grab = mediaKeyGrab(), AccessibilityTrust &trust = accessibilityTrust());
    ~MediaKeyTap();
    MediaKeyTap(const MediaKeyTap &) = delete;
    MediaKeyTap &operator=(const MediaKeyTap &) = delete;

    // Decides a key-down; true means the key was consumed. `fine`: Shift and Option both held.
    std::function<bool(Key key, bool fine)> handler;

    // Makes sure the retry timer runs and, when trusted, that the `wanted` keys are held and no
    // others. Calling it again with the same keys while armed changes nothing.
    void start(const Keys &wanted);
    void start() { start(Keys(std::begin(allKeys), std::end(allKeys))); }
    // Ends the retry timer, then removeTap().
    void stop();
    // Hands every held key back and forgets the swallowed ones.
    void removeTap();

    State state() const;
    bool holds(Key key) const { return held_.count(key) > 0; }
    const Keys &wanted() const { return wanted_; }

    // The tap's callback body: true when the event passes, false when it is deleted.
    bool process(const SystemKeyEvent &event);

    static int code(Key key);
    static std::optional<Key> key(int code);
    static const char *name(Key key);
    static std::optional<Key> named(const std::string &name);

private:
    void retry();

    MediaKeyGrab &grab_;
    AccessibilityTrust &trust_;
    Keys swallowed_;
    Keys held_;
    Keys wanted_;
    RepeatingItem retryTimer_;
};

}  // namespace vesk
