#include "Island/PeekView.h"

#include "Model/Motion.h"
#include "Model/NotchViewModel.h"
#include "Kit/Palette.h"
#include "Readouts/CountdownTimer.h"

#include <algorithm>
#include <cmath>

namespace vesk {

using namespace kit;

QString oneLine(const QString &text)
{
    QString out = text;
    for (QChar &c : out)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return out;
}

Element LevelBar::body(const Env &) const
{
    const double fraction = std::clamp(double(level), 0.0, 1.0);
    return GeometryReader([fraction](QSizeF size) {
               return ZStack({.alignment = Alignment::leading()}, Fill(Capsule(), Color::white(0.2)),
                             Fill(Capsule(), Color::white()).frame(size.width() * fraction, std::nullopt));
           })
        .frame(width, height)
        .animation(Motion::level, level);
}

PeekView::Metrics PeekView::metrics(double h, bool pill, bool showsRim)
{
    Metrics m;
    m.e = std::max(std::round(0.2 * h), 3.0);  // std::round takes halves away from zero
    m.rim = pill && showsRim ? 1.5 : 0;
    // A low island (a simulated notch) must not give a negative symbol square.
    m.slot = std::max(0.0, h + m.rim - (pill ? 2 * m.e : 13));
    m.symbolSize = std::min(0.72 * m.slot, 13.0);
    return m;
}

PeekView::Look PeekView::look(const Peek &peek, const NotchViewModel &model)
{
    const Color white = Color::white();
    switch (peek.kind()) {
    case Peek::Kind::volume: {
        const auto &v = *peek.as<Peek::Volume>();
        // The thresholds compare the single-precision level, strictly below.
        const char *name = v.muted || v.level <= 0 ? SymbolName("speaker.slash.fill")
                           : v.level < 0.34f       ? SymbolName("speaker.wave.1.fill")
                           : v.level < 0.67f       ? SymbolName("speaker.wave.2.fill")
                                                   : SymbolName("speaker.wave.3.fill");
        return {name, white, white};
    }
    case Peek::Kind::brightness: {
        const auto &b = *peek.as<Peek::Brightness>();
        return {b.level < 0.5f ? SymbolName("sun.min.fill") : SymbolName("sun.max.fill"), white, white};
    }
    case Peek::Kind::battery: {
        const auto &b = *peek.as<Peek::Battery>();
        if (b.charging)
            return {SymbolName("bolt.fill"), palette::green, palette::green};
        return {SymbolName("powerplug.fill"), Color::white(0.6), b.percent > 20 ? white : palette::red};
    }
    case Peek::Kind::device: {
        const auto &d = *peek.as<Peek::Device>();
        return {QString::fromStdString(d.symbol), d.connected ? white : Color::white(0.5),
                d.connected ? white : Color::white(0.6)};
    }
    case Peek::Kind::focus: {
        const bool on = peek.as<Peek::Focus>()->on;
        return {on ? SymbolName("moon.fill") : SymbolName("moon"), on ? palette::indigo : Color::white(0.5),
                on ? white : Color::white(0.6)};
    }
    case Peek::Kind::capsLock: {
        const bool on = peek.as<Peek::CapsLock>()->on;
        return {on ? SymbolName("capslock.fill") : SymbolName("capslock"), on ? palette::green : Color::white(0.5),
                on ? white : Color::white(0.6)};
    }
    case Peek::Kind::inputSource: return {SymbolName("keyboard"), white, white};
    case Peek::Kind::download: return {SymbolName("arrow.down.circle.fill"), palette::blue, white};
    case Peek::Kind::event: return {SymbolName("calendar"), Color::fromQColor(peek.as<Peek::Event>()->color), white};
    case Peek::Kind::custom: {
        const auto &a = peek.as<Peek::Custom>()->activity;
        return {QString::fromStdString(a.symbol), Color::fromQColor(a.tint), white};
    }
    case Peek::Kind::timer: {
        const bool stopwatch = model.countdown().mode().get() == CountdownTimer::Mode::stopwatch;
        return {stopwatch ? SymbolName("stopwatch") : SymbolName("timer"), palette::orange, palette::orange};
    }
    case Peek::Kind::timerDone: return {SymbolName("bell.fill"), palette::orange, palette::orange};
    case Peek::Kind::downloadDone: return {SymbolName("checkmark.circle.fill"), palette::green, palette::green};
    }
    return {SymbolName("circle"), white, white};
}

namespace {

// The countdown's text, described again twice a second while it runs and once an hour when paused.
Element countdownText(const CountdownTimer &countdown, const std::function<Element(const QString &)> &content)
{
    const double period = countdown.isRunning().get() ? 0.5 : 3600;
    const CountdownTimer *timer = &countdown;
    return Timeline(period, [timer, content](double wall) { return content(QString::fromStdString(timer->text(wall))); });
}

bool isSpinner(const Peek &peek)
{
    const auto *d = peek.as<Peek::Download>();
    return d && !d->fraction;
}

Element trailingOf(const Peek &peek, const NotchViewModel &model, const Color &textTint)
{
    switch (peek.kind()) {
    case Peek::Kind::volume: {
        const auto &v = *peek.as<Peek::Volume>();
        return view(LevelBar{v.muted ? 0.0f : v.level});
    }
    case Peek::Kind::brightness: return view(LevelBar{peek.as<Peek::Brightness>()->level});
    case Peek::Kind::timer:
        return countdownText(model.countdown(), [](const QString &text) { return Text(text).foreground(palette::orange); });
    default: break;
    }
    if (isSpinner(peek))
        return Spinner(14 * 0.75).frame(14, 14);
    return Text(oneLine(peek.text().value_or(QString()))).foreground(textTint);
}

// The measuring copy of the right-hand content: the bar and the spinner stand in at fixed widths.
Element probeOf(const Peek &peek, const NotchViewModel &model)
{
    switch (peek.kind()) {
    case Peek::Kind::volume:
    case Peek::Kind::brightness: return Fill(Color::clear()).frame(PeekView::barProbeWidth, 1);
    case Peek::Kind::timer: return countdownText(model.countdown(), [](const QString &text) { return Text(text); });
    default: break;
    }
    if (isSpinner(peek))
        return Fill(Color::clear()).frame(PeekView::spinnerProbeWidth, 1);
    return Text(oneLine(peek.text().value_or(QString())));
}

}  // namespace

Element PeekView::body(const Env &) const
{
    NotchViewModel &m = *model;
    const bool pill = m.style.get() == IslandStyle::pill;
    const double h = m.notchSize().height;
    const Metrics mx = metrics(h, pill, m.showsRim.get());
    const Look l = look(peek, m);
    const Element trailingContent = trailingOf(peek, m, l.textTint);
    // The right-hand content keeps its ideal size while the island grows around it, up to the
    // widest a readout's text may be; a longer text ends in an ellipsis there.
    auto trailing = [&](bool compact) {
        return trailingContent.frame(Element::Limits{.maxWidth = m.readoutTextMaxWidth(compact)}).fixedSize();
    };
    const Element symbol = Symbol(l.symbol, mx.symbolSize, Weight::semibold, l.tint).frame(mx.slot, mx.slot);

    if (isCompact) {
        return HStack({.alignment = Alignment::center(), .spacing = 4}, symbol, trailing(true))
            .padding(Edges{0, pill ? mx.e : 6.5, 0, pill ? mx.e + 4 : 10.5})
            .font(NotchViewModel::readoutFont())
            .foreground(Color::white());
    }

    const double swell = m.swellScale();
    NotchViewModel *target = model;
    const Peek measured = peek;
    // A new node for every readout, so each one reports its width, even an equal one.
    Element probe = probeOf(peek, m)
                        .fixedSize()
                        .hidden()
                        .onSizeChange([target, measured](QSizeF size) {
                            target->setTrailingWidth(std::ceil(size.width() - 1e-9), measured);
                        })
                        .id(peek);
    return HStack({.alignment = Alignment::center(), .spacing = 0},
                  symbol.contentTransition(ContentTransition::symbolReplace).scaleEffect(swell, UnitPoint::leading()),
                  Spacer(),
                  trailing(false)
                      .scaleEffect(swell, UnitPoint::trailing())
                      .background(probe, Alignment::trailing()))
        .padding(Edges::horizontal(swell * (pill ? mx.e + 3 : 6.5)))
        .frame(std::nullopt, h + mx.rim + m.swellHeight())
        .font(NotchViewModel::readoutFont())
        .foreground(Color::white());
}

}  // namespace vesk
