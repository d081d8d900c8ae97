// The sound row: its name and how it is cut, Reset, and the chooser's type check on real files.
#include "Model/Defaults.h"
#include "Platform/UserDefaults.h"
#include "Settings/PaneKit/PaneForm.h"
#include "Settings/PaneKit/SliderRow.h"
#include "Settings/Panes/LockScreenPane.h"
#include "Settings/Panes/SoundRow.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace vesk;

namespace {

// A valid 16-bit mono WAV of `frames` silent samples.
QByteArray wav(int frames)
{
    QByteArray bytes;
    auto u32 = [&](quint32 v) { bytes.append(reinterpret_cast<const char *>(&v), 4); };
    auto u16 = [&](quint16 v) { bytes.append(reinterpret_cast<const char *>(&v), 2); };
    bytes.append("RIFF");
    u32(36 + 2 * frames);
    bytes.append("WAVEfmt ");
    u32(16);
    u16(1);
    u16(1);
    u32(44100);
    u32(88200);
    u16(2);
    u16(16);
    bytes.append("data");
    u32(2 * frames);
    bytes.append(QByteArray(2 * frames, '\0'));
    return bytes;
}

class SoundRowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        UserDefaults::setStandard(std::make_unique<UserDefaults>());
        Defaults::registerTable(UserDefaults::standard(), QProcessEnvironment());
        ASSERT_TRUE(dir.isValid());
        SoundRow::setChooser([this](QWidget *, const QString &title) {
            titles.push_back(title);
            return answer;
        });
    }
    void TearDown() override { SoundRow::setChooser(nullptr); }

    QString write(const QString &name, const QByteArray &bytes)
    {
        QFile file(dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return file.fileName();
    }
    std::string stored() { return UserDefaults::standard().value(settings::unlockSoundPath); }

    QTemporaryDir dir;
    std::optional<QString> answer;
    std::vector<QString> titles;
};

TEST_F(SoundRowTest, NameIsBuiltInOrTheLastPathComponent)
{
    EXPECT_EQ(SoundRow::nameFor(""), "Built-in");
    EXPECT_EQ(SoundRow::nameFor("/home/me/Sounds/tone.wav"), "tone.wav");
    EXPECT_EQ(SoundRow::nameFor("/home/me/Sounds/"), "Sounds");
    EXPECT_EQ(SoundRow::nameFor("tone.wav"), "tone.wav");
    EXPECT_EQ(SoundRow::nameFor("/"), "/");
}

TEST_F(SoundRowTest, ALongNameIsCutInTheMiddleAndNeverWidensTheRow)
{
    UserDefaults::standard().set(settings::unlockSoundPath,
                                 "/gone/" + std::string(120, 'a') + "-middle-" + std::string(120, 'z') + ".wav");
    SoundRow row(QStringLiteral("Unlock sound"), settings::unlockSoundPath, LockSounds::Sound::unlock);
    const QString shown = row.nameLabel()->text();
    EXPECT_TRUE(shown.startsWith("aaa")) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith("zz.wav")) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(row.nameLabel()->fontMetrics().horizontalAdvance(shown), SoundRow::nameWidth);
    EXPECT_LE(row.nameLabel()->sizeHint().width(), SoundRow::nameWidth);
    EXPECT_EQ(row.name().size(), 120 + 8 + 120 + 4) << "the full name stays the row's name (a missing file too)";
}

TEST_F(SoundRowTest, ResetShowsOnlyWithAFileAndGoesBackToBuiltIn)
{
    SoundRow row(QStringLiteral("Unlock sound"), settings::unlockSoundPath, LockSounds::Sound::unlock);
    row.show();
    EXPECT_TRUE(row.resetButton()->isHidden());
    EXPECT_EQ(row.nameLabel()->text(), "Built-in");
    UserDefaults::standard().set(settings::unlockSoundPath, std::string("/missing/tone.wav"));
    row.refresh();
    EXPECT_FALSE(row.resetButton()->isHidden());
    EXPECT_EQ(row.nameLabel()->text(), "tone.wav");
    row.resetButton()->click();
    EXPECT_EQ(stored(), "");
    EXPECT_EQ(row.nameLabel()->text(), "Built-in");
    EXPECT_TRUE(row.resetButton()->isHidden());
}

TEST_F(SoundRowTest, TheChooserTakesAnAudioFileAndRefusesEverythingElse)
{
    SoundRow row(QStringLiteral("Unlock sound"), settings::unlockSoundPath, LockSounds::Sound::unlock);
    const QString text = write("notes.txt", "just some words\n");
    const QString tone = write("tone.wav", wav(441));
    const QString unnamed = write("recording", wav(441));  // no suffix: known by its content
    const QString fifo = dir.filePath("pipe.wav");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);

    for (const QString &refused : {text, dir.path(), dir.filePath("missing.wav"), fifo}) {
        answer = refused;
        row.chooseButton()->click();
        EXPECT_EQ(stored(), "") << refused.toStdString();
    }
    answer = std::nullopt;  // cancelled
    row.chooseButton()->click();
    EXPECT_EQ(stored(), "");

    answer = tone;
    row.chooseButton()->click();
    EXPECT_EQ(stored(), tone.toStdString());
    EXPECT_EQ(row.nameLabel()->text(), "tone.wav");
    answer = text;  // refusing keeps the sound chosen before
    row.chooseButton()->click();
    EXPECT_EQ(stored(), tone.toStdString());
    answer = unnamed;
    row.chooseButton()->click();
    EXPECT_EQ(stored(), unnamed.toStdString());
    EXPECT_EQ(titles.front(), "Choose a unlock sound");
}

TEST_F(SoundRowTest, LockPaneSlidersReadPercentAndKeepTheirValuesWhileTheCardIsOff)
{
    EXPECT_EQ(LockScreenPane::heightText(0.225), "22.5%");
    EXPECT_EQ(LockScreenPane::strengthText(1.0), "100%");
    LockScreenPane pane;
    auto *height = pane.form().find(PaneForm::Kind::slider, QStringLiteral("Height on screen"))->slider;
    auto *glass = pane.form().find(PaneForm::Kind::slider, QStringLiteral("Glass strength"))->slider;
    EXPECT_EQ(height->tickCount() + 1, 17);
    EXPECT_EQ(glass->tickCount() + 1, 10);
    height->dragTo(0.33, false);
    EXPECT_DOUBLE_EQ(UserDefaults::standard().value(settings::lockScreenPosition), 0.325);
    EXPECT_EQ(height->valueText(), "32.5%");

    UserDefaults::standard().set(settings::lockScreenPreview, false);
    const auto lines = pane.form().describe();
    auto has = [&](const std::string &line) { return std::find(lines.begin(), lines.end(), line) != lines.end(); };
    EXPECT_TRUE(has("switch \"Show the playing app's icon on the artwork\" on disabled"));
    EXPECT_TRUE(has("slider \"Height on screen\" \"32.5%\" reset=shown disabled"));
    EXPECT_TRUE(has("slider \"Glass strength\" \"100%\" reset=hidden disabled"));
    height->dragTo(0.5, false);
    EXPECT_DOUBLE_EQ(UserDefaults::standard().value(settings::lockScreenPosition), 0.325);

    UserDefaults::standard().set(settings::lockSounds, false);
    EXPECT_TRUE(pane.form().findPressable(QStringLiteral("Lock sound"), QStringLiteral("Choose\u2026"))->button->isEnabled())
        << "the sound rows stay enabled with the sounds off";
}

}  // namespace
