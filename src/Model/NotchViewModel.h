#pragma once

#include "Model/IslandTypes.h"
#include "Model/Peek.h"
#include "NowPlaying/AudioOutput.h"
#include "Platform/Haptics.h"
#include "Base/MainQueue.h"
#include "Base/Observed.h"
#include "Platform/Screens.h"

#include <QRectF>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kit {
class Font;
}

namespace vesk {

class CalendarService;
class CountdownTimer;
class NowPlayingService;
class VolumeService;
class AudioDevices;
class ExtensionStore;
class Haptics;
class Screens;
class Sound;
class SpaceSwipeDetector;
class Updater;
class Workspace;

// The model of one island: what it shows (`state`), its readouts and ongoing activity, previews,
// hover and pages, and its size. One per island. The primary island's model owns the shared
// services (now playing, calendar, volume, countdown) and forwards readouts, activity refreshes
// and track previews to its mirrors; a mirror shares the primary's services and decides for itself
// with its own style and fields.
//
// Observed fields notify only when the written value differs. Main thread only. Every delay is a
// work item field of the model, cancelled when replaced and when the model goes, so no delayed
// closure ever touches a model that is gone.
class NotchViewModel : public std::enable_shared_from_this<NotchViewModel> {
    struct Token {};

public:
    enum class LockIndicator { hidden, locked, unlocking };

    // A live preview of a notch size adjustment while a settings slider is held.
    struct SizeAdjustment {
        enum class Axis { width, height };
        Axis axis = Axis::width;
        double value = 0;
        static SizeAdjustment width(double v) { return {Axis::width, v}; }
        static SizeAdjustment height(double v) { return {Axis::height, v}; }
        bool operator==(const SizeAdjustment &) const = default;
    };

    struct MeasuredTrailing {
        Peek peek;
        double width = 0;
        bool operator==(const MeasuredTrailing &) const = default;
    };

    // The number of pages of the onboarding tour; the tour page is kept within them.
    static constexpr int onboardingPageCount = 8;

    // The primary model creates the shared services; a mirror takes the primary's and registers
    // itself in the primary's `mirrors`.
    // What the island reads and drives, handed to the primary model by whoever makes it; its
    // mirrors share the primary's.
    struct Services {
        std::shared_ptr<NowPlayingService> nowPlaying;
        std::shared_ptr<CalendarService> calendar;
        std::shared_ptr<VolumeService> audio;
        std::shared_ptr<CountdownTimer> countdown;
        Screens *screens = nullptr;
        Workspace *workspace = nullptr;
        AudioDevices *audioDevices = nullptr;
        SpaceSwipeDetector *swipes = nullptr;
        Haptics *haptics = nullptr;
        Sound *sound = nullptr;
        ExtensionStore *extensions = nullptr;
        Updater *updater = nullptr;

        // New island services on the platform services the process has installed.
        static Services installed();
    };
    static std::shared_ptr<NotchViewModel> makePrimary(Services services = Services::installed());
    static std::shared_ptr<NotchViewModel> makeMirror(NotchViewModel &primary);
    NotchViewModel(Token, Services services, bool isPrimary);
    ~NotchViewModel();
    NotchViewModel(const NotchViewModel &) = delete;
    NotchViewModel &operator=(const NotchViewModel &) = delete;

    // Services, shared between the primary and its mirrors.
    NowPlayingService &nowPlaying() const { return *services_.nowPlaying; }
    CalendarService &calendar() const { return *services_.calendar; }
    VolumeService &audio() const { return *services_.audio; }
    CountdownTimer &countdown() const { return *services_.countdown; }
    const Services &services() const { return services_; }

    bool isPrimary() const { return isPrimary_; }
    const std::vector<std::shared_ptr<NotchViewModel>> &mirrors() const { return mirrors_; }
    // Removes a mirror and stops all its observers and pending work; a model that is not one of
    // the mirrors (the primary itself included) is left alone.
    void removeMirror(const NotchViewModel &mirror);

    // ---- Observed fields ----
    Observed<IslandStyle> style{IslandStyle::notch};
    Observed<float> volumeLevel{0};
    Observed<bool> isMuted{false};
    Observed<bool> showsVolume{false};
    Observed<double> today;  // wall-clock seconds; the day the calendar page treats as today
    Observed<Size> physicalNotchSize{Size{190, 32}};
    Observed<Size> measuredNotchSize{Size{190, 32}};
    Observed<Size> notchSizeAdjustment{Size{0, 0}};
    Observed<std::optional<SizeAdjustment>> sizeAdjustmentPreview;
    Observed<bool> isOpen{false};
    Observed<bool> isHovering{false};
    Observed<std::optional<Peek>> peek;
    Observed<std::optional<Peek>> lastPeek;
    Observed<bool> isPreviewingTrack{false};
    Observed<bool> isActivityDismissed{false};
    Observed<bool> isScreenLocked{false};
    Observed<LockIndicator> lockIndicator{LockIndicator::hidden};
    Observed<bool> isSwitchingSpace{false};
    Observed<bool> isFullscreenSpace{false};
    Observed<std::optional<std::string>> frontmostBundleID;
    Observed<std::vector<AudioOutput::Device>> outputs;
    Observed<std::optional<uint32_t>> currentOutputID;
    Observed<bool> isInteracting{false};
    Observed<bool> hasSettled{false};
    Observed<double> pageDrag{0};
    Observed<std::optional<NotchState>> stateOverride;
    Observed<bool> isPinnedOpen{false};
    Observed<bool> isPinnedHovering{false};
    Observed<bool> isPressed{false};
    Observed<double> pillTopInset{3.0};
    Observed<bool> isBelowNotch{false};
    Observed<bool> isMorphing{false};
    Observed<bool> isShowingOff{false};
    Observed<double> bubbleWidth{0};
    Observed<std::optional<Peek>> lastBubble;
    Observed<std::optional<MeasuredTrailing>> measuredTrailing;
    Observed<bool> isPreviewingEvent{false};
    Observed<std::optional<Peek>> ongoing;

    // Cached settings, re-read on every settings change.
    Observed<bool> openOnHover{true};
    Observed<bool> showLiveActivity{true};
    Observed<bool> showTrackPreview{true};
    Observed<bool> hideInSourceApp{false};
    Observed<bool> compactInFullscreen{false};
    Observed<bool> showCalendar{true};
    Observed<bool> hapticFeedback{true};
    Observed<bool> hoverSwell{true};
    Observed<bool> showOutputButton{true};
    Observed<bool> fadesToGlassSetting{false};
    Observed<bool> showsRim{true};
    Observed<bool> showTimerPage{true};
    Observed<bool> showPageDots{true};
    Observed<bool> showLiveArtwork{true};
    Observed<bool> showVisualizer{true};

    // The tour page while the tour runs; kept within the tour's pages.
    const Observed<std::optional<int>> &onboardingPage() const { return onboardingPage_; }
    void setOnboardingPage(std::optional<int> page);

    // Download progress: absent = no download; a value holding none = a download of undetermined
    // size; else the fraction, kept within 0...1 (a fraction that is not finite counts as undetermined).
    const Observed<std::optional<std::optional<double>>> &downloadFraction() const { return downloadFraction_; }
    void setDownloadFraction(std::optional<std::optional<double>> fraction);

    // Swipe-to-skip offset in track steps; remembers the direction of the last non-zero offset.
    const Observed<double> &skipDrag() const { return skipDrag_; }
    void setSkipDrag(double offset);
    bool skipsForward() const { return skipsForward_; }

    // ---- Plain fields ----
    std::function<void()> onOnboardingFinished;
    std::function<void(const QRectF &frame, bool visible)> lockCardChanged;
    double lastIslandHeight = 0;
    bool lastStateWasExpanded = false;
    bool lastHoverState = false;
    bool lastPressState = false;
    uint32_t notchDisplay = 0;
    bool isSwipingSpaces = false;
    double lastSwipeEnd = -1e300;  // the distant past
    bool hasReadOutputs = false;
    int hoveredControls = 0;
    bool isHoldingSizeSlider = false;

    // ---- The state decision ----
    NotchState state() const;
    // The now-playing activity may show on this island now (not hidden by full screen or by being
    // the frontmost application's own track).
    bool allowsNowPlaying() const;
    // allowsNowPlaying, the live activity is on, and a track is playing.
    bool isNowPlayingLive() const;

    // ---- Readouts and the ongoing activity ----
    // Shows a readout for `duration` seconds ("hudDuration" when absent), forwarding it to the
    // mirrors when `forward`.
    void show(const Peek &peek, std::optional<double> duration = std::nullopt, bool forward = true);
    // Re-chooses the ongoing activity of this island and of every mirror.
    void refreshOngoing();
    // What the closed island draws: the readout, else the ongoing activity, else the last one.
    std::optional<Peek> peekToDraw() const;
    // The page that the visible activity belongs to, if any.
    std::optional<IslandPage> tabForVisibleActivity() const;

    // ---- Previews ----
    // A new track is playing: preview it here and on every mirror.
    void previewTrack();
    void endTrackPreview();
    // Shows the full title of the upcoming event for a while.
    void previewEvent();

    // ---- Tour and diagnostics ----
    void startOnboarding(int page);
    void finishOnboarding();
    void debugSetOngoing(const Peek &peek);

    // ---- Pages ----
    // The pages of the open island: media, then calendar and timer when shown, then one per
    // running extension.
    std::vector<IslandPage> pages() const;
    // The current page index, always within `pages`.
    int page() const;
    void setPage(int index);

    // ---- Size adjustment ----
    // A settings size slider (width or height) was pressed or released.
    void setAdjustingSize(bool holding, bool width);

    // ---- Hover, open, close and pages (called by the window controller's input handling) ----
    enum class Cursor { arrow, pointingHand };

    // The pointer entered (true) or left (false) the island; opens after a short hover when
    // `openOnHover`, closes after "closeDelay" once left.
    void setHovering(bool inside);
    // Opens the island on `showing`, else on the page of the visible activity, else where it was.
    void open(bool feedback, std::optional<IslandPage> showing = std::nullopt);
    // Closes the island; refused while pinned open or during the tour.
    void close(bool feedback);
    // Moves by `delta` pages, clamped to the first and last page; always snaps a drag back.
    void turnPage(int delta);
    // Follows a horizontal drag of the open pages (negative = towards the next page).
    void dragPages(double dx);
    // Settles a page drag; `velocity` in points per event, negative = towards the next page.
    void endPageDrag(double velocity);
    // One wheel notch or trackpad step: opens, closes, pages, dismisses or recalls the activity.
    void scrollStep(bool down);
    // A dragged control (slider, scrubber) was released; closes if the pointer has left meanwhile.
    void endInteraction();
    // The cursor wanted while the pointer is over the island.
    Cursor cursor() const;

    // ---- Volume and output devices ----
    // On the primary: follows the system volume (every island hears each change through
    // volumeChanged), starts the volume service and reads the current level.
    void startAudio();
    // The volume service reported a change of the default output. The application calls it on the
    // primary and then on each mirror: every island shows its own readout, nothing is forwarded.
    void volumeChanged(float level, bool muted);
    // Re-reads the volume and the mute flag of the volume service's output (0 and not muted when
    // they cannot be read).
    void readVolume();
    // Sets the default output's volume (the media page's slider), clamped to 0...1; a level above 0
    // unmutes. A refused write changes nothing.
    void setVolume(float level);

    // ---- Notch measurement and style ----
    // Measures `screen` and applies `style`. Staged, a change of style is played as a morph: the
    // island is held closed, takes the new style, grows back and shows itself off for a moment.
    void updateNotch(const Screen &screen, IslandStyle style, bool staged);
    // The closed island's size: the measured notch plus the user's adjustment in notch style.
    Size notchSize() const;

    // ---- Sizes ----
    // The island's size in its current state.
    Size size() const;
    // The open island's size for the current page.
    Size openSize() const;
    // The island's size while the tour runs (the tour keeps it while it fades out).
    Size onboardingSize() const;
    // Width of each side beside the notch in the live and peek states.
    double sideWidth() const;
    // The readout view reports the measured width of a readout's trailing text.
    void setTrailingWidth(double width, const Peek &peek);
    // The widest a readout's trailing text is drawn beside the notch (`compact`: in the capsule's
    // bubble); a longer text is cut with an ellipsis, so the island, swollen and with its rim, stays
    // inside its panel with room for its shadow.
    double readoutTextMaxWidth(bool compact = false) const;
    // Width of `text` in readoutFont(), raised to the next whole point.
    static double textWidth(const QString &text);
    // The semibold 13-point system font with monospaced digits.
    static const kit::Font &readoutFont();
    bool isSwollen() const;
    double swellHeight() const;
    double swellScale() const;
    // Whether the open media page draws its header beside the notch rather than in its own row.
    bool mediaHeaderBesideNotch() const;
    // Whether the idle capsule hides under the notch.
    bool isTuckedAway() const;
    // The second activity drawn in the bubble beside the capsule.
    std::optional<Peek> bubble() const;

private:
    void schedule(double seconds, std::function<void()> work);
    void measure(const Screen &screen);
    void stageStyleChange(const Screen &screen, IslandStyle style);
    void showOff(double seconds);
    double eventPreviewWidth() const;
    double trailingWidth(const Peek &peek) const;
    // What a readout's side takes beside its trailing text.
    double readoutMargin() const;
    double updatePageHeight() const;
    double k() const { return style.get() == IslandStyle::pill ? 3 : 4; }

    void readDefaults();
    void tearDown();
    void observeWorkspace();

    // Workspace switches and full screen.
    void activeSpaceChanged();
    void spaceSwipeBegan();
    void spaceSwipeEnded();
    void hideForSpaceSwitch(double restoreAfter);
    void refreshFullscreen();

    // Output devices.
    void refreshOutputs();
    void announceDeviceChanges(const std::vector<AudioOutput::Device> &old,
                               const std::vector<AudioOutput::Device> &current);

    void timerFinished();
    void scheduleCalendarRefresh();
    std::optional<Peek> upcomingEvent() const;
    void previewSizeAdjustment(const SizeAdjustment &adjustment);
    void haptic(HapticPattern pattern);
    void clampPage();

    bool isPrimary_;
    Services services_;
    std::vector<std::shared_ptr<NotchViewModel>> mirrors_;

    Observed<std::optional<int>> onboardingPage_;
    Observed<std::optional<std::optional<double>>> downloadFraction_;
    Observed<double> skipDrag_{0};
    bool skipsForward_ = true;
    Observed<int> page_{0};
    bool hasReadDefaults_ = false;

    // Pending work, one field per purpose.
    WorkItem settleTask_;
    WorkItem calendarTimer_;
    WorkItem sizePreviewTask_;
    WorkItem hoverTask_;
    WorkItem peekTask_;
    WorkItem previewTask_;
    WorkItem eventPreviewTask_;
    WorkItem spaceSwitchTask_;
    WorkItem showOffTask_;
    WorkItem openRefreshTask_;
    WorkItem volumeReadTask_;
    std::vector<WorkItem> styleChangeTasks_;
    // The style a staged change is heading for, while its steps are pending.
    std::optional<IslandStyle> pendingStyle_;

    Connection defaultsObserver_;
    std::vector<Connection> workspaceObservers_;
    Connection extensionsObserver_;
};

const char *name(NotchViewModel::LockIndicator indicator);

}  // namespace vesk
