#include "ScriptLock.h"

#include "ScriptError.h"
#include "ScriptPointing.h"
#include "ScriptValues.h"

#include "Diagnostics/WindowSnapshot.h"
#include "LockScreen/LockSounds.h"
#include "Platform/sim/SimPanelWindow.h"

#include <QFile>

#include <cmath>
#include <cstdio>

using namespace vesk;

namespace {

bool onOff(const std::string &word, const std::string &verb)
{
    if (word != "on" && word != "off")
        throw ScriptError("\"" + verb + "\" takes on or off");
    return word == "on";
}

void noMore(const std::string &verb, const std::string &line, size_t pos)
{
    if (!script::rest(line, pos).empty())
        throw ScriptError("unexpected text after \"" + verb + "\": " + script::rest(line, pos));
}

// At most three decimals, without trailing zeros.
std::string decimal(double v)
{
    char text[64];
    std::snprintf(text, sizeof text, "%.3f", std::abs(v) < 0.0005 ? 0.0 : v);
    std::string s = text;
    while (s.back() == '0')
        s.pop_back();
    if (s.back() == '.')
        s.pop_back();
    return s;
}

std::string windowText(const LockPanel *panel)
{
    if (!panel || !panel->frame())
        return "none";
    const QRectF f = *panel->frame();
    return decimal(f.x()) + "," + decimal(f.y()) + " " + decimal(f.width()) + "x" + decimal(f.height());
}

std::string flag(bool value) { return value ? "true" : "false"; }

}  // namespace

ScriptLock::ScriptLock(ScriptWorld &world) : world_(world)
{
    setScreenLock(&session_);
    LockSounds::reset();
    world.lockScreen = [this] { return controller_.get(); };
    world.islandsLocked = [this] { return reaction_.isLocked(); };
}

ScriptLock::~ScriptLock()
{
    controller_.reset();
    setScreenLock(nullptr);
}

void ScriptLock::start()
{
    // Made right after the islands, as the application makes it.
    controller_ = std::make_unique<LockScreenController>(world_.primary(), [] { return std::make_unique<SimPanelWindow>(); });
    controller_->onLockedChange = [this](bool locked) { reaction_.apply(world_.islandWindows(), locked); };
}

void ScriptLock::stop() { controller_.reset(); }

const LockPanel &ScriptLock::panel(const std::string &which, const std::string &verb) const
{
    if (which != "card" && which != "padlock")
        throw ScriptError("\"" + verb + "\" takes card or padlock");
    const LockPanel *panel = which == "card" ? controller_->cardPanel() : controller_->padlockPanel();
    if (!panel)
        throw ScriptError("the lock-screen windows exist from the turn after \"start\": advance first");
    return *panel;
}

bool ScriptLock::execute(const std::string &verb, const std::string &line, size_t &pos)
{
    if (verb == "wav") {
        const std::string which = script::nextWord(line, pos);
        const std::string file = script::nextWord(line, pos);
        if ((which != "lock" && which != "unlock") || file.empty())
            throw ScriptError("\"wav\" takes lock or unlock and a file name");
        noMore(verb, line, pos);
        const QByteArray &clip = LockSounds::clip(which == "lock" ? LockSounds::Sound::lock : LockSounds::Sound::unlock);
        QFile out(QString::fromStdString(file));
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate) || out.write(clip) != clip.size())
            throw ScriptError("cannot write " + file);
        return true;
    }
    if (verb != "lock")
        return false;
    world_.requireStarted(verb);
    const std::string what = script::nextWord(line, pos);
    if (what == "on" || what == "off") {
        noMore(verb, line, pos);
        session_.setLocked(what == "on");
    } else if (what == "notify" || what == "set") {
        const bool locked = onOff(script::nextWord(line, pos), "lock " + what);
        noMore(verb, line, pos);
        controller_->setLocked(locked, what == "notify");
    } else if (what == "render" || what == "texts") {
        world_.time.flush();
        const LockPanel &window = panel(script::nextWord(line, pos), "lock " + what);
        if (what == "texts") {
            noMore(verb, line, pos);
            ScriptPointing::printItems(world_.out, window.tree(), kit::DrawnItem::Kind::text);
            return true;
        }
        const std::string file = script::nextWord(line, pos);
        if (file.empty())
            throw ScriptError("\"lock render\" needs a file name");
        double scale = 2;
        if (const std::string word = script::nextWord(line, pos); !word.empty()) {
            scale = script::number(word);
            if (!std::isfinite(scale) || scale <= 0 || scale > 8)
                throw ScriptError("a render scale is a number above 0, up to 8");
        }
        noMore(verb, line, pos);
        WindowSnapshot::Window snapshot = window.snapshotWindow();
        snapshot.scale = scale;
        WindowSnapshot::write(snapshot, file, false);
    } else {
        throw ScriptError("\"lock\" takes on, off, notify, set, render or texts");
    }
    return true;
}

void ScriptLock::addFields(std::map<std::string, std::string> &fields) const
{
    fields["played"] = LockSounds::playedText();
    if (!controller_)
        return;
    const NotchViewModel &model = world_.primary();
    const LockPanel *card = controller_->cardPanel();
    const LockPanel *padlock = controller_->padlockPanel();
    fields["isScreenLocked"] = flag(model.isScreenLocked.peek());
    fields["indicator"] = name(model.lockIndicator.peek());
    fields["cardShown"] = flag(controller_->isCardShown());
    fields["cardWindow"] = windowText(card);
    fields["padlockWindow"] = windowText(padlock);
    fields["cardMouse"] = flag(card && !card->ignoresMouse());
    fields["cardOnScreen"] = flag(card && card->isOnScreen());
    fields["padlockOnScreen"] = flag(padlock && padlock->isOnScreen());
}
