#include "Kit/SymbolTable.h"

#include <QFont>
#include <QRawFont>
#include <QTransform>

#include <cmath>
#include <map>
#include <numbers>

namespace kit {

namespace {

// Names of the design → Material Design Icons code points (the names in the comments are the
// font's own). Chosen by look, not by name: the closest glyph of the same meaning and weight.
const std::map<QString, char32_t> &glyphTable()
{
    static const std::map<QString, char32_t> table = {
        {QStringLiteral("play.fill"), 0xF40A},             // play
        {QStringLiteral("pause.fill"), 0xF3E4},            // pause
        {QStringLiteral("forward.fill"), 0xF211},          // fast-forward
        {QStringLiteral("backward.fill"), 0xF45F},         // rewind
        {QStringLiteral("goforward"), 0xF467},             // rotate-right
        {QStringLiteral("goforward.15"), 0xF467},          // rotate-right
        {QStringLiteral("gobackward"), 0xF465},            // rotate-left
        {QStringLiteral("gobackward.15"), 0xF465},         // rotate-left
        {QStringLiteral("arrow.clockwise"), 0xF450},       // refresh
        {QStringLiteral("arrow.counterclockwise"), 0xF459},  // replay
        {QStringLiteral("arrow.triangle.2.circlepath"), 0xF06A},  // autorenew
        {QStringLiteral("arrow.left.arrow.right"), 0xF4E1},  // swap-horizontal
        {QStringLiteral("arrow.down"), 0xF045},
        {QStringLiteral("arrow.up"), 0xF05D},
        {QStringLiteral("arrow.right"), 0xF054},
        {QStringLiteral("arrow.down.circle"), 0xF048},     // arrow-down-bold-circle-outline
        {QStringLiteral("arrow.down.circle.fill"), 0xF047},  // arrow-down-bold-circle
        {QStringLiteral("bell.fill"), 0xF09A},
        {QStringLiteral("bolt.fill"), 0xF241},             // flash
        {QStringLiteral("calendar"), 0xF0ED},
        {QStringLiteral("capslock"), 0xF632},              // apple-keyboard-caps (the outline arrow)
        {QStringLiteral("capslock.fill"), 0xF30E},         // keyboard-caps
        {QStringLiteral("checkmark"), 0xF12C},             // check
        {QStringLiteral("checkmark.circle.fill"), 0xF5E0},  // check-circle
        {QStringLiteral("chevron.left"), 0xF141},
        {QStringLiteral("chevron.right"), 0xF142},
        {QStringLiteral("circle"), 0xF43D},                // radiobox-blank
        {QStringLiteral("cpu"), 0xF61A},                   // chip
        {QStringLiteral("cursorarrow"), 0xF1B4},           // cursor-default
        {QStringLiteral("cursorarrow.click"), 0xF1B7},     // cursor-pointer
        {QStringLiteral("cursorarrow.click.2"), 0xF1B7},   // cursor-pointer
        {QStringLiteral("cursorarrow.motionlines"), 0xF1B4},  // cursor-default (a pointer, not the move cursor)
        {QStringLiteral("contextualmenu.and.cursorarrow"), 0xF35C},  // menu
        {QStringLiteral("drop.fill"), 0xF58C},             // water
        {QStringLiteral("gauge.with.dots.needle.50percent"), 0xF29A},  // gauge
        {QStringLiteral("gauge.with.dots.needle.67percent"), 0xF4C5},  // speedometer
        {QStringLiteral("gearshape.fill"), 0xF493},        // settings
        {QStringLiteral("headphones"), 0xF2CB},
        {QStringLiteral("airpodspro"), 0xF2CE},            // headset
        {QStringLiteral("airpods"), 0xF2CE},
        {QStringLiteral("airpodsmax"), 0xF2CB},            // headphones
        {QStringLiteral("airplayaudio"), 0xF118},          // cast
        {QStringLiteral("macbook"), 0xF322},               // laptop
        {QStringLiteral("desktopcomputer"), 0xF379},       // monitor
        {QStringLiteral("display"), 0xF379},
        {QStringLiteral("beats.earphones"), 0xF2CE},       // headset
        {QStringLiteral("beats.fitpro"), 0xF2CE},
        {QStringLiteral("beats.powerbeatspro"), 0xF2CE},
        {QStringLiteral("beats.studiobuds"), 0xF2CE},
        {QStringLiteral("beats.headphones"), 0xF2CB},      // headphones
        {QStringLiteral("heart"), 0xF2D5},                 // heart-outline
        {QStringLiteral("heart.fill"), 0xF2D1},            // heart
        {QStringLiteral("hifispeaker.fill"), 0xF4C3},      // speaker
        {QStringLiteral("homepod.fill"), 0xF4C3},
        {QStringLiteral("homepodmini.fill"), 0xF4C3},
        {QStringLiteral("info.circle.fill"), 0xF2FC},      // information
        {QStringLiteral("keyboard"), 0xF30C},
        {QStringLiteral("laptopcomputer"), 0xF322},        // laptop
        {QStringLiteral("lock.fill"), 0xF33E},
        {QStringLiteral("lock.open.fill"), 0xF33F},
        {QStringLiteral("magnifyingglass"), 0xF349},       // magnify
        {QStringLiteral("moon"), 0xF0DC},                  // brightness-3 (a crescent outline)
        {QStringLiteral("moon.fill"), 0xF594},             // weather-night
        {QStringLiteral("music.note"), 0xF387},
        {QStringLiteral("navigation"), 0xF390},
        {QStringLiteral("power"), 0xF425},                 // power
        {QStringLiteral("powerplug.fill"), 0xF427},        // power-socket
        {QStringLiteral("puzzlepiece.extension.fill"), 0xF431},  // puzzle
        {QStringLiteral("repeat"), 0xF456},
        {QStringLiteral("repeat.1"), 0xF458},              // repeat-once
        {QStringLiteral("shuffle"), 0xF49F},               // shuffle-variant
        {QStringLiteral("slider.horizontal.3"), 0xF62E},   // tune
        {QStringLiteral("sparkles"), 0xF068},              // auto-fix (a wand among sparkles)
        {QStringLiteral("speaker.fill"), 0xF57F},          // volume-low (the bare speaker)
        {QStringLiteral("speaker.wave.1.fill"), 0xF580},   // volume-medium
        {QStringLiteral("speaker.wave.2.fill"), 0xF580},   // volume-medium
        {QStringLiteral("speaker.wave.3.fill"), 0xF57E},   // volume-high
        {QStringLiteral("speaker.slash.fill"), 0xF581},    // volume-off
        {QStringLiteral("stopwatch"), 0xF51B},             // timer (drawn as a stopwatch)
        {QStringLiteral("sun.max.fill"), 0xF0E0},          // brightness-7
        {QStringLiteral("sun.min.fill"), 0xF0DE},          // brightness-5
        {QStringLiteral("text.below.photo"), 0xF56A},      // view-agenda
        {QStringLiteral("thermometer.high"), 0xF50F},      // thermometer
        {QStringLiteral("timer"), 0xF51B},
    };
    return table;
}

// Symbols the font has no fair glyph for, drawn in the unit box.
QPainterPath spokes(int count, double inner, double width)
{
    QPainterPath p;
    for (int i = 0; i < count; ++i) {
        const double a = std::numbers::pi * i / count;
        QPainterPath bar;
        bar.addRoundedRect(QRectF(-0.5 + inner, -width / 2, 1 - 2 * inner, width), width / 2, width / 2);
        p.addPath(QTransform().translate(0.5, 0.5).rotateRadians(a).map(bar));
    }
    return p.simplified();
}

const std::map<QString, QPainterPath> &drawnTable()
{
    static const std::map<QString, QPainterPath> table = [] {
        std::map<QString, QPainterPath> t;
        t[QStringLiteral("asterisk")] = spokes(3, 0.14, 0.13);
        {
            QPainterPath flake = spokes(3, 0.06, 0.09);
            // Short branches near the tip of every spoke.
            for (int i = 0; i < 6; ++i) {
                QPainterPath twig;
                for (int side : {-1, 1}) {
                    QPainterPath bar;
                    bar.addRoundedRect(QRectF(0, -0.035, 0.16, 0.07), 0.035, 0.035);
                    twig.addPath(QTransform().translate(0.3, 0).rotate(side * 45).map(bar));
                }
                flake.addPath(QTransform().translate(0.5, 0.5).rotate(i * 60).map(twig));
            }
            t[QStringLiteral("snowflake")] = flake.simplified();
        }
        {
            QPainterPath hand;
            hand.addRoundedRect(QRectF(0.26, 0.42, 0.5, 0.48), 0.16, 0.16);
            const double xs[4] = {0.27, 0.39, 0.51, 0.63};
            const double tops[4] = {0.22, 0.1, 0.12, 0.2};
            for (int i = 0; i < 4; ++i)
                hand.addRoundedRect(QRectF(xs[i], tops[i], 0.1, 0.5), 0.05, 0.05);
            QPainterPath thumb;
            thumb.addRoundedRect(QRectF(0, -0.05, 0.32, 0.1), 0.05, 0.05);
            hand.addPath(QTransform().translate(0.2, 0.56).rotate(-50).translate(0, 0).map(thumb));
            t[QStringLiteral("hand.raised.fill")] = hand.simplified();
        }
        {
            QPainterPath box;
            box.addRoundedRect(QRectF(0.1, 0.1, 0.8, 0.8), 0.18, 0.18);
            QPainterPath e;
            e.addRect(QRectF(0.34, 0.28, 0.1, 0.44));
            e.addRect(QRectF(0.34, 0.28, 0.32, 0.09));
            e.addRect(QRectF(0.34, 0.455, 0.28, 0.09));
            e.addRect(QRectF(0.34, 0.63, 0.32, 0.09));
            t[QStringLiteral("e.square.fill")] = box.subtracted(e.simplified());
        }
        {
            QPainterPath frame;
            frame.addRoundedRect(QRectF(0.08, 0.18, 0.84, 0.64), 0.12, 0.12);
            QPainterPath inner;
            inner.addRoundedRect(QRectF(0.15, 0.25, 0.7, 0.5), 0.06, 0.06);
            QPainterPath band;
            band.addRoundedRect(QRectF(0.22, 0.31, 0.56, 0.14), 0.04, 0.04);
            t[QStringLiteral("rectangle.topthird.inset.filled")] = frame.subtracted(inner).united(band);
        }
        auto doubleArrow = [] {
            QPainterPath p;
            p.addRect(QRectF(0.22, 0.46, 0.56, 0.08));
            QPainterPath heads;
            heads.moveTo(0.06, 0.5);
            heads.lineTo(0.3, 0.3);
            heads.lineTo(0.3, 0.7);
            heads.closeSubpath();
            heads.moveTo(0.94, 0.5);
            heads.lineTo(0.7, 0.3);
            heads.lineTo(0.7, 0.7);
            heads.closeSubpath();
            return p.united(heads);
        };
        t[QStringLiteral("arrow.left.and.right")] = doubleArrow();
        t[QStringLiteral("arrow.up.and.down")] =
            QTransform().translate(0.5, 0.5).rotate(90).translate(-0.5, -0.5).map(doubleArrow());
        t[QStringLiteral("bounds.size.height")] = t[QStringLiteral("arrow.up.and.down")];
        return t;
    }();
    return table;
}

const QRawFont &iconFont()
{
    static const QRawFont font = [] {
        QFont f(QStringLiteral("Material Design Icons"));
        f.setPixelSize(512);
        f.setHintingPreference(QFont::PreferNoHinting);
        QRawFont raw = QRawFont::fromFont(f);
        if (!raw.isValid() || raw.familyName() != QStringLiteral("Material Design Icons"))
            return QRawFont();
        return raw;
    }();
    return font;
}

}  // namespace

bool SymbolTable::fontHasGlyph(char32_t codePoint)
{
    const QRawFont &font = iconFont();
    return font.isValid() && font.supportsCharacter(uint(codePoint));
}

char32_t SymbolTable::codePoint(const QString &name)
{
    auto it = glyphTable().find(name);
    return it == glyphTable().end() ? 0 : it->second;
}

bool SymbolTable::hasSymbol(const QString &name)
{
    return glyphTable().count(name) != 0 || drawnTable().count(name) != 0;
}

QStringList SymbolTable::names()
{
    QStringList out;
    for (const auto &[name, cp] : glyphTable())
        out << name;
    for (const auto &[name, path] : drawnTable())
        out << name;
    out.sort();
    return out;
}

std::optional<QPainterPath> SymbolTable::outline(const QString &name)
{
    static std::map<QString, QPainterPath> cache;
    if (auto it = cache.find(name); it != cache.end())
        return it->second;
    if (auto it = drawnTable().find(name); it != drawnTable().end())
        return cache[name] = it->second;
    const char32_t cp = codePoint(name);
    if (cp == 0)
        return std::nullopt;
    const QRawFont &font = iconFont();
    if (!font.isValid())
        return cache[name] = fallbackOutline();  // no icon font installed: still visible
    const QList<quint32> glyphs = font.glyphIndexesForString(QString::fromUcs4(&cp, 1));
    if (glyphs.isEmpty() || glyphs.front() == 0)
        return cache[name] = fallbackOutline();
    QPainterPath path = font.pathForGlyph(glyphs.front());
    // The glyph sits on the baseline of an em square from the descent to the ascent.
    const double em = font.ascent() + font.descent();
    path = QTransform().scale(1 / em, 1 / em).translate(0, font.ascent()).map(path);
    path.setFillRule(Qt::WindingFill);
    return cache[name] = path;
}

QPainterPath SymbolTable::fallbackOutline()
{
    static const QPainterPath path = [] {
        QPainterPath outer;
        outer.addRoundedRect(QRectF(0.1, 0.1, 0.8, 0.8), 0.12, 0.12);
        QPainterPath inner;
        inner.addRoundedRect(QRectF(0.18, 0.18, 0.64, 0.64), 0.06, 0.06);
        QPainterPath mark;
        mark.addEllipse(QRectF(0.45, 0.64, 0.1, 0.1));
        mark.addRect(QRectF(0.45, 0.42, 0.1, 0.16));
        QPainterPath hook;
        hook.addEllipse(QRectF(0.33, 0.26, 0.34, 0.3));
        QPainterPath hole;
        hole.addEllipse(QRectF(0.43, 0.35, 0.14, 0.12));
        QPainterPath cut;
        cut.addRect(QRectF(0.3, 0.41, 0.15, 0.2));
        return outer.subtracted(inner).united(mark).united(hook.subtracted(hole).subtracted(cut));
    }();
    return path;
}

bool hasSymbol(const QString &name) { return SymbolTable::hasSymbol(name); }

}  // namespace kit
