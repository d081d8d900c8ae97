#include "Settings/Panes/LockScreenPane.h"

#include "Model/Defaults.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Panes/SoundRow.h"
#include "Settings/Previews/LockScreenPreview.h"

#include <QPushButton>

#include <algorithm>

namespace vesk {

namespace {

bool value(const Setting<bool> &setting) { return UserDefaults::standard().value(setting); }

// The sound row with its buttons as rows of their own, so tools list and press them by the
// row's title.
void addSoundRow(PaneForm &form, const QString &title, const Setting<std::string> &path, LockSounds::Sound sound)
{
    auto *sounds = new SoundRow(title, path, sound, &form);
    auto row = std::make_unique<PaneForm::Row>();
    row->kind = PaneForm::Kind::sound;
    row->label = [title] { return title; };
    row->detail = [sounds] { return sounds->name(); };
    row->control = sounds;
    row->refresh = [sounds] { sounds->refresh(); };
    form.addRow(std::move(row), sounds);
    const Binding<QString> stored(path);
    for (QPushButton *button : {sounds->playButton(), sounds->chooseButton(), sounds->resetButton()}) {
        auto pressable = std::make_unique<PaneForm::Row>();
        pressable->kind = PaneForm::Kind::button;
        pressable->label = [title] { return title; };
        const QString text = button == sounds->playButton() ? QStringLiteral("Play") : button->text();
        pressable->detail = [text] { return text; };
        pressable->button = button;
        pressable->control = button;
        if (button == sounds->resetButton())
            pressable->present = [stored] { return !stored.get().isEmpty(); };
        form.addRow(std::move(pressable), nullptr);
    }
}

}  // namespace

QString LockScreenPane::heightText(double fraction) { return QString::asprintf("%.1f%%", fraction * 100); }
QString LockScreenPane::strengthText(double fraction) { return QString::asprintf("%.0f%%", fraction * 100); }

kit::Element LockScreenPane::preview()
{
    using namespace kit;
    const auto &d = UserDefaults::standard();
    LockScreenPreview p;
    p.showsCard = d.value(settings::lockScreenPreview);
    p.showsAppIcon = d.value(settings::lockShowAppIcon);
    p.position = d.value(settings::lockScreenPosition);
    p.glassStrength = d.value(settings::lockGlassStrength);
    return ZStack({}, Fill(Color::black(0.35)), GeometryReader([p](QSizeF size) {
                       // The largest 1.54 : 1 screen that fits 12 points below the top and above the bottom.
                       const double room = std::max(0.0, size.height() - 24);
                       const double width = std::min(size.width(), room * previewAspectRatio);
                       const double height = width / previewAspectRatio;
                       return view(p)
                           .frame(width, height)
                           .clipShape(RoundedRectangle(8, CornerStyle::continuous))
                           .padding(Edges::vertical(12))
                           .frame(size.width(), size.height());
                   }));
}

LockScreenPane::LockScreenPane(QWidget *parent) : PaneScaffold(previewHeight, &LockScreenPane::preview, parent)
{
    PaneForm &f = form();
    auto card = [] { return value(settings::lockScreenPreview); };

    f.section(QStringLiteral("Now Playing"));
    f.addSwitch(QStringLiteral("Show now playing on the lock screen"), settings::lockScreenPreview);
    f.addSwitch(QStringLiteral("Show the playing app's icon on the artwork"), settings::lockShowAppIcon,
                {.enabled = card});
    f.addSlider(new SliderRow({.title = QStringLiteral("Height on screen"),
                               .value = settings::lockScreenPosition,
                               .min = 0.1,
                               .max = 0.5,
                               .step = 0.025,
                               .format = heightText}))
        .enabled = card;
    f.addSlider(new SliderRow({.title = QStringLiteral("Glass strength"),
                               .value = settings::lockGlassStrength,
                               .min = 0.1,
                               .max = 1.0,
                               .step = 0.1,
                               .format = strengthText}))
        .enabled = card;
    f.footnote(QStringLiteral("A card with the current track, a scrubber and playback controls, on a solid card. Raise "
                              "it if it covers your user picture."));

    f.section(QStringLiteral("Notch"));
    f.addSwitch(QStringLiteral("Show a padlock beside the notch while locked"), settings::lockShowIndicator);
    f.footnote(QStringLiteral("It springs open for a moment when you unlock."));

    f.section(QStringLiteral("Sounds"));
    f.addSwitch(QStringLiteral("Play a sound when locking and unlocking"), settings::lockSounds);
    // The rows stay enabled with the sounds off: a sound can be tried and chosen beforehand.
    addSoundRow(f, QStringLiteral("Lock sound"), settings::lockSoundPath, LockSounds::Sound::lock);
    addSoundRow(f, QStringLiteral("Unlock sound"), settings::unlockSoundPath, LockSounds::Sound::unlock);
    f.footnote(QStringLiteral("The built-in sounds are generated by Vesk. The iPhone's lock sounds cannot be shipped "
                              "with the app, but you can choose any sound file of your own here."));
    f.refresh();
}

}  // namespace vesk
