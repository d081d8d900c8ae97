#pragma once

#include "Extensions/ExtensionActivity.h"

#include <QColor>
#include <QString>

#include <optional>
#include <string>
#include <variant>

namespace vesk {

// A readout or activity shown beside the closed island. Equal when of the same case with equal
// payloads.
class Peek {
public:
    struct Volume {
        float level = 0;  // 0...1
        bool muted = false;
        bool operator==(const Volume &) const = default;
    };
    struct Brightness {
        float level = 0;  // 0...1
        bool operator==(const Brightness &) const = default;
    };
    struct Battery {
        int percent = 0;
        bool charging = false;
        bool operator==(const Battery &) const = default;
    };
    struct Device {
        std::string symbol;  // symbol name of the audio device
        bool connected = false;
        bool operator==(const Device &) const = default;
    };
    struct Focus {
        bool on = false;
        bool operator==(const Focus &) const = default;
    };
    struct CapsLock {
        bool on = false;
        bool operator==(const CapsLock &) const = default;
    };
    struct InputSource {
        QString name;
        bool operator==(const InputSource &) const = default;
    };
    struct Download {
        std::optional<double> fraction;  // absent while the total size is undetermined
        bool operator==(const Download &) const = default;
    };
    struct Event {
        QString title;
        int minutes = 0;  // until the start
        double start = 0;  // wall-clock seconds
        QColor color;
        bool operator==(const Event &) const = default;
    };
    struct Custom {
        ExtensionActivity activity;
        bool operator==(const Custom &) const = default;
    };
    struct Timer {
        bool operator==(const Timer &) const = default;
    };
    struct TimerDone {
        bool operator==(const TimerDone &) const = default;
    };
    struct DownloadDone {
        bool operator==(const DownloadDone &) const = default;
    };

    // The cases in the order views switch over them.
    enum class Kind { volume, brightness, battery, device, focus, capsLock, inputSource, download, event, custom,
                      timer, timerDone, downloadDone };
    using Value = std::variant<Volume, Brightness, Battery, Device, Focus, CapsLock, InputSource, Download, Event,
                               Custom, Timer, TimerDone, DownloadDone>;

    explicit Peek(Value value) : value_(std::move(value)) {}

    static Peek volume(float level, bool muted) { return Peek(Value(Volume{level, muted})); }
    static Peek brightness(float level) { return Peek(Value(Brightness{level})); }
    static Peek battery(int percent, bool charging) { return Peek(Value(Battery{percent, charging})); }
    static Peek device(std::string symbol, bool connected) { return Peek(Value(Device{std::move(symbol), connected})); }
    static Peek focus(bool on) { return Peek(Value(Focus{on})); }
    static Peek capsLock(bool on) { return Peek(Value(CapsLock{on})); }
    static Peek inputSource(QString name) { return Peek(Value(InputSource{std::move(name)})); }
    static Peek download(std::optional<double> fraction) { return Peek(Value(Download{fraction})); }
    static Peek event(QString title, int minutes, double start, QColor color)
    {
        return Peek(Value(Event{std::move(title), minutes, start, color}));
    }
    static Peek custom(ExtensionActivity activity) { return Peek(Value(Custom{std::move(activity)})); }
    static Peek timer() { return Peek(Value(Timer{})); }
    static Peek timerDone() { return Peek(Value(TimerDone{})); }
    static Peek downloadDone() { return Peek(Value(DownloadDone{})); }

    Kind kind() const { return static_cast<Kind>(value_.index()); }
    // The case's name: "volume", "capsLock", "timerDone", ...
    const char *caseName() const;
    template <typename T>
    const T *as() const
    {
        return std::get_if<T>(&value_);
    }
    const Value &value() const { return value_; }

    // Whether `other` is an update of the same ongoing activity (a new fraction, a new minute
    // count) rather than a different one.
    bool isSameActivity(const std::optional<Peek> &other) const;
    // The short label drawn beside the readout's symbol; absent for none.
    std::optional<QString> text() const;

    // Whether an event title is long enough to be shown by the event preview instead of inline.
    static bool isLongTitle(const QString &title);

    bool operator==(const Peek &) const = default;

private:
    Value value_;
};

const char *name(Peek::Kind kind);
// The number of user-perceived characters (grapheme clusters) in a text.
int graphemeCount(const QString &text);

}  // namespace vesk
