#include "ScriptSettings.h"

#include "ScriptError.h"
#include "ScriptValues.h"
#include "ScriptViews.h"

#include "Extensions/ExtensionStore.h"
#include "Model/NotchViewModel.h"
#include "Platform/UserDefaults.h"
#include "Platform/sim/SimAccessibilityTrust.h"
#include "Platform/sim/SimCalendarStore.h"
#include "Platform/sim/SimFocusStatus.h"
#include "Settings/PaneKit/KitWidget.h"
#include "Settings/PaneKit/OptionCards.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/PaneScaffold.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Panes/SoundRow.h"
#include "Settings/SettingsWindow.h"
#include "Updater/Updater.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QPainter>
#include <QPushButton>

#include <cmath>
#include <ostream>

using namespace vesk;
using Kind = PaneForm::Kind;

namespace {

// A text argument: a JSON string, or one word.
std::string nextText(const std::string &line, size_t &pos)
{
    size_t at = pos;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t'))
        ++at;
    if (at < line.size() && line[at] == '"') {
        const auto value = script::nextJson(line, pos);
        if (!value.is_string())
            throw ScriptError("expected a JSON string");
        return value.get<std::string>();
    }
    return script::nextWord(line, pos);
}

QString qs(const std::string &s) { return QString::fromStdString(s); }

std::string paneList(const std::vector<SettingsView::Pane> &panes)
{
    std::string out;
    for (auto pane : panes)
        out += (out.empty() ? "" : ",") + SettingsView::caseName(pane).toStdString();
    return out.empty() ? "none" : out;
}

// A catalogue entry of a script's: no activity, and as options one switch of its own setting.
class ScriptedExtension final : public IslandExtension {
public:
    ScriptedExtension(ExtensionInfo info, std::shared_ptr<const std::string> key)
        : info_(std::move(info)), key_(std::move(key))
    {
    }
    const ExtensionInfo &info() const override { return info_; }
    std::optional<ExtensionActivity> activity() const override { return std::nullopt; }
    kit::Element page() const override { return kit::Text(QString::fromStdString(info_.name)); }
    std::unique_ptr<QWidget> makeSettingsView() override
    {
        auto form = std::make_unique<PaneForm>(PaneForm::Style::embedded);
        form->addSwitch(QStringLiteral("Simulated option"), Setting<bool>{key_->c_str(), false});
        return form;
    }

private:
    ExtensionInfo info_;
    std::shared_ptr<const std::string> key_;  // the setting's key text lives as long as its users
};

std::vector<ExtensionStore::Type> catalogFromJson(const nlohmann::json &list)
{
    if (!list.is_array())
        throw ScriptError("catalog takes a JSON array of extensions");
    std::vector<ExtensionStore::Type> types;
    for (const auto &entry : list) {
        auto text = [&](const char *field) {
            if (!entry.is_object() || !entry.contains(field) || !entry[field].is_string())
                throw ScriptError(std::string("catalog: every entry needs \"") + field + "\" as a string");
            return entry[field].get<std::string>();
        };
        ExtensionInfo info{text("id"), text("name"), text("summary"), text("symbol"), QColor(), text("category")};
        const QString tint = QString::fromStdString(text("tint"));
        info.tint = QColor(tint);
        if (tint.size() != 7 || !tint.startsWith('#') || !info.tint.isValid())
            throw ScriptError("catalog: \"tint\" is #RRGGBB");
        for (const auto &type : types)
            if (type.info.id == info.id)
                throw ScriptError("catalog: the id \"" + info.id + "\" comes twice");
        auto key = std::make_shared<const std::string>(info.id + ".option");
        types.push_back({info, [info, key] { return std::make_shared<ScriptedExtension>(info, key); }});
    }
    return types;
}

Updater::Phase phaseFromJson(const nlohmann::json &v)
{
    using Phase = Updater::Phase;
    if (!v.is_object() || !v.contains("case") || !v["case"].is_string())
        throw ScriptError("update phase needs {\"case\":...}");
    const std::string kind = v["case"];
    auto text = [&](const char *field) {
        if (!v.contains(field) || !v[field].is_string())
            throw ScriptError(std::string("update phase ") + kind + " needs \"" + field + "\"");
        return v[field].get<std::string>();
    };
    if (kind == "idle")
        return Phase::idle();
    if (kind == "checking")
        return Phase::checking();
    if (kind == "downloading") {
        if (!v.contains("progress") || !v["progress"].is_number())
            throw ScriptError("update phase downloading needs \"progress\"");
        return Phase::downloading(text("version"), v["progress"].get<double>());
    }
    if (kind == "ready")
        return Phase::ready(text("version"));
    if (kind == "installing")
        return Phase::installing(text("version"));
    if (kind == "failed")
        return Phase::failed(text("message"));
    throw ScriptError("unknown update phase \"" + kind + "\"");
}

}  // namespace

ScriptSettings::ScriptSettings()
{
    setLoginItem(&loginItem_);
    // A chooser answers what the script's `settings choose` says; one the script did not expect
    // is cancelled.
    SoundRow::setChooser([this](QWidget *, const QString &title) -> std::optional<QString> {
        chooserTitle_ = title.toStdString();
        auto answer = std::move(chooserAnswer_);
        chooserAnswer_.reset();
        return answer;
    });
    PaneForm::setLinkOpener([this](const QUrl &address) { opened_ = address; });
}

ScriptSettings::~ScriptSettings()
{
    host_.reset();
    SoundRow::setChooser(nullptr);
    if (catalogReplaced_)
        ExtensionStore::setCatalog(std::nullopt);
    PaneForm::setLinkOpener(nullptr);
    setLoginItem(nullptr);
}

void ScriptSettings::start(NotchViewModel &primary)
{
    ScriptViews::installStandardViews();  // the extensions' options among them
    primary_ = &primary;
    host_ = std::make_unique<SettingsHost>(primary, QProcessEnvironment::systemEnvironment());
    host_->terminate = [this] { terminated_ = true; };
}

bool ScriptSettings::execute(const std::string &verb, const std::string &line, size_t &pos, const Context &context)
{
    if (verb == "loginitem") {
        const std::string what = script::nextWord(line, pos);
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"loginitem " + what + "\"");
        if (what == "enabled" || what == "disabled")
            loginItem_.setStatus(what == "enabled" ? LoginItem::Status::enabled : LoginItem::Status::disabled);
        else if (what == "failing" || what == "working")
            loginItem_.setFailing(what == "failing");
        else
            throw ScriptError("loginitem takes \"enabled\", \"disabled\", \"failing\" or \"working\"");
        return true;
    }
    if (verb == "update") {
        size_t save = pos;
        if (script::nextWord(line, save) != "phase")
            return false;
        pos = save;
        const auto value = script::nextJson(line, pos);
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"update phase\"");
        Updater::shared().setPhase(phaseFromJson(value));
        return true;
    }
    if (verb == "catalog") {
        if (host_)
            throw ScriptError("\"catalog\" must come before \"start\"");
        const auto list = script::nextJson(line, pos);
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"catalog\"");
        ExtensionStore::setCatalog(catalogFromJson(list));
        catalogReplaced_ = true;
        return true;
    }
    if (verb != "settings")
        return false;
    if (!host_)
        throw ScriptError("\"settings\" needs the islands: use it after \"start\"");
    settingsVerb(line, pos, context);
    return true;
}

void ScriptSettings::settingsVerb(const std::string &line, size_t &pos, const Context &context)
{
    const std::string what = script::nextWord(line, pos);
    auto noMore = [&] {
        if (!script::rest(line, pos).empty())
            throw ScriptError("unexpected text after \"settings " + what + "\": " + script::rest(line, pos));
    };
    SettingsWindow *window = host_->settingsWindow();
    auto needWindow = [&]() -> SettingsWindow & {
        if (!window)
            throw ScriptError("\"settings " + what + "\" needs an open settings window");
        return *window;
    };
    auto form = [&]() -> PaneForm & {
        context.settle();  // a pane chosen just now is built on the next turn
        window = host_->settingsWindow();
        SettingsWindow &w = needWindow();
        if (!w.pane())
            throw ScriptError("the settings window shows no pane");
        return w.pane()->form();
    };
    auto row = [&](Kind kind, const std::string &label, const char *kindName) -> PaneForm::Row & {
        PaneForm::Row *found = form().find(kind, qs(label));
        if (!found)
            throw ScriptError(std::string("no ") + kindName + " \"" + label + "\" on this pane");
        return *found;
    };
    auto onOff = [&](const std::string &word) {
        if (word != "on" && word != "off")
            throw ScriptError("\"settings " + what + "\" takes \"on\" or \"off\"");
        return word == "on";
    };

    if (what == "open") {
        noMore();
        host_->showSettings();
    } else if (what == "close") {
        noMore();
        host_->closeSettings();
    } else if (what == "back" || what == "forward") {
        noMore();
        if (what == "back")
            needWindow().clickBack();
        else
            needWindow().clickForward();
    } else if (what == "select") {
        const std::string name = nextText(line, pos);
        noMore();
        const auto pane = SettingsView::matching(qs(name));
        if (!pane)
            throw ScriptError("no pane \"" + name + "\"");
        if (!needWindow().clickSidebar(*pane))
            throw ScriptError("the sidebar does not list \"" + name + "\"");
    } else if (what == "search") {
        const std::string text = nextText(line, pos);
        noMore();
        needWindow().search(qs(text));
    } else if (what == "menu") {
        const std::string item = nextText(line, pos);
        noMore();
        if (!host_->runMenuItem(qs(item)))
            throw ScriptError("no menu item \"" + item + "\"");
    } else if (what == "switch") {
        const std::string label = nextText(line, pos);
        const bool on = onOff(script::nextWord(line, pos));
        noMore();
        PaneForm::Row *found = form().find(Kind::switcher, qs(label));
        if (!found)
            found = form().find(Kind::extension, qs(label));
        if (!found)
            throw ScriptError("no switch \"" + label + "\" on this pane");
        QCheckBox *box = found->checkBox;
        if (box->isChecked() != on)
            box->click();  // a disabled switch ignores it
    } else if (what == "slider") {
        const std::string label = nextText(line, pos);
        const double value = script::number(script::nextWord(line, pos));
        const std::string hold = script::nextWord(line, pos);
        noMore();
        if (!hold.empty() && hold != "hold")
            throw ScriptError("settings slider takes a label, a value and perhaps \"hold\"");
        row(Kind::slider, label, "slider").slider->dragTo(value, hold == "hold");
    } else if (what == "release" || what == "reset") {
        const std::string label = nextText(line, pos);
        noMore();
        SliderRow *slider = row(Kind::slider, label, "slider").slider;
        if (what == "release")
            slider->release();
        else
            slider->reset();
    } else if (what == "card") {
        const std::string title = nextText(line, pos);
        const std::string caption = nextText(line, pos);
        noMore();
        OptionCard *card = row(Kind::cards, title, "cards").cards->card(qs(caption));
        if (!card)
            throw ScriptError("no card \"" + caption + "\" in \"" + title + "\"");
        card->click();
    } else if (what == "pick") {
        const std::string label = nextText(line, pos);
        const std::string choice = nextText(line, pos);
        noMore();
        QComboBox *box = row(Kind::picker, label, "picker").picker;
        const int index = box->findText(qs(choice));
        if (index < 0)
            throw ScriptError("no choice \"" + choice + "\" in \"" + label + "\"");
        if (box->isEnabled()) {
            box->setCurrentIndex(index);
            emit box->activated(index);
        }
    } else if (what == "press") {
        const std::string label = nextText(line, pos);
        const std::string title = nextText(line, pos);
        noMore();
        if (!form().findPressable(qs(label)))
            throw ScriptError("no button or link \"" + label + "\" on this pane");
        PaneForm::Row *found = form().findPressable(qs(label), qs(title));
        if (!found)
            throw ScriptError("the row \"" + label + "\" has no button \"" + title + "\"");
        found->button->click();
    } else if (what == "choose") {
        const std::string label = nextText(line, pos);
        const std::string answer = nextText(line, pos);
        noMore();
        if (answer.empty())
            throw ScriptError("settings choose takes a sound row and a path or \"cancel\"");
        PaneForm::Row &sound = row(Kind::sound, label, "sound row");
        chooserAnswer_.reset();
        if (answer != "cancel")
            chooserAnswer_ = qs(answer.front() == '/' ? answer : context.folder + "/" + answer);
        static_cast<SoundRow *>(sound.control)->chooseButton()->click();
        chooserAnswer_.reset();
    } else if (what == "frost") {
        const double value = script::number(script::nextWord(line, pos));
        noMore();
        needWindow().dragFrost(value);
    } else if (what == "controls") {
        noMore();
        context.settle();
        for (const auto &text : form().describe())
            context.out << text << "\n";
    } else if (what == "expect" || what == "lacks") {
        const std::string wanted = script::rest(line, pos);
        if (wanted.empty())
            throw ScriptError("settings " + what + " needs a line");
        context.settle();
        const auto lines = form().describe();
        bool found = false;
        for (const auto &text : lines)
            found = found || (what == "expect" ? text == wanted : text.rfind(wanted, 0) == 0);
        if (what == "expect" && !found)
            context.fail("expected the control line " + wanted);
        if (what == "lacks" && found)
            context.fail("expected no control line starting " + wanted);
    } else if (what == "render" || what == "preview") {
        const std::string file = script::nextWord(line, pos);
        const std::string scaleWord = script::nextWord(line, pos);
        noMore();
        if (file.empty())
            throw ScriptError("settings " + what + " needs a file");
        const double scale = scaleWord.empty() ? 2 : script::number(scaleWord);
        if (!(scale > 0 && scale <= 8))
            throw ScriptError("the scale must lie in (0, 8]");
        context.settle();
        needWindow();
        render(file, scale, what == "preview");
    } else {
        throw ScriptError("unknown settings verb \"" + what + "\"");
    }
}

void ScriptSettings::render(const std::string &file, double scale, bool previewOnly) const
{
    SettingsWindow &window = *host_->settingsWindow();
    QImage image;
    if (previewOnly) {
        KitWidget *strip = window.pane() ? window.pane()->strip() : nullptr;
        if (!strip)
            throw ScriptError("this pane has no preview");
        strip->tree().update();
        image = strip->tree().render(scale);
    } else {
        QCoreApplication::sendPostedEvents();
        const QSize size = window.size();
        image = QImage(int(std::ceil(size.width() * scale)), int(std::ceil(size.height() * scale)),
                       QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(scale);
        image.fill(window.palette().color(QPalette::Window));
        window.render(&image);
    }
    if (!image.save(QString::fromStdString(file), "PNG"))
        throw ScriptError(file + ": cannot be written");
}

std::optional<std::string> ScriptSettings::keyField(const std::string &name)
{
    auto compactJson = [](const std::optional<nlohmann::json> &value) {
        return value ? value->dump() : std::string("none");
    };
    if (name.rfind("setting:", 0) == 0)
        return compactJson(UserDefaults::standard().object(name.substr(8)));
    if (name.rfind("stored:", 0) == 0)
        return compactJson(UserDefaults::standard().storedValue(name.substr(7)));
    return std::nullopt;
}

void ScriptSettings::addFields(std::map<std::string, std::string> &f) const
{
    SettingsWindow *window = host_ ? host_->settingsWindow() : nullptr;
    auto flag = [](bool on) { return std::string(on ? "true" : "false"); };
    if (window) {
        const auto &selection = window->selection();
        f["pane"] = SettingsView::caseName(selection.pane().peek()).toStdString();
        f["back"] = paneList(selection.back().peek());
        f["forward"] = paneList(selection.forward().peek());
        f["windowTitle"] = script::jsonString(window->windowTitle().toStdString());
        f["backEnabled"] = flag(window->backEnabled());
        f["forwardEnabled"] = flag(window->forwardEnabled());
        f["frost"] = window->frostShown() ? "shown" : "hidden";
        f["sidebar"] = paneList(window->listedPanes());
    } else {
        for (const char *name : {"pane", "back", "forward", "windowTitle", "backEnabled", "forwardEnabled", "frost", "sidebar"})
            f[name] = "none";
    }
    f["windows"] = window ? "1" : "0";
    const auto page = primary_ ? primary_->onboardingPage().peek() : std::nullopt;
    f["tourPage"] = page ? std::to_string(*page) : "none";
    f["loginItem"] = loginItem_.status() == LoginItem::Status::enabled ? "enabled" : "disabled";
    f["opened"] = opened_ ? script::jsonString(opened_->toString().toStdString()) : "none";
    f["terminated"] = flag(terminated_);
    f["chooser"] = chooserTitle_ ? script::jsonString(*chooserTitle_) : "none";
    // The simulated services the panes ask: requests made (prompts shown) and the privacy page opened.
    auto *trust = dynamic_cast<SimAccessibilityTrust *>(&accessibilityTrust());
    auto *focus = dynamic_cast<SimFocusStatus *>(&focusStatus());
    auto *calendar = dynamic_cast<SimCalendarStore *>(&CalendarStore::shared());
    f["requests:accessibility"] = trust ? std::to_string(trust->permission.requestCount()) : "none";
    f["requests:focus"] = focus ? std::to_string(focus->permission.requestCount()) : "none";
    f["requests:calendar"] = calendar ? std::to_string(calendar->requestCount()) : "none";
    f["privacyOpened"] = trust && trust->openedAnchor ? script::jsonString(*trust->openedAnchor) : "none";
}
